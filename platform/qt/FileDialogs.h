#pragma once
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace brindlex {

// What a file dialog shows. `filter` is in Qt's form, entries separated by ";;"
// ("Brindlex Database (*.bdx);;All Files (*)"); `defaultSuffix` is added to a typed name
// without one (no dot, e.g. "bdx").
struct FileDialogRequest
{
    std::string title;
    std::string filter;
    std::string directory;
    std::string fileName;
    std::string defaultSuffix;
};

struct FontChoice
{
    std::string family;
    int pointSize = 8;
};

// The common dialogs the windows use. The program shows the real dialogs; tests hand in
// a scripted fake. An empty answer means the user cancelled.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<std::string> openFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::vector<std::string> openFiles(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial) = 0;
};

}  // namespace brindlex

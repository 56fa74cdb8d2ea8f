#pragma once
#include "platform/qt/FileDialogs.h"

namespace brindlex {

// The real dialogs: QFileDialog and QFontDialog.
class QtFileDialogs : public FileDialogs
{
public:
    std::optional<std::string> openFile(QWidget* parent, const FileDialogRequest& request) override;
    std::vector<std::string> openFiles(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial) override;
};

}  // namespace brindlex

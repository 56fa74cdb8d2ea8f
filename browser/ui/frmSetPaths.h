#pragma once
#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class QLineEdit;
class QPushButton;

namespace brindlex {

class MessageBoxes;
class SettingsStore;
struct ProgramOptions;

// Where the browser programs are: four paths, stored in section "Browsers" by "OK".
class frmSetPaths : public QDialog
{
    Q_OBJECT
public:
    frmSetPaths(
        SettingsStore& settings, MessageBoxes& messages, const ProgramOptions& options, QWidget* parent = nullptr);

    // Replaces the file-open dialog of "Browse" (tests); returns the chosen path, or an
    // empty string when the user cancelled.
    void setFileChooser(std::function<QString()> chooser) { m_chooseFile = std::move(chooser); }

    // The path boxes: 0 Netscape Navigator, 1 MS Internet Explorer, 2 Spyglass Mosaic, 3 Spry Mosaic.
    std::array<QLineEdit*, 4> Text1 {};
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdBrowse = nullptr;

private:
    void save();
    void browse();

    SettingsStore& m_settings;
    MessageBoxes& m_messages;
    const ProgramOptions& m_options;
    std::function<QString()> m_chooseFile;
};

}  // namespace brindlex

#pragma once
#include <QDialog>
#include <QFont>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace brindlex {

class MessageBoxes;
class OptionsHost;
class SettingsStore;
class WebBrowser;

// "Options": the general options, the program font and the default browser client.
// "OK" changes the options in memory and on the main window and writes only
// "StartMin"; everything else reaches the settings store at shutdown.
class frmOptions : public QDialog
{
    Q_OBJECT
public:
    frmOptions(OptionsHost& host, WebBrowser& browser, SettingsStore& settings, MessageBoxes& messages,
        QWidget* parent = nullptr);

    // Replaces the font dialog of "Change Font" (tests): the chosen font, or nothing.
    void setFontChooser(std::function<std::optional<QFont>(const QFont&)> chooser)
    {
        m_chooseFont = std::move(chooser);
    }
    // Replaces the "Set Paths" dialog (tests).
    void setPathsDialog(std::function<void()> open) { m_openPaths = std::move(open); }

    QTabWidget* SSTab1 = nullptr;
    QPushButton* Command1 = nullptr;  // OK
    QPushButton* Command2 = nullptr;  // Cancel
    QCheckBox* chkStartMin = nullptr;
    QCheckBox* chkAutoSave = nullptr;
    QCheckBox* chkTray = nullptr;
    QPushButton* Command4 = nullptr;  // Change Font
    QLabel* Label5 = nullptr;  // font name
    QLabel* Label6 = nullptr;  // font size
    QCheckBox* chkIncludeDesc = nullptr;
    QCheckBox* chkDisplayPath = nullptr;
    QCheckBox* chkAutoAssign = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;  // Scan
    QRadioButton* Option2 = nullptr;  // Specific
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* Command3 = nullptr;  // Set Paths

private:
    void build();
    void load();
    void changeFont();
    // The font labels: the font the windows use for the stored name and size.
    void showFont(const std::string& name, int size);
    void scanClicked();
    void specificClicked();
    void combo2Chosen(int index);
    void ok();

    OptionsHost& m_host;
    WebBrowser& m_browser;
    SettingsStore& m_settings;
    MessageBoxes& m_messages;
    int m_openedIncludeDesc = 0;  // IncludeDesc when the dialog opened
    std::function<std::optional<QFont>(const QFont&)> m_chooseFont;
    std::function<void()> m_openPaths;
};

}  // namespace brindlex

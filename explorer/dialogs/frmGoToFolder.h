#pragma once
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace brindlex {

class DialogHost;
class FolderPanes;
class MessageBoxes;
class ProgramSettings;

// "Go To Folder": makes the folder of a typed path (or one picked from the history of the
// last ten paths) the current folder. Modal.
class frmGoToFolder : public QDialog
{
    Q_OBJECT

public:
    // Everything must outlive the dialog; the main window of `host` is its parent.
    frmGoToFolder(FolderPanes& panes, const DialogHost& host, ProgramSettings& settings, MessageBoxes& messages);

    QComboBox* Combo1() const { return m_combo; }
    QPushButton* Command1() const { return m_ok; }
    QPushButton* Command2() const { return m_cancel; }

    // "OK": goes to the folder, or says it cannot be found and stays open.
    void GoTo();

private:
    FolderPanes& m_panes;
    ProgramSettings& m_settings;
    MessageBoxes& m_messages;
    QLabel* m_hint;
    QComboBox* m_combo;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

}  // namespace brindlex

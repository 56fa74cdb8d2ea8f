#pragma once
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace brindlex {

class DialogHost;
class EventPump;
class FolderPanes;
struct FindResultRow;

// The find dialog "Find Brindlex Folder or Item": searches every folder for entries whose
// caption matches a text, lists them, and on a click shows the entry in the main window.
// Modeless: the main window stays usable beside it. Deletes itself when closed; closed
// during a search, it stops the search and closes when the search has returned.
class frmFind : public QDialog
{
    Q_OBJECT

public:
    // Result columns.
    enum Column { NameColumn, InFolderColumn, DateColumn, TypeColumn, URLColumn, IDColumn };
    static constexpr int IconRole = Qt::UserRole;  // the row's image number

    // Everything must outlive the dialog; the main window of `host` is its parent.
    frmFind(FolderPanes& panes, const DialogHost& host, EventPump& events);

    QLineEdit* Text1() const { return m_text; }
    QComboBox* Combo1() const { return m_type; }
    QCheckBox* Check1() const { return m_matchCase; }
    QCheckBox* Check2() const { return m_containing; }
    QPushButton* Command1() const { return m_find; }
    QPushButton* Command3() const { return m_cancel; }
    QTreeWidget* ListView1() const { return m_results; }
    QLabel* statusPanel() const { return m_statusText; }  // the first panel of StatusBar1

    // The Find button: searches from the root and lists the results.
    void DoSearch();
    // A click on a result row: shows its folder in the main window and selects the entry.
    void ShowFindResult(QTreeWidgetItem* row);
    // Refills the main window's contents list from CurrentFolder by the dialog's own rule.
    void RefreshList();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public Q_SLOTS:
    void reject() override;  // Escape and Cancel

private:
    void layoutControls();
    static QTreeWidgetItem* resultItem(const FindResultRow& row);

    FolderPanes& m_panes;
    const DialogHost& m_host;
    EventPump& m_events;
    QLineEdit* m_text;
    QComboBox* m_type;
    QCheckBox* m_containing;
    QCheckBox* m_matchCase;
    QPushButton* m_find;
    QPushButton* m_cancel;
    QLabel* m_nameLabel;
    QLabel* m_typeLabel;
    QLabel* m_hint;
    QTreeWidget* m_results;
    QStatusBar* m_status;
    QLabel* m_statusText;
    bool m_searching = false;
    bool m_closeRequested = false;  // closed while a search let events run
};

}  // namespace brindlex

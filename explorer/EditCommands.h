#pragma once
#include <string>

#include <QObject>

class QTimer;
class QTreeWidgetItem;

namespace brindlex {

class frmTarnwell;
struct Selection;

// The item commands of the main window: New Folder, New Entry, Rename (menu, F2, the
// popup items and the end of in-place editing in both panes), Delete, Properties,
// Select All, Invert Selection, Cut, Copy and Paste. It connects and enables their
// actions, turns each into a call of the window's Editing model and refreshes the panes
// as that call says. It also keeps the cut marks the panes show: ghosted rows in the
// list, the "True" tag on a tree node.
class EditCommands : public QObject
{
    Q_OBJECT

public:
    explicit EditCommands(frmTarnwell& window);
    ~EditCommands() override;

    void NewFolder();
    void NewEntry();
    // Rename from the menu or F2: the selected row when the list had the focus, else the
    // selected tree node.
    void Rename();
    void DeleteSelection();
    void OpenProperties();
    void SelectAll();
    void InvertSelection();
    void Cut();
    void Copy();
    void Paste();
    // Adds the row of the new entry `id` of CurrentFolder, selects it and starts editing
    // its name.
    void StartRenameNewRow(const std::string& id);

    QTimer* tmrLabelEdit() const { return m_labelEdit; }
    QTimer* tmrTreeLabelEdit() const { return m_treeLabelEdit; }

private:
    Selection selection() const;
    // The row the list's single-row commands act on: the current row when it is
    // selected, else the first selected row; -1 with nothing selected.
    int selectedRow() const;
    void editListRow();
    void editTreeNode();
    void listNameEdited(const QString& id, const QString& text);
    void treeNodeEdited(QTreeWidgetItem* node, const QString& text, bool cancelled);
    // Shows the cut marks the Editing model holds now.
    void showCutMarks();
    void refreshAfterPaste(bool full);

    frmTarnwell& m_window;
    QTimer* m_labelEdit;  // tmrLabelEdit: starts editing a list row after the popup closed
    QTimer* m_treeLabelEdit;  // tmrTreeLabelEdit: the same for a tree node
};

}  // namespace brindlex

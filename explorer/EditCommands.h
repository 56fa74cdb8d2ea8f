#pragma once
#include <string>

#include <QObject>

class QTimer;
class QTreeWidgetItem;

namespace brindlex {

class CommandTable;
class DialogHost;
class Editing;
class EventPump;
class FolderPanes;

// The item commands of the main window: New Folder, New Entry, Rename (menu, F2, the
// popup items and the end of in-place editing in both panes), Delete, Properties,
// Select All, Invert Selection, Cut, Copy and Paste. It connects and enables their
// commands, turns each into a call of the Editing model and refreshes the panes as that
// call says. It also keeps the cut marks the panes show: ghosted rows in the
// list, the "True" tag on a tree node.
class EditCommands : public QObject
{
    Q_OBJECT

public:
    // Everything must outlive the commands.
    EditCommands(
        FolderPanes& panes, CommandTable& commands, const DialogHost& dialogs, Editing& editing, EventPump& events);
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

Q_SIGNALS:
    // A tree node was renamed: the title shows its new path.
    void titleChanged(const QString& path);

private:
    void editListRow();
    void editTreeNode();
    void listNameEdited(const QString& id, const QString& text);
    void treeNodeEdited(QTreeWidgetItem* node, const QString& text, bool cancelled);
    // Shows the cut marks the Editing model holds now.
    void showCutMarks();
    void refreshAfterPaste(bool full);

    FolderPanes& m_panes;
    const DialogHost& m_dialogs;
    Editing& m_editing;
    EventPump& m_events;
    QTimer* m_labelEdit;  // tmrLabelEdit: starts editing a list row after the popup closed
    QTimer* m_treeLabelEdit;  // tmrTreeLabelEdit: the same for a tree node
};

}  // namespace brindlex

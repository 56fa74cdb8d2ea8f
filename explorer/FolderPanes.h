#pragma once
#include <string>
#include <vector>

#include <QObject>
#include <QString>

class QComboBox;
class QFrame;
class QLabel;
class QToolButton;
class QTreeWidgetItem;
class QWidget;

namespace brindlex {

class ContentsList;
class EventPump;
class Folder;
class FolderItem;
class FolderTree;
class LinkStore;
class ProgramSettings;
struct Selection;

// The panes of the main window and what shows the store in them: the folder tree
// `TreeView1`, the contents list `ListView1`, their header bars `SSPanel1` and `SSPanel2`,
// the folder box `TreeView3` in the toolbar's combo `cbxFolders` with its drop-down
// `TreeView2`, and the status bar's object count `Panel1`. The panes hold no data of their
// own: the core works out the rows (listRows, treeRows, folderChain) and they copy them.
// The window lays the widgets out; commands that change the store or CurrentFolder
// refresh the panes with the operations here.
class FolderPanes : public QObject
{
    Q_OBJECT

public:
    // Makes the pane widgets; `window` parents them until the window lays them out.
    // Everything must outlive the panes.
    FolderPanes(QWidget& window, LinkStore& store, EventPump& events, const ProgramSettings& settings);
    ~FolderPanes() override;

    LinkStore& store() const { return m_store; }

    FolderTree* TreeView1() const { return m_tree; }
    ContentsList* ListView1() const { return m_list; }
    FolderTree* TreeView2() const { return m_dropTree; }
    FolderTree* TreeView3() const { return m_folderBox; }
    QLabel* SSPanel1() const { return m_treeHeader; }
    QLabel* SSPanel2() const { return m_listHeader; }
    QComboBox* cbxFolders() const { return m_folders; }
    QLabel* objectCount() const { return m_objectCount; }
    QToolButton* dropButton() const { return m_dropButton; }

    // The refresh operations.
    void FillList();
    void BuildTree();
    void RefreshPanes(bool full);
    void SelectFolderNode();  // the node of CurrentFolder
    void AddEntryToPanes(const FolderItem& item);
    void UpdateFolderDropDowns();

    // Makes `folder` CurrentFolder and shows it in every pane.
    void ShowFolder(Folder& folder);
    // Back: up one folder level, then the focus back to the pane that had it.
    void GoBack();
    // What a double-click or Enter on the list does: a folder row opens, a link row is
    // handed on as linkOpened().
    void OpenSelectedRow();
    void ShowDropDown();
    void HideDropDown();
    bool isDropDownShown() const;

    // The pane that last had the focus: "TreeView1" or "ListView1".
    const std::string& lastFocus() const { return m_lastFocus; }
    void setLastFocus(const std::string& pane) { m_lastFocus = pane; }
    void focusPane(const std::string& pane);
    // The row the list's single-row commands act on: the current row when it is
    // selected, else the first selected row; -1 with nothing selected.
    int selectedRow() const;
    // The entry of that row in CurrentFolder, or null.
    const FolderItem* selectedItem() const;
    // The IIDs of the selected list rows, top to bottom.
    std::vector<std::string> selectedRowIds() const;
    // The key of the selected tree node ("RootFolder" or a folder id), empty when none.
    std::string selectedNodeKey() const;
    QTreeWidgetItem* selectedNode() const;
    // The pane with the focus, the selected rows and the selected node, for a command.
    Selection selection() const;
    // Makes `node` the tree's selected node without showing its folder (a right click).
    void selectNodeQuietly(QTreeWidgetItem* node);
    // Every node closed but the root's (the start-up), without showing another folder.
    void collapseToRoot();

    // The list header's text for a folder path; the path also goes to pathShown().
    void showPath(const QString& path);

Q_SIGNALS:
    // The path of the folder the panes show now (the window's title may show it).
    void pathShown(const QString& path);
    // A link row was opened (double-click, Enter).
    void linkOpened();
    // A click on column `column` (0..5) of the list's header.
    void arrangeRequested(int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFolderBox(QWidget& window);
    void folderNodeClicked(QTreeWidgetItem* node);
    void dropDownPressed(QTreeWidgetItem* node);
    void resetNodeImages();
    Folder* folderByKey(const QString& key) const;

    QWidget& m_window;
    LinkStore& m_store;
    EventPump& m_events;
    const ProgramSettings& m_settings;
    FolderTree* m_tree = nullptr;
    ContentsList* m_list = nullptr;
    QLabel* m_treeHeader = nullptr;
    QLabel* m_listHeader = nullptr;
    QComboBox* m_folders = nullptr;  // holds the folder box
    FolderTree* m_folderBox = nullptr;
    QToolButton* m_dropButton = nullptr;  // SSCommand1
    QFrame* m_dropPanel = nullptr;  // holds TreeView2
    FolderTree* m_dropTree = nullptr;
    QLabel* m_objectCount = nullptr;
    std::string m_lastFocus = "ListView1";
    bool m_updatingTree = false;  // the program changes the tree's selection itself
};

}  // namespace brindlex

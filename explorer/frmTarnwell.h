#pragma once
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QHash>
#include <QMainWindow>

#include "explorer/Commands.h"
#include "explorer/Services.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QSplitter;
class QSystemTrayIcon;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidgetItem;

namespace brindlex {

class ContentsList;
class BrowserCommands;
class CVSplitter;
class CommandTable;
class DragDrop;
class EditCommands;
class Editing;
struct DatabaseCommandHooks;
class FileDialogs;
class FindCommands;
class Folder;
class FolderItem;
class FolderTree;
class ImportExportCommands;
class LinkStore;
class SettingsStore;

// The client state the window loads and stores: the default browser client.
struct ClientSettings
{
    std::string Browser = "Netscape Navigator";  // "Name"
    int BrowserID = 0;  // "ID"
    bool Method = true;  // true = "Scan", false = "Specific"
    int OpenIfClosed = 1;
    std::string InterfaceName = "NETSCAPE";
    int InterfaceType = 0;  // 0 DDE, 1 automation, -1 system clipboard
};

// The main window: menus, toolbar, folder tree, contents list, status bar, tray icon.
//
// Its commands (explorer/Commands.h) are actions made from the command table; those of
// other areas (editing, move and copy, find, go to, import and export, the browser,
// options) stay disabled until a controller connects to them: commands().connect(id, ...).
// Every action also carries its control name as objectName: action("mnuImpNetscape");
// items of a control array carry their index after an underscore: "mnuEd_0" is Edit >
// Cut, "mnuView2_3" is View > Details. Toolbar buttons are "Toolbar1_3" ... "Toolbar1_23"
// (toolbarButton(index)).
class frmTarnwell : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmTarnwell(const Services& services, QWidget* parent = nullptr);
    ~frmTarnwell() override;

    // The world the window was built from.
    const Services& services() const { return m_services; }
    LinkStore& store() const { return m_services.store; }
    const Platform& platform() const { return m_services.platform; }
    SettingsStore& settings() const { return m_services.settings; }
    FileDialogs& fileDialogs() const { return m_services.fileDialogs; }
    const std::string& programDir() const { return m_services.programDir; }

    // The load handler: reads the stored settings, lays out the panes, opens the database,
    // fills the panes and shows the window. `progress` receives the splash window's numbers.
    void Load(const std::function<void(int)>& progress = {});
    // The shutdown sequence (save prompt, settings written). Returns false when the user
    // cancelled and the window stays; true when the window may close. closeEvent calls it.
    bool QueryUnload();

    // The panes and bars.
    FolderTree* TreeView1() const { return m_tree; }
    ContentsList* ListView1() const { return m_list; }
    FolderTree* TreeView2() const { return m_dropTree; }
    FolderTree* TreeView3() const { return m_folderBox; }
    QLabel* SSPanel1() const { return m_treeHeader; }
    QLabel* SSPanel2() const { return m_listHeader; }
    QToolBar* Toolbar1() const { return m_toolbar; }
    QComboBox* cbxFolders() const { return m_folders; }
    QLabel* statusPanel(int panel) const;  // 1..3
    QMenu* popupMenu(int number) const;  // 1..4: mnuPU1 .. mnuPU4
    QAction* action(Command id) const;
    QAction* action(const QString& name) const;  // by objectName, null for none
    QAction* toolbarButton(int index) const;  // 1..23
    CVSplitter* splitter() const { return m_splitterActive ? m_splitter.get() : nullptr; }

    // Connecting, enabling and running commands by id.
    CommandTable& commands() const { return *m_commands; }

    // Editing, move and copy over the store, shared by the commands of the Edit menu, drag
    // and drop in the panes and the browser link's clipboard client (one internal clipboard,
    // one set of cut marks).
    Editing& editing() const { return *m_editing; }

    // The pane refresh operations.
    void FillList();
    void BuildTree();
    void RefreshPanes(bool full);
    void SelectFolderNode();  // the node of CurrentFolder
    void AddEntryToPanes(const FolderItem& item);
    void SetViewMode(int mode);
    void ArrangeBy(int column);
    void UpdateFolderDropDowns();
    // Back: up one folder level.
    void GoBack();
    // What a double-click on the selected row does (a folder row opens, a link is sent).
    void OpenSelectedRow();
    void ShowDropDown();
    void HideDropDown();
    bool isDropDownShown() const;

    // The pane that last had the focus: "TreeView1" or "ListView1".
    const std::string& lastFocus() const { return m_lastFocus; }
    void setLastFocus(const std::string& pane) { m_lastFocus = pane; }
    void focusPane(const std::string& pane);
    // The IIDs of the selected list rows, top to bottom.
    std::vector<std::string> selectedRowIds() const;
    // The key of the selected tree node ("RootFolder" or a folder id), empty when none.
    std::string selectedNodeKey() const;
    QTreeWidgetItem* selectedNode() const;

    // Long work on the store (an import, an export) that lets events run: the window
    // cannot be closed meanwhile, and a close chosen in the tray waits until it ends.
    void beginLongWork() { ++m_longWork; }
    void endLongWork() { --m_longWork; }
    bool inLongWork() const { return m_longWork > 0; }

    // The send commands (list popup "Send URL", File > Send URL, toolbar client button).
    void SetSendCommands(bool on);
    bool ProcessKeys(int key, Qt::KeyboardModifiers modifiers);

    // Pane layout.
    void ShowPane();
    void HidePane();
    void LayoutWindow();
    void setToolbarShown(bool shown);
    void setStatusBarShown(bool shown);
    void setSinglePane(bool single);
    bool PaneMode() const { return m_paneMode; }

    // Window-level options.
    int TrayFlag() const { return m_trayFlag; }
    void setTrayFlag(int flag);  // adds or removes the tray icon
    int AutoSave() const { return m_autoSave; }
    void setAutoSave(int value) { m_autoSave = value; }
    int IncludeDesc() const { return m_includeDesc; }
    void setIncludeDesc(int value);  // shows or hides the header bars
    int DisplayPath() const { return m_displayPath; }
    void setDisplayPath(int value);  // updates the title
    int AutoAssign() const { return m_autoAssign; }
    void setAutoAssign(int value);
    int ListSort() const { return m_listSort; }
    const std::string& ProgramFont() const { return m_programFont; }
    int ProgramFontSize() const { return m_programFontSize; }
    void setProgramFont(const std::string& font, int size);
    ClientSettings& client() { return m_client; }
    // Sets the default client by its id (the table of the start-up sequence): the service
    // name, the client button's image and tooltip and the status bar picture.
    void setClientById(int id);
    QSystemTrayIcon* TN1() const { return m_tray; }
    int trayCommand() const { return m_trayCommand; }

    // Window helpers also used by dialogs.
    static void CenterWindow(QWidget* window);
    void CenterOverMainWindow(QWidget* dialog) const;
    void ApplyProgramFont(QWidget* window) const;
    // Closes a window a command showed for a while (a progress window, the splash) and,
    // when the program had the focus, gives it back to the main window and its pane: a
    // window manager may leave no window active then, and the menu bar's keys dead.
    void closeTransient(QWidget* window);

    // Twips (1440 per inch) at the screen's logical resolution.
    int toPixels(double twips) const;
    double toTwips(int pixels) const;

    // The database commands of the File menu.
    void NewDatabaseCommand();
    void OpenDatabaseCommand();
    void SaveDatabaseCommand();
    // Returns false when the user cancelled the dialog.
    bool SaveDatabaseAsCommand();
    // "Cancel" when the last Save As dialog was cancelled.
    const std::string& saveMarker() const { return m_saveMarker; }

    void ShowHelpContents();
    void ShowPageWizard();
    void ShowAbout();

Q_SIGNALS:
    // The window is being unloaded: hidden windows of the controllers close now.
    void unloading();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildPanes();
    void buildStatusBar();
    void connectOwnCommands();
    void folderNodeClicked(QTreeWidgetItem* node);
    void dropDownPressed(QTreeWidgetItem* node);
    void showHeaderAndTitle(const QString& path);
    void resetNodeImages();
    void listMousePressed(int row, Qt::MouseButton button);
    void listMouseMoved(int row);
    void treeMouseReleased(QTreeWidgetItem* node, Qt::MouseButton button);
    void showListPopup();
    void showTrayPopup();
    void sizeTimerTick();
    void readColumnWidths();
    void applyColumnWidths();
    void writeSettings();
    void readWindowSettings();
    void setViewChecks(int mode);
    void switchToFolder(Folder* folder);
    Folder* folderByKey(const QString& key) const;
    // The database the start-up opens; nothing on a first run, which starts a new one.
    std::optional<std::string> databaseAtStart();
    void loadDatabaseFile(const std::string& path);
    DatabaseCommandHooks databaseHooks();

    Services m_services;
    std::unique_ptr<CommandTable> m_commands;
    std::array<QAction*, 24> m_buttons {};  // the toolbar's slots by index; 1 holds the folder box
    QMenu* m_popups[5] = {};
    QToolBar* m_toolbar = nullptr;
    QComboBox* m_folders = nullptr;  // cbxFolders, holds the folder box
    FolderTree* m_folderBox = nullptr;  // TreeView3
    QToolButton* m_dropButton = nullptr;  // SSCommand1
    QFrame* m_dropPanel = nullptr;  // holds TreeView2
    FolderTree* m_dropTree = nullptr;  // TreeView2
    FolderTree* m_tree = nullptr;  // TreeView1
    ContentsList* m_list = nullptr;  // ListView1
    QLabel* m_treeHeader = nullptr;  // SSPanel1
    QLabel* m_listHeader = nullptr;  // SSPanel2
    QWidget* m_leftSide = nullptr;
    QWidget* m_rightSide = nullptr;
    QSplitter* m_split = nullptr;
    std::unique_ptr<CVSplitter> m_splitter;
    bool m_splitterActive = false;
    QLabel* m_panels[4] = {};
    QSystemTrayIcon* m_tray = nullptr;  // TN1, present while TrayFlag is 1
    QTimer* m_sizeTimer = nullptr;  // SizeTimer
    QTimer* m_timer1 = nullptr;  // opens mnuPU2
    QTimer* m_timer2 = nullptr;  // opens mnuPU1
    QMenu* m_fileMenu = nullptr;

    int m_trayFlag = 0;
    int m_autoSave = 0;
    int m_includeDesc = 0;
    int m_displayPath = 0;
    int m_autoAssign = 0;
    int m_listSort = 3;
    bool m_paneMode = false;
    int m_normalTop = 1635;
    int m_normalLeft = 945;
    int m_normalHeight = 5865;
    int m_normalWidth = 9855;
    int m_windowStateAtStart = 0;
    bool m_isRestoring = false;
    int m_trayCommand = -1;
    std::string m_lastFocus = "ListView1";
    std::string m_programFont = "MS Sans Serif";
    int m_programFontSize = 8;
    ClientSettings m_client;
    double m_columnTwips[7] = {};
    int m_columnPixels[7] = {};  // the widths set from m_columnTwips, to tell a user's change
    double m_treeWidthTwips = 2685;
    double m_listWidthTwips = 7005;
    double m_listLeftTwips = 2730;
    bool m_updatingTree = false;  // the program changes the tree's selection itself
    bool m_skipImageReset = false;  // the one-shot flag of the node click
    bool m_unloaded = false;
    int m_longWork = 0;
    bool m_loaded = false;

    std::unique_ptr<Editing> m_editing;
    std::string m_saveMarker;  // "Cancel" after a cancelled Save As

    // Controllers of the other command groups (created in the constructor).
    std::unique_ptr<BrowserCommands> m_browserCommands;
    std::unique_ptr<ImportExportCommands> m_importExport;
    std::unique_ptr<DragDrop> m_dragDrop;
    std::unique_ptr<FindCommands> m_findCommands;
    std::unique_ptr<EditCommands> m_editCommands;
};

}  // namespace brindlex

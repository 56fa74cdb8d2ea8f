#pragma once
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QRect>

#include "explorer/Commands.h"
#include "explorer/FolderPanes.h"
#include "explorer/LongWork.h"
#include "explorer/Services.h"
#include "platform/qt/DialogHost.h"
#include "settings/OptionsHost.h"
#include "settings/ProgramSettings.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSplitter;
class QSystemTrayIcon;
class QTimer;
class QToolBar;
class QTreeWidgetItem;

namespace brindlex {

class BrowserCommands;
class CVSplitter;
class ColumnWidths;
class CommandTable;
class ContentsList;
class DragDrop;
class EditCommands;
class Editing;
class FileCommands;
class FindCommands;
class FolderItem;
class FolderTree;
class ImportExportCommands;
class LinkStore;
class PaneInput;
class SettingsStore;
class TrayIcon;
class UndoCommands;
class WindowPlacement;

// The main window: menus, toolbar, the panes, status bar, tray icon. It holds menus and
// routing; the panes and their refresh are FolderPanes, the command groups are
// controllers that take the panes, the command table and a DialogHost, never the window.
//
// Its commands (explorer/Commands.h) are actions made from the command table; those of
// other areas stay disabled until a controller connects to them: commands().connect(id,
// ...). Every action also carries its control name as objectName: action("mnuImpNetscape");
// items of a control array carry their index after an underscore: "mnuEd_0" is Edit > Cut,
// "mnuView2_3" is View > Details. Toolbar buttons are "Toolbar1_3" ... "Toolbar1_23".
//
// The program's settings are one ProgramSettings, read by Load and written by the
// shutdown; the Options dialog and the browser link work on the same object.
class frmTarnwell : public QMainWindow, public OptionsHost
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
    ProgramSettings& programSettings() { return m_settings; }

    // The load handler: reads the stored settings, lays out the panes, opens the database,
    // fills the panes and shows the window. `progress` receives the splash window's numbers.
    void Load(const std::function<void(int)>& progress = {});
    // The shutdown sequence (save prompt, settings written). Returns false when the user
    // cancelled and the window stays; true when the window may close. closeEvent calls it.
    bool QueryUnload();

    FolderPanes& panes() const { return *m_panes; }
    const DialogHost& dialogs() const { return m_dialogs; }
    CommandTable& commands() const { return *m_commands; }
    // Editing, move and copy over the store, shared by the Edit commands, drag and drop and
    // the browser link's clipboard client (one internal clipboard, one set of cut marks).
    Editing& editing() const { return *m_editing; }

    // The panes and bars.
    FolderTree* TreeView1() const { return m_panes->TreeView1(); }
    ContentsList* ListView1() const { return m_panes->ListView1(); }
    FolderTree* TreeView2() const { return m_panes->TreeView2(); }
    FolderTree* TreeView3() const { return m_panes->TreeView3(); }
    QLabel* SSPanel1() const { return m_panes->SSPanel1(); }
    QLabel* SSPanel2() const { return m_panes->SSPanel2(); }
    QToolBar* Toolbar1() const { return m_toolbar; }
    QComboBox* cbxFolders() const { return m_panes->cbxFolders(); }
    QLabel* statusPanel(int panel) const;  // 1..3
    QMenu* popupMenu(int number) const;  // 1..4: mnuPU1 .. mnuPU4
    QAction* action(Command id) const;
    QAction* action(const QString& name) const;  // by objectName, null for none
    QAction* toolbarButton(int index) const;  // 1..23
    CVSplitter* splitter() const { return m_splitterActive ? m_splitter.get() : nullptr; }

    // The panes' refresh operations (FolderPanes).
    void FillList() { m_panes->FillList(); }
    void BuildTree() { m_panes->BuildTree(); }
    void RefreshPanes(bool full) { m_panes->RefreshPanes(full); }
    void SelectFolderNode() { m_panes->SelectFolderNode(); }
    void AddEntryToPanes(const FolderItem& item) { m_panes->AddEntryToPanes(item); }
    void OpenSelectedRow() { m_panes->OpenSelectedRow(); }
    bool isDropDownShown() const { return m_panes->isDropDownShown(); }
    const std::string& lastFocus() const { return m_panes->lastFocus(); }
    void setLastFocus(const std::string& pane) { m_panes->setLastFocus(pane); }
    std::vector<std::string> selectedRowIds() const { return m_panes->selectedRowIds(); }
    std::string selectedNodeKey() const { return m_panes->selectedNodeKey(); }

    void SetViewMode(int mode);
    void ArrangeBy(int column);
    int ListSort() const { return m_settings.ListSort; }

    // Long work on the store (an import, an export) that lets events run: the window
    // cannot be closed meanwhile, and a close chosen in the tray waits until it ends.
    void beginLongWork() { m_longWork.begin(); }
    void endLongWork() { m_longWork.end(); }
    bool inLongWork() const { return m_longWork.running(); }

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
    bool PaneMode() const { return m_settings.PaneMode; }

    // Window-level options.
    int TrayFlag() const { return m_settings.options.TrayFlag; }
    // Stores the flag; the tray icon is shown while it is 1 and the desktop has a tray.
    // Without a tray the window acts as with the flag off, and the flag is kept.
    void setTrayFlag(int flag);
    int AutoSave() const { return m_settings.options.AutoSave; }
    int IncludeDesc() const { return m_settings.options.IncludeDesc; }
    void setIncludeDesc(int value);  // shows or hides the header bars
    int DisplayPath() const { return m_settings.options.DisplayPath; }
    void setDisplayPath(int value);  // updates the title
    const std::string& ProgramFont() const { return m_settings.options.ProgramFont; }
    int ProgramFontSize() const { return m_settings.options.ProgramFontSize; }
    void setProgramFont(const std::string& font, int size);
    ClientState& client() { return m_settings.client; }
    // Makes row `BrowserID` of the default-client table the default client and shows it.
    void setClientById(int BrowserID);
    QSystemTrayIcon* TN1() const;
    int trayCommand() const;

    // Window helpers also used by dialogs (DialogHost).
    static void CenterWindow(QWidget* window) { DialogHost::CenterWindow(window); }
    void CenterOverMainWindow(QWidget* dialog) const { m_dialogs.CenterOverMainWindow(dialog); }
    void ApplyProgramFont(QWidget* window) const { m_dialogs.ApplyProgramFont(window); }
    void closeTransient(QWidget* window) const { m_dialogs.closeTransient(window); }
    int toPixels(double twips) const { return m_dialogs.toPixels(twips); }
    double toTwips(int pixels) const { return m_dialogs.toTwips(pixels); }

    // "Cancel" when the last Save As dialog was cancelled.
    const std::string& saveMarker() const;

    void ShowHelpContents();
    void ShowPageWizard();
    void ShowAbout();

    // OptionsHost: what the Options dialog changes on the window.
    ProgramOptions& Options() override { return m_settings.options; }
    void ApplyProgramFont() override;
    void SetTitle(const std::string& title) override;
    bool ToolbarShown() const override { return m_settings.ShowToolbar; }
    PaneGeometry Panes() const override;
    void SetPanes(const PaneGeometry& panes) override;
    void SetTrayIcon(bool shown) override;
    bool TrayAvailable() const override;
    // Shows a client's toolbar image and name on the client button and the status bar.
    void ShowDefaultClient(int toolbarImage, const std::string& name) override;

Q_SIGNALS:
    // The window is being unloaded: hidden windows of the controllers close now.
    void unloading();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildPanes();
    void buildStatusBar();
    void connectOwnCommands();
    void reportOutOfMemory(Command id);
    void showTitle(const QString& path);
    // The tray icon follows the desktop's tray: gone with it (a window hidden in it is
    // shown minimised), back with it.
    void followTray();
    void sizeTimerTick();
    // Sizes the columns no earlier run stored to the list's width once the window is shown.
    void sizeUnstoredColumns();
    void writeSettings();
    void applyWindowGeometry();
    void setViewChecks(int mode);
    // The client button and status picture of the default client.
    void showClient(int BrowserID);
    void createSplitter();

    Services m_services;
    ProgramSettings m_settings;
    DialogHost m_dialogs;
    LongWork m_longWork;
    std::unique_ptr<CommandTable> m_commands;
    std::unique_ptr<Editing> m_editing;
    FolderPanes* m_panes = nullptr;  // a child of the window
    std::array<QAction*, 24> m_buttons {};  // the toolbar's slots by index; 1 holds the folder box
    QMenu* m_popups[5] = {};
    QMenu* m_fileMenu = nullptr;
    QToolBar* m_toolbar = nullptr;
    QWidget* m_leftSide = nullptr;
    QWidget* m_rightSide = nullptr;
    QSplitter* m_split = nullptr;
    std::unique_ptr<CVSplitter> m_splitter;
    bool m_splitterActive = false;
    QLabel* m_panels[4] = {};
    TrayIcon* m_tray = nullptr;  // a child of the window; TN1 is shown while TrayFlag is 1 and there is a tray
    QTimer* m_sizeTimer = nullptr;  // SizeTimer
    PaneInput* m_input = nullptr;  // a child of the window
    bool m_isRestoring = false;
    std::unique_ptr<WindowPlacement> m_placement;
    std::unique_ptr<ColumnWidths> m_columns;
    bool m_loaded = false;  // Load has decided how the window is shown
    bool m_unloaded = false;

    // Controllers of the command groups (created in the constructor).
    std::unique_ptr<FileCommands> m_files;
    std::unique_ptr<BrowserCommands> m_browserCommands;
    std::unique_ptr<ImportExportCommands> m_importExport;
    std::unique_ptr<DragDrop> m_dragDrop;
    std::unique_ptr<FindCommands> m_findCommands;
    std::unique_ptr<EditCommands> m_editCommands;
    std::unique_ptr<UndoCommands> m_undoCommands;
};

}  // namespace brindlex

#pragma once

namespace brindlex {

// Every command of the main window: the items of the menu bar, of the four popup menus
// and the toolbar buttons. Each has one row in the command table (explorer/CommandTable.cpp)
// with its control name, which stays its QAction's objectName ("mnuEd_0" is Cut), its
// caption and, for a popup item or a toolbar button that does what a menu-bar item does,
// the command it follows. Controllers connect and enable commands by these ids.
enum class Command : int {
    // File
    NewFile,
    OpenFile,
    SaveFile,
    SaveFileAs,
    SendURL,
    GetURL,
    ImportMenu,
    ImportDatabase,
    ImportNetscape,
    ImportShortcuts,
    ImportMosaic,
    ImportSpyglass,
    ImportSpry,
    ImportHtml,
    ImportFirefox,
    ImportChromium,
    ExportMenu,
    ExportShortcuts,
    ExportAs,
    NewFolder,
    NewEntry,
    Delete,
    Rename,
    Properties,
    Close,
    // Edit
    Cut,
    Copy,
    Paste,
    SelectAll,
    InvertSelection,
    Undo,
    Redo,
    // View
    ShowToolbar,
    ShowStatusBar,
    SinglePane,
    LargeIcons,
    SmallIcons,
    ListMode,
    Details,
    ArrangeMenu,
    ArrangeByName,
    ArrangeByDate,
    ArrangeByType,
    ArrangeByClient,
    ArrangeByURL,
    ArrangeByDescription,
    Refresh,
    Options,
    // Tools, Help
    Find,
    GoTo,
    PageWizard,
    HelpContents,
    About,
    // The contents list's popup with a row selected (mnuPU1) ...
    ListSendURL,
    ListCut,
    ListCopy,
    ListDelete,
    ListRename,
    ListProperties,
    // ... and with none (mnuPU2)
    ListGetURL,
    ListViewMenu,
    ListLargeIcons,
    ListSmallIcons,
    ListListMode,
    ListDetails,
    ListPaste,
    ListNewFolder,
    ListNewEntry,
    // The folder tree's popup (mnuPU3)
    TreeFind,
    TreeCut,
    TreeCopy,
    TreePaste,
    TreeDelete,
    TreeRename,
    TreeProperties,
    // The tray icon's popup (mnuPU4)
    TrayRestore,
    TrayClose,
    // Toolbar buttons "Toolbar1_3" ... "Toolbar1_23"
    Back,
    CutButton,
    CopyButton,
    PasteButton,
    UndoButton,
    DeleteButton,
    PropertiesButton,
    LargeIconsButton,
    SmallIconsButton,
    ListButton,
    DetailsButton,
    NewFolderButton,
    GetURLButton,
    ClientButton,
};

inline constexpr int CommandCount = static_cast<int>(Command::ClientButton) + 1;

}  // namespace brindlex

#include "explorer/CommandTable.h"

#include <cassert>
#include <new>
#include <span>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "explorer/Icons.h"

namespace brindlex {

namespace {

constexpr Command NoCommand = static_cast<Command>(-1);  // "follows nothing"; a separator in a layout

enum Flags : unsigned {
    Checkable = 1,
    Checked = 2,
    Usable = 4,  // enabled from the start: submenu holders, Back and the view buttons
    Button = 8,  // a toolbar button: its caption is its tool tip
};

struct CommandRow
{
    Command id;
    const char* name;  // the objectName
    const char* caption;  // the menu text; a button's text and tool tip
    Command follows = NoCommand;
    unsigned flags = 0;
    int toolbarImage = 0;  // a button's picture; 0: none
};

// clang-format off
constexpr CommandRow Rows[] = {
    { Command::NewFile,              "mnuNewFile",     "&New" },
    { Command::OpenFile,             "mnuOpenFile",    "&Open" },
    { Command::SaveFile,             "mnuSaveFile",    "&Save" },
    { Command::SaveFileAs,           "mnuSaveFileAs",  "Save &As" },
    { Command::SendURL,              "mnuPost",        "Send URL to &Browser" },
    { Command::GetURL,               "mnuGet",         "&Get URL from Browser" },
    { Command::ImportMenu,           "mnuImport",      "&Import", NoCommand, Usable },
    { Command::ImportDatabase,       "mnuImpBDX",      "&Brindlex Database File" },
    { Command::ImportNetscape,       "mnuImpNetscape", "&Netscape Bookmarks" },
    { Command::ImportShortcuts,      "mnuImpIexplore", "&MS Internet Explorer Urls" },
    { Command::ImportMosaic,         "mnuImpMosaic",   "N&CSA Mosaic Hotlist" },
    { Command::ImportSpyglass,       "mnuImpSpyglass", "Spy&glass Mosaic Hotlist" },
    { Command::ImportSpry,           "mnuImpSpry",     "&Spry Mosaic Hotlist" },
    { Command::ImportHtml,           "mnuImpHTML",     "&HTML File Urls" },
    { Command::ImportFirefox,        "mnuImpFirefox",  "&Firefox Profile Bookmarks" },
    { Command::ImportChromium,       "mnuImpChromium", "Ch&romium Profile Bookmarks" },
    { Command::ExportMenu,           "mnuExport",      "E&xport", NoCommand, Usable },
    { Command::ExportShortcuts,      "mnuExpIExplore", "&MS Internet Explorer Urls" },
    { Command::ExportAs,             "mnuExpAs",       "&As File Type" },
    { Command::NewFolder,            "mnuNewFldr",     "New &Folder" },
    { Command::NewEntry,             "mnuNewEntry",    "New &Entry" },
    { Command::Delete,               "mnuDel",         "&Delete" },
    { Command::Rename,               "mnuRename",      "&Rename" },
    { Command::Properties,           "mnuProp1",       "&Properties ..." },
    { Command::Close,                "mnuClose1",      "&Close" },
    { Command::Cut,                  "mnuEd_0",        "Cu&t" },
    { Command::Copy,                 "mnuEd_1",        "&Copy" },
    { Command::Paste,                "mnuEd_2",        "&Paste" },
    { Command::SelectAll,            "mnuSelAll",      "&Select All" },
    { Command::InvertSelection,      "mnuInvert",      "&Invert Selection" },
    { Command::Undo,                 "mnuUndo",        "&Undo" },
    { Command::Redo,                 "mnuRedo",        "&Redo" },
    { Command::ShowToolbar,          "mnuView1_0",     "&Toolbar", NoCommand, Checkable | Checked },
    { Command::ShowStatusBar,        "mnuView1_1",     "Status &Bar", NoCommand, Checkable | Checked },
    { Command::SinglePane,           "mnuView1_2",     "Single &Pane", NoCommand, Checkable },
    { Command::LargeIcons,           "mnuView2_0",     "Large &Icons", NoCommand, Checkable },
    { Command::SmallIcons,           "mnuView2_1",     "S&mall Icons", NoCommand, Checkable },
    { Command::ListMode,             "mnuView2_2",     "&List", NoCommand, Checkable },
    { Command::Details,              "mnuView2_3",     "&Details", NoCommand, Checkable | Checked },
    { Command::ArrangeMenu,          "mnuView3",       "&Arrange Icons", NoCommand, Usable },
    { Command::ArrangeByName,        "mnuView5_0",     "by &Name", NoCommand, Checkable },
    { Command::ArrangeByDate,        "mnuView5_1",     "by &Date", NoCommand, Checkable },
    { Command::ArrangeByType,        "mnuView5_2",     "by &Type", NoCommand, Checkable },
    { Command::ArrangeByClient,      "mnuView5_3",     "by &Client", NoCommand, Checkable },
    { Command::ArrangeByURL,         "mnuView5_4",     "by &URL", NoCommand, Checkable },
    { Command::ArrangeByDescription, "mnuView5_5",     "by D&escription", NoCommand, Checkable },
    { Command::Refresh,              "mnuView4_0",     "&Refresh" },
    { Command::Options,              "mnuView4_1",     "&Options ..." },
    { Command::Find,                 "mnuFind",        "&Find ..." },
    { Command::GoTo,                 "mnuGoTo",        "&Go To ..." },
    { Command::PageWizard,           "mnuPageWiz",     "&Page Wizard" },
    { Command::HelpContents,         "mnuHelpCon",     "&Help Contents" },
    { Command::About,                "mnuAbout",       "&About Brindlex" },
    { Command::ListSendURL,          "mnuSt",          "&Send URL to Browser", Command::SendURL },
    { Command::ListCut,              "mnuEdit_0",      "Cu&t", Command::Cut },
    { Command::ListCopy,             "mnuEdit_1",      "&Copy", Command::Copy },
    { Command::ListDelete,           "mnuEdit_2",      "&Delete", Command::Delete },
    { Command::ListRename,           "mnuEdit_3",      "&Rename" },
    { Command::ListProperties,       "mnuProp",        "&Properties", Command::Properties },
    { Command::ListGetURL,           "mnuGetUrl",      "&Get URL from Browser", Command::GetURL },
    { Command::ListViewMenu,         "mnuViewMode",    "&View", NoCommand, Usable },
    { Command::ListLargeIcons,       "mnuView_0",      "Large &Icons", NoCommand, Checkable },
    { Command::ListSmallIcons,       "mnuView_1",      "&Small Icons", NoCommand, Checkable },
    { Command::ListListMode,         "mnuView_2",      "&List", NoCommand, Checkable },
    { Command::ListDetails,          "mnuView_3",      "&Details", NoCommand, Checkable | Checked },
    { Command::ListPaste,            "mnuEdit1",       "&Paste", Command::Paste },
    { Command::ListNewFolder,        "mnuNewFolder",   "&New Folder", Command::NewFolder },
    { Command::ListNewEntry,         "mnuPUEntry",     "New &Entry", Command::NewEntry },
    { Command::TreeFind,             "mnuFind1",       "&Find", Command::Find },
    { Command::TreeCut,              "mnuPUEdit_0",    "Cu&t", Command::Cut },
    { Command::TreeCopy,             "mnuPUEdit_1",    "&Copy", Command::Copy },
    { Command::TreePaste,            "mnuPUEdit_2",    "&Paste", Command::Paste },
    { Command::TreeDelete,           "mnuPUEdit1_0",   "&Delete", Command::Delete },
    { Command::TreeRename,           "mnuPUEdit1_1",   "&Rename" },
    { Command::TreeProperties,       "mnuPUProp",      "Prop&erties", Command::Properties },
    { Command::TrayRestore,          "mnuRestore",     "&Restore" },
    { Command::TrayClose,            "mnuClose",       "&Close" },
    { Command::Back,                 "Toolbar1_3",     "Back", NoCommand, Usable | Button, 1 },
    { Command::CutButton,            "Toolbar1_5",     "Cut", Command::Cut, Button, 2 },
    { Command::CopyButton,           "Toolbar1_6",     "Copy", Command::Copy, Button, 3 },
    { Command::PasteButton,          "Toolbar1_7",     "Paste", Command::Paste, Button, 4 },
    { Command::UndoButton,           "Toolbar1_9",     "Undo", NoCommand, Button },
    { Command::DeleteButton,         "Toolbar1_11",    "Delete", Command::Delete, Button, 5 },
    { Command::PropertiesButton,     "Toolbar1_12",    "Properties", Command::Properties, Button, 6 },
    { Command::LargeIconsButton,     "Toolbar1_14",    "View Icons", NoCommand, Usable | Checkable | Button, 7 },
    { Command::SmallIconsButton,     "Toolbar1_15",    "View Small Icons", NoCommand, Usable | Checkable | Button, 8 },
    { Command::ListButton,           "Toolbar1_16",    "View List", NoCommand, Usable | Checkable | Button, 9 },
    { Command::DetailsButton,        "Toolbar1_17",    "View Details", NoCommand, Usable | Checkable | Checked | Button, 10 },
    { Command::NewFolderButton,      "Toolbar1_19",    "New Folder", Command::NewFolder, Button, 11 },
    { Command::GetURLButton,         "Toolbar1_21",    "Get URL from Browser", Command::GetURL, Button, 12 },
    { Command::ClientButton,         "Toolbar1_23",    "Netscape Navigator", Command::SendURL, Button, 13 },
};
// clang-format on

constexpr bool rowsInOrder()
{
    int index = 0;
    for (const CommandRow& row : Rows) {
        if (static_cast<int>(row.id) != index++) {
            return false;
        }
    }
    return index == CommandCount;
}
static_assert(rowsInOrder(), "the command table has one row per Command, in the order of the enum");

constexpr const CommandRow& rowOf(Command id)
{
    return Rows[static_cast<size_t>(id)];
}

// Menu layouts; NoCommand is a separator. A submenu holder brings its own layout.
constexpr Command Sep = NoCommand;
constexpr Command FileItems[] = { Command::NewFile, Command::OpenFile, Command::SaveFile, Command::SaveFileAs, Sep,
    Command::SendURL, Command::GetURL, Sep, Command::ImportMenu, Command::ExportMenu, Sep, Command::NewFolder,
    Command::NewEntry, Sep, Command::Delete, Command::Rename, Command::Properties, Sep, Command::Close };
constexpr Command ImportItems[] = { Command::ImportDatabase, Command::ImportNetscape, Command::ImportShortcuts,
    Command::ImportMosaic, Command::ImportSpyglass, Command::ImportSpry, Sep, Command::ImportHtml, Sep,
    Command::ImportFirefox, Command::ImportChromium };
constexpr Command ExportItems[] = { Command::ExportShortcuts, Command::ExportAs };
constexpr Command EditItems[] = { Command::Cut, Command::Copy, Command::Paste, Sep, Command::SelectAll,
    Command::InvertSelection, Sep, Command::Undo, Command::Redo };
constexpr Command ViewItems[] = { Command::ShowToolbar, Command::ShowStatusBar, Command::SinglePane, Sep,
    Command::LargeIcons, Command::SmallIcons, Command::ListMode, Command::Details, Sep, Command::ArrangeMenu, Sep,
    Command::Refresh, Command::Options };
constexpr Command ArrangeItems[] = { Command::ArrangeByName, Command::ArrangeByDate, Command::ArrangeByType,
    Command::ArrangeByClient, Command::ArrangeByURL, Command::ArrangeByDescription };
constexpr Command ToolsItems[] = { Command::Find, Sep, Command::GoTo, Sep, Command::PageWizard };
constexpr Command HelpItems[] = { Command::HelpContents, Sep, Command::About };
constexpr Command Popup1Items[] = { Command::ListSendURL, Sep, Command::ListCut, Command::ListCopy, Command::ListDelete,
    Command::ListRename, Sep, Command::ListProperties };
constexpr Command Popup2Items[] = { Command::ListGetURL, Sep, Command::ListViewMenu, Sep, Command::ListPaste, Sep,
    Command::ListNewFolder, Command::ListNewEntry };
constexpr Command ListViewItems[]
    = { Command::ListLargeIcons, Command::ListSmallIcons, Command::ListListMode, Command::ListDetails };
constexpr Command Popup3Items[] = { Command::TreeFind, Sep, Command::TreeCut, Command::TreeCopy, Command::TreePaste,
    Sep, Command::TreeDelete, Command::TreeRename, Sep, Command::TreeProperties };
constexpr Command Popup4Items[] = { Command::TrayRestore, Sep, Command::TrayClose };
// The toolbar's slots 2..23.
constexpr Command ToolbarItems[] = { Sep, Command::Back, Sep, Command::CutButton, Command::CopyButton,
    Command::PasteButton, Sep, Command::UndoButton, Sep, Command::DeleteButton, Command::PropertiesButton, Sep,
    Command::LargeIconsButton, Command::SmallIconsButton, Command::ListButton, Command::DetailsButton, Sep,
    Command::NewFolderButton, Sep, Command::GetURLButton, Sep, Command::ClientButton };
static_assert(std::size(ToolbarItems) == 22);

struct Layout
{
    const char* name;  // the menu's objectName
    const char* title;  // the menu bar's text; none for popups and submenus
    std::span<const Command> items;
};

enum LayoutIndex { File, Edit, View, Tools, Help, Import, Export, Arrange, ListView, Popup1, Popup2, Popup3, Popup4 };

const Layout Layouts[] = {
    { "mnuFile", "&File", FileItems },
    { "mnuEdit", "&Edit", EditItems },
    { "mnuViewMenu", "&View", ViewItems },
    { "mnuTools", "&Tools", ToolsItems },
    { "mnuHelp", "&Help", HelpItems },
    { "mnuImportMenu", nullptr, ImportItems },
    { "mnuExportMenu", nullptr, ExportItems },
    { "mnuView3Menu", nullptr, ArrangeItems },
    { "mnuViewModeMenu", nullptr, ListViewItems },
    { "mnuPU1", nullptr, Popup1Items },
    { "mnuPU2", nullptr, Popup2Items },
    { "mnuPU3", nullptr, Popup3Items },
    { "mnuPU4", nullptr, Popup4Items },
};

// The layout of a submenu holder's menu, or -1 for a command without one.
int submenuOf(Command id)
{
    switch (id) {
    case Command::ImportMenu:
        return Import;
    case Command::ExportMenu:
        return Export;
    case Command::ArrangeMenu:
        return Arrange;
    case Command::ListViewMenu:
        return ListView;
    default:
        return -1;
    }
}

QString translated(const char* text)
{
    return QCoreApplication::translate("frmTarnwell", text);
}

}  // namespace

CommandTable::CommandTable(QWidget& owner)
    : m_owner(owner)
{
    for (const CommandRow& row : Rows) {
        auto* made = new QAction(translated(row.caption), &owner);
        made->setObjectName(QString::fromLatin1(row.name));
        if (row.toolbarImage != 0) {
            made->setIcon(toolbarImage(row.toolbarImage));
        }
        if (row.flags & Button) {
            made->setToolTip(translated(row.caption));
        }
        made->setCheckable(row.flags & Checkable);
        made->setChecked(row.flags & Checked);
        made->setEnabled(row.flags & Usable);
        assert(!m_byName.contains(made->objectName()) && "two commands with one name");
        m_byName.insert(made->objectName(), made);
        m_actions[static_cast<size_t>(row.id)] = made;
    }
    for (const CommandRow& row : Rows) {
        if (row.follows != NoCommand) {
            assert(rowOf(row.follows).follows == NoCommand && "a command follows a follower");
            follow(*action(row.id), row.follows);
        }
    }
}

const char* CommandTable::name(Command id)
{
    return rowOf(id).name;
}

void CommandTable::follow(QAction& follower, Command leader)
{
    QAction* to = action(leader);
    QObject::connect(&follower, &QAction::triggered, to, [to] { to->trigger(); });
    QObject::connect(to, &QAction::changed, &follower, [from = &follower, to] { from->setEnabled(to->isEnabled()); });
    follower.setEnabled(to->isEnabled());
}

QString CommandTable::caption(Command id)
{
    QString text = translated(rowOf(id).caption);
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1String(" ..."))) {
        text.chop(4);
    }
    return text;
}

void CommandTable::connect(Command id, std::function<void()> handler)
{
    assert(rowOf(id).follows == NoCommand && "a follower runs its leader's handler");
    m_handlers[static_cast<size_t>(id)] = std::move(handler);
    QAction* target = action(id);
    QObject::connect(target, &QAction::triggered, &m_owner, [this, id] { invoke(id); });
    target->setEnabled(true);
}

void CommandTable::invoke(Command id) const
{
    const std::function<void()>& handler = m_handlers[static_cast<size_t>(id)];
    if (!handler) {
        return;
    }
    // An exception must not leave a slot: Qt's event loop cannot pass it on. Memory that
    // runs out is the one failure every command can meet, so it is reported here, once.
    try {
        handler();
    } catch (const std::bad_alloc&) {
        if (!m_outOfMemory) {
            throw;
        }
        m_outOfMemory(id);
    }
}

void CommandTable::setEnabled(Command id, bool enabled)
{
    action(id)->setEnabled(enabled && m_handlers[static_cast<size_t>(id)] != nullptr);
}

bool CommandTable::run(Command id) const
{
    if (!m_handlers[static_cast<size_t>(id)]) {
        return false;
    }
    invoke(id);
    return true;
}

void CommandTable::fill(QMenu& menu, int layout)
{
    for (const Command id : Layouts[layout].items) {
        if (id == NoCommand) {
            menu.addSeparator();
            continue;
        }
        QAction* item = action(id);
        if (const int sub = submenuOf(id); sub >= 0) {
            auto* submenu = new QMenu(&menu);
            submenu->setObjectName(QString::fromLatin1(Layouts[sub].name));
            fill(*submenu, sub);
            item->setMenu(submenu);
        }
        menu.addAction(item);
    }
}

std::vector<QMenu*> CommandTable::buildMenuBar(QMenuBar& bar)
{
    std::vector<QMenu*> menus;
    for (const int layout : { File, Edit, View, Tools, Help }) {
        QMenu* menu = bar.addMenu(translated(Layouts[layout].title));
        menu->setObjectName(QString::fromLatin1(Layouts[layout].name));
        fill(*menu, layout);
        menus.push_back(menu);
    }
    return menus;
}

QMenu* CommandTable::buildPopup(int number)
{
    assert(number >= 1 && number <= 4);
    const int layout = Popup1 + number - 1;
    auto* menu = new QMenu(&m_owner);
    menu->setObjectName(QString::fromLatin1(Layouts[layout].name));
    fill(*menu, layout);
    return menu;
}

std::array<QAction*, 24> CommandTable::buildToolbar(QToolBar& toolbar)
{
    std::array<QAction*, 24> slots {};
    for (size_t i = 0; i < std::size(ToolbarItems); ++i) {
        const int index = static_cast<int>(i) + 2;
        QAction* slot = nullptr;
        if (ToolbarItems[i] == NoCommand) {
            slot = toolbar.addSeparator();
            slot->setObjectName(QStringLiteral("Toolbar1_%1").arg(index));
        } else {
            slot = action(ToolbarItems[i]);
            assert(slot->objectName() == QStringLiteral("Toolbar1_%1").arg(index));
            toolbar.addAction(slot);
        }
        slots[static_cast<size_t>(index)] = slot;
    }
    return slots;
}

}  // namespace brindlex

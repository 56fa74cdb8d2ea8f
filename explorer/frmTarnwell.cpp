#include "explorer/frmTarnwell.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <unordered_map>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/frmAbout.h"
#include "explorer/BrowserCommands.h"
#include "explorer/CVSplitter.h"
#include "explorer/CommandTable.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/DragDrop.h"
#include "explorer/EditCommands.h"
#include "explorer/FindCommands.h"
#include "explorer/FolderTree.h"
#include "explorer/HelpWindow.h"
#include "explorer/Icons.h"
#include "explorer/ImportExportCommands.h"
#include "explorer/WaitCursor.h"
#include "platform/EventPump.h"
#include "platform/MessageBoxes.h"
#include "platform/qt/FileDialogs.h"
#include "platform/qt/QtString.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "store/Clients.h"
#include "store/DatabaseCommands.h"
#include "store/DatabaseFile.h"
#include "store/Editing.h"
#include "store/Images.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"
#include "store/Text.h"
#include "store/TreeRows.h"

namespace brindlex {

namespace {

// The file-name part of a path (after the last "/" or "\").
std::string fileNamePart(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr Command ViewModeCommands[4]
    = { Command::LargeIcons, Command::SmallIcons, Command::ListMode, Command::Details };
constexpr Command PopupViewModeCommands[4]
    = { Command::ListLargeIcons, Command::ListSmallIcons, Command::ListListMode, Command::ListDetails };
constexpr Command ViewModeButtons[4]
    = { Command::LargeIconsButton, Command::SmallIconsButton, Command::ListButton, Command::DetailsButton };
constexpr Command ArrangeCommands[6] = { Command::ArrangeByName, Command::ArrangeByDate, Command::ArrangeByType,
    Command::ArrangeByClient, Command::ArrangeByURL, Command::ArrangeByDescription };

int keyOf(Qt::Key key)
{
    return static_cast<int>(key);
}

}  // namespace

frmTarnwell::frmTarnwell(const Services& services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_editing(std::make_unique<Editing>(services.store, services.platform.messages, services.platform.clipboard))
{
    setObjectName(QStringLiteral("frmTarnwell"));
    setWindowTitle(tr("Brindlex"));
    setWindowIcon(programIcon());
    for (int n = 0; n < 7; ++n) {
        m_columnTwips[n] = parseNumber(setting::Columns[n]->fallback).value_or(1);
    }

    m_commands = std::make_unique<CommandTable>(*this);
    buildMenus();
    buildToolbar();
    buildPanes();
    buildStatusBar();
    connectOwnCommands();

    m_sizeTimer = new QTimer(this);
    m_sizeTimer->setObjectName(QStringLiteral("SizeTimer"));
    m_sizeTimer->setInterval(250);
    connect(m_sizeTimer, &QTimer::timeout, this, &frmTarnwell::sizeTimerTick);
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setSingleShot(true);
    m_timer1->setInterval(0);
    connect(m_timer1, &QTimer::timeout, this, [this] { m_popups[2]->popup(QCursor::pos()); });
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setSingleShot(true);
    m_timer2->setInterval(0);
    connect(m_timer2, &QTimer::timeout, this, [this] { m_popups[1]->popup(QCursor::pos()); });

    // Controllers of the other command groups connect and enable their actions here,
    // one line each.
    m_browserCommands = std::make_unique<BrowserCommands>(*this);
    m_importExport = std::make_unique<ImportExportCommands>(*this);
    m_dragDrop = std::make_unique<DragDrop>(*this);
    m_findCommands = std::make_unique<FindCommands>(*this);
    m_editCommands = std::make_unique<EditCommands>(*this);
}

frmTarnwell::~frmTarnwell() = default;

// ---------------------------------------------------------------------------------------
// Actions and menus

QAction* frmTarnwell::action(const QString& name) const
{
    return m_commands->find(name);
}

QAction* frmTarnwell::action(Command id) const
{
    return m_commands->action(id);
}

QAction* frmTarnwell::toolbarButton(int index) const
{
    return (index >= 1 && index <= 23) ? m_buttons[static_cast<size_t>(index)] : nullptr;
}

QLabel* frmTarnwell::statusPanel(int panel) const
{
    return (panel >= 1 && panel <= 3) ? m_panels[panel] : nullptr;
}

QMenu* frmTarnwell::popupMenu(int number) const
{
    return (number >= 1 && number <= 4) ? m_popups[number] : nullptr;
}

void frmTarnwell::buildMenus()
{
    m_fileMenu = m_commands->buildMenuBar(*menuBar()).front();
    for (int number = 1; number <= 4; ++number) {
        m_popups[number] = m_commands->buildPopup(number);
    }
    m_popups[1]->actions().at(1)->setObjectName(QStringLiteral("mnuStSeparator"));
}

void frmTarnwell::buildToolbar()
{
    m_toolbar = new QToolBar(tr("Toolbar"), this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(20, 20));
    m_toolbar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    addToolBar(Qt::TopToolBarArea, m_toolbar);

    // 1: the placeholder that holds the folder combo and, over it, the folder box.
    m_folders = new QComboBox(m_toolbar);
    m_folders->setObjectName(QStringLiteral("cbxFolders"));
    m_folders->setFocusPolicy(Qt::NoFocus);
    m_folders->setFixedWidth(toPixels(2685));
    m_folderBox = new FolderTree(m_folders);
    m_folderBox->setObjectName(QStringLiteral("TreeView3"));
    m_folderBox->setFrameShape(QFrame::NoFrame);
    m_folderBox->setRootIsDecorated(false);
    m_folderBox->setIndentation(0);
    m_folderBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_folderBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_folderBox->setFocusPolicy(Qt::NoFocus);
    m_folderBox->viewport()->installEventFilter(this);
    m_dropButton = new QToolButton(m_folders);
    m_dropButton->setObjectName(QStringLiteral("SSCommand1"));
    m_dropButton->setArrowType(Qt::DownArrow);
    m_dropButton->setAutoRaise(true);
    m_dropButton->setFocusPolicy(Qt::NoFocus);
    connect(m_dropButton, &QToolButton::clicked, this, [this] {
        if (isDropDownShown()) {
            HideDropDown();
        } else {
            ShowDropDown();
        }
    });
    m_folders->installEventFilter(this);
    QAction* holder = m_toolbar->addWidget(m_folders);
    holder->setObjectName(QStringLiteral("Toolbar1_1"));

    m_dropPanel = new QFrame(this, Qt::Popup);
    m_dropPanel->setObjectName(QStringLiteral("TreeView2Panel"));
    m_dropPanel->setFrameShape(QFrame::Box);
    auto* dropLayout = new QVBoxLayout(m_dropPanel);
    dropLayout->setContentsMargins(1, 1, 1, 1);
    m_dropTree = new FolderTree(m_dropPanel);
    m_dropTree->setObjectName(QStringLiteral("TreeView2"));
    m_dropTree->setFrameShape(QFrame::NoFrame);
    m_dropTree->setIndentation(12);
    m_dropTree->viewport()->installEventFilter(this);
    m_dropTree->installEventFilter(this);
    dropLayout->addWidget(m_dropTree);

    m_buttons = m_commands->buildToolbar(*m_toolbar);
    m_buttons[1] = holder;
    // The Undo button and the separator after it are never shown.
    m_buttons[9]->setVisible(false);
    m_buttons[10]->setVisible(false);
}

void frmTarnwell::buildPanes()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_split = new QSplitter(Qt::Horizontal, central);
    m_split->setObjectName(QStringLiteral("CVSplitter"));
    m_split->setChildrenCollapsible(false);
    layout->addWidget(m_split);

    const auto header = [](const QString& name, QWidget* parent) {
        auto* label = new QLabel(parent);
        label->setObjectName(name);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(2, 1, 2, 1);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(1);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        label->setAutoFillBackground(true);
        label->setBackgroundRole(QPalette::Button);
        return label;
    };

    m_leftSide = new QWidget(m_split);
    m_leftSide->setObjectName(QStringLiteral("LeftPane"));
    auto* leftLayout = new QVBoxLayout(m_leftSide);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    m_treeHeader = header(QStringLiteral("SSPanel1"), m_leftSide);
    m_treeHeader->setText(tr(" All Folders"));
    m_tree = new FolderTree(m_leftSide);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setIndentation(16);
    leftLayout->addWidget(m_treeHeader);
    leftLayout->addWidget(m_tree);

    m_rightSide = new QWidget(m_split);
    m_rightSide->setObjectName(QStringLiteral("RightPane"));
    auto* rightLayout = new QVBoxLayout(m_rightSide);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    m_listHeader = header(QStringLiteral("SSPanel2"), m_rightSide);
    m_list = new ContentsList(m_rightSide);
    rightLayout->addWidget(m_listHeader);
    rightLayout->addWidget(m_list);

    m_split->addWidget(m_leftSide);
    m_split->addWidget(m_rightSide);
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 1);
    m_splitter = std::make_unique<CVSplitter>(*m_split);
    connect(m_split, &QSplitter::splitterMoved, this, [this] {
        if (!m_paneMode && !m_isRestoring) {
            m_treeWidthTwips = toTwips(m_split->sizes().value(0));
            m_listWidthTwips = toTwips(m_split->sizes().value(1));
            m_listLeftTwips = toTwips(m_split->sizes().value(0) + m_split->handleWidth());
        }
    });

    m_treeHeader->setVisible(false);
    m_listHeader->setVisible(false);
    setCentralWidget(central);

    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
    m_tree->viewport()->setMouseTracking(true);
    for (QAbstractItemView* view : m_list->views()) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { OpenSelectedRow(); });
    }
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
        [this](QTreeWidgetItem* node, QTreeWidgetItem*) { folderNodeClicked(node); });
    connect(m_list->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0 && section < 6) {
            ArrangeBy(section);
        } else {
            m_list->header()->setSortIndicator(m_listSort, Qt::AscendingOrder);
        }
    });
}

void frmTarnwell::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    for (int panel = 1; panel <= 3; ++panel) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("Panel%1").arg(panel));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(3, 0, 3, 0);
        m_panels[panel] = label;
    }
    m_panels[1]->setMinimumWidth(120);
    m_panels[2]->setFixedWidth(28);
    m_panels[2]->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_panels[1], 1);
    bar->addWidget(m_panels[2], 0);
    bar->addWidget(m_panels[3], 0);
    setClientById(0);
}

void frmTarnwell::connectOwnCommands()
{
    CommandTable& commands = *m_commands;
    commands.connect(Command::Close, [this] { close(); });
    commands.connect(Command::ShowToolbar, [this] { setToolbarShown(action(Command::ShowToolbar)->isChecked()); });
    commands.connect(
        Command::ShowStatusBar, [this] { setStatusBarShown(action(Command::ShowStatusBar)->isChecked()); });
    commands.connect(Command::SinglePane, [this] { setSinglePane(action(Command::SinglePane)->isChecked()); });
    for (int mode = 0; mode < 4; ++mode) {
        const auto choose = [this, mode] {
            // A checked item stays checked; choosing the shown mode changes nothing.
            setViewChecks(m_list->viewMode());
            SetViewMode(mode);
        };
        commands.connect(ViewModeCommands[mode], choose);
        commands.connect(PopupViewModeCommands[mode], choose);
        commands.connect(ViewModeButtons[mode], [this, mode] {
            if (!action(ViewModeButtons[mode])->isChecked()) {
                // The click released the button: press it again and do nothing.
                action(ViewModeButtons[mode])->setChecked(true);
                return;
            }
            SetViewMode(mode);
            m_list->setFocus();
        });
    }
    for (int column = 0; column < 6; ++column) {
        commands.connect(ArrangeCommands[column], [this, column] { ArrangeBy(column); });
    }
    commands.connect(Command::Refresh, [this] {
        FillList();
        BuildTree();
    });
    commands.connect(Command::Back, [this] { GoBack(); });
    commands.connect(Command::HelpContents, [this] { ShowHelpContents(); });
    commands.connect(Command::About, [this] { ShowAbout(); });
    commands.connect(Command::PageWizard, [this] { ShowPageWizard(); });
    commands.connect(Command::TrayRestore, [this] { m_trayCommand = 0; });
    commands.connect(Command::TrayClose, [this] { m_trayCommand = 1; });
    commands.connect(Command::NewFile, [this] { NewDatabaseCommand(); });
    commands.connect(Command::OpenFile, [this] { OpenDatabaseCommand(); });
    commands.connect(Command::SaveFile, [this] { SaveDatabaseCommand(); });
    commands.connect(Command::SaveFileAs, [this] { SaveDatabaseAsCommand(); });
}

// ---------------------------------------------------------------------------------------
// Pane refresh operations

void frmTarnwell::FillList()
{
    const Folder& current = store().CurrentFolder();
    m_panels[1]->setText(QString::number(current.FolderItems.size()) + tr(" object(s)"));
    m_list->model().clear();
    platform().events.processEvents();
    m_list->model().setRows(listRows(store().CurrentFolder()));
    if (m_list->rowCount() > 0) {
        m_list->selectRow(0);
    }
    if (m_listSort >= 0 && m_listSort < ContentsModel::ColumnCount) {
        m_list->sortByColumn(m_listSort);
    }
}

void frmTarnwell::BuildTree()
{
    m_updatingTree = true;
    m_tree->setUpdatesEnabled(false);
    m_tree->clearNodes();

    const std::vector<TreeRow> rows = treeRows(store());
    std::vector<QTreeWidgetItem*> nodes;
    nodes.reserve(rows.size());
    std::vector<QList<QTreeWidgetItem*>> children(rows.size());
    for (const TreeRow& row : rows) {
        const int image = imageNumber(row.image);
        const int expanded = row.image == Image::Root ? image : imageNumber(Image::OpenFolder);
        QTreeWidgetItem* node = FolderTree::makeNode(toQString(row.key), toQString(row.caption), image, expanded);
        node->setData(0, FolderTree::PathRole, toQString(row.path));
        nodes.push_back(node);
        if (row.parent != NoParent) {
            children[row.parent].append(node);
        }
    }
    QTreeWidgetItem* rootNode = nodes.front();
    m_tree->addTopLevelItem(rootNode);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!children[i].isEmpty()) {
            nodes[i]->addChildren(children[i]);
        }
        if (rows[i].keyed) {
            m_tree->remember(nodes[i]);
        }
    }

    QTreeWidgetItem* current = m_tree->nodeByKey(toQString(store().CurrentFolder().id));
    if (!current) {
        current = rootNode;
    }
    m_tree->setCurrentItem(current);
    if (current->childCount() > 0) {
        m_tree->scrollToItem(current->child(current->childCount() - 1));
    }
    if (current != rootNode) {
        FolderTree::setImage(current, imageNumber(Image::OpenFolder));
    }
    m_tree->setUpdatesEnabled(true);
    m_updatingTree = false;
    showHeaderAndTitle(FolderTree::fullPath(current));
}

void frmTarnwell::RefreshPanes(bool full)
{
    FillList();
    if (full) {
        BuildTree();
    }
    UpdateFolderDropDowns();
}

void frmTarnwell::resetNodeImages()
{
    QTreeWidgetItemIterator it(m_tree);
    while (*it) {
        if (FolderTree::key(*it) != QLatin1String(RootFolderId)) {
            FolderTree::setImage(*it, imageNumber(Image::Folder));
        }
        ++it;
    }
}

void frmTarnwell::SelectFolderNode()
{
    resetNodeImages();
    QTreeWidgetItem* node = m_tree->nodeByKey(toQString(store().CurrentFolder().id));
    if (node) {
        m_updatingTree = true;
        m_tree->setCurrentItem(node);
        m_tree->scrollToItem(node);
        m_updatingTree = false;
        if (FolderTree::key(node) != QLatin1String(RootFolderId)) {
            FolderTree::setImage(node, imageNumber(Image::OpenFolder));
        }
    }
    platform().events.processEvents();
    showHeaderAndTitle(FolderTree::fullPath(m_tree->currentItem()));
}

void frmTarnwell::AddEntryToPanes(const FolderItem& item)
{
    Folder& current = store().CurrentFolder();
    for (const auto& entry : current.FolderItems) {
        if (entry.get() == &item) {
            std::vector<ListRow> rows = listRows(current);
            const size_t at = static_cast<size_t>(&entry - current.FolderItems.data());
            m_list->model().appendRow(std::move(rows[at]));
            break;
        }
    }
    m_panels[1]->setText(QString::number(current.FolderItems.size()) + tr(" object(s)"));
    if (!item.IsFolder) {
        return;
    }
    QTreeWidgetItem* parentNode = m_tree->nodeByKey(toQString(current.id));
    if (!parentNode) {
        return;
    }
    const TreeRow row = addedTreeRow(store(), item, toUtf8(FolderTree::fullPath(parentNode)));
    QTreeWidgetItem* node = FolderTree::makeNode(
        toQString(row.key), toQString(row.caption), imageNumber(Image::Folder), imageNumber(Image::OpenFolder));
    int position = 0;
    while (position < parentNode->childCount()
        && compareTreeCaptions(toUtf8(parentNode->child(position)->text(0)), row.caption) <= 0) {
        ++position;
    }
    node->setData(0, FolderTree::PathRole, toQString(row.path));
    parentNode->insertChild(position, node);
    m_tree->remember(node);
}

void frmTarnwell::setViewChecks(int mode)
{
    for (int i = 0; i < 4; ++i) {
        action(ViewModeCommands[i])->setChecked(i == mode);
        action(PopupViewModeCommands[i])->setChecked(i == mode);
        action(ViewModeButtons[i])->setChecked(i == mode);
    }
}

void frmTarnwell::SetViewMode(int mode)
{
    if (mode < 0 || mode > 3 || mode == m_list->viewMode()) {
        return;
    }
    setViewChecks(mode);
    m_list->setViewMode(mode);
}

void frmTarnwell::ArrangeBy(int column)
{
    if (column < 0 || column > 5) {
        return;
    }
    for (int i = 0; i < 6; ++i) {
        action(ArrangeCommands[i])->setChecked(i == column);
    }
    m_listSort = column;
    m_list->sortByColumn(column);
}

void frmTarnwell::showHeaderAndTitle(const QString& path)
{
    m_listHeader->setText(tr(" Contents of '") + path + QStringLiteral("'"));
    setWindowTitle(m_displayPath == 1 ? tr("Brindlex - ") + path : tr("Brindlex"));
}

Folder* frmTarnwell::folderByKey(const QString& key) const
{
    return store().FindFolderOrRoot(toUtf8(key));
}

void frmTarnwell::folderNodeClicked(QTreeWidgetItem* node)
{
    if (!node || m_updatingTree || !m_tree->hasFocus()) {
        return;
    }
    showHeaderAndTitle(FolderTree::fullPath(node));
    if (m_skipImageReset) {
        m_skipImageReset = false;
    } else {
        resetNodeImages();
        FolderTree::setImage(
            node, imageNumber(FolderTree::key(node) == QLatin1String(RootFolderId) ? Image::Root : Image::OpenFolder));
    }
    Folder* folder = folderByKey(FolderTree::key(node));
    if (!folder) {
        return;
    }
    store().SetCurrentFolder(*folder);
    FillList();
    UpdateFolderDropDowns();
}

void frmTarnwell::switchToFolder(Folder* folder)
{
    if (!folder) {
        return;
    }
    store().SetCurrentFolder(*folder);
    FillList();
    SelectFolderNode();
    UpdateFolderDropDowns();
}

void frmTarnwell::OpenSelectedRow()
{
    int row = m_list->currentRow();
    if (row < 0 || !m_list->isRowSelected(row)) {
        const std::vector<int> rows = m_list->selectedRows();
        if (rows.empty()) {
            return;
        }
        row = rows.front();
    }
    const std::string iid = toUtf8(m_list->model().text(row, ContentsModel::IdColumn));
    const FolderItem* item = store().FindItem(store().CurrentFolder(), iid);
    if (!item) {
        return;
    }
    if (item->IsFolder) {
        switchToFolder(store().FindFolder(iid));
    } else {
        // Not through the menu item: a row chosen with the keyboard has not switched the
        // send commands on, and a double-click or Enter on a link still sends it.
        m_commands->run(Command::SendURL);
    }
}

void frmTarnwell::GoBack()
{
    if (Folder* up = parentFolder(store(), store().CurrentFolder())) {
        store().SetCurrentFolder(*up);
        FillList();
        SelectFolderNode();
        UpdateFolderDropDowns();
    }
    focusPane(m_lastFocus);
}

void frmTarnwell::UpdateFolderDropDowns()
{
    m_dropTree->clearNodes();
    m_folderBox->clearNodes();

    const std::vector<const Folder*> chain = folderChain(store());
    const int root = imageNumber(Image::Root);
    QTreeWidgetItem* node
        = FolderTree::makeNode(QString::fromLatin1(RootFolderId), toQString(chain[0]->Caption), root, root);
    m_dropTree->addTopLevelItem(node);
    m_dropTree->remember(node);
    for (size_t i = 1; i < chain.size(); ++i) {
        QTreeWidgetItem* child = FolderTree::makeNode(toQString(chain[i]->id), toQString(chain[i]->Caption),
            imageNumber(Image::Folder), imageNumber(Image::OpenFolder));
        node->addChild(child);
        m_dropTree->remember(child);
        node->setExpanded(true);
        node = child;
    }
    m_dropTree->setCurrentItem(node);
    m_dropTree->scrollToItem(node);

    const bool atRoot = &store().CurrentFolder() == &store().Root();
    const int boxImage = imageNumber(atRoot ? Image::Root : Image::OpenFolder);
    QTreeWidgetItem* main = m_tree->nodeByKey(toQString(store().CurrentFolder().id));
    const QString text = main ? main->text(0) : toQString(store().CurrentFolder().Caption);
    QTreeWidgetItem* box = FolderTree::makeNode(toQString(store().CurrentFolder().id), text, boxImage, boxImage);
    m_folderBox->addTopLevelItem(box);
    m_folderBox->remember(box);
    if (main) {
        m_updatingTree = true;
        m_tree->setCurrentItem(main);
        m_tree->scrollToItem(main);
        m_updatingTree = false;
    }
}

void frmTarnwell::ShowDropDown()
{
    const QPoint below = m_folders->mapToGlobal(QPoint(0, m_folders->height()));
    m_dropPanel->resize(qMax(m_folders->width(), 240), qMax(160, height() / 2));
    m_dropPanel->move(below);
    m_dropPanel->show();
    if (QTreeWidgetItem* last = m_dropTree->currentItem()) {
        m_dropTree->scrollToItem(last);
    }
    m_dropTree->setFocus(Qt::PopupFocusReason);
}

void frmTarnwell::HideDropDown()
{
    m_dropPanel->hide();
}

bool frmTarnwell::isDropDownShown() const
{
    return m_dropPanel->isVisible();
}

void frmTarnwell::dropDownPressed(QTreeWidgetItem* node)
{
    if (node) {
        if (Folder* folder = folderByKey(FolderTree::key(node))) {
            store().SetCurrentFolder(*folder);
            SelectFolderNode();
            FillList();
            UpdateFolderDropDowns();
        }
    }
    HideDropDown();
}

std::vector<std::string> frmTarnwell::selectedRowIds() const
{
    return m_list->selectedIds();
}

QTreeWidgetItem* frmTarnwell::selectedNode() const
{
    return m_tree->currentItem();
}

std::string frmTarnwell::selectedNodeKey() const
{
    return toUtf8(FolderTree::key(m_tree->currentItem()));
}

void frmTarnwell::focusPane(const std::string& pane)
{
    if (pane == "TreeView1" && m_tree->isVisible()) {
        m_tree->setFocus(Qt::OtherFocusReason);
    } else {
        m_list->setFocus();
    }
}

// ---------------------------------------------------------------------------------------
// Mouse, keyboard and focus

void frmTarnwell::SetSendCommands(bool on)
{
    action(Command::ListSendURL)->setVisible(on);
    if (QAction* separator = m_popups[1]->findChild<QAction*>(QStringLiteral("mnuStSeparator"))) {
        separator->setVisible(on);
    }
    m_commands->setEnabled(Command::SendURL, on);
}

void frmTarnwell::listMousePressed(int row, Qt::MouseButton button)
{
    if (button == Qt::RightButton) {
        (row < 0 ? m_timer1 : m_timer2)->start();
    }
    if (row < 0) {
        m_list->clearSelection();
        SetSendCommands(false);
        return;
    }
    SetSendCommands(m_list->model().row(row).Icon != Image::Folder);
}

void frmTarnwell::listMouseMoved(int row)
{
    m_panels[3]->setText(row < 0 ? QString() : m_list->model().text(row, 0));
}

void frmTarnwell::treeMouseReleased(QTreeWidgetItem* node, Qt::MouseButton button)
{
    if (button != Qt::RightButton) {
        return;
    }
    if (node) {
        m_updatingTree = true;
        m_tree->setCurrentItem(node);
        m_updatingTree = false;
    }
    m_popups[3]->popup(QCursor::pos());
}

void frmTarnwell::showListPopup()
{
    const int row = m_list->currentRow();
    QMenu* menu = (row >= 0 && m_list->isRowSelected(row)) ? m_popups[1] : m_popups[2];
    QAbstractItemView* view = m_list->currentView();
    QPoint at = view->viewport()->mapToGlobal(QPoint(8, 8));
    if (row >= 0) {
        at = view->viewport()->mapToGlobal(view->visualRect(m_list->model().index(row, 0)).center());
    }
    menu->popup(at);
}

bool frmTarnwell::ProcessKeys(int key, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    const auto trigger = [this](Command id) {
        action(id)->trigger();
        return true;
    };
    if (key == keyOf(Qt::Key_F4) && alt) {
        close();
        return true;
    }
    if (ctrl && !alt) {
        switch (key) {
        case Qt::Key_X:
            return trigger(Command::Cut);
        case Qt::Key_C:
            return trigger(Command::Copy);
        case Qt::Key_V:
            return trigger(Command::Paste);
        case Qt::Key_G:
            return trigger(Command::GoTo);
        case Qt::Key_A:
            m_list->selectAll();
            m_list->setFocus();
            return true;
        default:
            break;
        }
    }
    if ((key == keyOf(Qt::Key_Return) || key == keyOf(Qt::Key_Enter)) && alt) {
        return trigger(Command::Properties);
    }
    if (ctrl || alt) {
        return false;
    }
    switch (key) {
    case Qt::Key_F2:
        return trigger(Command::Rename);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_list->hasFocus()) {
            OpenSelectedRow();
            return true;
        }
        return false;
    case Qt::Key_Delete:
        return trigger(Command::Delete);
    case Qt::Key_F10:
        if (shift) {
            if (m_lastFocus == "TreeView1") {
                QTreeWidgetItem* node = m_tree->currentItem();
                const QRect place = node ? m_tree->visualItemRect(node) : QRect();
                m_popups[3]->popup(m_tree->viewport()->mapToGlobal(place.center()));
            } else {
                showListPopup();
            }
        } else {
            menuBar()->setActiveAction(m_fileMenu->menuAction());
        }
        return true;
    case Qt::Key_F3:
        return trigger(Command::Find);
    case Qt::Key_F6:
        focusPane(m_lastFocus == "TreeView1" ? "ListView1" : "TreeView1");
        return true;
    case Qt::Key_F4:
        if (isDropDownShown()) {
            HideDropDown();
        } else {
            ShowDropDown();
        }
        return true;
    case Qt::Key_F5:
        RefreshPanes(true);
        return true;
    default:
        break;
    }
    return false;
}

bool frmTarnwell::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_list || !m_tree || !m_dropTree) {
        return QMainWindow::eventFilter(watched, event);  // still being built
    }
    const bool isListView = watched == m_list->iconView() || watched == m_list->detailsView();
    const bool isListViewport
        = watched == m_list->iconView()->viewport() || watched == m_list->detailsView()->viewport();
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == m_tree) {
            m_lastFocus = "TreeView1";
        } else if (isListView) {
            m_lastFocus = "ListView1";
        }
        break;
    case QEvent::KeyPress:
        if (watched == m_dropTree) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == keyOf(Qt::Key_F4) || key == keyOf(Qt::Key_Escape)) {
                HideDropDown();
                return true;
            }
        }
        if (watched == m_tree || isListView) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (ProcessKeys(key->key(), key->modifiers())) {
                return true;
            }
        }
        break;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (isListViewport) {
            listMousePressed(
                m_list->rowAt(static_cast<QWidget*>(watched), mouse->position().toPoint()), mouse->button());
        } else if (watched == m_tree->viewport()) {
            SetSendCommands(false);
            if (mouse->button() == Qt::RightButton) {
                // The right button selects a node for the popup but keeps CurrentFolder.
                m_tree->setFocus(Qt::MouseFocusReason);
                if (QTreeWidgetItem* node = m_tree->nodeAt(mouse->position().toPoint())) {
                    m_updatingTree = true;
                    m_tree->setCurrentItem(node);
                    m_updatingTree = false;
                }
                return true;
            }
        } else if (watched == m_dropTree->viewport()) {
            dropDownPressed(m_dropTree->nodeAt(mouse->position().toPoint()));
            return true;
        } else if (watched == m_folderBox->viewport()) {
            ShowDropDown();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (watched == m_tree->viewport()) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                treeMouseReleased(m_tree->nodeAt(mouse->position().toPoint()), mouse->button());
                return true;
            }
        }
        break;
    case QEvent::MouseMove:
        if (isListViewport) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            listMouseMoved(m_list->rowAt(static_cast<QWidget*>(watched), mouse->position().toPoint()));
        }
        break;
    case QEvent::Leave:
        if (isListViewport) {
            listMouseMoved(-1);
        }
        break;
    case QEvent::Resize:
        if (watched == m_folders) {
            const int arrow = m_folders->height();
            const int frame = 3;
            m_folderBox->setGeometry(frame, frame, m_folders->width() - arrow - frame, m_folders->height() - 2 * frame);
            m_dropButton->setGeometry(m_folders->width() - arrow, 1, arrow - 1, m_folders->height() - 2);
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == m_folderBox->viewport()) {
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------
// Layout

int frmTarnwell::toPixels(double twips) const
{
    return static_cast<int>(std::lround(twips * logicalDpiX() / 1440.0));
}

double frmTarnwell::toTwips(int pixels) const
{
    return pixels * 1440.0 / logicalDpiX();
}

void frmTarnwell::LayoutWindow()
{
    if (m_isRestoring) {
        return;
    }
    if (!action(Command::ShowStatusBar)->isChecked()) {
        statusBar()->hide();
    }
    if (isMinimized() && m_trayFlag == 1) {
        hide();
        return;
    }
    const bool headers = m_includeDesc == 1;
    m_listHeader->setVisible(headers);
    m_treeHeader->setVisible(headers && !m_paneMode);
}

void frmTarnwell::HidePane()
{
    m_splitter->Release();
    m_splitterActive = false;
    m_treeHeader->hide();
    m_leftSide->hide();
    LayoutWindow();
}

void frmTarnwell::ShowPane()
{
    m_leftSide->show();
    m_tree->show();
    if (m_includeDesc == 1) {
        m_treeHeader->show();
    }
    const int code = m_splitter->Create(this, m_leftSide, m_rightSide, m_treeHeader, m_listHeader, 3);
    m_splitterActive = code == 0;
    if (code != 0) {
        platform().messages.show("Brindlex", "Can't create splitter\nError #" + std::to_string(code));
    }
    m_split->setSizes({ toPixels(m_treeWidthTwips), qMax(1, m_split->width() - toPixels(m_treeWidthTwips)) });
    UpdateFolderDropDowns();
    m_dropButton->show();
    LayoutWindow();
}

void frmTarnwell::setToolbarShown(bool shown)
{
    action(Command::ShowToolbar)->setChecked(shown);
    m_toolbar->setVisible(shown);
    m_folders->setVisible(shown);
    LayoutWindow();
}

void frmTarnwell::setStatusBarShown(bool shown)
{
    action(Command::ShowStatusBar)->setChecked(shown);
    statusBar()->setVisible(shown);
    LayoutWindow();
}

void frmTarnwell::setSinglePane(bool single)
{
    action(Command::SinglePane)->setChecked(single);
    if (single == m_paneMode) {
        return;
    }
    m_paneMode = single;
    if (single) {
        HidePane();
    } else {
        ShowPane();
    }
}

void frmTarnwell::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    LayoutWindow();
}

void frmTarnwell::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        LayoutWindow();
    }
}

// ---------------------------------------------------------------------------------------
// Options

void frmTarnwell::setIncludeDesc(int value)
{
    m_includeDesc = value;
    LayoutWindow();
}

void frmTarnwell::setDisplayPath(int value)
{
    m_displayPath = value;
    showHeaderAndTitle(FolderTree::fullPath(m_tree->currentItem()));
}

void frmTarnwell::setAutoAssign(int value)
{
    m_autoAssign = value;
    store().SetAutoAssign(value);
}

void frmTarnwell::setProgramFont(const std::string& font, int size)
{
    m_programFont = font;
    m_programFontSize = size;
}

void frmTarnwell::setTrayFlag(int flag)
{
    m_trayFlag = flag;
    if (flag == 1 && !m_tray) {
        m_tray = new QSystemTrayIcon(programIcon(), this);
        m_tray->setObjectName(QStringLiteral("TN1"));
        m_tray->setToolTip(tr("Brindlex"));
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Context) {
                showTrayPopup();
            } else if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                showNormal();
                raise();
                activateWindow();
            }
        });
        m_tray->show();
    } else if (flag != 1 && m_tray) {
        m_tray->hide();
        m_tray->deleteLater();
        m_tray = nullptr;
    }
}

void frmTarnwell::showTrayPopup()
{
    action(Command::TrayRestore)->setEnabled(isHidden() || isMinimized());
    m_trayCommand = 2;
    m_popups[4]->exec(QCursor::pos());
    if (m_trayCommand == 0) {
        showNormal();
        raise();
        activateWindow();
    }
}

void frmTarnwell::sizeTimerTick()
{
    if (windowState() == Qt::WindowNoState && isVisible() && !m_isRestoring) {
        const QRect frame = frameGeometry();
        m_normalTop = static_cast<int>(std::lround(toTwips(frame.top())));
        m_normalLeft = static_cast<int>(std::lround(toTwips(frame.left())));
        m_normalHeight = static_cast<int>(std::lround(toTwips(height())));
        m_normalWidth = static_cast<int>(std::lround(toTwips(width())));
    }
    if (m_trayCommand == 1 && !inLongWork()) {
        m_trayCommand = -1;
        close();
    }
}

void frmTarnwell::setClientById(int id)
{
    const ClientRow& row = defaultClient(id);
    m_client.BrowserID = id;
    m_client.InterfaceName = row.Service;
    m_client.InterfaceType = static_cast<int>(row.Kind);
    action(Command::ClientButton)->setIcon(toolbarImage(row.ToolbarImage));
    action(Command::ClientButton)->setToolTip(tr(row.Name));
    action(Command::ClientButton)->setText(tr(row.Name));
    m_panels[2]->setPixmap(toolbarImage(row.ToolbarImage).pixmap(QSize(16, 16), devicePixelRatio()));
    m_panels[2]->setToolTip(tr(row.Name));
    store().SetDefaultClient(row.Service);
}

namespace {

// The frame size a window will be shown at. A window not yet shown nor sized by its code
// gets the size its layout asks for now (it would get it only when shown, after it was
// placed by a size it did not have yet); one not yet framed by the window manager is
// given the frame of `framed`, a window that has one.
QSize shownFrameSize(QWidget* window, const QWidget* framed)
{
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized)) {
        window->adjustSize();
    }
    QSize size = window->frameGeometry().size();
    if (framed != nullptr && size == window->size()) {
        size += framed->frameGeometry().size() - framed->size();
    }
    return size;
}

}  // namespace

void frmTarnwell::CenterWindow(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect area = screen->geometry();
    const QSize size = shownFrameSize(window, nullptr);
    window->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void frmTarnwell::closeTransient(QWidget* window)
{
    const bool ours = QApplication::activeWindow() != nullptr;
    window->close();
    if (ours && isVisible() && !isMinimized()) {
        activateWindow();
        focusPane(m_lastFocus);
    }
}

void frmTarnwell::CenterOverMainWindow(QWidget* dialog) const
{
    const QRect main = frameGeometry();
    const QSize size = shownFrameSize(dialog, this);
    int left = main.x() + main.width() / 2 - size.width() / 2;
    int top = main.y() + main.height() / 2 - size.height() / 2;
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        if (left + size.width() > area.right() + 1) {
            left = area.right() + 1 - size.width();
        }
        if (top + size.height() > area.bottom() + 1) {
            top = area.bottom() + 1 - size.height();
        }
    }
    dialog->move(qMax(0, left), qMax(0, top));
}

void frmTarnwell::ApplyProgramFont(QWidget* window) const
{
    QFont font = window->font();
    font.setFamily(toQString(m_programFont));
    if (m_programFontSize > 0) {
        font.setPointSize(m_programFontSize);
    }
    window->setFont(font);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        child->setFont(font);
    }
}

// ---------------------------------------------------------------------------------------
// Start-up

void frmTarnwell::readColumnWidths()
{
    for (int n = 0; n < 7; ++n) {
        double width = readNumber(settings(), *setting::Columns[n]);
        if (width < 1) {
            width = 1;
        }
        m_columnTwips[n] = width;
    }
    applyColumnWidths();
}

void frmTarnwell::applyColumnWidths()
{
    for (int n = 0; n < 6; ++n) {
        m_columnPixels[n] = qMax(1, toPixels(m_columnTwips[n]));
        m_list->setColumnWidth(n, m_columnPixels[n]);
    }
    m_columnPixels[6] = toPixels(m_columnTwips[6]);
}

void frmTarnwell::readWindowSettings()
{
    m_normalTop = readInteger(settings(), setting::Top);
    m_normalLeft = readInteger(settings(), setting::Left);
    m_normalHeight = readInteger(settings(), setting::Height);
    m_normalWidth = readInteger(settings(), setting::Width);
    m_isRestoring = true;
    const int state = readInteger(settings(), setting::WindowState);
    const int width = toPixels(m_normalWidth);
    const int height = toPixels(m_normalHeight);
    if (width > 0 && height > 0) {
        resize(width, height);
    }
    move(toPixels(m_normalLeft), toPixels(m_normalTop));
    setWindowState(state == 2 ? Qt::WindowMaximized : state == 1 ? Qt::WindowMinimized : Qt::WindowNoState);
    m_isRestoring = false;
    m_windowStateAtStart = state;
}

void frmTarnwell::Load(const std::function<void(int)>& progress)
{
    const auto step = [&progress](int value) {
        if (progress) {
            progress(value);
        }
    };
    SettingsStore& stored = settings();
    platform().events.processEvents();
    step(15);

    m_listLeftTwips = readNumber(stored, setting::ListLeft);
    m_listWidthTwips = readNumber(stored, setting::ListWidth);
    m_treeWidthTwips = readNumber(stored, setting::TreeWidth);
    m_split->setSizes({ qMax(1, toPixels(m_treeWidthTwips)), qMax(1, toPixels(m_listWidthTwips)) });
    step(20);
    const int code = m_splitter->Create(this, m_leftSide, m_rightSide, m_treeHeader, m_listHeader, 3);
    m_splitterActive = code == 0;
    if (code != 0) {
        platform().messages.show("Brindlex", "Can't create splitter\nError #" + std::to_string(code));
    }
    step(25);
    step(30);

    m_trayFlag = readInteger(stored, setting::TrayFlag);
    if (m_trayFlag != 0 && m_trayFlag != 1) {
        m_trayFlag = 0;
    }
    step(35);
    readColumnWidths();
    step(40);

    // An "AutoAssign" that is not a number is repaired by its leading numeric value and
    // written back.
    const std::string autoAssign = readText(stored, setting::AutoAssign);
    if (const auto number = parseNumber(autoAssign)) {
        m_autoAssign = static_cast<int>(std::lround(*number));
    } else {
        const double value = leadingNumber(autoAssign);
        m_autoAssign = (value == 0 || value == 1) ? static_cast<int>(value) : 0;
        writeInteger(stored, setting::AutoAssign, m_autoAssign);
    }
    store().SetAutoAssign(m_autoAssign);
    m_autoSave = readInteger(stored, setting::AutoSave);
    if (m_autoSave != 0 && m_autoSave != 1) {
        m_autoSave = 0;
    }
    m_listSort = readInteger(stored, setting::ListSort);
    if (m_listSort >= 0 && m_listSort < 6) {
        for (int i = 0; i < 6; ++i) {
            action(ArrangeCommands[i])->setChecked(i == m_listSort);
        }
    }
    step(45);
    readWindowSettings();
    step(50);

    m_includeDesc = readInteger(stored, setting::IncludeDesc);
    m_displayPath = readInteger(stored, setting::DisplayPath);
    action(Command::ShowToolbar)->setChecked(readBool(stored, setting::ShowToolbar));
    action(Command::ShowStatusBar)->setChecked(readBool(stored, setting::ShowStatusbar));
    SetViewMode(readInteger(stored, setting::ListViewMode));
    step(55);
    LayoutWindow();
    step(60);

    m_client.Browser = readText(stored, setting::Name);
    m_client.Method = readBool(stored, setting::Method);
    m_client.OpenIfClosed = readInteger(stored, setting::OpenIfClosed);
    step(65);
    setClientById(readInteger(stored, setting::ID));

    step(70);
    m_list->model().clear();
    SetSendCommands(false);
    step(75);

    m_programFont = readText(stored, setting::ProgramFont);
    m_programFontSize = readInteger(stored, setting::ProgramFontSize);
    ApplyProgramFont(this);
    if (!action(Command::ShowToolbar)->isChecked()) {
        m_toolbar->hide();
        m_folders->hide();
    }
    if (!action(Command::ShowStatusBar)->isChecked()) {
        statusBar()->hide();
    }

    const std::optional<std::string> startPath = databaseAtStart();
    step(80);
    if (startPath) {
        loadDatabaseFile(*startPath);
    }
    step(85);
    FillList();
    BuildTree();
    m_updatingTree = true;
    m_tree->collapseAll();
    if (QTreeWidgetItem* rootNode = m_tree->topLevelItem(0)) {
        rootNode->setExpanded(true);
    }
    m_updatingTree = false;
    SelectFolderNode();
    UpdateFolderDropDowns();
    step(90);
    m_list->clearSelection();
    step(95);
    step(99);

    const int startMin = readInteger(stored, setting::StartMin);
    setTrayFlag(m_trayFlag);
    if (readNumber(stored, setting::FirstLoad) == 0) {
        CenterWindow(this);
        writeText(stored, setting::FirstLoad, "999");
    }
    if (readBool(stored, setting::PaneMode)) {
        m_paneMode = true;
        HidePane();
        action(Command::SinglePane)->setChecked(true);
    }
    if (startMin == 1 && m_trayFlag == 1) {
        // Minimised into the tray: the window is never shown until the tray icon asks.
        setWindowState(windowState() | Qt::WindowMinimized);
    } else {
        show();
        m_list->setFocus();
    }
    m_loaded = true;
    m_sizeTimer->start();
}

std::optional<std::string> frmTarnwell::databaseAtStart()
{
    SettingsStore& stored = settings();
    const std::string fallback = lastDatabaseDefault(programDir());
    const std::string lastDB = stored.get(setting::LastDB.section, setting::LastDB.key, fallback);
    if (m_services.newDatabase) {
        store().NewDatabase(programDir());
        return std::nullopt;
    }
    std::string path = m_services.commandLine;
    if (path.empty()) {
        path = lastDB.empty() ? fallback : lastDB;
    }
    store().SetDatabaseTitle(fileNamePart(lastDB.empty() ? std::string("Brindlex.bdx") : lastDB));
    // A first run (nothing stored, no default database yet) starts quietly with a new one.
    std::error_code error;
    if (m_services.commandLine.empty() && readText(stored, setting::LastDB).empty()
        && !std::filesystem::exists(path, error)) {
        store().NewDatabase(programDir());
        return std::nullopt;
    }
    return path;
}

void frmTarnwell::loadDatabaseFile(const std::string& path)
{
    WaitCursor wait;
    const DatabaseContext context { platform().messages, platform().events, programDir() };
    LoadDatabase(store(), path, false, context);
}

// ---------------------------------------------------------------------------------------
// Shutdown

void frmTarnwell::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded && inLongWork()) {
        // Unloading empties the store under the running import or export.
        platform().messages.beep();
        event->ignore();
        return;
    }
    if (m_unloaded || QueryUnload()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool frmTarnwell::QueryUnload()
{
    // AutoSave 0 asks, 1 saves without asking, anything else closes without saving. A save
    // that was asked for but did not happen (Save As cancelled, the write failed) keeps the
    // window, so that closing never drops changes the user wanted kept.
    if (m_autoSave == 0 || m_autoSave == 1) {
        WaitCursor wait;
        if (OfferSave(store(), databaseHooks(), m_autoSave == 1, m_saveMarker) != CommandOutcome::Done) {
            return false;
        }
    }

    store().Clear();
    writeSettings();
    m_sizeTimer->stop();
    Q_EMIT unloading();
    platform().events.processEvents();
    m_unloaded = true;
    if (m_tray) {
        m_tray->hide();
    }
    return true;
}

void frmTarnwell::writeSettings()
{
    SettingsStore& stored = settings();
    writeInteger(stored, setting::ListViewMode, m_list->viewMode());
    for (int n = 0; n < 7; ++n) {
        // A column the user did not resize keeps its stored width exactly.
        if (n < 6 && m_list->columnWidth(n) != m_columnPixels[n] && m_list->columnWidth(n) > 0) {
            m_columnTwips[n] = toTwips(m_list->columnWidth(n));
        }
        writeNumber(stored, *setting::Columns[n], m_columnTwips[n]);
    }
    writeNumber(stored, setting::ListLeft, std::round(m_listLeftTwips));
    writeNumber(stored, setting::ListWidth, std::round(m_listWidthTwips));
    writeInteger(stored, setting::TreeLeft, 0);
    writeNumber(stored, setting::TreeWidth, std::round(m_treeWidthTwips));
    writeInteger(stored, setting::TrayFlag, m_trayFlag);
    writeBool(stored, setting::ShowToolbar, action(Command::ShowToolbar)->isChecked());
    writeBool(stored, setting::ShowStatusbar, action(Command::ShowStatusBar)->isChecked());
    writeText(stored, setting::LastDB, store().DatabasePath());
    writeInteger(stored, setting::AutoAssign, m_autoAssign);
    writeInteger(stored, setting::AutoSave, m_autoSave);
    writeInteger(stored, setting::IncludeDesc, m_includeDesc);
    writeInteger(stored, setting::DisplayPath, m_displayPath);
    writeText(stored, setting::Name, m_client.Browser);
    writeInteger(stored, setting::ID, m_client.BrowserID);
    writeBool(stored, setting::Method, m_client.Method);
    writeInteger(stored, setting::OpenIfClosed, m_client.OpenIfClosed);
    writeText(stored, setting::ProgramFont, m_programFont);
    writeInteger(stored, setting::ProgramFontSize, m_programFontSize);
    writeInteger(stored, setting::ListSort, m_listSort);
    writeInteger(stored, setting::Top, m_normalTop);
    writeInteger(stored, setting::Left, m_normalLeft);
    writeInteger(stored, setting::Height, m_normalHeight);
    writeInteger(stored, setting::Width, m_normalWidth);
    const Qt::WindowStates state = windowState();
    writeInteger(stored, setting::WindowState,
        (state & Qt::WindowMinimized)       ? 1
            : (state & Qt::WindowMaximized) ? 2
                                            : 0);
    writeBool(stored, setting::PaneMode, m_paneMode);
}

// ---------------------------------------------------------------------------------------
// Database commands, help

DatabaseCommandHooks frmTarnwell::databaseHooks()
{
    return DatabaseCommandHooks {
        platform().messages,
        [this]() -> std::optional<std::string> {
            const std::string& current = store().DatabasePath();
            const size_t slash = current.find_last_of('/');
            const std::string directory = slash == std::string::npos ? programDir() : current.substr(0, slash);
            return fileDialogs().saveFile(this,
                { "Save Brindlex Database As", "BDX Files (*.BDX *.bdx)", directory, store().DatabaseTitle(), "bdx" });
        },
        [this] { RefreshPanes(true); },
        programDir(),
    };
}

void frmTarnwell::NewDatabaseCommand()
{
    WaitCursor wait;
    NewFile(store(), databaseHooks(), m_autoSave == 1, m_saveMarker);
}

void frmTarnwell::OpenDatabaseCommand()
{
    const std::string& current = store().DatabasePath();
    const size_t slash = current.find_last_of('/');
    const std::optional<std::string> path = fileDialogs().openFile(this,
        { "Open Brindlex Database", "BDX Files (*.BDX *.bdx);;All Files (*)",
            slash == std::string::npos ? programDir() : current.substr(0, slash), "", "bdx" });
    if (!path) {
        return;
    }
    // Opening replaces the open database, so it gets the same save question as New.
    if (OfferSave(store(), databaseHooks(), m_autoSave == 1, m_saveMarker) != CommandOutcome::Done) {
        return;
    }
    loadDatabaseFile(*path);
    RefreshPanes(true);
}

void frmTarnwell::SaveDatabaseCommand()
{
    WaitCursor wait;
    SaveFile(store(), databaseHooks(), m_saveMarker);
}

bool frmTarnwell::SaveDatabaseAsCommand()
{
    WaitCursor wait;
    return SaveFileAs(store(), databaseHooks(), m_saveMarker) != CommandOutcome::Cancelled;
}

void frmTarnwell::ShowHelpContents()
{
    HelpWindow::showManual(this, QString());
}

void frmTarnwell::ShowPageWizard()
{
    // The page wizard makes an HTML page of links: the export dialog on "HTML File".
    m_importExport->ExportAs(ExportKind::Html);
}

void frmTarnwell::ShowAbout()
{
    frmAbout about(this);
    ApplyProgramFont(&about);
    CenterOverMainWindow(&about);
    about.exec();
}

}  // namespace brindlex

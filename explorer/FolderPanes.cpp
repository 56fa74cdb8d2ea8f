#include "explorer/FolderPanes.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/FolderTree.h"
#include "platform/EventPump.h"
#include "platform/qt/QtString.h"
#include "settings/ProgramSettings.h"
#include "store/Editing.h"
#include "store/Folder.h"
#include "store/Images.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"
#include "store/TreeRows.h"

namespace brindlex {

namespace {

QLabel* headerBar(const QString& name, QWidget& parent)
{
    auto* label = new QLabel(&parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setContentsMargins(2, 1, 2, 1);
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(1);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label->setAutoFillBackground(true);
    label->setBackgroundRole(QPalette::Button);
    label->setVisible(false);
    return label;
}

}  // namespace

FolderPanes::FolderPanes(QWidget& window, LinkStore& store, EventPump& events, const ProgramSettings& settings)
    : QObject(&window)
    , m_window(window)
    , m_store(store)
    , m_events(events)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("FolderPanes"));
    m_treeHeader = headerBar(QStringLiteral("SSPanel1"), window);
    m_treeHeader->setText(tr(" All Folders"));
    m_tree = new FolderTree(&window);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setIndentation(16);
    m_listHeader = headerBar(QStringLiteral("SSPanel2"), window);
    m_list = new ContentsList(&window);
    m_objectCount = new QLabel(&window);
    m_objectCount->setObjectName(QStringLiteral("Panel1"));
    buildFolderBox(window);

    m_tree->installEventFilter(this);
    for (QAbstractItemView* view : m_list->views()) {
        view->installEventFilter(this);
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { OpenSelectedRow(); });
    }
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
        [this](QTreeWidgetItem* node, QTreeWidgetItem*) { folderNodeClicked(node); });
    // A left click on the node that is already current shows its folder as well: the
    // list may show another one (after a popup menu, say), and a click always shows the
    // folder clicked.
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node, int) {
        if (node && folderByKey(FolderTree::key(node)) != &m_store.CurrentFolder()) {
            folderNodeClicked(node);
        }
    });
    connect(m_list->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0 && section < 6) {
            Q_EMIT arrangeRequested(section);
        } else {
            m_list->header()->setSortIndicator(m_settings.ListSort, Qt::AscendingOrder);
        }
    });
}

FolderPanes::~FolderPanes() = default;

void FolderPanes::buildFolderBox(QWidget& window)
{
    m_folders = new QComboBox(&window);
    m_folders->setObjectName(QStringLiteral("cbxFolders"));
    m_folders->setFocusPolicy(Qt::NoFocus);
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

    m_dropPanel = new QFrame(&window, Qt::Popup);
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
}

void FolderPanes::FillList()
{
    const Folder& current = m_store.CurrentFolder();
    m_objectCount->setText(QString::number(current.FolderItems.size()) + tr(" object(s)"));
    m_list->model().clear();
    m_events.processEvents();
    m_list->model().setRows(listRows(m_store.CurrentFolder()));
    if (m_list->rowCount() > 0) {
        m_list->selectRow(0);
    }
    if (m_settings.ListSort >= 0 && m_settings.ListSort < ContentsModel::ColumnCount) {
        m_list->sortByColumn(m_settings.ListSort);
    }
}

void FolderPanes::BuildTree()
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

    QTreeWidgetItem* current = m_tree->nodeByKey(toQString(m_store.CurrentFolder().id));
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
    showPath(FolderTree::fullPath(current));
}

void FolderPanes::RefreshPanes(bool full)
{
    FillList();
    if (full) {
        BuildTree();
    }
    UpdateFolderDropDowns();
}

void FolderPanes::resetNodeImages()
{
    QTreeWidgetItemIterator it(m_tree);
    while (*it) {
        if (FolderTree::key(*it) != QLatin1String(RootFolderId)) {
            FolderTree::setImage(*it, imageNumber(Image::Folder));
        }
        ++it;
    }
}

void FolderPanes::SelectFolderNode()
{
    resetNodeImages();
    QTreeWidgetItem* node = m_tree->nodeByKey(toQString(m_store.CurrentFolder().id));
    if (node) {
        m_updatingTree = true;
        m_tree->setCurrentItem(node);
        m_tree->scrollToItem(node);
        m_updatingTree = false;
        if (FolderTree::key(node) != QLatin1String(RootFolderId)) {
            FolderTree::setImage(node, imageNumber(Image::OpenFolder));
        }
    }
    m_events.processEvents();
    showPath(FolderTree::fullPath(m_tree->currentItem()));
    // The folder box and the object count show the same folder as the tree.
    m_objectCount->setText(QString::number(m_store.CurrentFolder().FolderItems.size()) + tr(" object(s)"));
    UpdateFolderDropDowns();
}

void FolderPanes::AddEntryToPanes(const FolderItem& item)
{
    Folder& current = m_store.CurrentFolder();
    for (const auto& entry : current.FolderItems) {
        if (entry.get() == &item) {
            std::vector<ListRow> rows = listRows(current);
            const size_t at = static_cast<size_t>(&entry - current.FolderItems.data());
            m_list->model().appendRow(std::move(rows[at]));
            break;
        }
    }
    m_objectCount->setText(QString::number(current.FolderItems.size()) + tr(" object(s)"));
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

Folder* FolderPanes::folderByKey(const QString& key) const
{
    return m_store.FindFolderOrRoot(toUtf8(key));
}

void FolderPanes::folderNodeClicked(QTreeWidgetItem* node)
{
    if (!node || m_updatingTree || !m_tree->hasFocus()) {
        return;
    }
    showPath(FolderTree::fullPath(node));
    resetNodeImages();
    FolderTree::setImage(
        node, imageNumber(FolderTree::key(node) == QLatin1String(RootFolderId) ? Image::Root : Image::OpenFolder));
    Folder* folder = folderByKey(FolderTree::key(node));
    if (!folder) {
        return;
    }
    m_store.SetCurrentFolder(*folder);
    FillList();
    UpdateFolderDropDowns();
}

void FolderPanes::ShowFolder(Folder& folder)
{
    m_store.SetCurrentFolder(folder);
    FillList();
    SelectFolderNode();
    UpdateFolderDropDowns();
}

void FolderPanes::OpenSelectedRow()
{
    const FolderItem* item = selectedItem();
    if (!item) {
        return;
    }
    if (!item->IsFolder) {
        Q_EMIT linkOpened();
    } else if (Folder* folder = m_store.FindFolder(item->IID)) {
        ShowFolder(*folder);
    }
}

void FolderPanes::GoBack()
{
    if (Folder* up = parentFolder(m_store, m_store.CurrentFolder())) {
        m_store.SetCurrentFolder(*up);
        FillList();
        SelectFolderNode();
        UpdateFolderDropDowns();
    }
    focusPane(m_lastFocus);
}

void FolderPanes::UpdateFolderDropDowns()
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

    const bool atRoot = &m_store.CurrentFolder() == &m_store.Root();
    const int boxImage = imageNumber(atRoot ? Image::Root : Image::OpenFolder);
    QTreeWidgetItem* main = m_tree->nodeByKey(toQString(m_store.CurrentFolder().id));
    const QString text = main ? main->text(0) : toQString(m_store.CurrentFolder().Caption);
    QTreeWidgetItem* box = FolderTree::makeNode(toQString(m_store.CurrentFolder().id), text, boxImage, boxImage);
    m_folderBox->addTopLevelItem(box);
    m_folderBox->remember(box);
    if (main) {
        m_updatingTree = true;
        m_tree->setCurrentItem(main);
        m_tree->scrollToItem(main);
        m_updatingTree = false;
    }
}

void FolderPanes::ShowDropDown()
{
    const QPoint below = m_folders->mapToGlobal(QPoint(0, m_folders->height()));
    m_dropPanel->resize(qMax(m_folders->width(), 240), qMax(160, m_window.height() / 2));
    m_dropPanel->move(below);
    m_dropPanel->show();
    if (QTreeWidgetItem* last = m_dropTree->currentItem()) {
        m_dropTree->scrollToItem(last);
    }
    m_dropTree->setFocus(Qt::PopupFocusReason);
}

void FolderPanes::HideDropDown()
{
    m_dropPanel->hide();
}

bool FolderPanes::isDropDownShown() const
{
    return m_dropPanel->isVisible();
}

void FolderPanes::dropDownPressed(QTreeWidgetItem* node)
{
    if (node) {
        if (Folder* folder = folderByKey(FolderTree::key(node))) {
            m_store.SetCurrentFolder(*folder);
            SelectFolderNode();
            FillList();
            UpdateFolderDropDowns();
        }
    }
    HideDropDown();
}

std::vector<std::string> FolderPanes::selectedRowIds() const
{
    return m_list->selectedIds();
}

QTreeWidgetItem* FolderPanes::selectedNode() const
{
    return m_tree->currentItem();
}

std::string FolderPanes::selectedNodeKey() const
{
    return toUtf8(FolderTree::key(m_tree->currentItem()));
}

void FolderPanes::focusPane(const std::string& pane)
{
    if (pane == "TreeView1" && m_tree->isVisible()) {
        m_tree->setFocus(Qt::OtherFocusReason);
    } else {
        m_list->setFocus();
    }
}

int FolderPanes::selectedRow() const
{
    const int current = m_list->currentRow();
    if (current >= 0 && m_list->isRowSelected(current)) {
        return current;
    }
    const std::vector<int> rows = m_list->selectedRows();
    return rows.empty() ? -1 : rows.front();
}

const FolderItem* FolderPanes::selectedItem() const
{
    const int row = selectedRow();
    if (row < 0) {
        return nullptr;
    }
    const std::string iid = toUtf8(m_list->model().text(row, ContentsModel::IdColumn));
    return m_store.FindItem(m_store.CurrentFolder(), iid);
}

Selection FolderPanes::selection() const
{
    Selection selected;
    selected.pane = m_lastFocus == "TreeView1" ? Pane::TreeView1 : Pane::ListView1;
    selected.rowIds = selectedRowIds();
    selected.nodeKey = selectedNodeKey();
    return selected;
}

void FolderPanes::selectNodeQuietly(QTreeWidgetItem* node)
{
    m_updatingTree = true;
    m_tree->setCurrentItem(node);
    m_updatingTree = false;
}

void FolderPanes::collapseToRoot()
{
    m_updatingTree = true;
    m_tree->collapseAll();
    if (QTreeWidgetItem* rootNode = m_tree->topLevelItem(0)) {
        rootNode->setExpanded(true);
    }
    m_updatingTree = false;
}

void FolderPanes::showPath(const QString& path)
{
    m_listHeader->setText(tr(" Contents of '") + path + QStringLiteral("'"));
    Q_EMIT pathShown(path);
}

bool FolderPanes::eventFilter(QObject* watched, QEvent* event)
{
    const bool isListView = watched == m_list->iconView() || watched == m_list->detailsView();
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
            if (key == Qt::Key_F4 || key == Qt::Key_Escape) {
                HideDropDown();
                return true;
            }
        }
        break;
    case QEvent::MouseButtonPress:
        if (watched == m_dropTree->viewport()) {
            dropDownPressed(m_dropTree->nodeAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
            return true;
        }
        if (watched == m_folderBox->viewport()) {
            ShowDropDown();
            return true;
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == m_folderBox->viewport()) {
            return true;
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
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace brindlex

#include "explorer/ContentsList.h"

#include <algorithm>

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QStackedLayout>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeView>

#include "explorer/ContentsModel.h"
#include "explorer/DragDrop.h"
#include "platform/qt/QtString.h"
#include "store/Clients.h"
#include "store/TextRules.h"

namespace brindlex {

namespace {

// Large icons, small icons and list: one QListView laid out three ways. Each item has a
// cell of its own, sized from the list's font; a name is wrapped (large icons) and
// elided within it, never drawn over the next item.
struct IconLayout
{
    QListView::ViewMode viewMode;
    QListView::Flow flow;
    int iconSize;
    int minimumWidth;  // pixels, and at least this many average characters:
    int widthInCharacters;
    int textLines;
};
const IconLayout IconLayouts[3] = {
    { QListView::IconMode, QListView::LeftToRight, 32, 96, 14, 2 },
    { QListView::ListMode, QListView::LeftToRight, 16, 180, 26, 1 },
    { QListView::ListMode, QListView::TopToBottom, 16, 180, 26, 1 },
};

// The cell of an item in an icon layout at a font; the grid adds the gaps between cells.
QSize cellSize(const IconLayout& layout, const QFontMetrics& metrics)
{
    const int width = std::max(layout.minimumWidth, metrics.averageCharWidth() * layout.widthInCharacters);
    if (layout.viewMode == QListView::IconMode) {
        return { width, layout.iconSize + 6 + layout.textLines * metrics.lineSpacing() };
    }
    return { width - 4, std::max(layout.iconSize, metrics.height()) + 2 };
}
QSize gridSize(const IconLayout& layout, const QFontMetrics& metrics)
{
    const QSize cell = cellSize(layout, metrics);
    return layout.viewMode == QListView::IconMode ? cell + QSize(6, 6) : cell + QSize(4, 2);
}

// Gives every item of the icon view the cell of the present layout, so that the view
// clips, wraps and elides its text there (its own size hint is the whole name).
class CellDelegate : public QStyledItemDelegate
{
public:
    explicit CellDelegate(QObject* parent)
        : QStyledItemDelegate(parent)
    {
    }
    void setCell(const QSize& cell) { m_cell = cell; }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return m_cell.isValid() ? m_cell : QStyledItemDelegate::sizeHint(option, index);
    }

private:
    QSize m_cell;
};

// A view of the list (icon or details) that hands its drag gestures to the list's
// controller: a drag starts only from a row pressed with the left button, and only a
// folder row the controller accepts is highlighted and takes the drop.
template <class View> class ContentsView : public View
{
public:
    explicit ContentsView(ContentsList* list)
        : View(list)
        , m_list(list)
    {
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        m_dragAllowed = event->button() == Qt::LeftButton && this->indexAt(event->position().toPoint()).isValid();
        View::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        m_dragAllowed = false;
        View::mouseReleaseEvent(event);
    }
    void startDrag(Qt::DropActions) override
    {
        brindlex::DragDrop* controller = m_list->dragDrop();
        const bool allowed = m_dragAllowed && !(QGuiApplication::mouseButtons() & Qt::RightButton);
        m_dragAllowed = false;
        if (controller != nullptr && allowed) {
            if (QMimeData* data = m_list->dragMimeData()) {
                controller->execDrag(this, data);
            }
        }
    }
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (m_list->dragDrop() == nullptr || !readPaneDragMimeData(event->mimeData())) {
            event->ignore();
            return;
        }
        // Taken here so that the moves that follow arrive; they decide on each row.
        this->setState(QAbstractItemView::DraggingState);
        event->accept();
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        View::dragMoveEvent(event);  // scrolls near the edges
        brindlex::DragDrop* controller = m_list->dragDrop();
        const std::optional<PaneDrag> drag = readPaneDragMimeData(event->mimeData());
        const int row = rowAt(event->position().toPoint());
        const bool takes = controller != nullptr && drag && controller->canDropOnRow(*drag, row);
        m_list->model().setDropHighlightRow(takes ? row : -1);
        if (takes) {
            event->setDropAction(Qt::MoveAction);
            event->accept();
        } else {
            event->ignore();
        }
    }
    void dragLeaveEvent(QDragLeaveEvent* event) override
    {
        View::dragLeaveEvent(event);
        m_list->model().setDropHighlightRow(-1);
    }
    void dropEvent(QDropEvent* event) override
    {
        this->stopAutoScroll();
        this->setState(QAbstractItemView::NoState);
        m_list->model().setDropHighlightRow(-1);
        brindlex::DragDrop* controller = m_list->dragDrop();
        const std::optional<PaneDrag> drag = readPaneDragMimeData(event->mimeData());
        if (controller != nullptr && drag && controller->dropOnRow(*drag, rowAt(event->position().toPoint()))) {
            event->setDropAction(Qt::MoveAction);
            event->accept();
        } else {
            event->ignore();
        }
    }

private:
    int rowAt(const QPoint& point) const
    {
        const QModelIndex index = this->indexAt(point);
        return index.isValid() ? index.row() : -1;
    }

    ContentsList* m_list;
    bool m_dragAllowed = false;  // the last press was the left button on a row
};

}  // namespace

ContentsList::ContentsList(QWidget* parent)
    : QWidget(parent)
    , m_model(new ContentsModel(this))
    , m_selection(new QItemSelectionModel(m_model, this))
    , m_stack(new QStackedLayout(this))
    , m_icons(new ContentsView<QListView>(this))
    , m_details(new ContentsView<QTreeView>(this))
{
    setObjectName(QStringLiteral("ListView1"));
    m_icons->setObjectName(QStringLiteral("ListView1Icons"));
    m_details->setObjectName(QStringLiteral("ListView1Details"));
    m_stack->setContentsMargins(0, 0, 0, 0);

    for (QAbstractItemView* view : views()) {
        view->setModel(m_model);
        view->setSelectionModel(m_selection);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setMouseTracking(true);
        m_stack->addWidget(view);
    }
    m_icons->setModelColumn(0);
    m_icons->setItemDelegate(new CellDelegate(m_icons));
    m_icons->setUniformItemSizes(true);
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setMovement(QListView::Static);
    m_icons->setLayoutMode(QListView::Batched);
    m_icons->setBatchSize(500);

    m_details->setRootIsDecorated(false);
    m_details->setUniformRowHeights(true);
    m_details->setItemsExpandable(false);
    m_details->setAllColumnsShowFocus(true);
    m_details->setIconSize(QSize(16, 16));
    m_details->header()->setStretchLastSection(false);
    m_details->header()->setSectionsClickable(true);
    m_details->header()->setSectionsMovable(false);
    m_details->header()->setSortIndicatorShown(true);
    m_details->header()->setMinimumSectionSize(0);
    // The ID column links a row to its entry; it is never shown.
    m_details->setColumnHidden(ContentsModel::IdColumn, true);

    m_mode = -1;
    setViewMode(3);
}

QHeaderView* ContentsList::header() const
{
    return m_details->header();
}

QAbstractItemView* ContentsList::currentView() const
{
    return m_mode == 3 ? static_cast<QAbstractItemView*>(m_details) : static_cast<QAbstractItemView*>(m_icons);
}

std::vector<QAbstractItemView*> ContentsList::views() const
{
    return { m_icons, m_details };
}

void ContentsList::setViewMode(int mode)
{
    if (mode == m_mode || mode < 0 || mode > 3) {
        return;
    }
    const bool focused = hasFocus();
    m_mode = mode;
    if (mode == 3) {
        m_stack->setCurrentWidget(m_details);
    } else {
        const IconLayout& layout = IconLayouts[mode];
        m_icons->setViewMode(layout.viewMode);
        m_icons->setFlow(layout.flow);
        m_icons->setWrapping(true);
        m_icons->setIconSize(QSize(layout.iconSize, layout.iconSize));
        m_icons->setWordWrap(layout.textLines > 1);
        m_icons->setTextElideMode(Qt::ElideRight);
        layoutCells();
        m_stack->setCurrentWidget(m_icons);
    }
    // A QListView sets its drag and drop from its movement whenever its mode changes.
    applyDragDrop();
    if (focused) {
        currentView()->setFocus();
    }
}

void ContentsList::layoutCells()
{
    if (m_mode < 0 || m_mode > 2) {
        return;
    }
    const IconLayout& layout = IconLayouts[m_mode];
    const QFontMetrics metrics(font());
    static_cast<CellDelegate*>(m_icons->itemDelegate())->setCell(cellSize(layout, metrics));
    // Setting the grid lays the items out again, with the new cells.
    m_icons->setGridSize(QSize());
    m_icons->setGridSize(gridSize(layout, metrics));
}

void ContentsList::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        layoutCells();
    }
}

int ContentsList::rowCount() const
{
    return m_model->rowCount();
}

std::vector<int> ContentsList::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_selection->selectedRows(0)) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<std::string> ContentsList::selectedIds() const
{
    std::vector<std::string> ids;
    for (int row : selectedRows()) {
        ids.push_back(toUtf8(m_model->text(row, ContentsModel::IdColumn)));
    }
    return ids;
}

int ContentsList::currentRow() const
{
    const QModelIndex current = m_selection->currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool ContentsList::isRowSelected(int row) const
{
    return m_selection->isRowSelected(row, {});
}

void ContentsList::selectRow(int row, bool alone)
{
    if (row < 0 || row >= rowCount()) {
        return;
    }
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    if (alone) {
        flags |= QItemSelectionModel::Clear;
    }
    m_selection->setCurrentIndex(m_model->index(row, 0), flags);
}

void ContentsList::selectAll()
{
    if (rowCount() == 0) {
        return;
    }
    const QItemSelection all(m_model->index(0, 0), m_model->index(rowCount() - 1, ContentsModel::ColumnCount - 1));
    m_selection->select(all, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ContentsList::clearSelection()
{
    m_selection->clearSelection();
}

int ContentsList::rowAt(const QWidget* viewport, const QPoint& point) const
{
    for (QAbstractItemView* view : views()) {
        if (view->viewport() == viewport) {
            const QModelIndex index = view->indexAt(point);
            return index.isValid() ? index.row() : -1;
        }
    }
    return -1;
}

void ContentsList::scrollToRow(int row)
{
    if (row >= 0 && row < rowCount()) {
        currentView()->scrollTo(m_model->index(row, 0));
    }
}

bool ContentsList::editRow(int row)
{
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    QAbstractItemView* view = currentView();
    const QModelIndex index = m_model->index(row, 0);
    view->scrollTo(index);
    view->edit(index);
    return view->indexWidget(index) != nullptr;
}

int ContentsList::columnWidth(int column) const
{
    return m_details->columnWidth(column);
}

int ContentsList::typicalColumnWidth(int column) const
{
    const QFontMetrics metrics = m_details->fontMetrics();
    const int average = metrics.averageCharWidth();
    int content = 0;
    switch (column) {
    case 0:
        content = 24 * average + m_details->iconSize().width() + 4;
        break;
    case 1:
        // The widest day and month numbers and a four-digit year, in the short form.
        for (const DateTime& date : { DateTime { 2028, 12, 28 }, DateTime { 2028, 9, 30 } }) {
            content = std::max(content, metrics.horizontalAdvance(ContentsModel::dateText(date)));
        }
        break;
    case 2:
        content = metrics.horizontalAdvance(QStringLiteral("Folder"));
        for (std::string_view word : URLKinds()) {
            content = std::max(content,
                metrics.horizontalAdvance(QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()))));
        }
        break;
    case 3:
        for (const ClientRow& client : allClients()) {
            content = std::max(content, metrics.horizontalAdvance(QString::fromUtf8(client.Service)));
        }
        break;
    case 4:
        content = 16 * average;
        break;
    case 5:
        content = 12 * average;
        break;
    default:
        return 0;
    }
    // A cell's text has the style's focus margins on both sides, and one character to spare.
    const int margins = 2 * (m_details->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_details) + 1);
    return std::max(m_details->header()->sectionSizeHint(column), content + margins + average);
}

void ContentsList::setColumnWidth(int column, int width)
{
    m_details->setColumnWidth(column, width);
}

void ContentsList::sortByColumn(int column)
{
    m_model->sort(column, Qt::AscendingOrder);
    m_details->header()->setSortIndicator(column, Qt::AscendingOrder);
}

void ContentsList::setFocus()
{
    currentView()->setFocus(Qt::OtherFocusReason);
}

bool ContentsList::hasFocus() const
{
    return m_icons->hasFocus() || m_details->hasFocus();
}

void ContentsList::setDragDrop(DragDrop* controller)
{
    m_dragDrop = controller;
    m_model->setDropHighlightRow(-1);
    applyDragDrop();
}

void ContentsList::applyDragDrop()
{
    const bool on = m_dragDrop != nullptr;
    for (QAbstractItemView* view : views()) {
        view->setDragEnabled(on);
        view->setAcceptDrops(on);
        view->viewport()->setAcceptDrops(on);
        view->setDropIndicatorShown(false);  // the target row is highlighted instead
    }
}

QMimeData* ContentsList::dragMimeData() const
{
    QModelIndexList rows;
    for (int row : selectedRows()) {
        rows.append(m_model->index(row, 0));
    }
    return rows.isEmpty() ? nullptr : m_model->mimeData(rows);
}

int ContentsList::dropHighlightRow() const
{
    return m_model->dropHighlightRow();
}

}  // namespace brindlex

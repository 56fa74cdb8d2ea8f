#include "explorer/FolderTree.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>

#include "explorer/DragDrop.h"
#include "explorer/Icons.h"
#include "platform/qt/QtString.h"
#include "store/Folder.h"

namespace brindlex {

FolderTree::FolderTree(QWidget* parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    connect(this, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* node) { showImage(node); });
    connect(this, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* node) { showImage(node); });
}

void FolderTree::clearNodes()
{
    m_byKey.clear();
    m_dropHighlight.clear();
    m_edited = nullptr;
    clear();
}

QTreeWidgetItem* FolderTree::makeNode(const QString& key, const QString& text, int image, int expandedImage)
{
    auto* node = new QTreeWidgetItem;
    node->setText(0, text);
    node->setData(0, KeyRole, key);
    node->setData(0, ImageRole, image);
    node->setData(0, ExpandedImageRole, expandedImage);
    node->setIcon(0, paneImage(image));
    return node;
}

void FolderTree::remember(QTreeWidgetItem* node)
{
    const QString nodeKey = key(node);
    if (!m_byKey.contains(nodeKey)) {
        m_byKey.insert(nodeKey, node);
    }
}

QTreeWidgetItem* FolderTree::nodeByKey(const QString& key) const
{
    return m_byKey.value(key, nullptr);
}

QString FolderTree::key(const QTreeWidgetItem* node)
{
    return node ? node->data(0, KeyRole).toString() : QString();
}

QString FolderTree::fullPath(const QTreeWidgetItem* node)
{
    if (!node) {
        return {};
    }
    const QVariant stored = node->data(0, PathRole);
    if (stored.isValid()) {
        return stored.toString();
    }
    QStringList parts;
    for (const QTreeWidgetItem* at = node; at; at = at->parent()) {
        parts.prepend(at->text(0));
    }
    return parts.join(QLatin1Char('\\'));
}

void FolderTree::setImage(QTreeWidgetItem* node, int image)
{
    if (node->data(0, ImageRole).toInt() == image) {
        return;
    }
    node->setData(0, ImageRole, image);
    showImage(node);
}

int FolderTree::image(const QTreeWidgetItem* node)
{
    return node->data(0, ImageRole).toInt();
}

void FolderTree::showImage(QTreeWidgetItem* node)
{
    const int shown = (node->isExpanded() && node->childCount() > 0) ? node->data(0, ExpandedImageRole).toInt()
                                                                     : node->data(0, ImageRole).toInt();
    node->setIcon(0, paneImage(shown));
}

void FolderTree::setDragDrop(brindlex::DragDrop* controller)
{
    m_dragDrop = controller;
    setDropHighlight({});
    setDragEnabled(controller != nullptr);
    setAcceptDrops(controller != nullptr);
    viewport()->setAcceptDrops(controller != nullptr);
    setDropIndicatorShown(false);  // the target node is highlighted instead
    setAutoExpandDelay(controller != nullptr ? 700 : -1);  // a node held under a drag opens
}

QMimeData* FolderTree::dragMimeData() const
{
    QTreeWidgetItem* node = currentItem();
    return node != nullptr ? mimeData({ node }) : nullptr;
}

QStringList FolderTree::mimeTypes() const
{
    return { QString::fromLatin1(PaneDragMimeType) };
}

QMimeData* FolderTree::mimeData(const QList<QTreeWidgetItem*>& items) const
{
    // One node is dragged at a time; the root holds everything and is never dragged.
    if (items.isEmpty() || items.front() == nullptr || key(items.front()) == QLatin1String(RootFolderId)) {
        return nullptr;
    }
    PaneDrag drag;
    drag.pane = Pane::TreeView1;
    drag.ids.push_back(toUtf8(key(items.front())));
    return makePaneDragMimeData(drag);
}

void FolderTree::setDropHighlight(const QString& key)
{
    const QString shown = nodeByKey(key) != nullptr ? key : QString();
    if (shown != m_dropHighlight) {
        m_dropHighlight = shown;
        viewport()->update();
    }
}

void FolderTree::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // The drop target looks selected, as the system's drop highlight does.
    if (!m_dropHighlight.isEmpty() && index.data(KeyRole).toString() == m_dropHighlight) {
        QStyleOptionViewItem highlighted = option;
        highlighted.state |= QStyle::State_Selected;
        QTreeWidget::drawRow(painter, highlighted, index);
        return;
    }
    QTreeWidget::drawRow(painter, option, index);
}

void FolderTree::mousePressEvent(QMouseEvent* event)
{
    m_dragAllowed = event->button() == Qt::LeftButton && nodeAt(event->position().toPoint()) != nullptr;
    QTreeWidget::mousePressEvent(event);
}

void FolderTree::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragAllowed = false;
    QTreeWidget::mouseReleaseEvent(event);
}

void FolderTree::startDrag(Qt::DropActions)
{
    const bool allowed = m_dragAllowed && !(QGuiApplication::mouseButtons() & Qt::RightButton);
    m_dragAllowed = false;
    if (m_dragDrop != nullptr && allowed) {
        if (QMimeData* data = dragMimeData()) {
            m_dragDrop->execDrag(this, data);
        }
    }
}

void FolderTree::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_dragDrop == nullptr || !readPaneDragMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    // Taken here so that the moves that follow arrive; they decide on each node.
    setState(DraggingState);
    event->accept();
}

void FolderTree::dragMoveEvent(QDragMoveEvent* event)
{
    QTreeWidget::dragMoveEvent(event);  // scrolls near the edges, opens a node held over
    const std::optional<PaneDrag> drag = readPaneDragMimeData(event->mimeData());
    const QString target = key(nodeAt(event->position().toPoint()));
    const bool takes = m_dragDrop != nullptr && drag && m_dragDrop->canDropOnNode(*drag, target);
    setDropHighlight(takes ? target : QString());
    if (takes) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FolderTree::dragLeaveEvent(QDragLeaveEvent* event)
{
    QTreeWidget::dragLeaveEvent(event);
    setDropHighlight({});
}

void FolderTree::dropEvent(QDropEvent* event)
{
    stopAutoScroll();
    setState(NoState);
    setDropHighlight({});
    const std::optional<PaneDrag> drag = readPaneDragMimeData(event->mimeData());
    // The drop may rebuild this tree: only the key is kept.
    const QString target = key(nodeAt(event->position().toPoint()));
    if (m_dragDrop != nullptr && drag && m_dragDrop->dropOnNode(*drag, target)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

bool FolderTree::editNode(QTreeWidgetItem* node)
{
    if (!node || state() == QAbstractItemView::EditingState) {
        return false;
    }
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    m_edited = node;
    m_committed = false;
    scrollToItem(node);
    editItem(node, 0);
    if (state() != QAbstractItemView::EditingState) {
        m_edited = nullptr;
        return false;
    }
    return true;
}

void FolderTree::setNodeText(QTreeWidgetItem* node, const QString& text)
{
    node->setText(0, text);
    std::vector<QTreeWidgetItem*> stack { node };
    while (!stack.empty()) {
        QTreeWidgetItem* at = stack.back();
        stack.pop_back();
        const QTreeWidgetItem* above = at->parent();
        const QString path = above ? fullPath(above) + QLatin1Char('\\') + at->text(0) : at->text(0);
        at->setData(0, PathRole, path);
        for (int i = 0; i < at->childCount(); ++i) {
            stack.push_back(at->child(i));
        }
    }
}

void FolderTree::commitData(QWidget* editor)
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!m_edited || !line || m_committed) {
        return;
    }
    m_committed = true;
    QTreeWidgetItem* node = m_edited;
    Q_EMIT nodeEdited(node, line->text(), false);
}

void FolderTree::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTreeWidgetItem* node = m_edited;
    const bool cancelled = !m_committed;
    m_edited = nullptr;
    m_committed = false;
    QTreeWidget::closeEditor(editor, hint);
    if (node && cancelled) {
        Q_EMIT nodeEdited(node, QString(), true);
    }
}

}  // namespace brindlex

#include "explorer/FolderTree.h"

#include <QHeaderView>

#include "explorer/Icons.h"

namespace brindlex {

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent)
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

}  // namespace brindlex

#pragma once
#include <string>

#include <QHash>
#include <QTreeWidget>

class QMimeData;

namespace brindlex {

class DragDrop;

// A tree of folder nodes: the folder tree `TreeView1`, the folder box `TreeView3` and
// its drop-down `TreeView2`. Each node carries the folder's id as its key and the image
// numbers of its states; nodes are found by key in constant time.
class FolderTree : public QTreeWidget
{
    Q_OBJECT

public:
    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int ImageRole = Qt::UserRole + 1;
    static constexpr int ExpandedImageRole = Qt::UserRole + 2;
    static constexpr int PathRole = Qt::UserRole + 3;
    // "True" on a node that was cut and waits to be pasted.
    static constexpr int TagRole = Qt::UserRole + 4;

    explicit FolderTree(QWidget* parent = nullptr);

    // Removes every node.
    void clearNodes();
    // A node that is not yet in the tree; attach it with addTopLevelItem or addChild and
    // then call remember().
    static QTreeWidgetItem* makeNode(const QString& key, const QString& text, int image, int expandedImage);
    // Makes `node` the one found by its key, unless an earlier node has that key.
    void remember(QTreeWidgetItem* node);
    QTreeWidgetItem* nodeByKey(const QString& key) const;

    static QString key(const QTreeWidgetItem* node);
    // The texts from the top node down to `node`, joined by "\".
    static QString fullPath(const QTreeWidgetItem* node);
    // The picture of the node: `image`, or its expanded image while it is expanded.
    static void setImage(QTreeWidgetItem* node, int image);
    static int image(const QTreeWidgetItem* node);

    // The node under a point of the viewport, or null.
    QTreeWidgetItem* nodeAt(const QPoint& point) const { return itemAt(point); }

    // Nodes other than the top one are dragged with the left button and nodes take drops,
    // as `controller` decides; without one (null) nothing is dragged or dropped.
    void setDragDrop(brindlex::DragDrop* controller);
    // What a drag of the selected node carries (null for none or the top node); the
    // caller owns it.
    QMimeData* dragMimeData() const;
    // The key of the node drop-highlighted under a passing drag, or empty.
    QString dropHighlightKey() const { return m_dropHighlight; }
    void setDropHighlight(const QString& key);

    // Starts in-place editing of a node's text; the end is reported by nodeEdited.
    bool editNode(QTreeWidgetItem* node);
    QTreeWidgetItem* editedNode() const { return m_edited; }
    // Gives a node a new text; the stored full paths of it and of every node below it
    // follow.
    static void setNodeText(QTreeWidgetItem* node, const QString& text);

Q_SIGNALS:
    // In-place editing of `node` ended: with `text` given, or cancelled.
    void nodeEdited(QTreeWidgetItem* node, const QString& text, bool cancelled);

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The edited text is handed to nodeEdited instead of being written into the node.
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    static void showImage(QTreeWidgetItem* node);
    QHash<QString, QTreeWidgetItem*> m_byKey;
    brindlex::DragDrop* m_dragDrop = nullptr;  // observes the window's controller
    QString m_dropHighlight;
    bool m_dragAllowed = false;  // the last press was the left button on a node
    QTreeWidgetItem* m_edited = nullptr;  // the node being edited in place
    bool m_committed = false;
};

}  // namespace brindlex

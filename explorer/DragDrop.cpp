#include "explorer/DragDrop.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDataStream>
#include <QDrag>
#include <QIODevice>
#include <QIcon>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/FolderPanes.h"
#include "explorer/FolderTree.h"
#include "explorer/Icons.h"
#include "platform/EventPump.h"
#include "platform/qt/QtString.h"
#include "store/Images.h"

namespace brindlex {

namespace {

constexpr int DragImageSize = 32;
// A stack of this many icons stands for several dragged rows.
constexpr int StackedIcons = 3;
constexpr int StackOffset = 6;

}  // namespace

QMimeData* makePaneDragMimeData(const PaneDrag& drag)
{
    QStringList ids;
    for (const std::string& id : drag.ids) {
        ids.append(toQString(id));
    }
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << static_cast<qint64>(QCoreApplication::applicationPid()) << static_cast<qint32>(drag.pane) << ids;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(PaneDragMimeType), bytes);
    return data;
}

std::optional<PaneDrag> readPaneDragMimeData(const QMimeData* data)
{
    const QString type = QString::fromLatin1(PaneDragMimeType);
    if (data == nullptr || !data->hasFormat(type)) {
        return std::nullopt;
    }
    QDataStream in(data->data(type));
    qint64 pid = 0;
    qint32 pane = -1;
    QStringList ids;
    in >> pid >> pane >> ids;
    // Ids name entries of this process's store only.
    if (in.status() != QDataStream::Ok || pid != QCoreApplication::applicationPid() || ids.isEmpty()) {
        return std::nullopt;
    }
    PaneDrag drag;
    if (pane == static_cast<qint32>(Pane::ListView1)) {
        drag.pane = Pane::ListView1;
    } else if (pane == static_cast<qint32>(Pane::TreeView1) && ids.size() == 1) {
        drag.pane = Pane::TreeView1;
    } else {
        return std::nullopt;
    }
    for (const QString& id : ids) {
        drag.ids.push_back(toUtf8(id));
    }
    return drag;
}

DragDrop::DragDrop(FolderPanes& panes, Editing& editing, EventPump& events)
    : m_panes(panes)
    , m_editing(editing)
    , m_events(events)
{
    m_panes.TreeView1()->setDragDrop(this);
    m_panes.ListView1()->setDragDrop(this);
}

DragDrop::~DragDrop()
{
    m_panes.TreeView1()->setDragDrop(nullptr);
    m_panes.ListView1()->setDragDrop(nullptr);
}

bool DragDrop::canDropOnRow(const PaneDrag& drag, int row) const
{
    const ContentsModel& model = m_panes.ListView1()->model();
    if (row < 0 || row >= model.rowCount() || model.row(row).Icon != Image::Folder) {
        return false;
    }
    // A dragged folder row cannot take itself.
    const std::string& id = model.row(row).ID;
    return std::find(drag.ids.begin(), drag.ids.end(), id) == drag.ids.end();
}

bool DragDrop::canDropOnNode(const PaneDrag& drag, const QString& key) const
{
    if (key.isEmpty() || m_panes.TreeView1()->nodeByKey(key) == nullptr) {
        return false;
    }
    return drag.pane != Pane::TreeView1 || toQString(drag.ids.front()) != key;
}

bool DragDrop::dropOnRow(const PaneDrag& drag, int row)
{
    const bool takes = canDropOnRow(drag, row);
    const std::string destination = takes ? m_panes.ListView1()->model().row(row).ID : std::string();
    m_events.processEvents();
    return takes && drop(drag, destination);
}

bool DragDrop::dropOnNode(const PaneDrag& drag, const QString& key)
{
    if (key.isEmpty() || m_panes.TreeView1()->nodeByKey(key) == nullptr) {
        return false;
    }
    // A node dropped on itself gets the same-folder message, like every other refused
    // move, if the drop gets this far.
    return drop(drag, toUtf8(key));
}

bool DragDrop::drop(const PaneDrag& drag, const std::string& destinationId)
{
    Selection dragged;
    dragged.pane = drag.pane;
    if (drag.pane == Pane::ListView1) {
        dragged.rowIds = drag.ids;
    } else {
        dragged.nodeKey = drag.ids.front();
    }
    const PasteOutcome outcome = m_editing.Drop(dragged, destinationId);
    if (!outcome.pasted) {
        return false;
    }
    m_panes.RefreshPanes(outcome.refresh == Refresh::Full);
    return true;
}

void DragDrop::execDrag(QWidget* source, QMimeData* data)
{
    const std::optional<PaneDrag> dragged = readPaneDragMimeData(data);
    if (!dragged) {
        delete data;
        return;
    }
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    const QPixmap image = dragImage(*dragged);
    drag->setPixmap(image);
    drag->setHotSpot(QPoint(image.width() / 2, image.height() / 2));
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

QPixmap DragDrop::dragImage(const PaneDrag& drag) const
{
    if (drag.pane == Pane::TreeView1) {
        return paneImage(imageNumber(Image::Folder)).pixmap(DragImageSize, DragImageSize);
    }
    const ContentsModel& model = m_panes.ListView1()->model();
    const int row = model.findId(toQString(drag.ids.front()));
    const QPixmap icon
        = paneImage(row >= 0 ? model.row(row).Icon : imageNumber(Image::Link)).pixmap(DragImageSize, DragImageSize);
    if (drag.ids.size() == 1) {
        return icon;
    }
    const int side = DragImageSize + (StackedIcons - 1) * StackOffset;
    QPixmap stack(side, side);
    stack.fill(Qt::transparent);
    QPainter painter(&stack);
    for (int n = StackedIcons - 1; n >= 0; --n) {
        painter.drawPixmap(n * StackOffset, n * StackOffset, icon);
    }
    return stack;
}

}  // namespace brindlex

#pragma once
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "store/Editing.h"

class QMimeData;
class QPixmap;
class QWidget;

namespace brindlex {

class EventPump;
class FolderPanes;

// The mime type of a drag between the panes of the window. It never leaves the program:
// a drag that another process started is not taken.
inline constexpr char PaneDragMimeType[] = "application/x-brindlex-pane-drag";

// What a drag from a pane carries: the pane it started in and what was dragged there
// (the "ID" column of every selected list row, top to bottom, or the one tree node's key).
struct PaneDrag
{
    Pane pane = Pane::ListView1;
    std::vector<std::string> ids;
};

// The mime data of a drag; the caller (a QDrag) takes ownership.
QMimeData* makePaneDragMimeData(const PaneDrag& drag);
// The drag carried by `data`, or nothing when it is not one of this program's.
std::optional<PaneDrag> readPaneDragMimeData(const QMimeData* data);

// Drag and drop in the panes of the main window: which folder row or tree node takes a
// drag while it passes over (drop highlight and the allowed cursor), and what a drop
// does: the dragged entries move into the folder through Editing::Drop, refused moves
// show their messages, and the panes are refreshed after a move. The panes handle the
// gestures themselves and ask this controller; it attaches to TreeView1 and ListView1
// when made and detaches when destroyed.
class DragDrop
{
public:
    // Everything must outlive the controller.
    DragDrop(FolderPanes& panes, Editing& editing, EventPump& events);
    ~DragDrop();
    DragDrop(const DragDrop&) = delete;
    DragDrop& operator=(const DragDrop&) = delete;

    // Whether list row `row` (-1: no row) takes the drag: a folder row that was not dragged.
    bool canDropOnRow(const PaneDrag& drag, int row) const;
    // Whether the tree node keyed `key` (empty: no node) takes the drag: any node except
    // the dragged node itself.
    bool canDropOnNode(const PaneDrag& drag, const QString& key) const;

    // A drop on list row `row` or on the tree node keyed `key`. Returns true when the
    // dragged entries moved; false when the drop was ignored or refused (a refusal has
    // shown its message and changed nothing).
    bool dropOnRow(const PaneDrag& drag, int row);
    bool dropOnNode(const PaneDrag& drag, const QString& key);

    // Runs the drag of `data` from pane `source` until it is dropped or cancelled.
    void execDrag(QWidget* source, QMimeData* data);
    // The picture under the pointer during a drag: the row's icon for one row, a stack of
    // icons for several rows, a folder for a tree node.
    QPixmap dragImage(const PaneDrag& drag) const;

private:
    bool drop(const PaneDrag& drag, const std::string& destinationId);

    FolderPanes& m_panes;
    Editing& m_editing;
    EventPump& m_events;
};

}  // namespace brindlex

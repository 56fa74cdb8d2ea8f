#pragma once
#include <string>
#include <vector>

#include <QWidget>

class QAbstractItemView;
class QHeaderView;
class QItemSelectionModel;
class QListView;
class QMimeData;
class QStackedLayout;
class QTreeView;

namespace brindlex {

class ContentsModel;
class DragDrop;

// The contents list `ListView1`: one control with four view modes (0 large icons,
// 1 small icons, 2 list, 3 details). An icon view (`ListView1Icons`) and a details view
// (`ListView1Details`) share one model and one selection, so a row selected in one mode
// is selected in all.
class ContentsList : public QWidget
{
    Q_OBJECT

public:
    explicit ContentsList(QWidget* parent = nullptr);

    ContentsModel& model() const { return *m_model; }
    QItemSelectionModel* selectionModel() const { return m_selection; }
    QListView* iconView() const { return m_icons; }
    QTreeView* detailsView() const { return m_details; }
    QHeaderView* header() const;
    // The view of the present mode.
    QAbstractItemView* currentView() const;
    // Both views, for event filters.
    std::vector<QAbstractItemView*> views() const;

    int viewMode() const { return m_mode; }
    void setViewMode(int mode);

    int rowCount() const;
    // Rows in their present (sorted) order.
    std::vector<int> selectedRows() const;
    // The ID column of the selected rows, top to bottom.
    std::vector<std::string> selectedIds() const;
    // The row the selection starts from (current row), or -1.
    int currentRow() const;
    bool isRowSelected(int row) const;
    void selectRow(int row, bool alone = true);
    void selectAll();
    void clearSelection();
    // The row under a point of a view's viewport, or -1.
    int rowAt(const QWidget* viewport, const QPoint& point) const;
    void scrollToRow(int row);
    // Starts in-place editing of a row's name in the view of the present mode; the end
    // of it is reported by the model's nameEdited.
    bool editRow(int row);

    // Column widths of the details view, in pixels.
    int columnWidth(int column) const;
    // The width column `column` (0..5) needs at the list's present font to show its
    // header and typical contents: a name of some 24 characters, any date, the widest
    // kind word and client; for the URL and the Description, which take what the others
    // leave, at least 16 and 12 characters.
    int typicalColumnWidth(int column) const;
    void setColumnWidth(int column, int width);
    // Sorts by a column's text, ascending, and shows the sort mark in the header.
    void sortByColumn(int column);

    void setFocus();
    bool hasFocus() const;

    // Rows are dragged with the left button and folder rows take drops, as `controller`
    // decides; without one (null) nothing is dragged or dropped.
    void setDragDrop(DragDrop* controller);
    DragDrop* dragDrop() const { return m_dragDrop; }
    // What a drag of the selected rows carries (null with nothing selected); the caller
    // owns it.
    QMimeData* dragMimeData() const;
    // The folder row drop-highlighted under a passing drag, or -1.
    int dropHighlightRow() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyDragDrop();
    // Gives the items of an icon layout their cells at the present font.
    void layoutCells();

    ContentsModel* m_model;
    QItemSelectionModel* m_selection;
    QStackedLayout* m_stack;
    QListView* m_icons;
    QTreeView* m_details;
    int m_mode = 3;
    DragDrop* m_dragDrop = nullptr;  // observes the window's controller
};

}  // namespace brindlex

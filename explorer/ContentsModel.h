#pragma once
#include <vector>

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include "store/ListRow.h"

namespace brindlex {

// The rows of the contents list as a table of seven columns: Name, Date Added, Type,
// Client, URL, Description, ID. Holds copies of the rows worked out by listRows(); the
// store stays the only owner of the data.
class ContentsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = 7;
    static constexpr int IdColumn = 6;

    explicit ContentsModel(QObject* parent = nullptr);

    // A refilled list shows no row ghosted: the marks of a cut last until the next fill.
    void setRows(std::vector<ListRow> rows);
    // Adds one row at the end.
    void appendRow(ListRow row);
    // Puts new contents into a row that stays where it is.
    void replaceRow(int index, ListRow row);
    // Shows a row ghosted (cut) or plain.
    void setCut(int index, bool cut);
    void clear();
    const ListRow& row(int index) const { return m_rows[static_cast<size_t>(index)]; }
    // The text shown in a cell (the date in the system's short date form).
    QString text(int row, int column) const;
    // A date as the Date Added column shows it.
    static QString dateText(const DateTime& value);
    // The row whose ID column equals `id`, or -1.
    int findId(const QString& id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The end of in-place editing of a name: reported through nameEdited, the row itself
    // is changed by whoever updates the entry.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Ascending or descending by the column's text, compared without regard to case;
    // rows with equal texts keep their order. The selection follows the rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Rows can be dragged; the drag carries the ID column of the rows, top to bottom.
    // The name column can also be edited in place; the views start that only on request.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    // The folder row shown as the drop target while a drag passes over it (-1: none).
    // It follows its row when the rows are sorted and ends with a refill.
    int dropHighlightRow() const { return m_dropHighlight; }
    void setDropHighlightRow(int row);

Q_SIGNALS:
    // In-place editing of the name of the row with ID `id` ended with `text`.
    void nameEdited(const QString& id, const QString& text);

private:
    struct Row
    {
        ListRow data;
        QString texts[ColumnCount];
    };
    static Row makeRow(ListRow row);

    std::vector<Row> m_rowData;
    std::vector<ListRow> m_rows;  // the plain rows, kept in the same order as m_rowData
    int m_dropHighlight = -1;
};

}  // namespace brindlex

#include "explorer/ContentsModel.h"

#include <algorithm>
#include <numeric>

#include <QBrush>
#include <QDate>
#include <QIcon>
#include <QLocale>
#include <QMimeData>
#include <QPalette>

#include "explorer/DragDrop.h"
#include "explorer/Icons.h"
#include "platform/qt/QtString.h"

namespace brindlex {

QString ContentsModel::dateText(const DateTime& value)
{
    if (value.isNull()) {
        return {};
    }
    const QDate date(value.year, value.month, value.day);
    return date.isValid() ? QLocale::system().toString(date, QLocale::ShortFormat) : QString();
}

ContentsModel::ContentsModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

ContentsModel::Row ContentsModel::makeRow(ListRow row)
{
    Row made;
    made.texts[0] = toQString(row.Name);
    made.texts[1] = dateText(row.MDate);
    made.texts[2] = toQString(row.Type);
    made.texts[3] = toQString(row.Client);
    made.texts[4] = toQString(row.URL);
    made.texts[5] = toQString(row.Description);
    made.texts[6] = toQString(row.ID);
    made.data = std::move(row);
    return made;
}

void ContentsModel::setRows(std::vector<ListRow> rows)
{
    beginResetModel();
    m_dropHighlight = -1;
    m_rowData.clear();
    m_rowData.reserve(rows.size());
    for (ListRow& row : rows) {
        row.Cut = false;
        m_rowData.push_back(makeRow(row));
    }
    m_rows = std::move(rows);
    endResetModel();
}

void ContentsModel::appendRow(ListRow row)
{
    const int at = static_cast<int>(m_rows.size());
    beginInsertRows({}, at, at);
    m_rowData.push_back(makeRow(row));
    m_rows.push_back(std::move(row));
    endInsertRows();
}

void ContentsModel::replaceRow(int index, ListRow row)
{
    if (index < 0 || index >= rowCount()) {
        return;
    }
    const auto at = static_cast<size_t>(index);
    m_rowData[at] = makeRow(row);
    m_rows[at] = std::move(row);
    Q_EMIT dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1));
}

void ContentsModel::setCut(int index, bool cut)
{
    if (index < 0 || index >= rowCount() || m_rows[static_cast<size_t>(index)].Cut == cut) {
        return;
    }
    const auto at = static_cast<size_t>(index);
    m_rows[at].Cut = cut;
    m_rowData[at].data.Cut = cut;
    Q_EMIT dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1), { Qt::ForegroundRole });
}

void ContentsModel::clear()
{
    setRows({});
}

QString ContentsModel::text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount) {
        return {};
    }
    return m_rowData[static_cast<size_t>(row)].texts[column];
}

int ContentsModel::findId(const QString& id) const
{
    for (size_t i = 0; i < m_rowData.size(); ++i) {
        if (m_rowData[i].texts[IdColumn] == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ContentsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rowData.size());
}

int ContentsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ContentsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Row& row = m_rowData[static_cast<size_t>(index.row())];
    if (index.row() == m_dropHighlight) {
        if (role == Qt::BackgroundRole) {
            return QPalette().brush(QPalette::Active, QPalette::Highlight);
        }
        if (role == Qt::ForegroundRole) {
            return QPalette().brush(QPalette::Active, QPalette::HighlightedText);
        }
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
        return row.texts[index.column()];
    case Qt::DecorationRole:
        if (index.column() == 0) {
            return paneImage(row.data.Icon);
        }
        break;
    case Qt::ForegroundRole:
        if (row.data.Cut) {
            return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
        }
        break;
    default:
        break;
    }
    return {};
}

QVariant ContentsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const Headers[ColumnCount]
        = { "Name", "Date Added", "Type", "Client", "URL", "Description", "ID" };
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount) {
        return tr(Headers[section]);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool ContentsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0 || index.row() >= rowCount()) {
        return false;
    }
    Q_EMIT nameEdited(m_rowData[static_cast<size_t>(index.row())].texts[IdColumn], value.toString());
    return true;
}

void ContentsModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount || m_rowData.size() < 2) {
        return;
    }
    std::vector<int> order_(m_rowData.size());
    std::iota(order_.begin(), order_.end(), 0);
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
        const int compared = QString::compare(m_rowData[static_cast<size_t>(a)].texts[column],
            m_rowData[static_cast<size_t>(b)].texts[column], Qt::CaseInsensitive);
        return order == Qt::AscendingOrder ? compared < 0 : compared > 0;
    });

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPosition(order_.size());
    const int highlighted = m_dropHighlight;
    std::vector<Row> rowData;
    std::vector<ListRow> rows;
    rowData.reserve(order_.size());
    rows.reserve(order_.size());
    for (size_t i = 0; i < order_.size(); ++i) {
        newPosition[static_cast<size_t>(order_[i])] = static_cast<int>(i);
        rowData.push_back(std::move(m_rowData[static_cast<size_t>(order_[i])]));
        rows.push_back(std::move(m_rows[static_cast<size_t>(order_[i])]));
    }
    m_rowData = std::move(rowData);
    m_rows = std::move(rows);
    if (highlighted >= 0) {
        m_dropHighlight = newPosition[static_cast<size_t>(highlighted)];
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after.append(index.isValid() ? createIndex(newPosition[static_cast<size_t>(index.row())], index.column())
                                     : QModelIndex());
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

Qt::ItemFlags ContentsModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid()) {
        flags |= Qt::ItemIsDragEnabled;
        // The name can be edited in place; the views start that only on request.
        if (index.column() == 0) {
            flags |= Qt::ItemIsEditable;
        }
    }
    return flags;
}

QStringList ContentsModel::mimeTypes() const
{
    return { QString::fromLatin1(PaneDragMimeType) };
}

QMimeData* ContentsModel::mimeData(const QModelIndexList& indexes) const
{
    std::vector<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && index.row() < rowCount()) {
            rows.push_back(index.row());
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty()) {
        return nullptr;
    }
    PaneDrag drag;
    drag.pane = Pane::ListView1;
    for (int row : rows) {
        drag.ids.push_back(m_rows[static_cast<size_t>(row)].ID);
    }
    return makePaneDragMimeData(drag);
}

Qt::DropActions ContentsModel::supportedDragActions() const
{
    return Qt::MoveAction;
}

void ContentsModel::setDropHighlightRow(int row)
{
    if (row < 0 || row >= rowCount()) {
        row = -1;
    }
    if (row == m_dropHighlight) {
        return;
    }
    const int before = m_dropHighlight;
    m_dropHighlight = row;
    for (int changed : { before, row }) {
        if (changed >= 0) {
            Q_EMIT dataChanged(
                index(changed, 0), index(changed, ColumnCount - 1), { Qt::BackgroundRole, Qt::ForegroundRole });
        }
    }
}

}  // namespace brindlex

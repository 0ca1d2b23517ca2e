#include "CResultGridModel.h"

#include "CGridSortKey.h"

#include <algorithm>
#include <vector>

CResultGridModel::CResultGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int CResultGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int CResultGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_captions.size();
}

QVariant CResultGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size()) return QVariant();
    const Row& row = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole: return row.cells.value(index.column());
    case Qt::ForegroundRole: return row.colour.isValid() ? QVariant(row.colour) : QVariant();
    case Qt::DecorationRole: {
        const int image = row.images.value(index.column(), -1);
        return image >= 0 && image < m_icons.size() ? QVariant(m_icons[image]) : QVariant();
    }
    default: return QVariant();
    }
}

QVariant CResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return m_captions.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void CResultGridModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= m_captions.size()) return;
    m_sortColumn = column;
    m_sortOrder = order;
    // Keys are read once per row. Numbers come before texts so that the
    // order is strict even when a column mixes both.
    struct Key {
        CGridSortKey key;
        int row;
    };
    const int count = m_rows.size();
    std::vector<Key> keys;
    keys.reserve(count);
    for (int i = 0; i < count; ++i) keys.push_back({CGridSortKey::Of(m_rows[i].cells.at(column)), i});
    const bool ascending = order == Qt::AscendingOrder;
    std::sort(keys.begin(), keys.end(), [ascending](const Key& a, const Key& b) {
        const int c = a.key.Compare(b.key);
        if (c != 0) return ascending ? c < 0 : c > 0;
        return a.row < b.row;  // equal keys keep their order
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(count);
    QVector<Row> sorted;
    sorted.reserve(count);
    for (int i = 0; i < count; ++i) {
        newRowOf[keys[i].row] = i;
        sorted.push_back(std::move(m_rows[keys[i].row]));
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after << (old.row() < count ? index(newRowOf[old.row()], old.column()) : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CResultGridModel::Reset(const QStringList& fieldNames, const QStringList& captions)
{
    beginResetModel();
    m_fieldNames = fieldNames;
    m_captions = captions;
    m_rows.clear();
    m_sortColumn = -1;
    endResetModel();
}

void CResultGridModel::ClearAll()
{
    Reset({}, {});
}

void CResultGridModel::AppendRows(QVector<Row>&& rows)
{
    if (rows.isEmpty()) return;
    for (Row& row : rows)
        while (row.cells.size() < m_captions.size()) row.cells << QString();
    beginInsertRows(QModelIndex(), m_rows.size(), m_rows.size() + rows.size() - 1);
    if (m_rows.isEmpty())
        m_rows = std::move(rows);
    else
        m_rows += rows;
    endInsertRows();
}

void CResultGridModel::SetCaption(int column, const QString& caption)
{
    if (column < 0 || column >= m_captions.size()) return;
    m_captions[column] = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString CResultGridModel::Text(int row, int column) const
{
    if (row < 0 || row >= m_rows.size()) return QString();
    return m_rows[row].cells.value(column);
}

void CResultGridModel::ReplaceRow(int row, const QStringList& cells)
{
    if (row < 0 || row >= m_rows.size()) return;
    Row& r = m_rows[row];
    r.cells = cells;
    while (r.cells.size() < m_captions.size()) r.cells << QString();
    r.colour = QColor();
    r.images.clear();
    emit dataChanged(index(row, 0), index(row, qMax(0, m_captions.size() - 1)));
}

void CResultGridModel::SetText(int row, int column, const QString& text)
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_rows[row].cells.size())
        return;
    m_rows[row].cells[column] = text;
    emit dataChanged(index(row, column), index(row, column));
}

void CResultGridModel::SetRowColour(int row, const QColor& colour)
{
    if (row < 0 || row >= m_rows.size()) return;
    m_rows[row].colour = colour;
    emit dataChanged(index(row, 0), index(row, m_captions.size() - 1), {Qt::ForegroundRole});
}

QColor CResultGridModel::RowColour(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].colour : QColor();
}

void CResultGridModel::SetImage(int row, int column, int image)
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_captions.size()) return;
    Row& r = m_rows[row];
    if (r.images.isEmpty()) {
        if (image < 0) return;
        r.images.fill(-1, m_captions.size());
    }
    r.images[column] = image;
    emit dataChanged(index(row, column), index(row, column), {Qt::DecorationRole});
}

int CResultGridModel::Image(int row, int column) const
{
    if (row < 0 || row >= m_rows.size()) return -1;
    return m_rows[row].images.value(column, -1);
}

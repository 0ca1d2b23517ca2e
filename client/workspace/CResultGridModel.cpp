#include "CResultGridModel.h"

#include <algorithm>

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
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const auto less = [column](const Row& a, const Row& b) {
        const QString& x = a.cells.at(column);
        const QString& y = b.cells.at(column);
        bool xNumber = false;
        bool yNumber = false;
        const double dx = x.toDouble(&xNumber);
        const double dy = y.toDouble(&yNumber);
        if (xNumber && yNumber) return dx < dy;
        return x.compare(y, Qt::CaseInsensitive) < 0;
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(m_rows.begin(), m_rows.end(), less);
    else
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [&less](const Row& a, const Row& b) { return less(b, a); });
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CResultGridModel::Reset(const QStringList& fieldNames, const QStringList& captions)
{
    beginResetModel();
    m_fieldNames = fieldNames;
    m_captions = captions;
    m_rows.clear();
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

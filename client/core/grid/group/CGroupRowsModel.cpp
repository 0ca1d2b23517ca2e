#include "CGroupRowsModel.h"

#include "CGridSortKey.h"
#include "CResultGridModel.h"

#include <QFont>

#include <algorithm>

namespace {

// Separators of a group's path, characters no cell holds.
const QChar kColumnMark(0x1e);
const QChar kValueEnd(0x1f);

}  // namespace

CGroupRowsModel::CGroupRowsModel(CResultGridModel* source, QObject* parent)
    : QAbstractProxyModel(parent), m_source(source)
{
    setSourceModel(source);
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this]() { beginResetModel(); });
    connect(source, &QAbstractItemModel::modelReset, this, &CGroupRowsModel::SourceReset);
    connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex&, int first, int last) {
                m_forwardInsert = !IsGrouped();
                if (m_forwardInsert) beginInsertRows(QModelIndex(), first, last);
            });
    connect(source, &QAbstractItemModel::rowsInserted, this, [this]() {
        if (m_forwardInsert)
            endInsertRows();
        else
            Relayout(true);
        m_forwardInsert = false;
    });
    connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this, [this]() {
        emit layoutAboutToBeChanged();
        m_beforeSourceLayout = Remember();
    });
    connect(source, &QAbstractItemModel::layoutChanged, this, [this]() {
        Build();
        Restore(m_beforeSourceLayout);
        m_beforeSourceLayout.clear();
        emit layoutChanged();
    });
    connect(source, &QAbstractItemModel::dataChanged, this, &CGroupRowsModel::SourceDataChanged);
    connect(source, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    m_regroup.setSingleShot(true);
    m_regroup.setInterval(0);
    connect(&m_regroup, &QTimer::timeout, this, [this]() { Relayout(true); });
}

QModelIndex CGroupRowsModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex CGroupRowsModel::parent(const QModelIndex&) const
{
    return QModelIndex();
}

QModelIndex CGroupRowsModel::sibling(int row, int column, const QModelIndex&) const
{
    return index(row, column);
}

bool CGroupRowsModel::hasChildren(const QModelIndex& parent) const
{
    return !parent.isValid() && rowCount() > 0;
}

int CGroupRowsModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid()) return 0;
    return IsGrouped() ? static_cast<int>(m_visible.size()) : m_source->rowCount();
}

int CGroupRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_source->columnCount();
}

QModelIndex CGroupRowsModel::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid()) return QModelIndex();
    const int row = SourceRow(proxyIndex.row());
    return row < 0 ? QModelIndex() : m_source->index(row, proxyIndex.column());
}

QModelIndex CGroupRowsModel::mapFromSource(const QModelIndex& sourceIndex) const
{
    if (!sourceIndex.isValid()) return QModelIndex();
    const int row = RowOfSource(sourceIndex.row());
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

QVariant CGroupRowsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return QVariant();
    const int row = SourceRow(index.row());
    if (row >= 0) return m_source->data(m_source->index(row, index.column()), role);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return index.column() == 0 ? QVariant(GroupLabel(index.row())) : QVariant();
    case Qt::FontRole: {
        QFont font;
        font.setBold(true);
        return font;
    }
    default: return QVariant();
    }
}

QVariant CGroupRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) return m_source->headerData(section, orientation, role);
    return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
}

Qt::ItemFlags CGroupRowsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    const int row = SourceRow(index.row());
    if (row >= 0) return m_source->flags(m_source->index(row, index.column()));
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void CGroupRowsModel::sort(int column, Qt::SortOrder order)
{
    m_source->sort(column, order);
}

void CGroupRowsModel::SetGroupColumns(const QVector<int>& columns)
{
    QVector<int> valid;
    for (int column : columns)
        if (column >= 0 && column < m_source->columnCount() && !valid.contains(column)) valid << column;
    if (valid == m_columns) return;
    beginResetModel();
    m_columns = valid;
    m_fields.clear();
    for (int column : valid) m_fields << m_source->FieldNames().value(column);
    m_collapsed.clear();
    Build();
    endResetModel();
}

bool CGroupRowsModel::IsGroupRow(int row) const
{
    return GroupAt(row) >= 0;
}

int CGroupRowsModel::GroupAt(int row) const
{
    if (!IsGrouped() || row < 0 || row >= static_cast<int>(m_visible.size())) return -1;
    const int entry = m_visible[static_cast<size_t>(row)];
    return entry < 0 ? -entry - 1 : -1;
}

int CGroupRowsModel::SourceRow(int row) const
{
    if (!IsGrouped()) return row >= 0 && row < m_source->rowCount() ? row : -1;
    if (row < 0 || row >= static_cast<int>(m_visible.size())) return -1;
    const int entry = m_visible[static_cast<size_t>(row)];
    return entry >= 0 ? entry : -1;
}

int CGroupRowsModel::RowOfSource(int sourceRow) const
{
    if (!IsGrouped()) return sourceRow >= 0 && sourceRow < m_source->rowCount() ? sourceRow : -1;
    if (sourceRow < 0 || sourceRow >= static_cast<int>(m_rowOfSource.size())) return -1;
    return m_rowOfSource[static_cast<size_t>(sourceRow)];
}

int CGroupRowsModel::ParentRow(int row) const
{
    const int group = GroupAt(row);
    int parent = -1;
    if (group >= 0) {
        parent = m_groups[static_cast<size_t>(group)].parent;
    } else {
        const int source = SourceRow(row);
        if (IsGrouped() && source >= 0) parent = m_groupOfSource[static_cast<size_t>(source)];
    }
    return parent < 0 ? -1 : m_rowOfGroup[static_cast<size_t>(parent)];
}

int CGroupRowsModel::GroupDepth(int row) const
{
    const int group = GroupAt(row);
    return group < 0 ? -1 : m_groups[static_cast<size_t>(group)].depth;
}

int CGroupRowsModel::GroupColumn(int row) const
{
    const int group = GroupAt(row);
    return group < 0 ? -1 : m_groups[static_cast<size_t>(group)].column;
}

QString CGroupRowsModel::GroupValue(int row) const
{
    const int group = GroupAt(row);
    return group < 0 ? QString() : m_groups[static_cast<size_t>(group)].value;
}

int CGroupRowsModel::GroupCount(int row) const
{
    const int group = GroupAt(row);
    return group < 0 ? 0 : m_groups[static_cast<size_t>(group)].count;
}

bool CGroupRowsModel::IsExpanded(int row) const
{
    const int group = GroupAt(row);
    return group >= 0 && m_groups[static_cast<size_t>(group)].expanded;
}

QString CGroupRowsModel::GroupLabel(int row) const
{
    const int group = GroupAt(row);
    if (group < 0) return QString();
    const Group& g = m_groups[static_cast<size_t>(group)];
    return QStringLiteral("%1: %2 (%3)").arg(m_source->Caption(g.column), g.value).arg(g.count);
}

void CGroupRowsModel::SetExpanded(int row, bool expanded)
{
    const int group = GroupAt(row);
    if (group < 0 || m_groups[static_cast<size_t>(group)].expanded == expanded) return;
    Group& g = m_groups[static_cast<size_t>(group)];
    g.expanded = expanded;
    if (expanded)
        m_collapsed.remove(g.path);
    else
        m_collapsed.insert(g.path);
    Relayout(false);
}

void CGroupRowsModel::Reveal(int sourceRow)
{
    if (!IsGrouped() || RowOfSource(sourceRow) >= 0 || sourceRow < 0 ||
        sourceRow >= static_cast<int>(m_groupOfSource.size()))
        return;
    for (int group = m_groupOfSource[static_cast<size_t>(sourceRow)]; group >= 0;
         group = m_groups[static_cast<size_t>(group)].parent) {
        m_groups[static_cast<size_t>(group)].expanded = true;
        m_collapsed.remove(m_groups[static_cast<size_t>(group)].path);
    }
    Relayout(false);
}

void CGroupRowsModel::Build()
{
    m_groups.clear();
    m_top.clear();
    m_groupOfPath.clear();
    m_groupOfSource.clear();
    if (!IsGrouped()) {
        Flatten();
        return;
    }
    const int count = m_source->rowCount();
    m_groupOfSource.assign(static_cast<size_t>(count), -1);
    // Splits rows among the groups of one column under parent, in order.
    const auto split = [this](const QVector<int>& rows, int level, int parent) {
        const int column = m_columns[level];
        const QString prefix = parent < 0 ? QString() : m_groups[static_cast<size_t>(parent)].path;
        QHash<QString, int> byValue;
        QVector<int> made;
        for (int row : rows) {
            const QString value = m_source->Text(row, column);
            auto found = byValue.constFind(value);
            int group;
            if (found == byValue.constEnd()) {
                group = static_cast<int>(m_groups.size());
                Group g;
                g.column = column;
                g.depth = level;
                g.parent = parent;
                g.value = value;
                g.path = prefix + QString::number(column) + kColumnMark + value + kValueEnd;
                g.expanded = !m_collapsed.contains(g.path);
                m_groups.push_back(std::move(g));
                byValue.insert(value, group);
                made << group;
            } else {
                group = *found;
            }
            m_groups[static_cast<size_t>(group)].rows << row;
        }
        // Groups in the order of their values; the sorted column's as sorted.
        const bool descending = column == m_source->SortColumn() && m_source->SortOrder() == Qt::DescendingOrder;
        std::vector<std::pair<CGridSortKey, int>> keys;
        keys.reserve(static_cast<size_t>(made.size()));
        for (int group : made) keys.emplace_back(CGridSortKey::Of(m_groups[static_cast<size_t>(group)].value), group);
        std::stable_sort(keys.begin(), keys.end(), [descending](const auto& a, const auto& b) {
            const int c = a.first.Compare(b.first);
            return descending ? c > 0 : c < 0;
        });
        QVector<int> ordered;
        ordered.reserve(made.size());
        for (const auto& key : keys) ordered << key.second;
        return ordered;
    };
    QVector<int> all(count);
    for (int row = 0; row < count; ++row) all[row] = row;
    m_top = split(all, 0, -1);
    QVector<int> level = m_top;
    for (int depth = 1; depth < m_columns.size(); ++depth) {
        QVector<int> next;
        for (int parent : level) {
            const QVector<int> rows = std::move(m_groups[static_cast<size_t>(parent)].rows);
            m_groups[static_cast<size_t>(parent)].rows.clear();
            m_groups[static_cast<size_t>(parent)].count = rows.size();
            const QVector<int> children = split(rows, depth, parent);
            m_groups[static_cast<size_t>(parent)].children = children;
            next += children;
        }
        level = next;
    }
    for (int group : level) {
        Group& g = m_groups[static_cast<size_t>(group)];
        g.count = g.rows.size();
        for (int row : g.rows) m_groupOfSource[static_cast<size_t>(row)] = group;
    }
    for (size_t group = 0; group < m_groups.size(); ++group)
        m_groupOfPath.insert(m_groups[group].path, static_cast<int>(group));
    Flatten();
}

void CGroupRowsModel::Flatten()
{
    m_visible.clear();
    m_rowOfSource.clear();
    m_rowOfGroup.clear();
    if (!IsGrouped()) return;
    m_visible.reserve(static_cast<size_t>(m_source->rowCount()) + m_groups.size());
    m_rowOfSource.assign(static_cast<size_t>(m_source->rowCount()), -1);
    m_rowOfGroup.assign(m_groups.size(), -1);
    for (int group : m_top) AddVisible(group);
}

void CGroupRowsModel::AddVisible(int group)
{
    const Group& g = m_groups[static_cast<size_t>(group)];
    m_rowOfGroup[static_cast<size_t>(group)] = static_cast<int>(m_visible.size());
    m_visible.push_back(-group - 1);
    if (!g.expanded) return;
    for (int child : g.children) AddVisible(child);
    for (int row : g.rows) {
        m_rowOfSource[static_cast<size_t>(row)] = static_cast<int>(m_visible.size());
        m_visible.push_back(row);
    }
}

QList<CGroupRowsModel::Shown> CGroupRowsModel::Remember() const
{
    QList<Shown> shown;
    for (const QModelIndex& index : persistentIndexList()) {
        const int group = GroupAt(index.row());
        if (group >= 0)
            shown.push_back({QPersistentModelIndex(), m_groups[static_cast<size_t>(group)].path, index.column()});
        else
            shown.push_back({QPersistentModelIndex(mapToSource(index)), QString(), index.column()});
    }
    return shown;
}

void CGroupRowsModel::Restore(const QList<Shown>& shown)
{
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (int i = 0; i < before.size(); ++i) {
        const Shown& was = shown.value(i);
        int row = -1;
        if (!was.path.isEmpty()) {
            const auto found = m_groupOfPath.constFind(was.path);
            if (found != m_groupOfPath.constEnd()) row = m_rowOfGroup[static_cast<size_t>(*found)];
        } else if (was.source.isValid()) {
            const int source = was.source.row();
            row = RowOfSource(source);
            // A row hidden by a collapsed group: that group stands for it.
            for (int group = IsGrouped() ? m_groupOfSource[static_cast<size_t>(source)] : -1; row < 0 && group >= 0;
                 group = m_groups[static_cast<size_t>(group)].parent)
                if (m_rowOfGroup[static_cast<size_t>(group)] >= 0) row = m_rowOfGroup[static_cast<size_t>(group)];
        }
        after << (row < 0 ? QModelIndex() : index(row, was.column));
    }
    changePersistentIndexList(before, after);
}

void CGroupRowsModel::Relayout(bool regroup)
{
    m_regroup.stop();
    emit layoutAboutToBeChanged();
    const QList<Shown> shown = Remember();
    if (regroup)
        Build();
    else
        Flatten();
    Restore(shown);
    emit layoutChanged();
}

void CGroupRowsModel::SourceReset()
{
    // A new result keeps the grouping by field name; a result without
    // columns (the grid being cleared) keeps it for the next.
    if (m_source->columnCount() > 0) {
        QVector<int> columns;
        QStringList fields;
        for (const QString& field : m_fields) {
            const int column = m_source->FieldNames().indexOf(field);
            if (column >= 0) {
                columns << column;
                fields << field;
            }
        }
        m_columns = columns;
        m_fields = fields;
    } else {
        m_columns.clear();
    }
    m_collapsed.clear();
    m_regroup.stop();
    Build();
    endResetModel();
    if (m_source->columnCount() > 0) emit GroupColumnsChanged();
}

bool CGroupRowsModel::ValueLeftItsGroup(int sourceRow) const
{
    if (sourceRow < 0 || sourceRow >= static_cast<int>(m_groupOfSource.size())) return true;
    for (int group = m_groupOfSource[static_cast<size_t>(sourceRow)]; group >= 0;
         group = m_groups[static_cast<size_t>(group)].parent) {
        const Group& g = m_groups[static_cast<size_t>(group)];
        if (m_source->Text(sourceRow, g.column) != g.value) return true;
    }
    return false;
}

void CGroupRowsModel::SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                        const QList<int>& roles)
{
    if (!topLeft.isValid() || !bottomRight.isValid()) return;
    if (!IsGrouped()) {
        emit dataChanged(index(topLeft.row(), topLeft.column()), index(bottomRight.row(), bottomRight.column()),
                         roles);
        return;
    }
    const bool texts = roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::EditRole);
    bool moves = false;
    for (int column : m_columns)
        if (texts && column >= topLeft.column() && column <= bottomRight.column()) moves = true;
    for (int row = topLeft.row(); moves && row <= bottomRight.row(); ++row) {
        if (ValueLeftItsGroup(row)) {
            // Edited rows join their new groups once the edits are done.
            m_regroup.start();
            break;
        }
    }
    if (rowCount() == 0) return;
    if (bottomRight.row() - topLeft.row() > 1000) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), roles);
        return;
    }
    for (int source = topLeft.row(); source <= bottomRight.row(); ++source) {
        const int row = RowOfSource(source);
        if (row >= 0) emit dataChanged(index(row, topLeft.column()), index(row, bottomRight.column()), roles);
    }
}

#include "CGroupTree.h"

#include "CGridSortKey.h"
#include "CResultGridModel.h"

#include <algorithm>

namespace {

// Separators of a group's path, characters no cell holds.
const QChar kColumnMark(0x1e);
const QChar kValueEnd(0x1f);

template <typename T>
T ValueAt(const std::vector<T>& values, int i, T none)
{
    return i >= 0 && i < static_cast<int>(values.size()) ? values[static_cast<size_t>(i)] : none;
}

}  // namespace

void CGroupTree::Build(const CResultGridModel& table, const QVector<int>& columns, const QSet<QString>& closed)
{
    m_groups.clear();
    m_top.clear();
    m_groupOfPath.clear();
    m_groupOfSource.clear();
    m_sourceRows = table.rowCount();
    if (!columns.isEmpty()) {
        m_groupOfSource.assign(static_cast<size_t>(m_sourceRows), -1);
        QVector<int> all(m_sourceRows);
        for (int row = 0; row < m_sourceRows; ++row) all[row] = row;
        m_top = Split(table, all, columns[0], 0, -1, closed);
        QVector<int> level = m_top;
        for (int depth = 1; depth < columns.size(); ++depth) {
            QVector<int> next;
            for (int parent : level) {
                const QVector<int> rows = std::move(At(parent).rows);
                At(parent).rows.clear();
                At(parent).count = rows.size();
                const QVector<int> children = Split(table, rows, columns[depth], depth, parent, closed);
                At(parent).children = children;
                next += children;
            }
            level = next;
        }
        for (int group : level) {
            At(group).count = At(group).rows.size();
            for (int row : At(group).rows) m_groupOfSource[static_cast<size_t>(row)] = group;
        }
        for (size_t group = 0; group < m_groups.size(); ++group)
            m_groupOfPath.insert(m_groups[group].path, static_cast<int>(group));
    }
    Flatten();
}

QVector<int> CGroupTree::Split(const CResultGridModel& table, const QVector<int>& rows, int column, int depth,
                               int parent, const QSet<QString>& closed)
{
    const QString prefix = parent < 0 ? QString() : At(parent).path;
    QHash<QString, int> byValue;
    QVector<int> made;
    for (int row : rows) {
        const QString value = table.Text(row, column);
        const auto found = byValue.constFind(value);
        int group = found == byValue.constEnd() ? -1 : *found;
        if (group < 0) {
            group = static_cast<int>(m_groups.size());
            Group g;
            g.column = column;
            g.depth = depth;
            g.parent = parent;
            g.value = value;
            g.path = prefix + QString::number(column) + kColumnMark + value + kValueEnd;
            g.expanded = !closed.contains(g.path);
            m_groups.push_back(std::move(g));
            byValue.insert(value, group);
            made << group;
        }
        At(group).rows << row;
    }
    const bool descending = column == table.SortColumn() && table.SortOrder() == Qt::DescendingOrder;
    std::vector<std::pair<CGridSortKey, int>> keys;
    keys.reserve(static_cast<size_t>(made.size()));
    for (int group : made) keys.emplace_back(CGridSortKey::Of(At(group).value), group);
    std::stable_sort(keys.begin(), keys.end(), [descending](const auto& a, const auto& b) {
        const int c = a.first.Compare(b.first);
        return descending ? c > 0 : c < 0;
    });
    QVector<int> ordered;
    ordered.reserve(made.size());
    for (const auto& key : keys) ordered << key.second;
    return ordered;
}

void CGroupTree::Flatten()
{
    m_shown.clear();
    m_rowOfSource.clear();
    m_rowOfGroup.clear();
    if (m_groups.empty()) return;
    m_shown.reserve(static_cast<size_t>(m_sourceRows) + m_groups.size());
    m_rowOfSource.assign(static_cast<size_t>(m_sourceRows), -1);
    m_rowOfGroup.assign(m_groups.size(), -1);
    for (int group : m_top) AddShown(group);
}

void CGroupTree::AddShown(int group)
{
    const Group& g = At(group);
    m_rowOfGroup[static_cast<size_t>(group)] = RowCount();
    m_shown.push_back(-group - 1);
    if (!g.expanded) return;
    for (int child : g.children) AddShown(child);
    for (int row : g.rows) {
        m_rowOfSource[static_cast<size_t>(row)] = RowCount();
        m_shown.push_back(row);
    }
}

int CGroupTree::GroupAt(int row) const
{
    const int entry = ValueAt(m_shown, row, 0);
    return entry < 0 ? -entry - 1 : -1;
}

int CGroupTree::SourceRow(int row) const
{
    const int entry = ValueAt(m_shown, row, -1);
    return entry >= 0 ? entry : -1;
}

int CGroupTree::RowOfSource(int sourceRow) const
{
    return ValueAt(m_rowOfSource, sourceRow, -1);
}

int CGroupTree::RowOfGroup(int group) const
{
    return ValueAt(m_rowOfGroup, group, -1);
}

int CGroupTree::GroupOfSource(int sourceRow) const
{
    return ValueAt(m_groupOfSource, sourceRow, -1);
}

// CGroupTree: the groups of a table's rows by some of its columns, nested
// in the order of the columns, and the list of rows shown while some
// groups are closed: each group's row, then (while it is open) its
// subgroups or, at the last column, its rows of the table.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

#include <vector>

class CResultGridModel;

class CGroupTree {
public:
    struct Group {
        int column;
        int depth;
        int parent;  // -1 at the top
        QString value;
        QString path;  // the values from the outermost group, with columns
        int count = 0;
        bool expanded = true;
        QVector<int> children;  // subgroups in order, or
        QVector<int> rows;      // at the last column, rows of the table
    };

    // Groups the table's rows by columns; groups whose path is in closed
    // start closed. Groups go in the order of their values, the table's
    // sorted column in its order.
    void Build(const CResultGridModel& table, const QVector<int>& columns, const QSet<QString>& closed);
    // The shown rows again, after groups opened or closed.
    void Flatten();

    int RowCount() const { return static_cast<int>(m_shown.size()); }
    // The group shown at row, -1 for a row of the table or none.
    int GroupAt(int row) const;
    // The table's row shown at row, -1 for a group row or none.
    int SourceRow(int row) const;
    // Where a row of the table or a group shows, -1 while hidden.
    int RowOfSource(int sourceRow) const;
    int RowOfGroup(int group) const;
    // The innermost group of a row of the table, -1 for none.
    int GroupOfSource(int sourceRow) const;
    int GroupOfPath(const QString& path) const { return m_groupOfPath.value(path, -1); }
    const Group& At(int group) const { return m_groups[static_cast<size_t>(group)]; }
    Group& At(int group) { return m_groups[static_cast<size_t>(group)]; }

private:
    QVector<int> Split(const CResultGridModel& table, const QVector<int>& rows, int column, int depth, int parent,
                       const QSet<QString>& closed);
    void AddShown(int group);

    std::vector<Group> m_groups;
    QVector<int> m_top;
    int m_sourceRows = 0;
    // Shown rows: a row of the table (>= 0) or group g as -(g + 1).
    std::vector<int> m_shown;
    std::vector<int> m_rowOfSource;
    std::vector<int> m_rowOfGroup;
    std::vector<int> m_groupOfSource;
    QHash<QString, int> m_groupOfPath;
};

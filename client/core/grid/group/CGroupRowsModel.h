// CGroupRowsModel: the rows of a result grid grouped by some of its
// columns. Each value of the first column gives a group row, followed,
// while the group is expanded, by the groups of the next column within it
// or, at the last column, by its rows in the grid's order. Without group
// columns the rows show as they are. The grid's own table is never
// changed, so paging and export keep working on it.
#pragma once

#include "CGroupTree.h"

#include <QAbstractProxyModel>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <QVector>

class CResultGridModel;

class CGroupRowsModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    explicit CGroupRowsModel(CResultGridModel* source, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Sorts the grid's table; groups of the sorted column follow its order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Groups by these columns of the table, outermost first; every group
    // starts expanded. An empty list shows the rows as they are.
    void SetGroupColumns(const QVector<int>& columns);
    const QVector<int>& GroupColumns() const { return m_columns; }
    bool IsGrouped() const { return !m_columns.isEmpty(); }

    bool IsGroupRow(int row) const;
    // The table's row shown at row, -1 for a group row.
    int SourceRow(int row) const;
    // Where a row of the table shows, -1 while a collapsed group hides it.
    int RowOfSource(int sourceRow) const;
    // The group row right above a row's level: its group, -1 at the top.
    int ParentRow(int row) const;
    int GroupDepth(int row) const;
    int GroupColumn(int row) const;
    QString GroupValue(int row) const;
    int GroupCount(int row) const;
    bool IsExpanded(int row) const;
    // "caption: value (count)".
    QString GroupLabel(int row) const;
    void SetExpanded(int row, bool expanded);
    // Expands the groups that hold a row of the table.
    void Reveal(int sourceRow);

signals:
    // A new result came: the group columns are those of the last result
    // that it has too.
    void GroupColumnsChanged();

private:
    // What a persistent index showed before the rows moved.
    struct Shown {
        QPersistentModelIndex source;
        QString path;
        int column;
    };

    void Build();
    int GroupAt(int row) const;
    QList<Shown> Remember() const;
    // A layout change that keeps persistent indexes on what they showed;
    // regroup reads the table again.
    void Relayout(bool regroup);
    void Restore(const QList<Shown>& shown);
    void SourceReset();
    void SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);
    bool ValueLeftItsGroup(int sourceRow) const;

    CResultGridModel* m_source;
    QVector<int> m_columns;
    QStringList m_fields;  // field names of the group columns
    CGroupTree m_tree;
    QSet<QString> m_collapsed;  // paths of closed groups
    bool m_forwardInsert = false;
    QList<Shown> m_beforeSourceLayout;
    QTimer m_regroup;  // edits that move rows between groups, gathered
};

#include "CGroupRowsModel.h"

#include "CResultGridModel.h"

#include <QFont>

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
    return IsGrouped() ? m_tree.RowCount() : m_source->rowCount();
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
    return IsGrouped() ? m_tree.GroupAt(row) : -1;
}

int CGroupRowsModel::SourceRow(int row) const
{
    if (!IsGrouped()) return row >= 0 && row < m_source->rowCount() ? row : -1;
    return m_tree.SourceRow(row);
}

int CGroupRowsModel::RowOfSource(int sourceRow) const
{
    if (!IsGrouped()) return sourceRow >= 0 && sourceRow < m_source->rowCount() ? sourceRow : -1;
    return m_tree.RowOfSource(sourceRow);
}

int CGroupRowsModel::ParentRow(int row) const
{
    if (!IsGrouped()) return -1;
    const int group = GroupAt(row);
    const int parent = group >= 0 ? m_tree.At(group).parent : m_tree.GroupOfSource(SourceRow(row));
    return m_tree.RowOfGroup(parent);
}

int CGroupRowsModel::GroupDepth(int row) const
{
    const int group = GroupAt(row);
    return group < 0 ? -1 : m_tree.At(group).depth;
}

int CGroupRowsModel::GroupColumn(int row) const
{
    const int group = GroupAt(row);
    return group < 0 ? -1 : m_tree.At(group).column;
}

QString CGroupRowsModel::GroupValue(int row) const
{
    const int group = GroupAt(row);
    return group < 0 ? QString() : m_tree.At(group).value;
}

int CGroupRowsModel::GroupCount(int row) const
{
    const int group = GroupAt(row);
    return group < 0 ? 0 : m_tree.At(group).count;
}

bool CGroupRowsModel::IsExpanded(int row) const
{
    const int group = GroupAt(row);
    return group >= 0 && m_tree.At(group).expanded;
}

QString CGroupRowsModel::GroupLabel(int row) const
{
    const int group = GroupAt(row);
    if (group < 0) return QString();
    const CGroupTree::Group& g = m_tree.At(group);
    return QStringLiteral("%1: %2 (%3)").arg(m_source->Caption(g.column), g.value).arg(g.count);
}

void CGroupRowsModel::SetExpanded(int row, bool expanded)
{
    const int group = GroupAt(row);
    if (group < 0 || m_tree.At(group).expanded == expanded) return;
    CGroupTree::Group& g = m_tree.At(group);
    g.expanded = expanded;
    if (expanded)
        m_collapsed.remove(g.path);
    else
        m_collapsed.insert(g.path);
    Relayout(false);
}

void CGroupRowsModel::Reveal(int sourceRow)
{
    if (!IsGrouped() || RowOfSource(sourceRow) >= 0 || m_tree.GroupOfSource(sourceRow) < 0) return;
    for (int group = m_tree.GroupOfSource(sourceRow); group >= 0; group = m_tree.At(group).parent) {
        m_tree.At(group).expanded = true;
        m_collapsed.remove(m_tree.At(group).path);
    }
    Relayout(false);
}

void CGroupRowsModel::Build()
{
    m_tree.Build(*m_source, m_columns, m_collapsed);
}

QList<CGroupRowsModel::Shown> CGroupRowsModel::Remember() const
{
    QList<Shown> shown;
    for (const QModelIndex& index : persistentIndexList()) {
        const int group = GroupAt(index.row());
        if (group >= 0)
            shown.push_back({QPersistentModelIndex(), m_tree.At(group).path, index.column()});
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
            row = m_tree.RowOfGroup(m_tree.GroupOfPath(was.path));
        } else if (was.source.isValid()) {
            const int source = was.source.row();
            row = RowOfSource(source);
            // A row hidden by a closed group: that group stands for it.
            for (int group = IsGrouped() ? m_tree.GroupOfSource(source) : -1; row < 0 && group >= 0;
                 group = m_tree.At(group).parent)
                row = m_tree.RowOfGroup(group);
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
        m_tree.Flatten();
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
    if (m_tree.GroupOfSource(sourceRow) < 0) return true;
    for (int group = m_tree.GroupOfSource(sourceRow); group >= 0; group = m_tree.At(group).parent)
        if (m_source->Text(sourceRow, m_tree.At(group).column) != m_tree.At(group).value) return true;
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

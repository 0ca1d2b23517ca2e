// The result grid's group-by box and its group rows.
#include "CResultGrid.h"

#include "CGroupByBar.h"
#include "CGroupHeaderView.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kIndent = 16;  // per group level
constexpr int kSign = 9;     // the expand/collapse box

}  // namespace

CGroupByBar* CResultGrid::GroupBar() const
{
    return m_header->Bar();
}

void CResultGrid::SetGroupByBox(bool on)
{
    m_groupByBox = on;
    if (!on) SetGroupColumns({});
    m_header->SetBarShown(on);
    updateGeometries();
}

void CResultGrid::SetGroupColumns(const QVector<int>& columns)
{
    const int current = CurrentRow();
    m_groups->SetGroupColumns(columns);
    SyncGroups();
    SetCurrentRow(current);
}

void CResultGrid::SyncGroups()
{
    QStringList captions;
    for (int column : m_groups->GroupColumns()) captions << m_model->Caption(column);
    m_header->Bar()->SetCaptions(captions);
    UseModel(m_groups->IsGrouped() ? static_cast<QAbstractItemModel*>(m_groups) : m_model);
}

void CResultGrid::UseModel(QAbstractItemModel* wanted)
{
    if (model() == wanted) return;
    // Both show the same columns: the header keeps their order and sizes.
    setModel(wanted);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex&, const QModelIndex&) { OnSelChanged(); });
}

int CResultGrid::DropIndex(const QPoint& global) const
{
    CGroupByBar* bar = m_header->Bar();
    if (!m_header->IsBarShown()) return -1;
    const QPoint pos = bar->mapFromGlobal(global);
    return bar->rect().contains(pos) ? bar->InsertIndexAt(pos) : -1;
}

void CResultGrid::OnColumnDragged(int column, const QPoint& global, bool released)
{
    const int at = DropIndex(global);
    m_header->Bar()->ShowDropMark(released ? -1 : at);
    if (!released || at < 0) return;
    QVector<int> columns = m_groups->GroupColumns();
    const int was = columns.indexOf(column);
    int to = at;
    if (was >= 0) {
        columns.remove(was);
        if (was < to) --to;
    }
    columns.insert(to, column);
    SetGroupColumns(columns);
}

void CResultGrid::OnBoxDragged(int box, const QPoint& global, bool released)
{
    const int at = DropIndex(global);
    m_header->Bar()->ShowDropMark(released ? -1 : at);
    QVector<int> columns = m_groups->GroupColumns();
    if (!released || box < 0 || box >= columns.size()) return;
    const int column = columns.takeAt(box);
    if (at >= 0) {
        // Another place among the group columns.
        columns.insert(at > box ? at - 1 : at, column);
    } else if (!m_header->viewport()->rect().contains(m_header->viewport()->mapFromGlobal(global))) {
        return;  // dropped neither in the box nor on the header
    }
    SetGroupColumns(columns);
}

QRect CResultGrid::GroupSignRect(int row) const
{
    const int depth = qMax(0, m_groups->GroupDepth(row));
    const int top = rowViewportPosition(row);
    return QRect(4 + depth * kIndent, top + (rowHeight(row) - kSign) / 2, kSign, kSign);
}

void CResultGrid::PaintGroupRow(QPainter& painter, int row)
{
    const QRect rect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row));
    const bool selected = selectionModel()->isRowSelected(row, QModelIndex());
    painter.fillRect(rect, palette().color(selected ? QPalette::Highlight : QPalette::Window));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());

    const QRect sign = GroupSignRect(row);
    painter.setPen(palette().color(QPalette::Dark));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRect(sign.adjusted(0, 0, -1, -1));
    const int middleY = sign.top() + kSign / 2;
    const int middleX = sign.left() + kSign / 2;
    painter.drawLine(sign.left() + 2, middleY, sign.right() - 2, middleY);
    if (!m_groups->IsExpanded(row)) painter.drawLine(middleX, sign.top() + 2, middleX, sign.bottom() - 2);

    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::WindowText));
    painter.drawText(rect.adjusted(sign.right() + 6, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     m_groups->GroupLabel(row));
}

void CResultGrid::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (!ShowsGroups() || !m_groups->IsGrouped()) return;
    const int first = rowAt(event->rect().top());
    if (first < 0) return;
    int last = rowAt(event->rect().bottom());
    if (last < 0) last = m_groups->rowCount() - 1;
    QPainter painter(viewport());
    for (int row = first; row <= last; ++row)
        if (m_groups->IsGroupRow(row)) PaintGroupRow(painter, row);
}

void CResultGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const int row = ShowsGroups() ? rowAt(pos.y()) : -1;
    QTableView::mousePressEvent(event);
    // The sign opens or closes its group; a little room around it helps.
    if (event->button() == Qt::LeftButton && m_groups->IsGroupRow(row) &&
        GroupSignRect(row).adjusted(-3, -3, 3, 3).contains(pos))
        m_groups->SetExpanded(row, !m_groups->IsExpanded(row));
}

void CResultGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int row = ShowsGroups() ? rowAt(event->position().toPoint().y()) : -1;
    if (event->button() == Qt::LeftButton && m_groups->IsGroupRow(row)) {
        m_groups->SetExpanded(row, !m_groups->IsExpanded(row));
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void CResultGrid::keyPressEvent(QKeyEvent* event)
{
    const int row = ShowsGroups() ? currentIndex().row() : -1;
    const bool expand = event->key() == Qt::Key_Plus;
    const bool collapse = event->key() == Qt::Key_Minus;
    if (row >= 0 && (expand || collapse)) {
        // On a row of the table, minus closes the group it is in.
        const int group = m_groups->IsGroupRow(row) ? row : (collapse ? m_groups->ParentRow(row) : -1);
        if (group >= 0) m_groups->SetExpanded(group, expand);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

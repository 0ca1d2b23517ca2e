#include "CDragTreeCtrl.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

namespace {

// The drag image sits this far right of and below the cursor.
const QPoint kHotSpot(-15, -15);

bool IsAncestor(const QTreeWidgetItem* ancestor, const QTreeWidgetItem* item)
{
    for (const QTreeWidgetItem* p = item ? item->parent() : nullptr; p; p = p->parent())
        if (p == ancestor) return true;
    return false;
}

}  // namespace

CDragTreeCtrl::CDragTreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setDragEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

CDragTreeCtrl::~CDragTreeCtrl()
{
    delete m_dragImage;
}

void CDragTreeCtrl::ExpandAll()
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* group = topLevelItem(i);
        group->setExpanded(true);
        if (i == 0) continue;
        for (int k = 0; k < group->childCount(); ++k) group->child(k)->setExpanded(true);
    }
}

bool CDragTreeCtrl::BeginDrag(QTreeWidgetItem* item, const QPoint& pos)
{
    if (m_dragging || !item || !item->parent()) return false;
    const QRect r = visualItemRect(item);
    if (r.isEmpty()) return false;
    const QPixmap image = viewport()->grab(r);
    if (image.isNull()) return false;
    m_dragItem = item;
    m_target = nullptr;
    m_dragging = true;
    if (!m_dragImage) {
        m_dragImage = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        m_dragImage->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_dragImage->setWindowOpacity(0.7);
    }
    m_dragImage->setPixmap(image);
    m_dragImage->resize(image.size() / image.devicePixelRatio());
    m_dragImage->move(viewport()->mapToGlobal(pos) - kHotSpot);
    m_dragImage->show();
    viewport()->grabMouse();
    return true;
}

void CDragTreeCtrl::DragMoveTo(const QPoint& pos)
{
    if (!m_dragging) {
        viewport()->setCursor(Qt::ArrowCursor);
        return;
    }
    if (m_dragImage) m_dragImage->move(viewport()->mapToGlobal(pos) - kHotSpot);
    QTreeWidgetItem* item = itemAt(pos);
    if (item) {
        if (item->parent()) {
            viewport()->setCursor(Qt::ForbiddenCursor);
            SetHighlight(nullptr);
        } else if (item != m_dragItem->parent()) {
            viewport()->setCursor(Qt::ArrowCursor);
            SetHighlight(item);
        }
    }
    m_target = item;
}

bool CDragTreeCtrl::Drop(const QPoint& pos)
{
    if (!m_dragging) return false;
    QTreeWidgetItem* dragged = m_dragItem;
    EndDrag();
    QTreeWidgetItem* target = itemAt(pos);
    if (!target || target == dragged || target->parent() || IsAncestor(dragged, target))
        return false;
    target->setExpanded(true);
    QTreeWidgetItem* parent = dragged->parent();
    parent->removeChild(dragged);
    target->addChild(dragged);
    setCurrentItem(dragged);
    return true;
}

void CDragTreeCtrl::EndDrag()
{
    if (m_dragImage) m_dragImage->hide();
    viewport()->releaseMouse();
    viewport()->setCursor(Qt::ArrowCursor);
    SetHighlight(nullptr);
    m_dragging = false;
    m_dragItem = nullptr;
    m_target = nullptr;
}

void CDragTreeCtrl::SetHighlight(QTreeWidgetItem* item)
{
    if (m_highlight == item) return;
    if (m_highlight) {
        for (int c = 0; c < columnCount(); ++c) m_highlight->setData(c, Qt::BackgroundRole, {});
    }
    m_highlight = item;
    if (item) {
        const QBrush brush = palette().brush(QPalette::Highlight);
        for (int c = 0; c < columnCount(); ++c) item->setBackground(c, brush);
    }
}

void CDragTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    QTreeWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_pressPos = event->position().toPoint();
        m_pressIndex = indexAt(m_pressPos);
    }
}

void CDragTreeCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!m_dragging && (event->buttons() & Qt::LeftButton) && m_pressIndex.isValid() &&
        (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
        BeginDrag(itemFromIndex(m_pressIndex), pos);
    if (m_dragging) {
        DragMoveTo(pos);
        return;
    }
    viewport()->setCursor(Qt::ArrowCursor);
    QTreeWidget::mouseMoveEvent(event);
}

void CDragTreeCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressIndex = QPersistentModelIndex();
    if (m_dragging && event->button() == Qt::LeftButton) {
        Drop(event->position().toPoint());
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

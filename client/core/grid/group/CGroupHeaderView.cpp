#include "CGroupHeaderView.h"

#include "CGroupByBar.h"

#include <QMouseEvent>

namespace {

// Pixels either side of a column's edge where a press resizes it.
constexpr int kEdgeGrip = 4;

}  // namespace

CGroupHeaderView::CGroupHeaderView(const QString& hint, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_bar(new CGroupByBar(hint, this))
{
    // As the table view's own header starts.
    setSectionsClickable(true);
    setHighlightSections(true);
    m_bar->hide();
}

void CGroupHeaderView::SetBarShown(bool on)
{
    if (on == m_barShown) return;
    m_barShown = on;
    m_bar->setVisible(on);
    // The columns keep their own height below the strip.
    setViewportMargins(0, on ? m_bar->sizeHint().height() : 0, 0, 0);
    m_bar->setGeometry(0, 0, width(), m_bar->sizeHint().height());
    updateGeometry();
}

QSize CGroupHeaderView::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    if (m_barShown) size.rheight() += m_bar->sizeHint().height();
    return size;
}

void CGroupHeaderView::resizeEvent(QResizeEvent* event)
{
    QHeaderView::resizeEvent(event);
    m_bar->setGeometry(0, 0, width(), m_bar->sizeHint().height());
}

void CGroupHeaderView::mousePressEvent(QMouseEvent* event)
{
    m_draggingOut = false;
    m_pressPos = event->position().toPoint();
    m_pressed = event->button() == Qt::LeftButton ? logicalIndexAt(m_pressPos) : -1;
    if (m_pressed >= 0) {
        const int left = sectionViewportPosition(m_pressed);
        const int right = left + sectionSize(m_pressed);
        if (m_pressPos.x() < left + kEdgeGrip || m_pressPos.x() > right - kEdgeGrip) m_pressed = -1;
    }
    QHeaderView::mousePressEvent(event);
}

void CGroupHeaderView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!m_draggingOut && m_barShown && m_pressed >= 0 && (event->buttons() & Qt::LeftButton) && pos.y() < 0) {
        EndOwnMove();
        m_draggingOut = true;
    }
    if (!m_draggingOut) {
        QHeaderView::mouseMoveEvent(event);
        return;
    }
    emit ColumnDragged(m_pressed, event->globalPosition().toPoint(), false);
}

void CGroupHeaderView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_draggingOut) {
        m_pressed = -1;
        QHeaderView::mouseReleaseEvent(event);
        return;
    }
    m_draggingOut = false;
    const int column = m_pressed;
    m_pressed = -1;
    emit ColumnDragged(column, event->globalPosition().toPoint(), true);
}

void CGroupHeaderView::EndOwnMove()
{
    // Back over the pressed column, then released above the header: the
    // column stays where it is and no click (no sort) is seen.
    const QPoint back = m_pressPos;
    QMouseEvent move(QEvent::MouseMove, back, mapToGlobal(back), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QHeaderView::mouseMoveEvent(&move);
    const QPoint above(back.x(), -height());
    QMouseEvent release(QEvent::MouseButtonRelease, above, mapToGlobal(above), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QHeaderView::mouseReleaseEvent(&release);
}

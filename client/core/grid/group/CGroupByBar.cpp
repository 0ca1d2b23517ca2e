#include "CGroupByBar.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kMargin = 6;
constexpr int kGap = 14;        // between boxes, room for the arrow
constexpr int kPadding = 8;     // text to box edge
constexpr int kStairStep = 3;   // each inner column's box sits a little lower

}  // namespace

CGroupByBar::CGroupByBar(const QString& hint, QWidget* parent) : QWidget(parent), m_hint(new QLabel(hint, this))
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Mid).lighter(150));
    setPalette(pal);
    QPalette hintPal = m_hint->palette();
    hintPal.setColor(QPalette::WindowText, pal.color(QPalette::Dark).darker(130));
    m_hint->setPalette(hintPal);
}

QSize CGroupByBar::sizeHint() const
{
    const int box = fontMetrics().height() + 2 * 4;
    return QSize(m_hint->sizeHint().width() + 2 * kMargin, box + 2 * kMargin + 2 * kStairStep);
}

void CGroupByBar::SetCaptions(const QStringList& captions)
{
    m_captions = captions;
    m_hint->setVisible(captions.isEmpty());
    update();
}

QVector<QRect> CGroupByBar::Boxes() const
{
    QVector<QRect> boxes;
    const int height = fontMetrics().height() + 2 * 4;
    int x = kMargin;
    for (int i = 0; i < m_captions.size(); ++i) {
        const int width = fontMetrics().horizontalAdvance(m_captions[i]) + 2 * kPadding;
        boxes << QRect(x, kMargin + qMin(i, 2) * kStairStep, width, height);
        x += width + kGap;
    }
    return boxes;
}

QRect CGroupByBar::BoxRect(int i) const
{
    return Boxes().value(i);
}

int CGroupByBar::InsertIndexAt(const QPoint& pos) const
{
    const QVector<QRect> boxes = Boxes();
    for (int i = 0; i < boxes.size(); ++i)
        if (pos.x() < boxes[i].center().x()) return i;
    return boxes.size();
}

void CGroupByBar::ShowDropMark(int index)
{
    if (index == m_dropMark) return;
    m_dropMark = index;
    update();
}

void CGroupByBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QVector<QRect> boxes = Boxes();
    for (int i = 0; i < boxes.size(); ++i) {
        const QRect& box = boxes[i];
        painter.setPen(palette().color(QPalette::Dark));
        painter.setBrush(palette().color(QPalette::Button));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(box, Qt::AlignCenter, m_captions[i]);
        if (i + 1 < boxes.size()) {
            // An arrow to the next, inner, column.
            const int y = box.center().y() + kStairStep / 2;
            const int x = box.right() + 3;
            painter.setPen(palette().color(QPalette::Dark));
            painter.drawLine(x, y, x + kGap - 6, y);
            painter.drawLine(x + kGap - 9, y - 3, x + kGap - 6, y);
            painter.drawLine(x + kGap - 9, y + 3, x + kGap - 6, y);
        }
    }
    if (m_dropMark >= 0) {
        const int x = m_dropMark < boxes.size() ? boxes[m_dropMark].left() - kGap / 2
                                                : (boxes.isEmpty() ? kMargin : boxes.last().right() + kGap / 2);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawLine(x, 2, x, height() - 3);
    }
}

void CGroupByBar::mousePressEvent(QMouseEvent* event)
{
    m_pressed = -1;
    m_dragging = false;
    if (event->button() != Qt::LeftButton) return;
    m_pressPos = event->position().toPoint();
    const QVector<QRect> boxes = Boxes();
    for (int i = 0; i < boxes.size(); ++i)
        if (boxes[i].contains(m_pressPos)) m_pressed = i;
}

void CGroupByBar::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed < 0 || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint pos = event->position().toPoint();
    if (!m_dragging && (pos - m_pressPos).manhattanLength() < QApplication::startDragDistance()) return;
    m_dragging = true;
    emit BoxDragged(m_pressed, event->globalPosition().toPoint(), false);
}

void CGroupByBar::mouseReleaseEvent(QMouseEvent* event)
{
    const int box = m_pressed;
    const bool dragged = m_dragging;
    m_pressed = -1;
    m_dragging = false;
    if (box >= 0 && dragged) emit BoxDragged(box, event->globalPosition().toPoint(), true);
}

void CGroupByBar::resizeEvent(QResizeEvent*)
{
    // The whole width, so that a longer text of another language fits too.
    const int line = m_hint->sizeHint().height();
    m_hint->setGeometry(kMargin, (height() - line) / 2, qMax(0, width() - 2 * kMargin), line);
}

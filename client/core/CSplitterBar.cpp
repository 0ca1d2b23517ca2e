#include "CSplitterBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

CSplitterBar::CSplitterBar(QWidget* parent, int controlId)
    : QWidget(parent),
      m_windowMode(1),
      m_firstMin(0),
      m_secondMin(0),
      m_controlId(controlId),
      m_dragging(false),
      m_pressY(0),
      m_dy(0),
      m_ghost(nullptr) {
    setObjectName(QString::number(controlId));
    setCursor(Qt::SplitVCursor);
    setFixedHeight(4);
    setFocusPolicy(Qt::ClickFocus);
}

void CSplitterBar::SetLimits(int firstMin, int secondMin) {
    m_firstMin = firstMin;
    m_secondMin = secondMin;
}

int CSplitterBar::AddFirstSideWindow(QWidget* window) {
    m_first.append(window);
    return 1;
}

int CSplitterBar::AddSecondSideWindow(QWidget* window) {
    m_second.append(window);
    return 1;
}

void CSplitterBar::Unbind() {
    m_first.clear();
    m_second.clear();
}

int CSplitterBar::UpperLimit() const { return m_firstMin; }

int CSplitterBar::LowerLimit() const {
    const int parentHeight = parentWidget() ? parentWidget()->height() : height();
    return parentHeight - m_secondMin - height();
}

void CSplitterBar::MoveSides() {
    for (const QPointer<QWidget>& window : m_first) {
        if (!window) continue;
        QRect r = window->geometry();
        r.setBottom(geometry().top() - 1);
        window->setGeometry(r);
    }
    for (const QPointer<QWidget>& window : m_second) {
        if (!window) continue;
        QRect r = window->geometry();
        r.setTop(geometry().bottom() + 1);
        window->setGeometry(r);
        window->update();
    }
    if (parentWidget()) parentWidget()->update();
}

void CSplitterBar::RecalcLayout() { MoveSides(); }

void CSplitterBar::mousePressEvent(QMouseEvent* event) {
    // The right button ends a drag like the release of the left one.
    if (m_dragging) {
        if (event->button() == Qt::RightButton) EndDrag(true);
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (UpperLimit() > LowerLimit()) return;
    m_dragging = true;
    m_pressY = event->position().toPoint().y();
    m_dy = 0;
    grabMouse();
    setFocus();
    if (parentWidget()) {
        m_ghost = new QWidget(parentWidget());
        m_ghost->setStyleSheet("background: palette(highlight);");
        m_ghost->setGeometry(geometry());
        m_ghost->show();
    }
}

void CSplitterBar::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging) return;
    int dy = event->position().toPoint().y() - m_pressY;
    // Confined to the allowed range, as the cursor clip did.
    const int top = geometry().top() + dy;
    if (top < UpperLimit()) dy = UpperLimit() - geometry().top();
    if (top > LowerLimit()) dy = LowerLimit() - geometry().top();
    m_dy = dy;
    if (m_ghost) m_ghost->setGeometry(geometry().translated(0, dy));
}

void CSplitterBar::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging && event->button() == Qt::LeftButton) EndDrag(true);
}

void CSplitterBar::keyPressEvent(QKeyEvent* event) {
    // Escape ends the drag keeping the last position; other keys are swallowed.
    if (m_dragging && event->key() == Qt::Key_Escape) EndDrag(true);
}

void CSplitterBar::EndDrag(bool apply) {
    m_dragging = false;
    releaseMouse();
    if (m_ghost) m_ghost->deleteLater();
    m_ghost = nullptr;
    if (!apply || m_dy == 0) return;
    move(x(), y() + m_dy);
    MoveSides();
    emit Moved(m_dy, m_controlId);
    m_dy = 0;
}

void CSplitterBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
}

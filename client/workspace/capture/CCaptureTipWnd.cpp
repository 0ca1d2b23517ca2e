#include "CCaptureTipWnd.h"

#include "CaptureIds.h"

#include <QLinearGradient>
#include <QPainter>

CCaptureTipWnd::CCaptureTipWnd(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QString::number(ids::kCaptureTip));
    setReadOnly(true);
    // No caret and no selection: the tip only shows.
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, Qt::white);
    colours.setColor(QPalette::Base, Qt::transparent);
    setPalette(colours);
    viewport()->setPalette(colours);
    QFont small = font();
    small.setPointSizeF(qMax(7.0, small.pointSizeF() - 1));
    setFont(small);
    resize(170, 200);
}

void CCaptureTipWnd::Jump() {
    const int x = m_side == 1 ? 10 : m_screenWidth - 180;
    move(x, 10);
    m_side = m_side == 1 ? 0 : 1;
}

void CCaptureTipWnd::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(viewport());
        QLinearGradient panel(0, 0, 0, height());
        panel.setColorAt(0, QColor(20, 60, 80, 230));
        panel.setColorAt(1, QColor(10, 30, 45, 230));
        painter.setPen(QColor(10, 100, 130));
        painter.setBrush(panel);
        painter.drawRoundedRect(viewport()->rect().adjusted(0, 0, -1, -1), 4, 4);
    }
    QTextEdit::paintEvent(event);
}

void CCaptureTipWnd::mouseMoveEvent(QMouseEvent* event) {
    Jump();
    QTextEdit::mouseMoveEvent(event);
}

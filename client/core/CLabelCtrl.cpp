#include "CLabelCtrl.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

CLabelCtrl::CLabelCtrl(const QString& text, QWidget* parent, Qt::Alignment align)
    : QWidget(parent),
      m_bkColor(QApplication::palette().color(QPalette::Window)),
      m_textColor(QApplication::palette().color(QPalette::WindowText)),
      m_useSystemBk(1),
      m_font(QApplication::font()),
      m_align(align),
      m_text(text),
      m_tracking(0) {
    // Moves without a button pressed reach the label too.
    setMouseTracking(true);
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(50);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CLabelCtrl::Hovered);
}

CLabelCtrl* CLabelCtrl::SetBkColor(const QColor& colour) {
    m_bkColor = colour;
    m_useSystemBk = 0;
    repaint();
    return this;
}

CLabelCtrl* CLabelCtrl::SetTextColor(const QColor& colour) {
    m_textColor = colour;
    repaint();
    return this;
}

void CLabelCtrl::SetText(const QString& text) {
    m_text = text;
    updateGeometry();
    update();
}

QStringList CLabelCtrl::Lines() const { return m_text.split('\n', Qt::SkipEmptyParts); }

QSize CLabelCtrl::BlockSize() const {
    const QFontMetrics metrics(m_font);
    int width = 0;
    int lineHeight = 0;
    const QStringList lines = Lines();
    for (const QString& line : lines) {
        width = qMax(width, metrics.horizontalAdvance(line));
        lineHeight = qMax(lineHeight, metrics.height());
    }
    return QSize(width, lineHeight * static_cast<int>(lines.size()));
}

QSize CLabelCtrl::sizeHint() const { return BlockSize().expandedTo(QSize(10, 10)); }

QRect CLabelCtrl::TextBlockRect() const {
    const QSize block = BlockSize();
    int x = 0;
    int y = 0;
    if (m_align & Qt::AlignHCenter) x = (width() - block.width()) / 2;
    else if (m_align & Qt::AlignRight) x = width() - block.width();
    if (m_align & Qt::AlignVCenter) y = (height() - block.height()) / 2;
    else if (m_align & Qt::AlignBottom) y = height() - block.height();
    return QRect(QPoint(x, y), block);
}

void CLabelCtrl::paintEvent(QPaintEvent*) {
    const QColor background =
        // The face of the dialog the label sits on, as its parent paints it.
        m_useSystemBk ? palette().color(QPalette::Window) : m_bkColor;
    QPainter painter(this);
    painter.fillRect(rect(), background);
    const QSize block = BlockSize();
    if (block.isEmpty()) return;
    // Drawn off screen first, then copied in one piece: no flicker.
    QImage image(block, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    {
        QPainter off(&image);
        off.setFont(m_font);
        const QStringList lines = Lines();
        const int lineHeight = lines.isEmpty() ? 0 : block.height() / static_cast<int>(lines.size());
        Qt::Alignment horizontal = Qt::AlignLeft;
        if (m_align & Qt::AlignHCenter) horizontal = Qt::AlignHCenter;
        else if (m_align & Qt::AlignRight) horizontal = Qt::AlignRight;
        for (int k = 0; k < lines.size(); ++k) {
            const QRect band(0, k * lineHeight, block.width(), lineHeight);
            if (!isEnabled()) {
                off.setPen(QApplication::palette().color(QPalette::Light));
                off.drawText(band.translated(1, 1), horizontal | Qt::AlignVCenter, lines[k]);
                off.setPen(QApplication::palette().color(QPalette::Dark));
            } else {
                off.setPen(m_textColor);
            }
            off.drawText(band, horizontal | Qt::AlignVCenter, lines[k]);
        }
    }
    painter.setClipRect(rect());
    painter.drawImage(TextBlockRect().topLeft(), image);
}

void CLabelCtrl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(event);
}

void CLabelCtrl::mouseMoveEvent(QMouseEvent* event) {
    // Rested: no move for 50 ms since the first one (or since the last one
    // before the notice).
    if (!m_tracking || m_hoverTimer.isActive()) m_hoverTimer.start();
    m_tracking = 1;
    QWidget::mouseMoveEvent(event);
}

void CLabelCtrl::leaveEvent(QEvent* event) {
    m_hoverTimer.stop();
    if (m_tracking) {
        m_tracking = 0;
        emit Left();
    }
    QWidget::leaveEvent(event);
}

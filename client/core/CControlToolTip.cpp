#include "CControlToolTip.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QPainter>
#include <QTimerEvent>

namespace {

constexpr int kTickMs = 100;

}  // namespace

CControlToolTip::CControlToolTip()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    const QPalette pal = QApplication::palette();
    m_textColor = pal.color(QPalette::ToolTipText);
    m_bkColor = pal.color(QPalette::ToolTipBase);
}

CControlToolTip::~CControlToolTip()
{
    hide();
    m_timer.stop();
    m_owner = nullptr;
}

void CControlToolTip::SetOwner(QWidget* owner)
{
    m_owner = owner;
    if (owner)
        m_timer.start(kTickMs, this);
    else {
        m_timer.stop();
        hide();
    }
}

void CControlToolTip::SetText(const QString& text)
{
    m_text = text;
    update();
}

bool CControlToolTip::ShouldShow(const QPoint& globalCursor, Qt::MouseButtons buttons,
                                 const QWidget* focus) const
{
    if (!m_owner) return false;
    const QRect ownerRect(m_owner->mapToGlobal(QPoint(0, 0)), m_owner->size());
    if (!ownerRect.contains(globalCursor)) return false;
    if (m_needsButton && !(buttons & (m_leftButton ? Qt::LeftButton : Qt::RightButton)))
        return false;
    return focus && focus->parentWidget() == m_owner->parentWidget();
}

QRect CControlToolTip::PlacedRect() const
{
    if (!m_owner) return QRect();
    QPoint at = m_owner->mapToGlobal(QPoint(0, 0));
    if (m_placement == BelowOwner)
        at.ry() += m_owner->height();
    else if (m_placement == AboveOwner)
        at.ry() -= m_rect.height();
    return QRect(at, m_rect.size());
}

void CControlToolTip::Tick()
{
    if (!m_owner) return;
    if (ShouldShow(QCursor::pos(), QApplication::mouseButtons(), QApplication::focusWidget())) {
        setGeometry(PlacedRect());
        show();
        raise();
        update();
    } else {
        hide();
    }
}

void CControlToolTip::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        Tick();
    else
        QWidget::timerEvent(event);
}

void CControlToolTip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    if (m_fill) {
        painter.fillRect(rect(), m_bkColor);
        painter.setPen(m_textColor);
    }
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, m_text);
}

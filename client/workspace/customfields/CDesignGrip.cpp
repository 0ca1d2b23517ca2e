#include "CDesignGrip.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>
#include <climits>

DesignHit DesignZone(const QRect& r, const QPoint& p, int a, bool horizontalOnly) {
    const int L = r.left(), T = r.top(), R = r.left() + r.width(), B = r.top() + r.height();
    const int x = p.x(), y = p.y();
    auto in = [](int v, int low, int high) { return v >= low && v < high; };
    if (horizontalOnly) {
        if (in(x, L, L + a) && in(y, T, B)) return kHitLeft;
        if (in(x, R - a, R) && in(y, T, B)) return kHitRight;
        return kHitCaption;
    }
    if (in(x, L + a, R) && in(y, T, T + a)) return kHitTop;
    if (in(x, L, R - a) && in(y, B - a, B)) return kHitBottom;
    if (in(x, L, L + a) && in(y, T + a, B)) return kHitLeft;
    if (in(x, R - a, R) && in(y, T, B - a)) return kHitRight;
    if (in(x, R - a, R) && in(y, B - a, B)) return kHitBottomRight;
    if (in(x, L, L + a) && in(y, T, T + a)) return kHitTopLeft;
    return kHitCaption;
}

CDesignGrip::CDesignGrip(QWidget* control, Limits limits, bool horizontalOnly)
    : QObject(control), m_control(control), m_limits(limits), m_horizontalOnly(horizontalOnly) {
    Watch(control);
}

// Mouse events land on whichever part of a compound control is under the
// pointer (a list's viewport, a picker's line edit), so every part is watched.
void CDesignGrip::Watch(QWidget* widget) {
    widget->installEventFilter(this);
    widget->setMouseTracking(true);
    for (QWidget* child : widget->findChildren<QWidget*>()) {
        child->installEventFilter(this);
        child->setMouseTracking(true);
    }
}

DesignHit CDesignGrip::HitTest(const QPoint& global) const {
    const QRect rect(m_control->mapToGlobal(QPoint(0, 0)), m_control->size());
    if (!rect.contains(global)) return kHitNowhere;
    if (!m_design) return kHitClient;
    return DesignZone(rect, global, m_borderWidth, m_horizontalOnly);
}

void CDesignGrip::SetDesign(int on) {
    m_design = on;
    m_drag = kHitNowhere;
    if (!on) RestoreCursors();
}

QRect CDesignGrip::DraggedGeometry(const QPoint& global) const {
    const QPoint d = global - m_dragStart;
    int l = m_startGeometry.left(), t = m_startGeometry.top();
    int r = l + m_startGeometry.width(), b = t + m_startGeometry.height();
    if (m_drag == kHitCaption) return QRect(QPoint(l + d.x(), t + d.y()), m_startGeometry.size());
    const bool left = m_drag == kHitLeft || m_drag == kHitTopLeft;
    const bool right = m_drag == kHitRight || m_drag == kHitBottomRight;
    const bool top = m_drag == kHitTop || m_drag == kHitTopLeft;
    const bool bottom = m_drag == kHitBottom || m_drag == kHitBottomRight;
    if (left) l += d.x();
    if (right) r += d.x();
    if (top) t += d.y();
    if (bottom) b += d.y();
    const QSize low = m_limits.on ? m_limits.minimum : QSize(1, 1);
    const QSize high = m_limits.on ? m_limits.maximum : QSize(INT_MAX / 2, INT_MAX / 2);
    const int width = std::clamp(r - l, low.width(), high.width());
    const int height = std::clamp(b - t, low.height(), high.height());
    if (left) l = r - width; else r = l + width;
    if (top) t = b - height; else b = t + height;
    return QRect(l, t, r - l, b - t);
}

void CDesignGrip::ShowCursor(QWidget* widget, DesignHit hit) {
    const bool saved = std::any_of(m_savedCursors.begin(), m_savedCursors.end(),
                                   [widget](const SavedCursor& s) { return s.widget == widget; });
    if (!saved)
        m_savedCursors.push_back({widget, widget->testAttribute(Qt::WA_SetCursor), widget->cursor()});
    Qt::CursorShape shape = Qt::SizeAllCursor;
    switch (hit) {
    case kHitLeft:
    case kHitRight:
        shape = Qt::SizeHorCursor;
        break;
    case kHitTop:
    case kHitBottom:
        shape = Qt::SizeVerCursor;
        break;
    case kHitTopLeft:
    case kHitBottomRight:
        shape = Qt::SizeFDiagCursor;
        break;
    default:
        break;
    }
    widget->setCursor(shape);
}

void CDesignGrip::RestoreCursors() {
    for (const SavedCursor& saved : m_savedCursors) {
        if (!saved.widget) continue;
        if (saved.wasSet) saved.widget->setCursor(saved.cursor);
        else saved.widget->unsetCursor();
    }
    m_savedCursors.clear();
}

bool CDesignGrip::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        auto* added = static_cast<QChildEvent*>(event)->child();
        if (added->isWidgetType()) Watch(static_cast<QWidget*>(added));
        return false;
    }
    if (!m_design) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint global = mouse->globalPosition().toPoint();
        const DesignHit hit = HitTest(global);
        if (mouse->button() == Qt::LeftButton && hit >= kHitCaption) {
            m_drag = hit;
            m_dragStart = global;
            m_startGeometry = m_control->geometry();
        }
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint global = mouse->globalPosition().toPoint();
        if (m_drag != kHitNowhere) {
            m_control->setGeometry(DraggedGeometry(global));
        } else if (watched->isWidgetType()) {
            ShowCursor(static_cast<QWidget*>(watched), HitTest(global));
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) m_drag = kHitNowhere;
        return true;
    case QEvent::MouseButtonDblClick: {
        // A double click on the body would act on the control (open, select
        // a word); one on the border goes on as usual.
        auto* mouse = static_cast<QMouseEvent*>(event);
        return HitTest(mouse->globalPosition().toPoint()) == kHitCaption;
    }
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

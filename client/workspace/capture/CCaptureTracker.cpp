#include "CCaptureTracker.h"

#include <QPainter>

#include <cstdlib>

namespace {

// An edge dragged closer than minimum to its opposite stops there, on the
// side it started from; dragged further it may pass it (an inverted drag).
int KeepApart(int moving, int fixed, int minimum, bool beforeFixed) {
    if (std::abs(moving - fixed) >= minimum) return moving;
    return beforeFixed ? fixed - minimum : fixed + minimum;
}

}  // namespace

CCaptureTracker::CCaptureTracker() : m_colour(10, 100, 130) {}

QRect CCaptureTracker::HandleRect(int hit) const {
    const CCaptureRect r = m_rect.Normalized();
    const int s = m_handleSize;
    const int midX = (r.left + r.right - s) / 2;
    const int midY = (r.top + r.bottom - s) / 2;
    switch (hit) {
        case HitTopLeft: return QRect(r.left - s, r.top - s, s, s);
        case HitTopRight: return QRect(r.right, r.top - s, s, s);
        case HitBottomRight: return QRect(r.right, r.bottom, s, s);
        case HitBottomLeft: return QRect(r.left - s, r.bottom, s, s);
        case HitTop: return QRect(midX, r.top - s, s, s);
        case HitRight: return QRect(r.right, midY, s, s);
        case HitBottom: return QRect(midX, r.bottom, s, s);
        case HitLeft: return QRect(r.left - s, midY, s, s);
        default: return QRect();
    }
}

int CCaptureTracker::HitTest(const QPoint& point) const {
    if (m_rect.IsEmpty()) return HitNothing;
    for (int hit = HitTopLeft; hit <= HitLeft; ++hit)
        if (HandleRect(hit).contains(point)) return hit;
    return m_rect.Contains(point) ? HitMiddle : HitNothing;
}

Qt::CursorShape CCaptureTracker::CursorFor(int hit) {
    switch (hit) {
        case HitTopLeft:
        case HitBottomRight: return Qt::SizeFDiagCursor;
        case HitTopRight:
        case HitBottomLeft: return Qt::SizeBDiagCursor;
        case HitTop:
        case HitBottom: return Qt::SizeVerCursor;
        case HitLeft:
        case HitRight: return Qt::SizeHorCursor;
        case HitMiddle: return Qt::SizeAllCursor;
        default: return Qt::CrossCursor;
    }
}

bool CCaptureTracker::BeginTrack(int hit, const QPoint& point) {
    if (hit == HitNothing || m_rect.IsEmpty()) return false;
    m_rect = m_rect.Normalized();
    m_trackHit = hit;
    m_trackStart = point;
    m_trackOriginal = m_rect;
    return true;
}

bool CCaptureTracker::TrackTo(const QPoint& point) {
    if (!IsTracking()) return false;
    const int dx = point.x() - m_trackStart.x();
    const int dy = point.y() - m_trackStart.y();
    const CCaptureRect o = m_trackOriginal;
    CCaptureRect r = o;
    const int min = MinimumSize();
    const bool moveLeft = m_trackHit == HitTopLeft || m_trackHit == HitBottomLeft || m_trackHit == HitLeft;
    const bool moveRight = m_trackHit == HitTopRight || m_trackHit == HitBottomRight || m_trackHit == HitRight;
    const bool moveTop = m_trackHit == HitTopLeft || m_trackHit == HitTopRight || m_trackHit == HitTop;
    const bool moveBottom = m_trackHit == HitBottomLeft || m_trackHit == HitBottomRight || m_trackHit == HitBottom;
    if (m_trackHit == HitMiddle) {
        r = CCaptureRect(o.left + dx, o.top + dy, o.right + dx, o.bottom + dy);
    } else {
        if (moveLeft) r.left = KeepApart(o.left + dx, o.right, min, true);
        if (moveRight) r.right = KeepApart(o.right + dx, o.left, min, false);
        if (moveTop) r.top = KeepApart(o.top + dy, o.bottom, min, true);
        if (moveBottom) r.bottom = KeepApart(o.bottom + dy, o.top, min, false);
    }
    if (r == m_rect) return false;
    m_rect = r;
    return true;
}

void CCaptureTracker::EndTrack() {
    if (!IsTracking()) return;
    m_rect = m_rect.Normalized();
    m_trackHit = HitNothing;
}

void CCaptureTracker::CancelTrack() {
    if (!IsTracking()) return;
    m_rect = m_trackOriginal;
    m_trackHit = HitNothing;
}

void CCaptureTracker::Draw(QPainter& painter) const {
    if (m_rect.IsEmpty()) return;
    const QRect r = m_rect.ToQRect();
    painter.save();
    painter.setPen(QPen(m_colour, 1, Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);
    // The border runs just inside the rectangle.
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    for (int hit = HitTopLeft; hit <= HitLeft; ++hit) painter.fillRect(HandleRect(hit), m_colour);
    painter.restore();
}

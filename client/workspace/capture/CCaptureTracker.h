// CCaptureTracker: the selection rectangle of the screen capture with its
// eight resize handles outside the border and its inside as hit areas. A
// press on a handle or inside starts tracking: the following mouse
// positions resize or move the rectangle (inverted drags allowed) until the
// button comes up; Escape or the right button put it back as it was. The
// owner repaints on every change and draws the tracker in its paint event.
#pragma once

#include "CCaptureRect.h"

#include <QColor>
#include <QPoint>
#include <Qt>

class QPainter;

class CCaptureTracker {
public:
    // Hit areas, in the order of the classic tracker.
    enum Hit {
        HitNothing = -1,
        HitTopLeft = 0,
        HitTopRight = 1,
        HitBottomRight = 2,
        HitBottomLeft = 3,
        HitTop = 4,
        HitRight = 5,
        HitBottom = 6,
        HitLeft = 7,
        HitMiddle = 8
    };

    CCaptureTracker();

    // The rectangle; (-1, -1, -1, -1) without a selection.
    CCaptureRect m_rect;

    void SetColor(const QColor& colour) { m_colour = colour; }
    QColor Color() const { return m_colour; }
    int HandleSize() const { return m_handleSize; }
    // Smaller than this in either direction a resize does not go.
    int MinimumSize() const { return 2 * m_handleSize; }

    // Which area of the (normalised) rectangle the point hits; HitNothing
    // for an empty rectangle.
    int HitTest(const QPoint& point) const;
    // The cursor over a hit area (the move cursor inside).
    static Qt::CursorShape CursorFor(int hit);
    // The area of one handle (outside the border).
    QRect HandleRect(int hit) const;

    bool BeginTrack(int hit, const QPoint& point);
    // true when the rectangle changed.
    bool TrackTo(const QPoint& point);
    // Button up: the rectangle is normalised and kept.
    void EndTrack();
    // Escape or the right button: the rectangle before tracking comes back.
    void CancelTrack();
    bool IsTracking() const { return m_trackHit != HitNothing; }

    // Solid border and filled handles in the tracker's colour.
    void Draw(QPainter& painter) const;

private:
    QColor m_colour;
    int m_handleSize = 4;
    int m_trackHit = HitNothing;
    QPoint m_trackStart;
    CCaptureRect m_trackOriginal;
};

// CDesignGrip: what makes a form control a design control. While its design
// flag is on it answers a hit test over the control's rectangle (a border
// of m_borderWidth pixels resizes, the body moves) and turns the mouse into
// dragging and resizing; while it is off the control works as usual.
#pragma once

#include <QCursor>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

// Hit-test answers, numbered as the window system the layouts come from.
enum DesignHit {
    kHitNowhere = 0,
    kHitClient = 1,
    kHitCaption = 2,  // the body: moves the control
    kHitLeft = 10,
    kHitRight = 11,
    kHitTop = 12,
    kHitTopLeft = 13,
    kHitBottom = 15,
    kHitBottomRight = 17,
};

// The design zone of point p inside the rectangle [r.left, r.left + width)
// x [r.top, r.top + height) with border a: the top strip (top-right corner
// included), the bottom strip (bottom-left corner included), the left and
// right strips, then the corners those leave. horizontalOnly keeps only the
// left and right strips. Everything else is kHitCaption.
DesignHit DesignZone(const QRect& r, const QPoint& p, int a, bool horizontalOnly);

class CDesignGrip : public QObject {
public:
    struct Limits {
        bool on = false;
        QSize minimum;
        QSize maximum;
    };
    // The sizes a user may drag an edit, static, button or list box to.
    static Limits TrackingLimits() { return {true, QSize(20, 14), QSize(950, 900)}; }

    CDesignGrip(QWidget* control, Limits limits, bool horizontalOnly);

    // The answer for a point in global coordinates: kHitNowhere outside the
    // control, kHitClient inside while the design flag is off.
    DesignHit HitTest(const QPoint& global) const;
    void SetDesign(int on);
    int Design() const { return m_design; }

    int m_borderWidth = 4;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QWidget* widget);
    void ShowCursor(QWidget* widget, DesignHit hit);
    void RestoreCursors();
    QRect DraggedGeometry(const QPoint& global) const;

    QWidget* m_control;
    Limits m_limits;
    bool m_horizontalOnly;
    int m_design = 1;
    DesignHit m_drag = kHitNowhere;
    QPoint m_dragStart;
    QRect m_startGeometry;
    // Cursors the widgets had before design mode changed them.
    struct SavedCursor {
        QPointer<QWidget> widget;
        bool wasSet;
        QCursor cursor;
    };
    std::vector<SavedCursor> m_savedCursors;
};

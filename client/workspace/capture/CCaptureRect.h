// CCaptureRect: a rectangle given by its four edges, right and bottom
// exclusive, that may be inverted while the user drags (left > right).
#pragma once

#include <QPoint>
#include <QRect>

#include <algorithm>

struct CCaptureRect {
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;

    CCaptureRect() = default;
    CCaptureRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

    CCaptureRect Normalized() const {
        return CCaptureRect(std::min(left, right), std::min(top, bottom), std::max(left, right),
                            std::max(top, bottom));
    }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const {
        const CCaptureRect n = Normalized();
        return n.Width() <= 0 || n.Height() <= 0;
    }
    bool Contains(const QPoint& p) const {
        const CCaptureRect n = Normalized();
        return p.x() >= n.left && p.x() < n.right && p.y() >= n.top && p.y() < n.bottom;
    }
    // Normalised, as a QRect.
    QRect ToQRect() const {
        const CCaptureRect n = Normalized();
        return QRect(n.left, n.top, n.Width(), n.Height());
    }
    // Normalised and kept inside (0, 0, width, height).
    CCaptureRect Clipped(int width, int height) const {
        const CCaptureRect n = Normalized();
        return CCaptureRect(std::max(n.left, 0), std::max(n.top, 0), std::min(n.right, width),
                            std::min(n.bottom, height));
    }
    bool operator==(const CCaptureRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CCaptureRect& o) const { return !(*this == o); }
};

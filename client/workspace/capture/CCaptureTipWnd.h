// CCaptureTipWnd: the screen capture's tip: a read-only multi-line text in
// white over a dark panel, showing the colour under the cursor and what the
// mouse does next. It keeps out of the user's way: every mouse move over it
// sends it to the other top corner of the screen.
#pragma once

#include <QTextEdit>

class CCaptureTipWnd : public QTextEdit {
    Q_OBJECT
public:
    explicit CCaptureTipWnd(QWidget* parent = nullptr);

    // The screen width the right-hand place is measured from.
    void SetScreenWidth(int width) { m_screenWidth = width; }
    // A mouse move over the tip: to (10, 10) with the side flag 1, else to
    // the right-hand corner; the flag flips.
    void Jump();
    int SideFlag() const { return m_side; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    int m_side = 1;
    int m_screenWidth = 0;
};

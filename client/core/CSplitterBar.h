// CSplitterBar: a thin horizontal bar between two groups of sibling widgets;
// dragging it gives one group more height and the other less. The parent is
// told of a move by the signal Moved (the distance and the bar's id).
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class CSplitterBar : public QWidget {
    Q_OBJECT
public:
    explicit CSplitterBar(QWidget* parent = nullptr, int controlId = 3179);

    void SetLimits(int firstMin, int secondMin);
    int AddFirstSideWindow(QWidget* window);
    int AddSecondSideWindow(QWidget* window);
    // Moves the sides to the bar as after a drag.
    void RecalcLayout();
    void Unbind();
    // The range the bar's top may take, in the parent's coordinates; empty
    // (top > bottom) when no drag can start.
    int UpperLimit() const;
    int LowerLimit() const;

    int m_windowMode;
    int m_firstMin;
    int m_secondMin;

signals:
    void Moved(int distance, int controlId);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void EndDrag(bool apply);
    void MoveSides();

    int m_controlId;
    QList<QPointer<QWidget>> m_first;
    QList<QPointer<QWidget>> m_second;
    bool m_dragging;
    int m_pressY;
    int m_dy;
    QWidget* m_ghost;
};

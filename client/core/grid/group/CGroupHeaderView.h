// CGroupHeaderView: the result grid's column header, with the group-by
// box as a strip above the columns while the box is shown. Besides sorting
// and moving columns, a column can then be dragged up out of the header
// into the box.
#pragma once

#include <QHeaderView>

class CGroupByBar;

class CGroupHeaderView : public QHeaderView {
    Q_OBJECT
public:
    // hint: the box's text while it is empty.
    CGroupHeaderView(const QString& hint, QWidget* parent = nullptr);

    CGroupByBar* Bar() const { return m_bar; }
    void SetBarShown(bool on);
    bool IsBarShown() const { return m_barShown; }
    QSize sizeHint() const override;

signals:
    // The column dragged out of the header is at global (released: dropped).
    void ColumnDragged(int logical, const QPoint& global, bool released);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Ends the header's own moving of the column where it began, so that
    // the drag out neither moves nor sorts it.
    void EndOwnMove();

    CGroupByBar* m_bar;
    bool m_barShown = false;
    int m_pressed = -1;  // column under the press, -1 on an edge or none
    QPoint m_pressPos;
    bool m_draggingOut = false;
};

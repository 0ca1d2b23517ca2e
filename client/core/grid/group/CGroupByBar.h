// CGroupByBar: the strip above a result grid's column header that lists
// the columns the rows are grouped by, outermost first, each as a box that
// can be dragged to another place in the strip or back to the header. While
// empty it shows how to group.
#pragma once

#include <QStringList>
#include <QVector>
#include <QWidget>

class QLabel;

class CGroupByBar : public QWidget {
    Q_OBJECT
public:
    // hint: the text shown while no column groups the rows.
    explicit CGroupByBar(const QString& hint, QWidget* parent = nullptr);

    void SetCaptions(const QStringList& captions);
    const QStringList& Captions() const { return m_captions; }
    // The box of the i-th group column, in the strip's coordinates.
    QRect BoxRect(int i) const;
    // Where a column dropped at pos goes among the group columns.
    int InsertIndexAt(const QPoint& pos) const;
    // A mark where a dragged column would go; -1 removes it.
    void ShowDropMark(int index);
    QLabel* Hint() const { return m_hint; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // The i-th box is dragged to global (released: dropped there).
    void BoxDragged(int i, const QPoint& global, bool released);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QVector<QRect> Boxes() const;

    QLabel* m_hint;
    QStringList m_captions;
    int m_dropMark = -1;
    int m_pressed = -1;
    QPoint m_pressPos;
    bool m_dragging = false;
};

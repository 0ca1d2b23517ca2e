// CDragTreeCtrl: a two-level tree (groups with their members) whose members
// can be dragged with the mouse onto another group. The tree only
// rearranges its own items; the item data travel with the item.
#pragma once

#include <QPersistentModelIndex>
#include <QPixmap>
#include <QPoint>
#include <QTreeWidget>

class QLabel;

class CDragTreeCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CDragTreeCtrl(QWidget* parent = nullptr);
    ~CDragTreeCtrl() override;

    // Expands every group and, except under the first group, their members.
    void ExpandAll();

    // The drag steps the mouse drives, positions in viewport coordinates.
    // A group (an item without a parent) cannot be dragged.
    bool BeginDrag(QTreeWidgetItem* item, const QPoint& pos);
    void DragMoveTo(const QPoint& pos);
    // Ends the drag; true when the item was moved.
    bool Drop(const QPoint& pos);

    bool IsDragging() const { return m_dragging; }
    QTreeWidgetItem* DropHighlight() const { return m_highlight; }
    QTreeWidgetItem* Target() const { return m_target; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetHighlight(QTreeWidgetItem* item);
    void EndDrag();

    bool m_dragging = false;
    QTreeWidgetItem* m_dragItem = nullptr;
    QTreeWidgetItem* m_target = nullptr;
    QTreeWidgetItem* m_highlight = nullptr;
    QLabel* m_dragImage = nullptr;
    QPoint m_pressPos;
    QPersistentModelIndex m_pressIndex;
};

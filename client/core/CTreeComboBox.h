// CTreeComboBox: a combo-like picker whose drop-down is a tree of groups
// (departments) and leaves (users); only leaves can be picked. A control
// taller than 32 pixels collects several picks as sorted lines.
#pragma once

#include <QIcon>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTreeWidget>
#include <QVector>
#include <QWidget>

class CTreeComboBox;

// The edit part: shows the chosen text; typing only when editable.
class CTreeComboEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    CTreeComboEdit(CTreeComboBox* combo, bool multiLine);
    void SetEditable(bool editable);
    bool IsEditable() const { return m_editable; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CTreeComboBox* m_combo;
    bool m_editable = false;
};

// The drop-down part: a pop-up tree with hot tracking.
class CTreeComboTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CTreeComboTree(CTreeComboBox* combo);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CTreeComboBox* m_combo;
};

class CTreeComboBox : public QWidget {
    Q_OBJECT
public:
    // height above 32 makes the control multi-line.
    explicit CTreeComboBox(QWidget* parent = nullptr, int height = 22);

    // Tree images: 0 closed group, 1 open group, 3 user (2 is unused).
    void SetImageList(int bitmapId);
    // Appends a group at the root with the children under it; returns the group.
    QTreeWidgetItem* InsertNode(const QString& parentText, const QStringList& children,
                                int parentImage, int childImage);
    void ClearNodes();
    // The chosen text; in multi-line mode the picked lines joined by "\r\n".
    QString GetText() const;
    void SelectText(const QString& text, int image);
    // A caption of names separated by ", " shows as one name per line.
    void SetCaption(const QString& caption);
    void SetEditable(bool editable);

    bool IsMultiLine() const { return m_multiLine; }
    bool IsTreeOpen() const;
    void ToggleTree();
    void CloseTree();
    // Picks the tree's current node (leaves only).
    void PickSelected();

    CTreeComboEdit* Edit() const { return m_edit; }
    CTreeComboTree* Tree() const { return m_tree; }
    QIcon Image(int index) const;

signals:
    void TextPicked(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void ShowText(const QString& text);
    void OnExpandChanged(QTreeWidgetItem* item, bool expanded);

    QIcon m_icon;
    bool m_multiLine;
    bool m_pressed = false;
    bool m_sort = true;
    CTreeComboEdit* m_edit;
    CTreeComboTree* m_tree;
    QVector<QIcon> m_images;
};

// CPermissionBoxes: what the group and user permission dialogs share: the
// three command boxes, one check box per defect field laid out in three
// columns of 20, Check All / Uncheck All and Save. Boxes the user did not
// click keep their stored digit when the string is saved.
#pragma once

#include <QDialog>
#include <QString>

#include <initializer_list>
#include <vector>

class QCheckBox;
class QPushButton;
class CAppContext;

class CPermissionBoxes : public QDialog {
    Q_OBJECT
public:
    CPermissionBoxes(CAppContext& context, QWidget* parent);

    int m_fieldCount;
    int m_boxHeight;
    int m_boxWidth;
    std::vector<QCheckBox*> m_fieldBoxes;  // created once, up to 60
    QCheckBox* m_commandBoxes[3];          // 3094, 3095, 3098
    QPushButton* m_checkAll;               // 3100
    QPushButton* m_uncheckAll;             // 3101
    QPushButton* m_save;                   // 3099

    // The top-left corner of field box i (x from 5, 140 or 280, y from 68 by 21).
    static QPoint BoxPosition(int index);

public slots:
    virtual void OnCheckAll();
    void OnUncheckAll();

protected:
    // The command boxes and the buttons in their rows, each as wide as its
    // caption needs (at least the row's width); the dialog as wide as they.
    void showEvent(QShowEvent* event) override;
    // The x after the last control and its gap.
    static int PlaceRow(std::initializer_list<QWidget*> controls, std::initializer_list<int> xs, int y, int height,
                         int width);
    // Reads the configured defect fields and creates their boxes; false
    // (shown) when the query fails or gives no rows.
    bool CreateFieldBoxes();
    // Ticks the command boxes by digits 0-2 and field box i by digit 10+i:
    // digit 1 or 3 in the View reading, 3 in the Change reading. Clears the
    // clicked marks.
    void ShowDigits(const QString& digits, bool changeReading);
    // The string to save: the stored one with the clicked boxes' states.
    QString ComposeDigits(const QString& stored) const;
    void SetAllFields(bool ticked);
    // Called after a field box i is clicked.
    virtual void OnFieldBoxClicked(int index) { (void)index; }

    CAppContext& m_context;
    std::vector<bool> m_clicked;  // commands 0-2, then fields from 3
};

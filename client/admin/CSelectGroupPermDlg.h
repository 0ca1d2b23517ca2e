// CSelectGroupPermDlg: picks a group and hands back its rights string.
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class CAppContext;

class CSelectGroupPermDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSelectGroupPermDlg(CAppContext& context, QWidget* parent = nullptr);

    QString m_right;  // the chosen group's rights string after OK
    QComboBox* m_groups;  // 3105

    int exec() override;
    void InitDialog();

public slots:
    // false (dialog stays open) when the group's string cannot be read.
    bool OnOK();

private:
    CAppContext& m_context;
};

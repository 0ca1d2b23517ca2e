// CProjectEditDlg: the attributes of one project, for a new project (empty
// m_projectName: "新增") or an existing one (name fixed: "修改").
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class CAppContext;
class CTreeComboBox;

class CProjectEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CProjectEditDlg(CAppContext& context, QWidget* parent = nullptr);

    int exec() override;  // runs OnInitDialog first
    void OnInitDialog();
    void SetMode();
    bool LoadProject();

    QString m_projectName;
    int m_editMode = 0;
    QComboBox* m_typeCombo;
    CTreeComboBox* m_managerCombo;
    QLineEdit* m_name;
    QLineEdit* m_contractNo;
    QLineEdit* m_english;
    QLineEdit* m_customer;
    QLineEdit* m_devEnv;
    QPlainTextEdit* m_desc;
    QPushButton* m_close;
    QPushButton* m_new;
    QPushButton* m_save;

public slots:
    void OnNew();
    void OnSave();

private:
    QString Manager() const;

    CAppContext& m_context;
    QPushButton* m_versions;
    QPushButton* m_users;
};

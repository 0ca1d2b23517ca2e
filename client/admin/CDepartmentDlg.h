// CDepartmentDlg: the departments (t_dept): add, rename (the users' rows
// follow), delete; the users' department is the name their rows hold.
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class CAppContext;

class CDepartmentDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDepartmentDlg(CAppContext& context, QWidget* parent = nullptr);

    QListWidget* m_depts;  // 3045
    QLineEdit* m_name;     // 3047
    QLineEdit* m_desc;     // 3051

    void LocalizeControls();
    void LoadDepartments();
    // The statements behind the buttons.
    bool AddDepartment(const QString& name, const QString& desc);
    bool RenameDepartment(const QString& oldName, const QString& newName);
    bool DeleteDepartment(const QString& name);

public slots:
    void OnAdd();
    void OnRename();
    void OnDelete();
    void OnSelChange();

private:
    CAppContext& m_context;
};

// CUserProjectsDlg: the projects one user belongs to (t_user_prj), moved
// between the user's projects (left) and the others (right).
#pragma once

#include <QDialog>
#include <QString>

class QListWidget;
class QPushButton;
class CAppContext;

class CUserProjectsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CUserProjectsDlg(CAppContext& context, QWidget* parent = nullptr);

    int exec() override;  // runs OnInitDialog first
    void OnInitDialog();
    bool LoadProjects();

    QString m_userName;
    QListWidget* m_inProjects;
    QListWidget* m_outProjects;

public slots:
    void OnAddProject();
    void OnAddAllProjects();
    void OnRemoveProject();
    void OnRemoveAllProjects();

private:
    bool Insert(const QString& project);

    CAppContext& m_context;
    bool m_changed = false;  // memberships written since the last load
};

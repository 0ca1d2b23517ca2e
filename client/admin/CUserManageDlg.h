// CUserManageDlg: the users page: every user in a tree by department, one
// user's details and groups, new / rename / delete with their cascades,
// password reset, and the permission, projects, department and group dialogs.
#pragma once

#include "ISheetPage.h"

#include <QString>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidgetItem;
class CAppContext;
class CDragTreeCtrl;

class CUserManageDlg : public QWidget, public ISheetPage {
    Q_OBJECT
public:
    explicit CUserManageDlg(CAppContext& context, QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }

    CDragTreeCtrl* m_tree;        // 3121
    QListWidget* m_groupsIn;      // 3067
    QListWidget* m_groupsOut;     // 3068
    QComboBox* m_deptCombo;       // 3077
    int m_activated;

    // The edit of a detail control id (3080 name, 3073 ... 4040).
    QLineEdit* Edit(int id) const;
    QString CurrentUser() const;

    void LocalizeControls();
    bool LoadUserTree();
    void LoadDepartments();
    void ShowUser(const QString& userName);
    void ClearDetails();
    void LoadUserGroups(const QString& userName);
    // The statements behind the commands, with the prompted text given.
    bool NewUser(const QString& name);
    bool RenameUser(const QString& oldName, const QString& newName);
    bool DeleteUser(const QString& name);
    // Selects the user's tree item (and shows it); false when absent.
    bool SelectUser(const QString& name);
    bool IsUserItem(const QTreeWidgetItem* item) const;

public slots:
    bool OnSetActive() override;
    void OnTreeSelChanged();
    void OnTreeRightClick(const QPoint& position);
    bool OnModify();
    void OnDeleteUser();
    void OnRemoveUser();
    void OnRenameUser();
    void OnNewUser();
    void OnRefresh();
    bool OnAddGroup();
    bool OnAddAllGroups();
    bool OnRemoveGroup();
    bool OnRemoveAllGroups();
    void OnPermission();
    void OnProjects();
    void OnDepartments();
    void OnRoles();
    bool OnResetPassword();

private:
    CAppContext& m_context;
};

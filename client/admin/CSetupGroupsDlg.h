// CSetupGroupsDlg: the user groups: new, rename (with the memberships),
// delete (memberships first), their permissions and "Set As" another's.
#pragma once

#include <QDialog>

class QListWidget;
class CAppContext;

class CSetupGroupsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSetupGroupsDlg(CAppContext& context, QWidget* parent = nullptr);

    QListWidget* m_groups;  // 3082

    void LoadGroups();
    QString SelectedGroup() const;
    // The statements behind the buttons, with the prompted text given.
    bool NewGroup(const QString& name);
    bool RenameGroup(const QString& oldName, const QString& newName);
    bool DeleteGroup(const QString& name);
    bool SetRightsFrom(const QString& group, const QString& rights);

public slots:
    void OnNewGroup();
    void OnRenameGroup();
    void OnDeleteGroup();
    void OnChangePermission();
    void OnSetAs();
    void OnGroupSelChanged() {}

private:
    CAppContext& m_context;
};

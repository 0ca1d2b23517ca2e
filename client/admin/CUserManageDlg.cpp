#include "CUserManageDlg.h"

#include "AdminCommon.h"
#include "CAppContext.h"
#include "CDepartmentDlg.h"
#include "CDragTreeCtrl.h"
#include "CLocalizer.h"
#include "CMd5Digest.h"
#include "CPromptInputDlg.h"
#include "CSetupGroupsDlg.h"
#include "CSetupUserPermissionDlg.h"
#include "CUserProjectsDlg.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
// The password every new user starts with, and the one a reset gives.
const char kInitialDigest[] = "9d4e1c7a2b5f8e3d6a0c4b7e1f2d5a8c";
const char kResetPassword[] = "579";
const char kNoDepartment[] = "未分组";
const int kDetailIds[] = {3080, 3073, 3074, 3075, 3076, 3078, 3079, 4040};
const int kDetailLabels[] = {3197, 3198, 3203, 4043, 3204, 3201, 3205, 3200};
const char* const kDetailTexts[] = {"Name", "Full Name", "EMail", "Mobile", "MSN", "QQ", "Description", "Telephone"};
const char* const kDetailColumns[] = {"USER_NAME", "USER_FULLNAME", "USER_MAIL", "USER_MOBILE",
                                      "USER_MSN", "USER_QQ", "USER_ADDR", "USER_PHONE"};
// Tables and columns that hold a user name, renamed with the user.
const char* const kUserNameColumns[][2] = {
    {"t_user_group", "user_name"},      {"t_user_prj", "user_name"},
    {"t_bug", "BG_RESPONSIBLE"},        {"t_bug", "BG_DETECTED_BY"},
    {"t_bug_status", "BG_RESPONSIBLE"}, {"t_bug_attach", "UPLOAD_USER"},
    {"t_prj", "PRJ_MANAGER"}};

// The administrator account is known by its name; it is never renamed or
// deleted, and nobody deletes the account they are logged in with.
bool MayRemoveName(CAppContext& context, const QString& name, bool deleting)
{
    int refused = 0;
    const char* fallback = "";
    if (name.compare(QLatin1String("admin"), Qt::CaseInsensitive) == 0) {
        refused = 9253;
        fallback = "The administrator account cannot be renamed or deleted";
    } else if (deleting && name.compare(context.m_userName, Qt::CaseInsensitive) == 0) {
        refused = 9254;
        fallback = "You cannot delete the account you are logged in with";
    }
    if (!refused) return true;
    const QString text = context.Text(refused);
    context.ShowMessage(text.isEmpty() ? QString::fromLatin1(fallback) : text);
    return false;
}

// Modify and Reset Pass act on the name in the edit, which may be typed by
// hand: an update of no row is not reported as done.
bool UserExists(CAppContext& context, const QString& name)
{
    CListString error;
    const long count = context.m_http.SelectInt(
        QStringLiteral("select count(*) from t_cfg_st_user where user_name='%1'").arg(SqlText(name)).toUtf8().constData(),
        error);
    if (count > 0) return true;
    const QString text = context.Text(9255);
    context.ShowMessage(count < 0 ? ToQt(error) : (text.isEmpty() ? QStringLiteral("No such user") : text));
    return false;
}

QPushButton* Button(QWidget* parent, int id, const char* text)
{
    return WithId(new QPushButton(QString::fromUtf8(text), parent), id);
}
}  // namespace

CUserManageDlg::CUserManageDlg(CAppContext& context, QWidget* parent)
    : QWidget(parent), m_tree(new CDragTreeCtrl(this)), m_groupsIn(WithId(new QListWidget(this), 3067)),
      m_groupsOut(WithId(new QListWidget(this), 3068)), m_deptCombo(WithId(new QComboBox(this), 3077)),
      m_activated(0), m_context(context)
{
    CLocalizer::Tag(this, 1014);
    m_tree->setObjectName(QStringLiteral("3121"));
    m_tree->setHeaderHidden(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->setMinimumWidth(170);
    m_deptCombo->setEditable(true);

    auto* form = new QFormLayout;
    for (size_t i = 0; i < std::size(kDetailIds); ++i)
        form->addRow(WithId(new QLabel(QString::fromLatin1(kDetailTexts[i]) + ':', this), kDetailLabels[i], true),
                     WithId(new QLineEdit(this), kDetailIds[i]));
    form->insertRow(7, WithId(new QLabel(QStringLiteral("Dept:"), this), 3202, true), m_deptCombo);

    auto* moves = new QVBoxLayout;
    moves->addStretch();
    QPushButton* add = Button(this, 3071, "<");
    QPushButton* addAll = Button(this, 3072, "<<");
    QPushButton* remove = Button(this, 3069, ">");
    QPushButton* removeAll = Button(this, 3070, ">>");
    for (QPushButton* button : {add, addAll, remove, removeAll}) moves->addWidget(button);
    moves->addStretch();
    auto* groups = new QGridLayout;
    groups->addWidget(WithId(new QLabel(QStringLiteral("User in groups"), this), 3206, true), 0, 0);
    groups->addWidget(WithId(new QLabel(QStringLiteral("User out groups"), this), 3207, true), 0, 2);
    groups->addWidget(m_groupsIn, 1, 0);
    groups->addLayout(moves, 1, 1);
    groups->addWidget(m_groupsOut, 1, 2);

    QPushButton* modify = Button(this, 3081, "Modify");
    QPushButton* permission = Button(this, 4011, "Permission");
    QPushButton* projects = Button(this, 3084, "Projects");
    QPushButton* departments = Button(this, 3085, "Department");
    QPushButton* roles = Button(this, 3086, "Role Management");
    QPushButton* reset = Button(this, 3215, "Reset Pass");
    QPushButton* removeUser = Button(this, 3049, "Remove User");
    removeUser->hide();
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {modify, permission, projects, departments, roles, reset}) buttons->addWidget(button);

    auto* right = new QVBoxLayout;
    right->addWidget(WithId(new QLabel(QStringLiteral("Details:"), this), 3209, true));
    right->addLayout(form);
    right->addLayout(groups);
    right->addLayout(buttons);
    auto* left = new QVBoxLayout;
    left->addWidget(WithId(new QLabel(QStringLiteral("Users:"), this), 3208, true));
    left->addWidget(m_tree);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 2);
    layout->addLayout(right, 3);

    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CUserManageDlg::OnTreeSelChanged);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &CUserManageDlg::OnTreeRightClick);
    connect(modify, &QPushButton::clicked, this, &CUserManageDlg::OnModify);
    connect(permission, &QPushButton::clicked, this, &CUserManageDlg::OnPermission);
    connect(projects, &QPushButton::clicked, this, &CUserManageDlg::OnProjects);
    connect(departments, &QPushButton::clicked, this, &CUserManageDlg::OnDepartments);
    connect(roles, &QPushButton::clicked, this, &CUserManageDlg::OnRoles);
    connect(reset, &QPushButton::clicked, this, &CUserManageDlg::OnResetPassword);
    connect(removeUser, &QPushButton::clicked, this, &CUserManageDlg::OnRemoveUser);
    connect(add, &QPushButton::clicked, this, &CUserManageDlg::OnAddGroup);
    connect(addAll, &QPushButton::clicked, this, &CUserManageDlg::OnAddAllGroups);
    connect(remove, &QPushButton::clicked, this, &CUserManageDlg::OnRemoveGroup);
    connect(removeAll, &QPushButton::clicked, this, &CUserManageDlg::OnRemoveAllGroups);
    ApplyDialogLook(this, context);
    ApplyButtonFace(context, {modify, permission, projects, departments, roles, reset, add, addAll, remove, removeAll});
}

QLineEdit* CUserManageDlg::Edit(int id) const
{
    return ControlById<QLineEdit>(const_cast<CUserManageDlg*>(this), id);
}

QString CUserManageDlg::CurrentUser() const { return Edit(3080)->text(); }

bool CUserManageDlg::OnSetActive()
{
    if (m_activated) return true;
    m_activated = 1;
    LocalizeControls();
    const bool loaded = LoadUserTree();
    LoadDepartments();
    return loaded;
}

void CUserManageDlg::LocalizeControls() { CLocalizer::Apply(this, m_context); }

bool CUserManageDlg::LoadUserTree()
{
    m_tree->clear();
    CResultSet result;
    if (AdminSelect(m_context, QStringLiteral("select user_name,DEPT_name,USER_FULLNAME from t_cfg_st_user"), result) < 0)
        return false;
    QStringList depts;
    for (int row = 0; row < result.GetRowCount(); ++row) {
        const QString dept = ToQt(result.GetValueAt(row, 1));
        if (!depts.contains(dept)) depts << dept;
    }
    for (const QString& dept : depts) {
        auto* root = new QTreeWidgetItem(m_tree, {dept.isEmpty() ? QString::fromUtf8(kNoDepartment) : dept});
        root->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        for (int row = 0; row < result.GetRowCount(); ++row) {
            if (ToQt(result.GetValueAt(row, 1)).compare(dept, Qt::CaseInsensitive) != 0) continue;
            auto* item = new QTreeWidgetItem(root, {QStringLiteral("%1   (%2)").arg(ToQt(result.GetValueAt(row, 0)),
                                                                                  ToQt(result.GetValueAt(row, 2)))});
            item->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
        }
    }
    m_tree->ExpandAll();
    return true;
}

void CUserManageDlg::LoadDepartments()
{
    CResultSet result;
    if (AdminSelect(m_context, QStringLiteral("select DEPT_NAME from t_dept"), result) < 0) return;
    FillComboFromResult(result, "DEPT_NAME", m_deptCombo, 0, 0);
    if (CurrentUser().isEmpty()) {
        m_deptCombo->setCurrentIndex(-1);
        m_deptCombo->setEditText(QString());
    }
}

bool CUserManageDlg::IsUserItem(const QTreeWidgetItem* item) const { return item && item->parent(); }

void CUserManageDlg::OnTreeSelChanged()
{
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!IsUserItem(item)) return;
    const QString name = NamePart(item->text(0));
    ShowUser(name);
    LoadUserGroups(name);
}

bool CUserManageDlg::SelectUser(const QString& name)
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = m_tree->topLevelItem(i);
        for (int j = 0; j < root->childCount(); ++j)
            if (NamePart(root->child(j)->text(0)).compare(name, Qt::CaseInsensitive) == 0) {
                m_tree->setCurrentItem(root->child(j));
                OnTreeSelChanged();
                return true;
            }
    }
    return false;
}

void CUserManageDlg::ClearDetails()
{
    for (int id : kDetailIds) Edit(id)->clear();
    m_deptCombo->setCurrentIndex(-1);
    m_deptCombo->setEditText(QString());
}

void CUserManageDlg::ShowUser(const QString& userName)
{
    ClearDetails();
    CResultSet result;
    if (AdminSelect(m_context, QStringLiteral("select * from t_cfg_st_user where user_name='%1'").arg(SqlText(userName)),
                    result) <= 0)
        return;
    for (size_t i = 0; i < std::size(kDetailIds); ++i)
        Edit(kDetailIds[i])->setText(ToQt(result.GetValue(0, kDetailColumns[i])));
    const QString dept = ToQt(result.GetValue(0, "DEPT_NAME"));
    if (!SelectComboText(m_deptCombo, dept, 1)) m_deptCombo->setEditText(dept);
}

void CUserManageDlg::LoadUserGroups(const QString& userName)
{
    CResultSet in;
    if (AdminSelect(m_context, QStringLiteral("select user_name,group_name from t_user_group where user_name='%1'")
                                   .arg(SqlText(userName)), in) < 0)
        return;
    FillListFromResult(in, "GROUP_NAME", m_groupsIn);
    CResultSet all;
    if (AdminSelect(m_context, QStringLiteral("select group_name from t_group order by group_name"), all) < 0) return;
    m_groupsOut->clear();
    for (int row = 0; row < all.GetRowCount(); ++row) {
        const QString group = ToQt(all.GetValueAt(row, 0));
        bool member = false;
        for (int i = 0; i < m_groupsIn->count(); ++i)
            if (m_groupsIn->item(i)->text().compare(group, Qt::CaseInsensitive) == 0) member = true;
        if (!member) m_groupsOut->addItem(group);
    }
}

bool CUserManageDlg::OnModify()
{
    if (CurrentUser().isEmpty() || !UserExists(m_context, CurrentUser())) return false;
    QString sql = QStringLiteral("update t_cfg_st_user set USER_FULLNAME='%1',USER_MAIL='%2',USER_MOBILE='%3',USER_MSN='%4', ")
                      .arg(SqlText(Edit(3073)->text()), SqlText(Edit(3074)->text()), SqlText(Edit(3075)->text()),
                           SqlText(Edit(3076)->text()));
    sql += QStringLiteral("\t\t");
    sql += QStringLiteral("USER_QQ='%1',USER_ADDR='%2',USER_PHONE='%3',DEPT_NAME='%4' where USER_NAME='%5' ")
               .arg(SqlText(Edit(3078)->text()), SqlText(Edit(3079)->text()), SqlText(Edit(4040)->text()),
                    SqlText(m_deptCombo->currentText()), SqlText(CurrentUser()));
    if (!AdminExec(m_context, sql)) return false;
    m_context.ShowMessage(m_context.Text(4003));
    return true;
}

bool CUserManageDlg::NewUser(const QString& name)
{
    if (name.trimmed().isEmpty()) return false;
    CListString error;
    const long taken = m_context.m_http.SelectInt(
        QStringLiteral("select count(*) from t_cfg_st_user where user_name='%1'").arg(SqlText(name)).toUtf8().constData(),
        error);
    if (taken > 0) {
        QString text = m_context.Text(9251);
        m_context.ShowMessage(text.isEmpty() ? QStringLiteral("This name is already taken") : text);
        return false;
    }
    const QString sql = QStringLiteral("insert into t_cfg_st_user(user_name,USER_PASSWD,USER_FULLNAME) values('%1','")
                            .arg(SqlText(name)) +
                        QLatin1String(kInitialDigest) + QStringLiteral("','%1')").arg(SqlText(name));
    if (!AdminExec(m_context, sql)) return false;
    LoadUserTree();
    return true;
}

void CUserManageDlg::OnNewUser()
{
    CPromptInputDlg prompt(m_context, this);
    prompt.m_title = QStringLiteral("NewUser");
    prompt.m_initialText = QStringLiteral("Please input usename");
    if (prompt.exec() == QDialog::Accepted) NewUser(prompt.m_value);
}

bool CUserManageDlg::RenameUser(const QString& oldName, const QString& newName)
{
    if (oldName.isEmpty() || newName.trimmed().isEmpty()) return false;
    if (!MayRemoveName(m_context, oldName, false)) return false;
    if (newName.compare(oldName, Qt::CaseInsensitive) != 0) {
        CListString error;
        const long taken = m_context.m_http.SelectInt(
            QStringLiteral("select count(*) from t_cfg_st_user where user_name='%1'").arg(SqlText(newName))
                .toUtf8().constData(), error);
        if (taken > 0) {
            QString text = m_context.Text(9251);
            m_context.ShowMessage(text.isEmpty() ? QStringLiteral("This name is already taken") : text);
            return false;
        }
    }
    // The user row first: when it cannot take the name nothing else changes.
    QStringList statements;
    statements << QStringLiteral("update  t_cfg_st_user set user_name='%1' where user_name='%2'")
                      .arg(SqlText(newName), SqlText(oldName));
    for (const auto& column : kUserNameColumns)
        statements << QStringLiteral("update  %1 set %2='%3' where %2='%4'")
                          .arg(QLatin1String(column[0]), QLatin1String(column[1]), SqlText(newName), SqlText(oldName));
    if (!RunCascade(m_context, statements)) return false;
    LoadUserTree();
    return true;
}

void CUserManageDlg::OnRenameUser()
{
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!IsUserItem(item)) return;
    CPromptInputDlg prompt(m_context, this);
    prompt.m_title = item->text(0);
    prompt.m_initialText = m_context.Text(4061);
    if (prompt.exec() == QDialog::Accepted) RenameUser(NamePart(item->text(0)), prompt.m_value);
}

bool CUserManageDlg::DeleteUser(const QString& name)
{
    if (name.isEmpty() || !MayRemoveName(m_context, name, true)) return false;
    // Memberships before the user, so a failure never leaves rows of a gone user.
    const QString quoted = SqlText(name);
    const QStringList statements = {
        QStringLiteral("delete from T_USER_GROUP where user_name='%1' ").arg(quoted),
        QStringLiteral("delete from T_USER_PRJ where user_name='%1' ").arg(quoted),
        QStringLiteral("delete from t_cfg_st_user where user_name='%1' ").arg(quoted)};
    if (!RunCascade(m_context, statements)) return false;
    LoadUserTree();
    ClearDetails();
    m_groupsIn->clear();
    m_groupsOut->clear();
    return true;
}

void CUserManageDlg::OnDeleteUser()
{
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!m_context.AskYesNo(m_context.Text(4025))) return;
    if (!IsUserItem(item)) return;
    DeleteUser(NamePart(item->text(0)));
}

void CUserManageDlg::OnRemoveUser() { OnDeleteUser(); }

void CUserManageDlg::OnRefresh() { LoadUserTree(); }

void CUserManageDlg::OnTreeRightClick(const QPoint& position)
{
    QMenu popup(this);
    const bool user = IsUserItem(m_tree->currentItem());
    CLocalizer::Tag(popup.addAction(QStringLiteral("Refresh"), this, &CUserManageDlg::OnRefresh), 2038);
    CLocalizer::Tag(popup.addAction(QStringLiteral("New"), this, &CUserManageDlg::OnNewUser), 2039);
    QAction* del = CLocalizer::Tag(popup.addAction(QStringLiteral("Delete"), this, &CUserManageDlg::OnDeleteUser), 2033);
    QAction* rename = CLocalizer::Tag(popup.addAction(QStringLiteral("Rename"), this, &CUserManageDlg::OnRenameUser), 2036);
    // Delete and Rename act on a user item only.
    del->setEnabled(user);
    rename->setEnabled(user);
    CLocalizer::Apply(&popup, m_context);
    popup.exec(m_tree->viewport()->mapToGlobal(position));
}

bool CUserManageDlg::OnAddGroup()
{
    const QString user = CurrentUser();
    QListWidgetItem* item = m_groupsOut->currentItem();
    if (user.isEmpty() || !item) return false;
    if (!AdminExec(m_context, QStringLiteral("insert into t_user_group(user_name,group_name) values('%1','%2')")
                                  .arg(SqlText(user), SqlText(item->text()))))
        return false;
    LoadUserGroups(user);
    if (m_groupsOut->count() > 0) m_groupsOut->setCurrentRow(0);
    return true;
}

bool CUserManageDlg::OnAddAllGroups()
{
    const QString user = CurrentUser();
    if (user.isEmpty() || m_groupsOut->count() == 0) return false;
    for (int i = 0; i < m_groupsOut->count(); ++i) {
        const QString group = m_groupsOut->item(i)->text();
        if (!AdminExec(m_context, QStringLiteral("insert into t_user_group(user_name,group_name) values('%1','%2')")
                                      .arg(SqlText(user), SqlText(group))))
            return false;
        m_groupsIn->addItem(group);
    }
    m_groupsOut->clear();
    LoadUserGroups(user);
    return true;
}

bool CUserManageDlg::OnRemoveGroup()
{
    const QString user = CurrentUser();
    QListWidgetItem* item = m_groupsIn->currentItem();
    if (user.isEmpty() || !item) return false;
    if (!AdminExec(m_context, QStringLiteral("delete from t_user_group where user_name='%1' and group_name='%2' ")
                                  .arg(SqlText(user), SqlText(item->text()))))
        return false;
    LoadUserGroups(user);
    if (m_groupsIn->count() > 0) m_groupsIn->setCurrentRow(0);
    return true;
}

bool CUserManageDlg::OnRemoveAllGroups()
{
    const QString user = CurrentUser();
    if (user.isEmpty() || m_groupsIn->count() == 0) return false;
    if (!AdminExec(m_context, QStringLiteral("delete from  t_user_group where user_name='%1'").arg(SqlText(user))))
        return false;
    m_groupsIn->clear();
    LoadUserGroups(user);
    return true;
}

void CUserManageDlg::OnPermission()
{
    const QString user = CurrentUser();
    if (user.isEmpty() || !CheckAdminister(m_context)) return;
    QStringList quoted;
    for (int i = 0; i < m_groupsIn->count(); ++i) quoted << '\'' + SqlText(m_groupsIn->item(i)->text()) + '\'';
    CSetupUserPermissionDlg dialog(m_context, this);
    dialog.m_userName = user;
    dialog.m_groupList = quoted.join(',');
    dialog.exec();
}

void CUserManageDlg::OnProjects()
{
    const QString user = CurrentUser();
    if (user.isEmpty()) return;
    CUserProjectsDlg dialog(m_context, this);
    dialog.m_userName = user;
    dialog.exec();
}

void CUserManageDlg::OnDepartments()
{
    CDepartmentDlg dialog(m_context, this);
    dialog.exec();
}

void CUserManageDlg::OnRoles()
{
    CSetupGroupsDlg dialog(m_context, this);
    dialog.exec();
}

bool CUserManageDlg::OnResetPassword()
{
    const QString user = CurrentUser();
    if (user.isEmpty() || !UserExists(m_context, user)) return false;
    const QString password = m_context.m_http.m_usePassEncode
                                 ? QString::fromLatin1(CMd5Digest(kResetPassword).GetHexText())
                                 : QString::fromLatin1(kResetPassword);
    if (!AdminExec(m_context, QStringLiteral("update t_cfg_st_user set user_passwd='%1' where user_name='%2'")
                                  .arg(password, SqlText(user))))
        return false;
    m_context.ShowMessage(m_context.Text(4003));
    return true;
}

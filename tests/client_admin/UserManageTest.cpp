// The users page against the demo database: the tree, details, the SQL of
// its commands and their effect read back through the server.
#include "AdminFixture.h"
#include "AdminCommon.h"
#include "CDragTreeCtrl.h"
#include "CMd5Digest.h"
#include "CDepartmentDlg.h"
#include "CSetupGroupsDlg.h"
#include "CSetupUserPermissionDlg.h"
#include "CUserProjectsDlg.h"
#include "CUserManageDlg.h"

#include <QApplication>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>

class UserManageTest : public AdminTest {
protected:
    std::unique_ptr<CUserManageDlg> OpenPage()
    {
        auto page = std::make_unique<CUserManageDlg>(m_context);
        page->resize(700, 420);
        EXPECT_TRUE(page->OnSetActive());
        return page;
    }
    int Rows(const char* table, const char* column, const QString& name)
    {
        return Count(QStringLiteral("select count(*) from %1 where %2='%3'")
                         .arg(QLatin1String(table), QLatin1String(column), SqlText(name)));
    }
};

TEST_F(UserManageTest, TreeGroupsUsersByDepartmentWithUngroupedOnes)
{
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_cfg_st_user(user_name,user_fullname,dept_name) values('loner','Lone','')")));
    auto page = OpenPage();
    QStringList roots;
    for (int i = 0; i < page->m_tree->topLevelItemCount(); ++i) roots << page->m_tree->topLevelItem(i)->text(0);
    EXPECT_TRUE(roots.contains(QStringLiteral("研发部")));
    EXPECT_TRUE(roots.contains(QStringLiteral("未分组")));
    ASSERT_TRUE(page->SelectUser(QStringLiteral("zhang")));
    EXPECT_EQ(page->m_tree->currentItem()->text(0), QStringLiteral("zhang   (张伟)"));
    EXPECT_EQ(page->Edit(3073)->text(), QStringLiteral("张伟"));
    EXPECT_EQ(page->m_deptCombo->currentText(), QStringLiteral("研发部"));
    EXPECT_EQ(page->m_groupsIn->count(), 1);
    EXPECT_EQ(page->m_groupsIn->item(0)->text(), QStringLiteral("developer"));
    EXPECT_GE(page->m_groupsOut->count(), 1);
    EXPECT_EQ(NamePart(QStringLiteral("we(ird   (x)")), QStringLiteral("we"));
    EXPECT_TRUE(SaveShot(page.get(), QStringLiteral("user_page")));
}

TEST_F(UserManageTest, ModifyWritesTheDetailsAndQuotesSafely)
{
    auto page = OpenPage();
    ASSERT_TRUE(page->SelectUser(QStringLiteral("li")));
    page->Edit(3073)->setText(QStringLiteral("Li O'Neil"));
    page->Edit(4040)->setText(QStringLiteral("555-1234"));
    page->m_deptCombo->setCurrentText(QStringLiteral("测试部"));
    ASSERT_TRUE(page->OnModify()) << m_context.m_lastMessage.toStdString();
    EXPECT_EQ(Value(QStringLiteral("select USER_FULLNAME from t_cfg_st_user where user_name='li'")), QStringLiteral("Li O'Neil"));
    EXPECT_EQ(Value(QStringLiteral("select USER_PHONE from t_cfg_st_user where user_name='li'")), QStringLiteral("555-1234"));
    EXPECT_EQ(Value(QStringLiteral("select DEPT_NAME from t_cfg_st_user where user_name='li'")), QStringLiteral("测试部"));
}

TEST_F(UserManageTest, NewUserStartsWithTheInitialDigestAndNamesAreNotTakenTwice)
{
    auto page = OpenPage();
    ASSERT_TRUE(page->NewUser(QStringLiteral("newbie")));
    EXPECT_EQ(Value(QStringLiteral("select USER_PASSWD from t_cfg_st_user where user_name='newbie'")),
              QStringLiteral("9d4e1c7a2b5f8e3d6a0c4b7e1f2d5a8c"));
    EXPECT_TRUE(page->SelectUser(QStringLiteral("newbie")));
    EXPECT_FALSE(page->NewUser(QStringLiteral("NEWBIE")));
    EXPECT_EQ(m_context.m_lastMessage, m_context.Text(9251));
    EXPECT_EQ(Rows("t_cfg_st_user", "user_name", QStringLiteral("newbie")), 1);
}

TEST_F(UserManageTest, RenameCarriesTheNameIntoEveryTableThatHoldsIt)
{
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_cfg_st_user(user_name,USER_FIELD_RIGHT) values('oldname','%1')")
                         .arg(QString(64, '1'))));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_user_group values('oldname','tester')")));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_user_prj values('oldname','Demo')")));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_bug(BG_BUG_ID,PRJ_NAME,BG_RESPONSIBLE,BG_DETECTED_BY) values(9001,'Demo','oldname','oldname')")));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_bug_status(BG_BUG_ID,BG_RESPONSIBLE) values(9001,'oldname')")));
    auto page = OpenPage();
    ASSERT_TRUE(page->RenameUser(QStringLiteral("oldname"), QStringLiteral("newname")));
    const char* const holders[][2] = {{"t_cfg_st_user", "user_name"}, {"t_user_group", "user_name"},
                                      {"t_user_prj", "user_name"},    {"t_bug", "BG_RESPONSIBLE"},
                                      {"t_bug", "BG_DETECTED_BY"},    {"t_bug_status", "BG_RESPONSIBLE"}};
    for (const auto& holder : holders) {
        EXPECT_EQ(Rows(holder[0], holder[1], QStringLiteral("oldname")), 0) << holder[0] << "." << holder[1];
        EXPECT_EQ(Rows(holder[0], holder[1], QStringLiteral("newname")), 1) << holder[0] << "." << holder[1];
    }
    EXPECT_EQ(Value(QStringLiteral("select USER_FIELD_RIGHT from t_cfg_st_user where user_name='newname'")), QString(64, '1'));
    // A name already taken stops before anything changes.
    EXPECT_FALSE(page->RenameUser(QStringLiteral("newname"), QStringLiteral("zhang")));
    EXPECT_EQ(Rows("t_user_group", "user_name", QStringLiteral("newname")), 1);
    EXPECT_TRUE(page->SelectUser(QStringLiteral("newname")));
}

TEST_F(UserManageTest, DeleteRemovesMembershipsFirstAndStopsAtTheFirstFailure)
{
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_cfg_st_user(user_name) values('gone')")));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_user_group values('gone','tester')")));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_user_prj values('gone','Demo')")));
    auto page = OpenPage();
    ASSERT_TRUE(page->DeleteUser(QStringLiteral("gone")));
    for (const char* table : {"t_cfg_st_user", "t_user_group", "t_user_prj"})
        EXPECT_EQ(Rows(table, "user_name", QStringLiteral("gone")), 0) << table;
    EXPECT_FALSE(page->SelectUser(QStringLiteral("gone")));

    // A project membership that cannot go keeps the user row, with the server's text shown.
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_cfg_st_user(user_name) values('stuck')")));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_user_group values('stuck','tester')")));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_user_prj values('stuck','Demo')")));
    ASSERT_TRUE(Exec(QStringLiteral("create trigger keep_stuck before delete on t_user_prj when old.user_name='stuck' "
                                    "begin select raise(abort,'project rows are locked'); end")));
    m_answerer.m_texts.clear();
    EXPECT_FALSE(page->DeleteUser(QStringLiteral("stuck")));
    EXPECT_TRUE(m_context.m_lastMessage.contains(QStringLiteral("project rows are locked")))
        << m_context.m_lastMessage.toStdString();
    EXPECT_EQ(Rows("t_user_group", "user_name", QStringLiteral("stuck")), 0);
    EXPECT_EQ(Rows("t_user_prj", "user_name", QStringLiteral("stuck")), 1);
    EXPECT_EQ(Rows("t_cfg_st_user", "user_name", QStringLiteral("stuck")), 1);
    ASSERT_TRUE(Exec(QStringLiteral("drop trigger keep_stuck")));
}

TEST_F(UserManageTest, DeleteAsksFirstAndIgnoresDepartmentItems)
{
    auto page = OpenPage();
    page->m_tree->setCurrentItem(page->m_tree->topLevelItem(0));
    const int users = Count(QStringLiteral("select count(*) from t_cfg_st_user"));
    m_answerer.SetAnswerYes(true);
    page->OnDeleteUser();
    EXPECT_EQ(m_context.m_lastMessage, m_context.Text(4025));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_cfg_st_user")), users);
    ASSERT_TRUE(page->SelectUser(QStringLiteral("chen")));
    m_answerer.SetAnswerYes(false);
    page->OnDeleteUser();
    EXPECT_EQ(Rows("t_cfg_st_user", "user_name", QStringLiteral("chen")), 1);
}

TEST_F(UserManageTest, ResetPasswordStoresTheDigestWhenPasswordsAreCoded)
{
    auto page = OpenPage();
    ASSERT_TRUE(page->SelectUser(QStringLiteral("wang")));
    ASSERT_TRUE(m_context.m_http.m_usePassEncode);
    ASSERT_TRUE(page->OnResetPassword());
    EXPECT_EQ(Value(QStringLiteral("select USER_PASSWD from t_cfg_st_user where user_name='wang'")),
              QString::fromLatin1(CMd5Digest("579").GetHexText()));
    m_context.m_http.m_usePassEncode = false;
    ASSERT_TRUE(page->OnResetPassword());
    EXPECT_EQ(Value(QStringLiteral("select USER_PASSWD from t_cfg_st_user where user_name='wang'")), QStringLiteral("579"));
    ASSERT_TRUE(Exec(QStringLiteral("update t_cfg_st_user set USER_PASSWD='e10adc3949ba59abbe56e057f20f883e' where user_name='wang'")));
}

TEST_F(UserManageTest, GroupMembershipMoves)
{
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_cfg_st_user(user_name) values('mover')")));
    auto page = OpenPage();
    ASSERT_TRUE(page->SelectUser(QStringLiteral("mover")));
    EXPECT_EQ(page->m_groupsIn->count(), 0);
    const int groups = page->m_groupsOut->count();
    ASSERT_GE(groups, 2);
    page->m_groupsOut->setCurrentRow(0);
    ASSERT_TRUE(page->OnAddGroup());
    EXPECT_EQ(Rows("t_user_group", "user_name", QStringLiteral("mover")), 1);
    ASSERT_TRUE(page->OnAddAllGroups());
    EXPECT_EQ(Rows("t_user_group", "user_name", QStringLiteral("mover")), groups);
    EXPECT_EQ(page->m_groupsOut->count(), 0);
    page->m_groupsIn->setCurrentRow(0);
    ASSERT_TRUE(page->OnRemoveGroup());
    EXPECT_EQ(Rows("t_user_group", "user_name", QStringLiteral("mover")), groups - 1);
    ASSERT_TRUE(page->OnRemoveAllGroups());
    EXPECT_EQ(Rows("t_user_group", "user_name", QStringLiteral("mover")), 0);
    EXPECT_EQ(page->m_groupsOut->count(), groups);
}

TEST_F(UserManageTest, PermissionOpensTheUsersDialogWithTheirGroupsQuoted)
{
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_group(group_name) values('o''brien')")));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_user_group values('li','o''brien')")));
    auto page = OpenPage();
    ASSERT_TRUE(page->SelectUser(QStringLiteral("li")));
    QString groups;
    QString user;
    bool shot = false;
    QTimer::singleShot(100, [&] {
        if (auto* dialog = qobject_cast<CSetupUserPermissionDlg*>(QApplication::activeModalWidget())) {
            groups = dialog->m_groupList;
            user = dialog->m_userName;
            shot = SaveShot(dialog, QStringLiteral("user_permission"));
            dialog->reject();
        }
    });
    page->OnPermission();
    EXPECT_EQ(user, QStringLiteral("li"));
    EXPECT_EQ(groups, QStringLiteral("'developer','o''brien'"));
    EXPECT_TRUE(shot);
}

TEST_F(UserManageTest, TheAdministratorAndTheLoggedInAccountStay)
{
    auto page = OpenPage();
    EXPECT_FALSE(page->DeleteUser(QStringLiteral("Admin")));
    EXPECT_FALSE(m_context.m_lastMessage.isEmpty());
    EXPECT_FALSE(page->RenameUser(QStringLiteral("admin"), QStringLiteral("root")));
    EXPECT_EQ(Rows("t_cfg_st_user", "user_name", QStringLiteral("admin")), 1);
    EXPECT_EQ(Rows("t_user_prj", "user_name", QStringLiteral("admin")), 2);

    CAppContext other;
    ASSERT_TRUE(s_server->Login(other, "chen", "123456"));
    CUserManageDlg chensPage(other);
    ASSERT_TRUE(chensPage.OnSetActive());
    EXPECT_FALSE(chensPage.DeleteUser(QStringLiteral("chen")));
    EXPECT_EQ(other.m_lastMessage, other.Text(9254).isEmpty()
                                       ? QStringLiteral("You cannot delete the account you are logged in with")
                                       : other.Text(9254));
    EXPECT_EQ(Rows("t_cfg_st_user", "user_name", QStringLiteral("chen")), 1);
}

TEST_F(UserManageTest, DepartmentsDifferingInCaseEachListTheUsersOfBoth)
{
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_cfg_st_user(user_name,dept_name) values('caseA','Support')")));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_cfg_st_user(user_name,dept_name) values('caseB','SUPPORT')")));
    auto page = OpenPage();
    int roots = 0;
    for (int i = 0; i < page->m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = page->m_tree->topLevelItem(i);
        if (root->text(0).compare(QStringLiteral("support"), Qt::CaseInsensitive) != 0) continue;
        ++roots;
        EXPECT_EQ(root->childCount(), 2) << root->text(0).toStdString();
    }
    EXPECT_EQ(roots, 2);
}

TEST_F(UserManageTest, ButtonsOpenTheProjectsDepartmentsAndGroupsDialogs)
{
    auto page = OpenPage();
    ASSERT_TRUE(page->SelectUser(QStringLiteral("wang")));
    struct Case { const char* name; void (CUserManageDlg::*open)(); bool (*is)(QWidget*); };
    const Case cases[] = {
        {"projects", &CUserManageDlg::OnProjects,
         [](QWidget* w) { auto* d = qobject_cast<CUserProjectsDlg*>(w); return d && d->m_userName == "wang"; }},
        {"departments", &CUserManageDlg::OnDepartments,
         [](QWidget* w) { auto* d = qobject_cast<CDepartmentDlg*>(w); return d && d->m_depts->count() > 0; }},
        {"groups", &CUserManageDlg::OnRoles,
         [](QWidget* w) { auto* d = qobject_cast<CSetupGroupsDlg*>(w); return d && d->m_groups->count() > 0; }},
    };
    for (const Case& c : cases) {
        bool opened = false;
        QTimer::singleShot(100, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = c.is(dialog);
                dialog->reject();
            }
        });
        (page.get()->*c.open)();
        EXPECT_TRUE(opened) << c.name;
    }
}

TEST_F(UserManageTest, ContextMenuEnablesDeleteAndRenameOnUserItemsOnly)
{
    auto page = OpenPage();
    page->show();
    auto menuStates = [&page] {
        QStringList states;
        QTimer::singleShot(100, [&states] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* action : menu->actions())
                    states << action->text() + (action->isEnabled() ? "+" : "-");
                menu->close();
            }
        });
        page->OnTreeRightClick(QPoint(5, 5));
        return states;
    };
    page->m_tree->setCurrentItem(page->m_tree->topLevelItem(0));
    const QString dept = menuStates().join(',');
    EXPECT_EQ(dept, QStringLiteral("%1+,%2+,%3-,%4-").arg(m_context.Text(2038), m_context.Text(2039),
                                                         m_context.Text(2033), m_context.Text(2036)));
    ASSERT_TRUE(page->SelectUser(QStringLiteral("li")));
    EXPECT_EQ(menuStates().join(',').count('+'), 4);
}

TEST_F(UserManageTest, ModifyAndResetRefuseANameWithoutAUser)
{
    auto page = OpenPage();
    EXPECT_FALSE(page->OnModify());  // nothing selected
    EXPECT_FALSE(page->OnResetPassword());
    page->Edit(3080)->setText(QStringLiteral("nobody"));
    EXPECT_FALSE(page->OnModify());
    EXPECT_EQ(m_context.m_lastMessage, m_context.Text(9255).isEmpty() ? QStringLiteral("No such user") : m_context.Text(9255));
    m_context.m_lastMessage.clear();
    EXPECT_FALSE(page->OnResetPassword());
    EXPECT_FALSE(m_context.m_lastMessage.isEmpty());
    EXPECT_NE(m_context.m_lastMessage, m_context.Text(4003));
}

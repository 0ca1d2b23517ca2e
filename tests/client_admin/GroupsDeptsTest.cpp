// Groups and departments against the demo database, the rights check of the
// administration commands, and the system management sheet.
#include "AdminFixture.h"
#include "AdminCommon.h"
#include "CDepartmentDlg.h"
#include "CDragTreeCtrl.h"
#include "CSetupGroupsDlg.h"
#include "CSysPropSheet.h"
#include "CUserManageDlg.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>

class GroupsDeptsTest : public AdminTest {};

TEST_F(GroupsDeptsTest, GroupsNewRenameDeleteWithTheirMemberships)
{
    CSetupGroupsDlg dialog(m_context);
    ASSERT_GE(dialog.m_groups->count(), 2);
    EXPECT_FALSE(dialog.NewGroup(QStringLiteral("TESTER")));
    EXPECT_EQ(m_context.m_lastMessage, QStringLiteral("Please Change the Name to not exist one"));
    ASSERT_TRUE(dialog.NewGroup(QStringLiteral("qa")));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_user_group values('chen','qa')")));
    ASSERT_TRUE(dialog.RenameGroup(QStringLiteral("qa"), QStringLiteral("qa2")));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_user_group where group_name='qa2' and user_name='chen'")), 1);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_group where group_name='qa'")), 0);
    EXPECT_FALSE(dialog.RenameGroup(QStringLiteral("qa2"), QStringLiteral("developer")));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_group where group_name='qa2'")), 1);

    ASSERT_TRUE(dialog.SetRightsFrom(QStringLiteral("qa2"),
                                     Value(QStringLiteral("select USER_FIELD_RIGHT from t_group where group_name='tester'"))));
    EXPECT_EQ(Value(QStringLiteral("select USER_FIELD_RIGHT from t_group where group_name='qa2'")),
              Value(QStringLiteral("select USER_FIELD_RIGHT from t_group where group_name='tester'")));
    const QString chenRights = Value(QStringLiteral("select USER_FIELD_RIGHT from t_cfg_st_user where user_name='chen'"));
    ASSERT_TRUE(dialog.DeleteGroup(QStringLiteral("qa2")));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_user_group where group_name='qa2'")), 0);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_group where group_name='qa2'")), 0);
    EXPECT_EQ(Value(QStringLiteral("select USER_FIELD_RIGHT from t_cfg_st_user where user_name='chen'")), chenRights);
    EXPECT_TRUE(dialog.m_groups->findItems(QStringLiteral("qa2"), Qt::MatchExactly).isEmpty());
}

TEST_F(GroupsDeptsTest, GroupDeleteStopsWhenTheMembershipsCannotGo)
{
    CSetupGroupsDlg dialog(m_context);
    ASSERT_TRUE(dialog.NewGroup(QStringLiteral("locked")));
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_user_group values('li','locked')")));
    ASSERT_TRUE(Exec(QStringLiteral("create trigger keep_locked before delete on t_user_group when old.group_name='locked' "
                                    "begin select raise(abort,'memberships are locked'); end")));
    EXPECT_FALSE(dialog.DeleteGroup(QStringLiteral("locked")));
    EXPECT_TRUE(m_context.m_lastMessage.contains(QStringLiteral("memberships are locked")));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_group where group_name='locked'")), 1);
    ASSERT_TRUE(Exec(QStringLiteral("drop trigger keep_locked")));
    ASSERT_TRUE(dialog.DeleteGroup(QStringLiteral("locked")));
}

TEST_F(GroupsDeptsTest, DepartmentsAddRenameDelete)
{
    CDepartmentDlg dialog(m_context);
    const int before = dialog.m_depts->count();
    ASSERT_TRUE(dialog.AddDepartment(QStringLiteral("Ops"), QStringLiteral("Operations")));
    EXPECT_FALSE(dialog.AddDepartment(QStringLiteral("Ops"), QStringLiteral("Operations")));  // same row exists
    EXPECT_EQ(dialog.m_depts->count(), before + 1);
    dialog.m_depts->setCurrentItem(dialog.m_depts->findItems(QStringLiteral("Ops"), Qt::MatchExactly).value(0));
    EXPECT_EQ(dialog.m_name->text(), QStringLiteral("Ops"));
    EXPECT_EQ(dialog.m_desc->text(), QStringLiteral("Operations"));

    ASSERT_TRUE(Exec(QStringLiteral("insert into t_cfg_st_user(user_name,dept_name) values('opsguy','Ops')")));
    ASSERT_TRUE(dialog.RenameDepartment(QStringLiteral("Ops"), QStringLiteral("Operations")));
    EXPECT_EQ(Value(QStringLiteral("select DEPT_NAME from t_cfg_st_user where user_name='opsguy'")), QStringLiteral("Operations"));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_dept where dept_name='Operations'")), 1);

    ASSERT_TRUE(dialog.DeleteDepartment(QStringLiteral("Operations")));
    EXPECT_EQ(dialog.m_depts->count(), before);
    // Users keep naming the department that is gone.
    EXPECT_EQ(Value(QStringLiteral("select DEPT_NAME from t_cfg_st_user where user_name='opsguy'")), QStringLiteral("Operations"));
}

TEST_F(GroupsDeptsTest, DepartmentDeleteAsksBeforeLookingAtTheSelection)
{
    CDepartmentDlg dialog(m_context);
    dialog.m_depts->setCurrentRow(-1);
    const int before = Count(QStringLiteral("select count(*) from t_dept"));
    m_answerer.SetAnswerYes(true);
    dialog.OnDelete();
    EXPECT_EQ(m_context.m_lastMessage, m_context.Text(4025));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_dept")), before);
}

TEST_F(GroupsDeptsTest, OnlyAdminOrSystemManagersAdminister)
{
    EXPECT_TRUE(CanAdminister(m_context));
    struct Case { const char* user; bool allowed; };
    // zhang lacks system management; wang is given it.
    ASSERT_TRUE(Exec(QStringLiteral("update t_cfg_st_user set USER_FIELD_RIGHT='1110000000111111111111111111111111100000000000000000000000000000' where user_name='wang'")));
    for (const Case& c : {Case{"zhang", false}, Case{"wang", true}}) {
        CAppContext context;
        ASSERT_TRUE(s_server->Login(context, c.user, "123456")) << c.user;
        EXPECT_EQ(CanAdminister(context), c.allowed) << c.user;
        EXPECT_EQ(CheckAdminister(context), c.allowed) << c.user;
        if (!c.allowed) {
            EXPECT_FALSE(context.m_lastMessage.isEmpty());
        }
    }
}

TEST_F(GroupsDeptsTest, SheetShowsNoButtonsAndLoadsTheUsersPageOnlyWhenShown)
{
    CSysPropSheet sheet(m_context, StandardSheetPages());
    ASSERT_NE(sheet.m_usersPage, nullptr);
    EXPECT_EQ(sheet.m_usersPage->m_activated, 0);
    EXPECT_EQ(sheet.findChild<QDialogButtonBox*>(), nullptr);
    for (QPushButton* button : sheet.findChildren<QPushButton*>())
        EXPECT_NE(button->text(), QStringLiteral("OK"));
    sheet.OnInitDialog();
    EXPECT_EQ(sheet.size(), QSize(708, 422));
    sheet.show();
    const int users = sheet.m_pages->indexOf(sheet.m_usersPage);
    if (users != 0) {
        EXPECT_EQ(sheet.m_usersPage->m_activated, 0);
    }
    sheet.SetActivePage(users);
    EXPECT_EQ(sheet.m_usersPage->m_activated, 1);
    EXPECT_GT(sheet.m_usersPage->m_tree->topLevelItemCount(), 0);
    EXPECT_TRUE(SaveShot(&sheet, QStringLiteral("sys_sheet")));
}

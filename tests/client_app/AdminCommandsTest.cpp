// The administration commands of the main frame: the sheet opens for the
// administrator, and a user without the system-management right is refused.
#include "AdminFixture.h"
#include "CDepartmentDlg.h"
#include "CSysPropSheet.h"
#include "CUserManageDlg.h"
#include "CZentryApp.h"
#include "ClientIds.h"
#include "MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>

class AdminHooksTest : public AdminTest {};

TEST_F(AdminHooksTest, AdministratorOpensTheSheetAndTheDepartments)
{
    CZentryApp app;
    ASSERT_TRUE(s_server->Login(app.m_context));
    CMainFrame frame(app.m_context);
    int pages = -1;
    QTimer::singleShot(100, [&pages] {
        if (auto* sheet = qobject_cast<CSysPropSheet*>(QApplication::activeModalWidget())) {
            pages = sheet->PageCount();
            sheet->reject();
        }
    });
    frame.RunCommand(ids::kCmdSysManage);
    EXPECT_GE(pages, 1);

    bool departments = false;
    QTimer::singleShot(100, [&departments] {
        if (auto* dialog = qobject_cast<CDepartmentDlg*>(QApplication::activeModalWidget())) {
            departments = dialog->m_depts->count() > 0;
            dialog->reject();
        }
    });
    frame.RunCommand(ids::kCmdDeptMgr);
    EXPECT_TRUE(departments);
}

TEST_F(AdminHooksTest, UserWithoutTheSystemRightIsRefused)
{
    CZentryApp app;
    ASSERT_TRUE(s_server->Login(app.m_context, "zhang", "123456"));
    ASSERT_EQ(app.m_context.m_canSysManage, 0);
    CMainFrame frame(app.m_context);
    bool opened = false;
    QTimer::singleShot(300, [&opened] {
        if (auto* sheet = qobject_cast<CSysPropSheet*>(QApplication::activeModalWidget())) {
            opened = true;
            sheet->reject();
        }
    });
    m_answerer.m_texts.clear();
    for (int id : {ids::kCmdSysManage, ids::kCmdUserMgr, ids::kCmdDeptMgr}) frame.RunCommand(id);
    EXPECT_FALSE(opened);
    EXPECT_EQ(app.m_context.m_lastMessage, app.m_context.Text(9250).isEmpty()
                                               ? QStringLiteral("You have no right to administer the system")
                                               : app.m_context.Text(9250));
}

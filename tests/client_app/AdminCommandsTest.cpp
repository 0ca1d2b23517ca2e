// The administration commands of the composed main frame: the sheet opens
// for the administrator, and a user without the system-management right is
// refused.
#include "CDepartmentDlg.h"
#include "CSysPropSheet.h"
#include "ClientIds.h"
#include "ComposedClient.h"

#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <gtest/gtest.h>

class AdminCommands : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(CDemoServer::SuiteOptions()); }

    CModalAnswerer answerer;
};

TEST_F(AdminCommands, AdministratorOpensTheSheetAndTheDepartments)
{
    CComposedClient client;
    ASSERT_TRUE(client.Login(*s_server));
    CMainFrame& frame = client.Frame();
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

TEST_F(AdminCommands, UserWithoutTheSystemRightIsRefused)
{
    CComposedClient client;
    ASSERT_TRUE(client.Login(*s_server, "zhang", "123456"));
    CAppContext& context = client.Context();
    ASSERT_EQ(context.m_canSysManage, 0);
    CMainFrame& frame = client.Frame();
    bool opened = false;
    QTimer::singleShot(300, [&opened] {
        if (auto* sheet = qobject_cast<CSysPropSheet*>(QApplication::activeModalWidget())) {
            opened = true;
            sheet->reject();
        }
    });
    answerer.m_texts.clear();
    for (int id : {ids::kCmdSysManage, ids::kCmdUserMgr, ids::kCmdDeptMgr}) frame.RunCommand(id);
    EXPECT_FALSE(opened);
    EXPECT_EQ(context.m_lastMessage, context.Text(9250).isEmpty()
                                         ? QStringLiteral("You have no right to administer the system")
                                         : context.Text(9250));
}

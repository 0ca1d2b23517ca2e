// The demo's groups as the composed frame applies them: testers and
// developers work on defects, only admin manages the system. Logged in as
// a tester or a developer, the administration commands are disabled or
// refused; admin reaches them.
#include "AdminCommands.h"
#include "CSysPropSheet.h"
#include "ClientIds.h"
#include "ComposedClient.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

class DemoRights : public CDemoServerTest {
protected:
    // sysop: the system-management right alone, without the add right.
    static void SetUpTestSuite()
    {
        StartServer(CDemoServer::SuiteOptions(
            "INSERT INTO t_cfg_st_user (USER_NAME,USER_PASSWD,USER_FULLNAME,USER_MAIL,DEPT_NAME,"
            "USER_FIELD_RIGHT,USER_FIELD_QUERY) VALUES ('sysop','e10adc3949ba59abbe56e057f20f883e',"
            "'sysop','','','0010000000111111111111111111111111100000000000000000000000000000',"
            "'0000000000111110011000000000000000000000000000000000000000000000');"
            "INSERT INTO t_user_prj (USER_NAME,PRJ_NAME) VALUES ('sysop','Demo');"));
    }

    // Runs a command and tells whether a window other than a message box
    // opened (it is closed again).
    static bool OpensWindow(CMainFrame& frame, int id)
    {
        bool opened = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&opened] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || qobject_cast<QMessageBox*>(modal)) return;
            opened = true;
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(QDialog::Rejected);
        });
        watch.start(10);
        if (QAction* action = frame.Action(id)) action->trigger();
        else frame.RunCommand(id);
        QApplication::processEvents();
        return opened;
    }

    CModalAnswerer answerer;
};

TEST_F(DemoRights, TestersAndDevelopersDoNotManageTheSystem)
{
    const QString group = QString::fromStdString(
        s_server->Value("select USER_FIELD_RIGHT from t_group where group_name='tester'"));
    EXPECT_EQ(group.left(3), "110");  // add and delete defects, no system management

    for (const char* user : {"wang", "chen", "zhang", "li"}) {
        SCOPED_TRACE(user);
        CComposedClient client;
        ASSERT_TRUE(client.Login(*s_server, user, "123456"));
        CAppContext& context = client.Context();
        EXPECT_EQ(context.m_canSysManage, 0);
        EXPECT_EQ(context.m_canAddDefect, 1);
        CMainFrame& frame = client.Frame();
        frame.UpdateCommandStates();
        EXPECT_TRUE(frame.Action(ids::kCmdNewBug)->isEnabled());
        // The system button, Options, the layout designer and Init System
        // are disabled, although the add right is there.
        for (int id : {ids::kCmdSysManage, ids::kCmdOptions, ids::kCmdDesignCustom, ids::kCmdInitSystem})
            EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;
        const QString noRight = context.Text(9250);
        const QString noAdminRight = context.Text(9361);
        const struct {
            int id;
            const QString& message;
        } refused[] = {{ids::kCmdUserMgr, noRight},
                       {ids::kCmdDeptMgr, noRight},       {ids::kCmdListMgr, noAdminRight},
                       {ids::kCmdProjectDlg, noAdminRight}, {ids::kCmdWorkflow, noAdminRight},
                       {ids::kCmdFieldAttr, noRight}};
        for (const auto& command : refused) {
            answerer.m_texts.clear();
            EXPECT_FALSE(OpensWindow(frame, command.id)) << command.id;
            EXPECT_EQ(answerer.m_texts, QStringList{command.message}) << command.id;
        }
    }
}

TEST_F(DemoRights, AdminManagesTheSystem)
{
    CComposedClient client;
    ASSERT_TRUE(client.Login(*s_server));
    EXPECT_EQ(client.Context().m_canSysManage, 1);
    CMainFrame& frame = client.Frame();
    frame.UpdateCommandStates();
    for (int id : {ids::kCmdOptions, ids::kCmdSysManage, ids::kCmdInitSystem, ids::kCmdDesignCustom})
        EXPECT_TRUE(frame.Action(id)->isEnabled()) << id;
    for (int id : {ids::kCmdOptions, ids::kCmdSysManage, ids::kCmdUserMgr, ids::kCmdDeptMgr, ids::kCmdListMgr,
                   ids::kCmdProjectDlg, ids::kCmdWorkflow, ids::kCmdDesignCustom, ids::kCmdFieldAttr})
        EXPECT_TRUE(OpensWindow(frame, id)) << id;
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
}

// The system button and Options are enabled exactly for those the sheet
// lets in: a command is never enabled only to refuse.
TEST_F(DemoRights, SystemCommandsAreEnabledExactlyForThoseTheSheetLetsIn)
{
    const struct {
        const char* user;
        const char* password;
        bool manages;
    } users[] = {{"admin", "admin", true}, {"sysop", "123456", true}, {"wang", "123456", false},
                 {"zhang", "123456", false}};
    for (const auto& user : users) {
        SCOPED_TRACE(user.user);
        CComposedClient client;
        ASSERT_TRUE(client.Login(*s_server, user.user, user.password));
        CMainFrame& frame = client.Frame();
        frame.UpdateCommandStates();
        for (int id : {ids::kCmdSysManage, ids::kCmdOptions}) {
            EXPECT_EQ(frame.Action(id)->isEnabled(), user.manages) << id;
            answerer.m_texts.clear();
            EXPECT_EQ(OpensWindow(frame, id), user.manages) << id;
            EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
        }
        // Reached some other way, the sheet still refuses.
        if (!user.manages) {
            OpenSysSheet(&frame, client.Context(), CSheetPages());
            EXPECT_EQ(answerer.m_texts, QStringList{client.Context().Text(9250)});
        }
    }
}

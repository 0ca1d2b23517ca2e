// The demo's groups as the composed frame applies them: testers and
// developers work on defects, only admin manages the system. Logged in as
// a tester or a developer, the administration commands are disabled or
// refused; admin reaches them.
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
    static void SetUpTestSuite() { StartServer(CDemoServer::SuiteOptions()); }

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
        // Options, the layout designer and Init System are disabled.
        for (int id : {ids::kCmdOptions, ids::kCmdDesignCustom, ids::kCmdInitSystem})
            EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;
        // The tool bar's system button follows the add right; the sheet then
        // refuses, as every administration dialog does.
        EXPECT_TRUE(frame.Action(ids::kCmdSysManage)->isEnabled());
        const QString noRight = context.Text(9250);
        const QString noAdminRight = context.Text(9361);
        const struct {
            int id;
            const QString& message;
        } refused[] = {{ids::kCmdSysManage, noRight},     {ids::kCmdUserMgr, noRight},
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

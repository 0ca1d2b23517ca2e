// The administration commands of the composed main frame: the sheet opens
// for the administrator, a user without the system-management right is
// refused, and a new user made on the users page gets in.
#include "AdminCommon.h"
#include "CDepartmentDlg.h"
#include "CLoginDlg.h"
#include "CMd5Digest.h"
#include "CSetupUserPermissionDlg.h"
#include "CSysPropSheet.h"
#include "CUserManageDlg.h"
#include "ClientIds.h"
#include "ComposedClient.h"
#include "RightsString.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs body on the next pop-up menu that opens.
void WhenPopup(std::function<void(QMenu*)> body)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, body] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        body(menu);
    });
    timer->start(10);
}

QAction* ActionById(QMenu* menu, int id)
{
    for (QAction* action : menu->actions())
        if (action->property("langId").toInt() == id) return action;
    return nullptr;
}

}  // namespace

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

// A new user from first to last, as the administrator and then the user
// do it: New on the users page (typing over the proposed name), its first
// permission save, Reset Pass, and the new user's login with "579"
// through the login dialog.
TEST_F(AdminCommands, ANewUserGetsInWith579AfterResetPassAndKeepsItsRights)
{
    CComposedClient admin;
    ASSERT_TRUE(admin.Login(*s_server));
    CAppContext& context = admin.Context();
    CModalCatcher usersPage;
    CModalCatcher prompt;
    CModalCatcher permission;
    QString proposed;
    QString selected;
    QString ownRights;
    usersPage.Arm([&](QWidget* dialog) {
        auto* page = dialog->findChild<CUserManageDlg*>();
        ASSERT_NE(page, nullptr);
        // New, from the tree's context menu; the name typed over the proposal.
        prompt.Arm([&](QWidget* modal) {
            auto* edit = modal->findChild<QLineEdit*>(QString::number(ids::kPromptEdit));
            proposed = edit->text();
            selected = edit->selectedText();
            QTest::keyClicks(edit, "zhao");
            QTest::mouseClick(modal->findChild<QPushButton*>(QString::number(ids::kOk)), Qt::LeftButton);
        });
        WhenPopup([](QMenu* menu) { ActionById(menu, 2039)->trigger(); });
        page->OnTreeRightClick(QPoint(5, 5));
        ASSERT_TRUE(page->SelectUser(QStringLiteral("zhao")));

        // Into the testers' group, then its own rights saved for the first time.
        for (int i = 0; i < page->m_groupsOut->count(); ++i)
            if (page->m_groupsOut->item(i)->text() == QLatin1String("tester")) page->m_groupsOut->setCurrentRow(i);
        QTest::mouseClick(ControlById<QPushButton>(page, 3071), Qt::LeftButton);
        permission.Arm([&](QWidget* modal) {
            auto* rights = qobject_cast<CSetupUserPermissionDlg*>(modal);
            ASSERT_NE(rights, nullptr);
            QTest::mouseClick(rights->m_commandBoxes[0], Qt::LeftButton);  // Add Defect
            QTest::mouseClick(rights->m_save, Qt::LeftButton);
            if (rights->isVisible()) rights->reject();
        });
        QTest::mouseClick(ControlById<QPushButton>(page, 4011), Qt::LeftButton);
        ownRights = s_server->Value(context, "select USER_FIELD_RIGHT from t_cfg_st_user where user_name='zhao'");

        QTest::mouseClick(ControlById<QPushButton>(page, 3215), Qt::LeftButton);  // Reset Pass
        qobject_cast<QDialog*>(dialog)->reject();
    });
    admin.Frame().RunCommand(ids::kCmdUserMgr);
    ASSERT_EQ(usersPage.Caught(), "QDialog") << answerer.Joined().toStdString();

    EXPECT_EQ(proposed, "Please input usename");
    EXPECT_EQ(selected, proposed);
    EXPECT_EQ(s_server->Count(context, "select count(*) from t_cfg_st_user where user_name='zhao'"), 1);
    EXPECT_EQ(permission.Caught(), "CSetupUserPermissionDlg");
    EXPECT_EQ(ownRights.size(), rights::kLength) << ownRights.toStdString();
    EXPECT_TRUE(ownRights.startsWith('1')) << ownRights.toStdString();
    EXPECT_EQ(s_server->Value(context, "select USER_PASSWD from t_cfg_st_user where user_name='zhao'"),
              QString::fromLatin1(CMd5Digest("579").GetHexText()));

    // zhao logs in with 579 through the login dialog and has the rights.
    CSettingsValues values;
    values.port = s_server->Port();
    CTestContext own(values);
    ASSERT_TRUE(own.context.LoadSettings());
    CLoginDlg login(own.context);
    login.findChild<QLineEdit*>(QString::number(ids::kLoginUser))->setText("zhao");
    login.findChild<QLineEdit*>(QString::number(ids::kLoginPassword))->setText("579");
    login.show();
    QTest::mouseClick(login.findChild<QPushButton*>(QString::number(ids::kLoginButton)), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!login.isVisible(), 10000);
    EXPECT_EQ(login.result(), QDialog::Accepted) << answerer.Joined().toStdString();
    EXPECT_EQ(own.context.m_userName, "zhao");
    EXPECT_EQ(own.context.LoadMetadata(), 1) << answerer.Joined().toStdString();
    EXPECT_EQ(own.context.m_canAddDefect, 1);
    EXPECT_EQ(own.context.m_canSysManage, 0);
}

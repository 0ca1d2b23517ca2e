// The session of the composed client across File > Login and Modify
// Password, driven from the main frame's menu as a user would, against real
// lumenolite servers: a failed login keeps the working session, a new
// user's rights replace the old ones, a renewed session uses the current
// password.
#include "CLoginDlg.h"
#include "CMd5Digest.h"
#include "CModifyPasswordDlg.h"
#include "ClientIds.h"
#include "ComposedClient.h"
#include "QtText.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

// A user whose rights text is cut short: the metadata load stops at the
// rights check.
const char kSessionSql[] =
    "INSERT INTO t_cfg_st_user (USER_NAME,USER_PASSWD,USER_FULLNAME,USER_MAIL,DEPT_NAME,USER_FIELD_RIGHT,"
    "USER_FIELD_QUERY) VALUES ('brief','e10adc3949ba59abbe56e057f20f883e','Brief','','','111',"
    "'0000000000111010000000000000000000000000000000000000000000000000');"
    "INSERT INTO t_user_prj (USER_NAME,PRJ_NAME) VALUES ('brief','Demo');";

class Session : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(true, kSessionSql); }

    void SetUp() override {
        std::string why;
        ASSERT_TRUE(client.LoginWithOwnSettings(*s_server, m_dir.path(), why)) << why;
        client.Frame();
    }

    // Triggers a menu command and runs body on the modal dialog it opens;
    // the dialog is closed whatever body found.
    void RunWithDialog(int command, const std::function<void(QWidget*)>& body) {
        catcher.Arm([&](QWidget* modal) {
            body(modal);
            if (modal->isVisible()) static_cast<QDialog*>(modal)->done(QDialog::Rejected);
        });
        client.Frame().Action(command)->trigger();
        catcher.Disarm();
    }

    // File > Login with these fields; the dialog's result. A failed login is
    // followed by Cancel.
    bool LoginFromMenu(const std::string& server, int port, const std::string& user, const std::string& password) {
        bool accepted = false;
        const auto fill = [&](CLoginDlg* dialog) {
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit*>(QString::number(ids::kLoginServer))->setText(QString::fromStdString(server));
            dialog->findChild<QLineEdit*>(QString::number(ids::kLoginPort))->setText(QString::number(port));
            dialog->findChild<QLineEdit*>(QString::number(ids::kLoginUser))->setText(QString::fromStdString(user));
            dialog->findChild<QLineEdit*>(QString::number(ids::kLoginPassword))
                ->setText(QString::fromStdString(password));
            dialog->findChild<QPushButton*>(QString::number(ids::kLoginButton))->click();
            auto* cancel = dialog->findChild<QPushButton*>(QString::number(ids::kCancel));
            EXPECT_TRUE(WaitFor([&] {
                return (dialog->GetLoginState() == 1 && !dialog->isVisible()) ||
                       (dialog->GetLoginState() == -1 && cancel->isEnabled());
            }));
            accepted = dialog->GetLoginState() == 1;
            if (!accepted) cancel->click();
        };
        RunWithDialog(ids::kCmdLogin, [&](QWidget* modal) { fill(qobject_cast<CLoginDlg*>(modal)); });
        return accepted;
    }

    // File > Modify Password with these fields; true when it was stored.
    bool ChangePasswordFromMenu(const QString& old, const QString& fresh) {
        bool stored = false;
        const auto fill = [&](CModifyPasswordDlg* dialog) {
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit*>(QString::number(ids::kPasswordOld))->setText(old);
            dialog->findChild<QLineEdit*>(QString::number(ids::kPasswordNew))->setText(fresh);
            dialog->findChild<QLineEdit*>(QString::number(ids::kPasswordConfirm))->setText(fresh);
            dialog->findChild<QPushButton*>(QString::number(ids::kOk))->click();
            stored = dialog->result() == QDialog::Accepted;
        };
        RunWithDialog(ids::kCmdModifyPassword,
                      [&](QWidget* modal) { fill(qobject_cast<CModifyPasswordDlg*>(modal)); });
        return stored;
    }

    CModalAnswerer answerer;
    CModalCatcher catcher;
    QTemporaryDir m_dir;
    CComposedClient client;
};

// A login that fails, then Cancel: the settings (and so the FTP host), the
// data client's server, account and password coding, and the session stay
// those of the working login; requests and a password change go on working.
TEST_F(Session, AFailedLoginLeavesTheWorkingSession) {
    // A second server that wants plain passwords.
    CDemoServer plain;
    ASSERT_TRUE(plain.Start(false));
    const struct {
        const char* title;
        int port;  // 0: the working server's, -1: nobody listens
        const char* user;
        const char* password;
    } cases[] = {
        {"wrong password", 0, "admin", "nope"},
        {"another user's wrong password", 0, "zhang", "nope"},
        {"another server without password coding", plain.Port(), "admin", "nope"},
        {"nobody listens", -1, "admin", "admin"},
    };
    CAppContext& context = client.Context();
    const std::string working = "[common]\nserver=127.0.0.1\ntcp_port=" + std::to_string(s_server->Port()) +
                                "\nuser_name=admin\nuser_passwd=admin\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        answerer.m_texts.clear();
        const int port = c.port == 0 ? s_server->Port() : c.port < 0 ? CServerFixture::FreePort() : c.port;
        EXPECT_FALSE(LoginFromMenu("127.0.0.1", port, c.user, c.password));
        EXPECT_EQ(answerer.m_texts.size(), 1) << answerer.Joined().toStdString();

        EXPECT_NE(ReadText(context.SettingsPath()).find(working), std::string::npos)
            << ReadText(context.SettingsPath());
        EXPECT_EQ(context.m_settings.GetInt("tcp_port", "common"), s_server->Port());
        EXPECT_STREQ(context.m_settings.GetValue("user_passwd", "common").CStr(), "admin");
        EXPECT_STREQ(context.m_settings.GetValue("user_name", "common").CStr(), "admin");
        EXPECT_EQ(context.m_http.GetPort(), s_server->Port());
        EXPECT_EQ(context.m_http.GetUserName(), "admin");
        EXPECT_TRUE(context.m_http.m_usePassEncode);
        EXPECT_EQ(context.m_userName, "admin");
        // The session still answers, and renews itself with the right password.
        EXPECT_EQ(s_server->Value(context, "select count(*) from t_prj"), "2");
        EXPECT_TRUE(s_server->Restart()) << s_server->Output();
        EXPECT_EQ(s_server->Value(context, "select count(*) from t_prj"), "2");
    }
    // The password change still stores the digest the working server wants.
    answerer.m_texts.clear();
    EXPECT_TRUE(ChangePasswordFromMenu("admin", "admin")) << answerer.Joined().toStdString();
    EXPECT_EQ(s_server->Value("select USER_PASSWD from t_cfg_st_user where USER_NAME='admin'"),
              CMd5Digest("admin").GetHexText());

    // A login that works switches: to the plain server, and back.
    // (There admin's password is stored as the digest text itself.)
    EXPECT_TRUE(LoginFromMenu("127.0.0.1", plain.Port(), "admin", CMd5Digest("admin").GetHexText()))
        << answerer.Joined().toStdString();
    EXPECT_FALSE(context.m_http.m_usePassEncode);
    EXPECT_EQ(context.m_settings.GetInt("tcp_port", "common"), plain.Port());
    EXPECT_TRUE(LoginFromMenu("127.0.0.1", s_server->Port(), "admin", "admin")) << answerer.Joined().toStdString();
    EXPECT_TRUE(context.m_http.m_usePassEncode);
}

// File > Login as a user whose metadata load stops at the rights check
// leaves no rights: the previous user's commands are disabled.
TEST_F(Session, ANewUserWithoutReadableRightsGetsNone) {
    CMainFrame& frame = client.Frame();
    CAppContext& context = client.Context();
    ASSERT_TRUE(frame.Action(ids::kCmdSysManage)->isEnabled());
    ASSERT_EQ(context.m_canSysManage, 1);
    ASSERT_TRUE(LoginFromMenu("127.0.0.1", s_server->Port(), "brief", "123456")) << answerer.Joined().toStdString();
    EXPECT_EQ(context.m_userName, "brief");
    EXPECT_EQ(context.m_canAddDefect, 0);
    EXPECT_EQ(context.m_canDeleteDefect, 0);
    EXPECT_EQ(context.m_canSysManage, 0);
    EXPECT_TRUE(context.m_rights.isEmpty());
    for (int id : {ids::kCmdNewBug, ids::kCmdSysManage, ids::kCmdOptions, ids::kCmdDesignCustom,
                   ids::kCmdInitSystem}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(frame.Action(id)->isEnabled());
    }
}

// After Modify Password a session the server ended is renewed with the new
// password.
TEST_F(Session, ARenewedSessionUsesTheChangedPassword) {
    CAppContext& context = client.Context();
    ASSERT_TRUE(LoginFromMenu("127.0.0.1", s_server->Port(), "li", "123456")) << answerer.Joined().toStdString();
    answerer.m_texts.clear();
    ASSERT_TRUE(ChangePasswordFromMenu("123456", "fresh 新")) << answerer.Joined().toStdString();
    ASSERT_TRUE(s_server->Restart()) << s_server->Output();
    EXPECT_EQ(s_server->Value(context, "select USER_NAME from t_cfg_st_user where USER_NAME='li'"), "li");
    CListString error;
    CResultSet rows;
    EXPECT_GE(context.m_http.Select("select 1 from t_prj", rows, error), 1) << error.CStr();
    // Back to the demo's password for the other tests.
    ASSERT_TRUE(ChangePasswordFromMenu("fresh 新", "123456")) << answerer.Joined().toStdString();
}

}  // namespace

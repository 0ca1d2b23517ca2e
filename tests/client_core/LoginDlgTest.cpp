// The login dialog offscreen: its fields and history, a login on its worker
// against a real lumenolite, the failure paths, and what it does while a
// (slow, scripted) login runs.
#include "CLoginDlg.h"
#include "ClientFixtures.h"
#include "ClientIds.h"
#include "LoginHistory.h"
#include "ScriptedHttpServer.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

namespace {

template <typename T>
T* Child(QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id));
}

struct Fields {
    explicit Fields(CLoginDlg& dialog)
        : server(Child<QLineEdit>(&dialog, ids::kLoginServer)),
          port(Child<QLineEdit>(&dialog, ids::kLoginPort)),
          user(Child<QLineEdit>(&dialog, ids::kLoginUser)),
          password(Child<QLineEdit>(&dialog, ids::kLoginPassword)),
          history(Child<QComboBox>(&dialog, ids::kLoginHistory)),
          progress(Child<QProgressBar>(&dialog, ids::kLoginProgress)),
          login(Child<QPushButton>(&dialog, ids::kLoginButton)),
          cancel(Child<QPushButton>(&dialog, ids::kCancel)) {}
    QLineEdit* server;
    QLineEdit* port;
    QLineEdit* user;
    QLineEdit* password;
    QComboBox* history;
    QProgressBar* progress;
    QPushButton* login;
    QPushButton* cancel;
};

}  // namespace

class LoginDialog : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(); }

    void SetUp() override {
        CSettingsValues values;
        values.port = s_server->Port();
        values.password = "wrong";
        m_test = std::make_unique<CTestContext>(values);
        WriteText(m_test->context.LoginHistoryPath(),
                  "# history\n10.1.1.1:8090:zhang\n127.0.0.1:" + std::to_string(s_server->Port()) +
                      ":ADMIN\nbroken:line\n");
        ASSERT_TRUE(m_test->context.LoadSettings());
    }

    CModalAnswerer answerer;
    std::unique_ptr<CTestContext> m_test;
};

TEST_F(LoginDialog, FieldsHistoryAndCaptions) {
    CLoginDlg dialog(m_test->context);
    Fields f(dialog);
    ASSERT_TRUE(f.server && f.port && f.user && f.password && f.history && f.login && f.cancel);
    EXPECT_EQ(f.server->text(), "127.0.0.1");
    EXPECT_EQ(f.port->text(), QString::number(s_server->Port()));
    EXPECT_EQ(f.user->text(), "admin");
    EXPECT_EQ(f.password->text(), "wrong");
    EXPECT_EQ(f.password->echoMode(), QLineEdit::Password);
    ASSERT_EQ(f.history->count(), 3);
    // The saved server, port and user select their line, ignoring case.
    EXPECT_EQ(f.history->currentIndex(), 1);
    EXPECT_EQ(dialog.windowTitle(), "Zentry  [1.04]");
    EXPECT_EQ(f.login->text(), "Login");
    EXPECT_EQ(f.cancel->text(), "Cancel");
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    QStringList texts;
    for (QLabel* label : labels) texts << label->text();
    EXPECT_TRUE(texts.contains("Server:")) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains("Password:"));
    EXPECT_TRUE(texts.contains("1.04"));

    // Choosing a line fills server, port and user and clears the password.
    dialog.OnHistorySelChange(0);
    EXPECT_EQ(f.server->text(), "10.1.1.1");
    EXPECT_EQ(f.port->text(), "8090");
    EXPECT_EQ(f.user->text(), "zhang");
    EXPECT_EQ(f.password->text(), "");
    // A line of fewer than three fields fills nothing.
    f.password->setText("typed");
    dialog.OnHistorySelChange(2);
    EXPECT_EQ(f.server->text(), "10.1.1.1");
    EXPECT_EQ(f.password->text(), "typed");

    // A click on the banner opens the product's web site (caught here by a
    // handler of the scheme instead of a browser).
    QTextBrowser opened;
    QDesktopServices::setUrlHandler("https", &opened, "setSource");
    dialog.show();
    QWidget* banner = Child<QLabel>(&dialog, ids::kLoginBanner);
    ASSERT_TRUE(banner);
    QTest::mouseClick(banner, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(opened.source(), QUrl(QString::fromLatin1(ids::kProductSite)));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(LoginDialog, OnlyCancelCloses) {
    CLoginDlg dialog(m_test->context);
    Fields f(dialog);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    dialog.close();
    QTest::qWait(20);
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseClick(f.cancel, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(LoginDialog, SuccessfulLoginSavesSettingsAndHistoryOnce) {
    for (const char* user : {"admin", "Admin"}) {
        CLoginDlg dialog(m_test->context);
        Fields f(dialog);
        f.user->setText(user);
        f.password->setText("admin");
        dialog.show();
        QTest::mouseClick(f.login, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 10000);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << answerer.Joined().toStdString();
        EXPECT_TRUE(answerer.m_texts.isEmpty());
        EXPECT_EQ(m_test->context.m_userName, user);
        EXPECT_TRUE(CHttpDataClient::IsSessionId(m_test->context.m_http.GetSessionId().c_str()));
        // Saved at once, the password exactly as typed.
        const std::string saved = ReadText(m_test->context.SettingsPath());
        EXPECT_NE(saved.find("user_passwd=admin\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find(std::string("user_name=") + user + "\n"), std::string::npos);
    }
    // The admin line was there already (other case): nothing was added.
    EXPECT_EQ(ReadLoginHistory(m_test->context.LoginHistoryPath()).size(), 3);

    CLoginDlg dialog(m_test->context);
    Fields f(dialog);
    f.server->setText("localhost");
    f.user->setText("admin");
    f.password->setText("admin");
    dialog.show();
    dialog.OnLogin();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 10000);
    const QStringList history = ReadLoginHistory(m_test->context.LoginHistoryPath());
    ASSERT_EQ(history.size(), 4);
    EXPECT_EQ(history.last(), QStringLiteral("localhost:%1:admin").arg(s_server->Port()));
}

TEST_F(LoginDialog, FailuresShowTheirTextAndLeaveTheDialogIdle) {
    const struct {
        const char* name;
        const char* server;
        int port;  // 0: the demo server's
        const char* password;
        const char* message;
    } cases[] = {
        {"wrong password", "127.0.0.1", 0, "nope", "Authentication fails"},
        // Without words of the server or the transfer: language text 4007.
        {"nobody listens", "127.0.0.1", -1, "admin", nullptr},
        {"no host", "", 0, "admin", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        answerer.m_texts.clear();
        CLoginDlg dialog(m_test->context);
        Fields f(dialog);
        f.server->setText(c.server);
        const int port = c.port == 0 ? s_server->Port() : CServerFixture::FreePort();
        f.port->setText(QString::number(port));
        f.password->setText(c.password);
        dialog.show();
        dialog.OnLogin();
        QTRY_VERIFY_WITH_TIMEOUT(answerer.m_texts.size() == 1, 10000);
        const QString expected =
            c.message ? QString::fromUtf8(c.message) : m_test->context.Text(ids::kMsgLoginFailed);
        ASSERT_FALSE(expected.isEmpty());
        if (c.message)
            EXPECT_TRUE(answerer.m_texts[0].contains(expected)) << answerer.m_texts[0].toStdString();
        else
            EXPECT_EQ(answerer.m_texts[0], expected);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.GetLoginState(), -1);
        EXPECT_TRUE(f.login->isEnabled());
        EXPECT_TRUE(f.cancel->isEnabled());
        EXPECT_EQ(f.progress->value(), 0);
        EXPECT_EQ(f.server->text(), c.server);  // the fields as typed
        // No session ran before this login: what was typed stays saved.
        EXPECT_NE(ReadText(m_test->context.SettingsPath()).find("tcp_port=" + std::to_string(port)),
                  std::string::npos);
        EXPECT_EQ(ReadLoginHistory(m_test->context.LoginHistoryPath()).size(), 3);
    }
    // A port that is no number logs in to nothing.
    answerer.m_texts.clear();
    CLoginDlg dialog(m_test->context);
    Fields f(dialog);
    f.port->setText("");
    dialog.show();
    dialog.OnLogin();
    EXPECT_EQ(answerer.m_texts.size(), 1);
    EXPECT_TRUE(f.login->isEnabled());
    EXPECT_NE(ReadText(m_test->context.SettingsPath()).find("tcp_port=" + std::to_string(s_server->Port())),
              std::string::npos);
}

TEST_F(LoginDialog, WhileALoginRuns) {
    CScriptedHttpServer slow;
    ASSERT_TRUE(slow.Start());
    slow.SetDelayMs(250);
    slow.Push("use_pass_encode=1");
    slow.Push("7ABCDEFGHIJKLMNOP");
    CLoginDlg dialog(m_test->context);
    Fields f(dialog);
    f.port->setText(QString::number(slow.Port()));
    dialog.show();
    dialog.OnLogin();
    EXPECT_FALSE(f.login->isEnabled());
    EXPECT_FALSE(f.cancel->isEnabled());
    // Cancel and a second Login are ignored while the worker runs.
    dialog.OnCancel();
    dialog.OnLogin();
    EXPECT_TRUE(dialog.isVisible());
    QList<int> seen;
    while (dialog.isVisible() && seen.size() < 400) {
        QTest::qWait(5);
        if (seen.isEmpty() || seen.last() != dialog.GetProgressPosition()) seen << dialog.GetProgressPosition();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 5000);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_GE(seen.size(), 5);
    for (int i = 1; i < seen.size(); ++i) {
        EXPECT_TRUE(seen[i] == seen[i - 1] + 2 || seen[i] == 0 || seen[i] < seen[i - 1]) << seen[i];
        EXPECT_LE(seen[i], 98);
        EXPECT_EQ(seen[i] % 2, 0);
    }
    EXPECT_EQ(slow.Requests().size(), 2u);

    // The command line's automatic login presses Login once when shown.
    slow.SetDelayMs(0);
    slow.Push("use_pass_encode=1");
    slow.Push("8ABCDEFGHIJKLMNOP");
    CLoginDlg automatic(m_test->context);
    Child<QLineEdit>(&automatic, ids::kLoginPort)->setText(QString::number(slow.Port()));
    automatic.SetAutoLogin(true);
    automatic.show();
    QTRY_VERIFY_WITH_TIMEOUT(!automatic.isVisible(), 5000);
    EXPECT_EQ(automatic.result(), QDialog::Accepted);
    EXPECT_EQ(m_test->context.m_http.GetSessionId(), "8ABCDEFGHIJKLMNOP");
}

// The mail dialog and its recipient chooser against a real lumenolite with
// the demo database and a real SMTP sink on loopback.
#include "CMailUserSelectDlg.h"
#include "CResultGrid.h"
#include "CSendMailDlg.h"
#include "CSmtpMail.h"
#include "ClientFixtures.h"
#include "QtText.h"
#include "SmtpSinkFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

namespace {

// Defect 1 gets a developer comment in Chinese; defect 5 belongs to a user
// without a mail address.
const char* const kExtraSql =
    "UPDATE t_bug SET BG_DEV_COMMENTS='已修复：标题改为“Zentry 缺陷”' WHERE BG_BUG_ID=1;"
    "UPDATE t_cfg_st_user SET USER_MAIL='' WHERE USER_NAME='chen';"
    "UPDATE t_bug SET BG_RESPONSIBLE='chen' WHERE BG_BUG_ID=5;";

// Runs act on the first modal window of type T once it shows.
template <typename T>
void WhenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act]() {
        if (T* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(window);
        }
    });
    timer->start(20);
}

std::string Utf8(const QString& text) { return text.toStdString(); }

std::string WithoutCr(std::string text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

class MailTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_server = std::make_unique<CDemoServer>();
        ASSERT_TRUE(s_server->Start(CDemoServer::SuiteOptions(kExtraSql))) << s_server->Output();
    }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override {
        if (!CSmtpSinkFixture::Missing().empty()) GTEST_SKIP() << CSmtpSinkFixture::Missing();
        ASSERT_TRUE(s_server->Login(ctx));
    }

    // Mail settings as the user configuration gives them.
    void UseSink(const CSmtpSinkFixture& sink, const QString& user, const QString& password,
                 const QString& authType) {
        ctx.m_mailServer = QStringLiteral("127.0.0.1");
        ctx.m_mailPort = sink.Port();
        ctx.m_mailUser = user;
        ctx.m_mailPass = password;
        ctx.m_mailAuthType = authType;
    }

    QString Value(const QString& sql) { return s_server->Value(ctx, sql); }
    bool Exec(const QString& sql) {
        CListString error;
        return ctx.m_http.ExecSql(sql.toUtf8().constData(), error);
    }

    static std::unique_ptr<CDemoServer> s_server;
    CAppContext ctx;
    CModalAnswerer answerer;
};

std::unique_ptr<CDemoServer> MailTest::s_server;

TEST_F(MailTest, DemoDefectArrivesWithItsHeadersRecipientsSubjectAndText) {
    CSmtpSinkFixture sink("mailer@example.com", "s3cret");
    ASSERT_TRUE(sink.Start()) << sink.Output();
    // The mail account comes from the server's user configuration; the
    // authentication type written in lower case still means LOGIN.
    std::ofstream(s_server->server->Dir() + "/user_config.ini")
        << "ftp_user=zentry!ftp_pass=zentry!ftp_port=21!attach_path=/attach!"
           "mail_server=127.0.0.1!mail_port=" << sink.Port()
        << "!mail_user=mailer@example.com!mail_pass=s3cret!mail_auth_type=login\n";
    CAppContext fresh;
    ASSERT_TRUE(s_server->Login(fresh));
    EXPECT_EQ(fresh.m_mailPort, sink.Port());

    fresh.m_currentBugId = 1;
    CSendMailDlg dialog(fresh);
    const QString summary = Value("select BG_SUMMARY from t_bug where BG_BUG_ID=1");
    const QString description = Value("select BG_DESCRIPTION from t_bug where BG_BUG_ID=1");
    const QString expectedBody =
        description + "\n------------------------------------备注------------------------\n:" +
        "已修复：标题改为“Zentry 缺陷”";
    EXPECT_EQ(dialog.ToEdit()->text(), "li@example.com");
    EXPECT_EQ(dialog.CcEdit()->text(), "");
    EXPECT_EQ(dialog.SubjectEdit()->text(), summary);
    EXPECT_EQ(dialog.BodyEdit()->toPlainText(), expectedBody);

    dialog.CcEdit()->setText("wang@example.com");
    dialog.show();
    dialog.OnSend();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(answerer.m_texts.size(), 1);
    EXPECT_EQ(answerer.m_texts[0], "250 Message accepted for delivery");

    ASSERT_TRUE(sink.WaitForMessages(1));
    CSmtpSinkFixture::Message mail;
    ASSERT_TRUE(sink.ReadMessage(0, mail));
    EXPECT_EQ(mail.from, "mailer@example.com");
    EXPECT_EQ(mail.recipients, (std::vector<std::string>{"li@example.com", "wang@example.com"}));
    EXPECT_EQ(mail.mechanism, "LOGIN");
    EXPECT_EQ(mail.login, "mailer@example.com");
    EXPECT_EQ(mail.Header("From"), "ZentryZNT <mailer@example.com>");
    EXPECT_EQ(mail.Header("To"), "li@example.com");
    EXPECT_EQ(mail.Header("Cc"), "wang@example.com");
    EXPECT_EQ(mail.Header("Subject"), Utf8(summary));
    EXPECT_EQ(mail.Header("Content-Type"), "text/plain; charset=\"UTF-8\"");
    EXPECT_NE(mail.raw.find("Content-Type: text/plain; charset=UTF-8\r\n"), std::string::npos);
    EXPECT_EQ(WithoutCr(mail.Text()), Utf8(expectedBody));
    // Every line of the message as sent is 7-bit: the Chinese is encoded.
    for (unsigned char c : mail.raw) ASSERT_LT(c, 0x80);
    EXPECT_NE(mail.raw.find("\r\nDate: "), std::string::npos);
    EXPECT_NE(mail.raw.find("\r\nMessage-ID: <"), std::string::npos);
}

TEST_F(MailTest, AuthenticationTypeLoginIgnoresCaseAndAnyOtherValueIsPlain) {
    CSmtpSinkFixture sink("mailer@example.com", "s3cret");
    ASSERT_TRUE(sink.Start()) << sink.Output();
    const struct {
        const char* authType;
        const char* mechanism;
    } cases[] = {{"LOGIN", "LOGIN"}, {"Login", "LOGIN"}, {"PLAIN", "PLAIN"}, {"", "PLAIN"},
                 {"CRAM-MD5", "PLAIN"}};
    int sent = 0;
    for (const auto& c : cases) {
        UseSink(sink, "mailer@example.com", "s3cret", c.authType);
        ctx.m_currentBugId = 2;
        CSendMailDlg dialog(ctx);
        dialog.show();
        dialog.OnSend();
        ASSERT_EQ(dialog.result(), QDialog::Accepted) << c.authType << " " << Utf8(ctx.m_lastMessage);
        ASSERT_TRUE(sink.WaitForMessages(++sent));
        CSmtpSinkFixture::Message mail;
        ASSERT_TRUE(sink.ReadMessage(sent - 1, mail));
        EXPECT_EQ(mail.mechanism, c.mechanism) << c.authType;
        EXPECT_EQ(mail.recipients, std::vector<std::string>{"zhang@example.com"});
    }
}

TEST_F(MailTest, RefusedOrUnreachableServerKeepsTheDialogOpenWithTheServersAnswer) {
    CSmtpSinkFixture sink("mailer@example.com", "s3cret");
    ASSERT_TRUE(sink.Start()) << sink.Output();
    CSmtpSinkFixture gone;
    ASSERT_TRUE(gone.Start()) << gone.Output();
    const int closedPort = gone.Port();
    gone.Stop();
    const struct {
        const char* name;
        int port;
        const char* user;
        const char* password;
        const char* answer;
    } cases[] = {
        {"wrong password", sink.Port(), "mailer@example.com", "wrong", "535 5.7.8 Authentication credentials invalid"},
        {"no account", sink.Port(), "", "", "530 5.7.0 Authentication required"},
        {"nobody listens", closedPort, "mailer@example.com", "s3cret", "onnect"},
    };
    for (const auto& c : cases) {
        UseSink(sink, c.user, c.password, "LOGIN");
        ctx.m_mailPort = c.port;
        ctx.m_mailUser = c.user;
        if (!*c.user) ctx.m_mailUser = QString();
        // Without an account the sender is the user's own address.
        ASSERT_TRUE(Exec("update t_cfg_st_user set USER_MAIL='admin@example.com' where user_name='admin'"));
        ctx.m_currentBugId = 1;
        CSendMailDlg dialog(ctx);
        dialog.show();
        answerer.m_texts.clear();
        dialog.OnSend();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << c.name;
        EXPECT_TRUE(dialog.isVisible()) << c.name;
        ASSERT_EQ(answerer.m_texts.size(), 1) << c.name;
        EXPECT_TRUE(answerer.m_texts[0].startsWith(ctx.Text(CSendMailDlg::kMsgNotSent))) << c.name;
        EXPECT_NE(answerer.m_texts[0].indexOf(c.answer), -1) << c.name << ": " << Utf8(answerer.m_texts[0]);
        // The fields stay for another try.
        EXPECT_EQ(dialog.ToEdit()->text(), "li@example.com");
    }
    ASSERT_TRUE(Exec("update t_cfg_st_user set USER_MAIL='' where user_name='admin'"));
    EXPECT_EQ(sink.MessageCount(), 0);
}

TEST_F(MailTest, SenderIsTheUsersOwnAddressElseTheMailAccountElseNothingIsSent) {
    CSmtpSinkFixture sink;
    ASSERT_TRUE(sink.Start()) << sink.Output();
    const struct {
        const char* userMail;
        const char* mailUser;
        const char* envelope;  // nullptr: refused before sending
    } cases[] = {
        {"boss@example.com", "mailer@example.com", "boss@example.com"},
        {"", "mailer@example.com", "mailer@example.com"},
        {"", "", nullptr},
    };
    int sent = 0;
    for (const auto& c : cases) {
        ASSERT_TRUE(Exec(QString("update t_cfg_st_user set USER_MAIL='%1' where user_name='admin'").arg(c.userMail)));
        UseSink(sink, c.mailUser, "", "");
        ctx.m_currentBugId = 2;
        CSendMailDlg dialog(ctx);
        dialog.show();
        answerer.m_texts.clear();
        dialog.OnSend();
        if (!c.envelope) {
            EXPECT_NE(dialog.result(), QDialog::Accepted);
            ASSERT_EQ(answerer.m_texts.size(), 1);
            EXPECT_EQ(answerer.m_texts[0], ctx.Text(CSendMailDlg::kMsgNoSender));
            continue;
        }
        ASSERT_EQ(dialog.result(), QDialog::Accepted) << Utf8(ctx.m_lastMessage);
        ASSERT_TRUE(sink.WaitForMessages(++sent));
        CSmtpSinkFixture::Message mail;
        ASSERT_TRUE(sink.ReadMessage(sent - 1, mail));
        EXPECT_EQ(mail.from, c.envelope);
        EXPECT_EQ(mail.Header("From"), std::string("ZentryZNT <") + c.envelope + ">");
    }
    ASSERT_TRUE(Exec("update t_cfg_st_user set USER_MAIL='' where user_name='admin'"));
    EXPECT_EQ(sink.MessageCount(), sent);
}

TEST_F(MailTest, RecipientTextsAndHeaderValuesAreTakenApartSafely) {
    CSmtpSinkFixture sink;
    ASSERT_TRUE(sink.Start()) << sink.Output();
    UseSink(sink, "mailer@example.com", "", "");
    ctx.m_currentBugId = 5;
    CSendMailDlg dialog(ctx);
    // The responsible user has no address: To stays empty.
    EXPECT_EQ(dialog.ToEdit()->text(), "");
    dialog.show();
    for (const char* to : {"", ";;", " ; "}) {
        answerer.m_texts.clear();
        dialog.ToEdit()->setText(to);
        dialog.OnSend();
        ASSERT_EQ(answerer.m_texts.size(), 1) << to;
        EXPECT_EQ(answerer.m_texts[0], "请软件正确的发送地址");
        EXPECT_TRUE(dialog.isVisible());
    }
    // A bad address is refused as a whole, before anything is sent.
    answerer.m_texts.clear();
    dialog.ToEdit()->setText("li@example.com;evil@example.com>\r\nRCPT TO:<x@example.com");
    dialog.OnSend();
    ASSERT_EQ(answerer.m_texts.size(), 1);
    EXPECT_NE(answerer.m_texts[0].indexOf("Invalid mail address"), -1) << Utf8(answerer.m_texts[0]);
    EXPECT_EQ(sink.MessageCount(), 0);

    // Two addresses with two ";" between and one after: exactly the two;
    // a line break in the subject cannot start a header of its own.
    dialog.ToEdit()->setText("li@example.com;;zhang@example.com;");
    dialog.SubjectEdit()->setText(QString::fromUtf8("标题\r\nBcc: evil@example.com"));
    dialog.OnSend();
    ASSERT_EQ(dialog.result(), QDialog::Accepted) << Utf8(ctx.m_lastMessage);
    ASSERT_TRUE(sink.WaitForMessages(1));
    CSmtpSinkFixture::Message mail;
    ASSERT_TRUE(sink.ReadMessage(0, mail));
    EXPECT_EQ(mail.recipients, (std::vector<std::string>{"li@example.com", "zhang@example.com"}));
    EXPECT_EQ(mail.Header("To"), "li@example.com, zhang@example.com");
    EXPECT_EQ(mail.Header("Bcc"), "");
    EXPECT_EQ(mail.raw.find("\nBcc:"), std::string::npos);
}

TEST_F(MailTest, ChooserStartsFromTheFieldsAndGivesThemBackJoined) {
    ctx.m_currentBugId = 1;
    CSendMailDlg dialog(ctx);
    dialog.ToEdit()->setText("li@example.com;zhang@example.com");
    dialog.CcEdit()->setText("wang@example.com;");
    QStringList toSeen;
    QStringList ccSeen;
    WhenModal<CMailUserSelectDlg>([&](CMailUserSelectDlg* chooser) {
        for (int i = 0; i < chooser->ToList()->count(); ++i) toSeen << chooser->ToList()->item(i)->text();
        for (int i = 0; i < chooser->CcList()->count(); ++i) ccSeen << chooser->CcList()->item(i)->text();
        chooser->OnOK();
    });
    dialog.OnChooseRecipients();
    EXPECT_EQ(toSeen, (QStringList{"li@example.com", "zhang@example.com"}));
    EXPECT_EQ(ccSeen, QStringList{"wang@example.com"});
    EXPECT_EQ(dialog.ToEdit()->text(), "li@example.com;zhang@example.com");
    EXPECT_EQ(dialog.CcEdit()->text(), "wang@example.com");

    // Cancel changes nothing.
    WhenModal<CMailUserSelectDlg>([](CMailUserSelectDlg* chooser) {
        chooser->OnClearTo();
        chooser->reject();
    });
    dialog.OnChooseRecipients();
    EXPECT_EQ(dialog.ToEdit()->text(), "li@example.com;zhang@example.com");
}

TEST_F(MailTest, ChooserAddsEachAddressOnceAndFiltersByDepartmentAndName) {
    CMailUserSelectDlg chooser(ctx);
    chooser.show();
    CResultGrid* grid = chooser.Grid();
    ASSERT_EQ(grid->Model()->columnCount(), 2);
    EXPECT_EQ(grid->Model()->Caption(0), ctx.GetAlias("USER_NAME"));
    EXPECT_EQ(grid->RowCount(), 4);  // every user but admin
    const auto rowOf = [grid](const QString& user) {
        for (int row = 0; row < grid->RowCount(); ++row)
            if (grid->Model()->Text(row, 0) == user) return row;
        return -1;
    };
    const auto select = [grid](int row) {
        grid->selectionModel()->setCurrentIndex(grid->model()->index(row, 0),
                                                QItemSelectionModel::ClearAndSelect);
    };

    // Nothing selected: nothing added.
    chooser.OnAddTo();
    EXPECT_EQ(chooser.ToList()->count(), 0);
    chooser.m_to = QStringList{"LI@EXAMPLE.COM"};
    chooser.ToList()->addItem("LI@EXAMPLE.COM");
    select(rowOf("li"));
    chooser.OnAddTo();  // the same address in another case
    chooser.OnAddTo();
    EXPECT_EQ(chooser.ToList()->count(), 1);
    chooser.OnAddCc();
    EXPECT_EQ(chooser.CcList()->count(), 1);
    chooser.OnClearTo();
    EXPECT_TRUE(chooser.m_to.isEmpty());
    chooser.OnAddTo();
    ASSERT_EQ(chooser.ToList()->count(), 1);
    EXPECT_EQ(chooser.ToList()->item(0)->text(), "li@example.com");
    // A user without an address adds nothing.
    select(rowOf("chen"));
    chooser.OnAddTo();
    EXPECT_EQ(chooser.ToList()->count(), 1);

    // Departments: "----------" first, then the departments.
    QComboBox* depts = chooser.DeptList();
    ASSERT_GE(depts->count(), 3);
    EXPECT_EQ(depts->itemText(0), "----------");
    depts->setCurrentIndex(depts->findText("测试部"));
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_NE(rowOf("wang"), -1);
    EXPECT_NE(rowOf("chen"), -1);
    depts->setCurrentIndex(0);
    EXPECT_EQ(grid->RowCount(), 4);

    // Find by full name or user name; quotes are only text.
    const struct {
        const char* text;
        int rows;
    } finds[] = {{"李", 1}, {"zha", 1}, {"", 4}, {"x' or '1'='1", 0}};
    for (const auto& f : finds) {
        answerer.m_texts.clear();
        chooser.SearchEdit()->setText(QString::fromUtf8(f.text));
        chooser.OnFind();
        EXPECT_EQ(grid->RowCount(), f.rows) << f.text;
        EXPECT_TRUE(answerer.m_texts.isEmpty()) << f.text << ": " << Utf8(answerer.m_texts.join("|"));
    }

    chooser.OnOK();
    EXPECT_EQ(chooser.m_to, QStringList{"li@example.com"});
    EXPECT_EQ(chooser.m_cc, QStringList{"li@example.com"});
}

TEST(SmtpMailTest, HeaderTextsAreEncodedWordsThatNeverSplitACharacter) {
    EXPECT_EQ(CSmtpMail::EncodeHeaderText("plain subject"), "plain subject");
    EXPECT_EQ(CSmtpMail::EncodeHeaderText("two\r\nlines"), "two  lines");
    const std::string chinese = Utf8(QString(40, QChar(0x4E2D)));  // 120 bytes
    const std::string encoded = CSmtpMail::EncodeHeaderText(chinese);
    std::string joined;
    size_t start = 0;
    int words = 0;
    while (start < encoded.size()) {
        size_t end = encoded.find("\r\n ", start);
        if (end == std::string::npos) end = encoded.size();
        const std::string word = encoded.substr(start, end - start);
        EXPECT_LE(word.size(), 75u);
        EXPECT_EQ(word.compare(0, 10, "=?UTF-8?B?"), 0);
        ++words;
        start = end == encoded.size() ? end : end + 3;
        const QByteArray bytes = QByteArray::fromBase64(QByteArray::fromStdString(word.substr(10, word.size() - 12)));
        EXPECT_EQ(bytes.size() % 3, 0);  // whole characters of 3 bytes
        joined += bytes.toStdString();
    }
    EXPECT_EQ(words, 3);
    EXPECT_EQ(joined, chinese);
    EXPECT_EQ(CSmtpMail::NormalizeLineEnds("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    for (const char* bad : {"", "a", "@b", "a@", "a b@c", "a@b@c", "<a@b>", "a@b\r\n", "a,b@c"})
        EXPECT_FALSE(CSmtpMail::IsValidAddress(bad)) << bad;
    for (const char* good : {"li@example.com", "first.last+tag@mail.example.org"})
        EXPECT_TRUE(CSmtpMail::IsValidAddress(good)) << good;
}

}  // namespace

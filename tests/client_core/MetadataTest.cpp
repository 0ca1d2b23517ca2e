// The metadata loader and the lookups over what it loaded, against a real
// lumenolite with the demo database and a few users of our own.
#include "CLoadProgressDlg.h"
#include "CMd5Digest.h"
#include "CZentryApp.h"
#include "ClientFixtures.h"
#include "QtText.h"

#include <QApplication>
#include <QComboBox>
#include <gtest/gtest.h>

#include <memory>

QString GetNamePart(const QString& text);

namespace {

std::string Rights(const std::string& prefix) { return prefix + std::string(64 - prefix.size(), '0'); }

std::string User(const std::string& name, const std::string& rights, const std::string& fullName = "x") {
    std::string quoted = name;
    for (size_t at = quoted.find('\''); at != std::string::npos; at = quoted.find('\'', at + 2))
        quoted.insert(at, "'");
    return "INSERT INTO t_cfg_st_user (USER_NAME,USER_PASSWD,USER_FULLNAME,DEPT_NAME,USER_FIELD_RIGHT,"
           "USER_FIELD_QUERY) VALUES ('" + quoted + "','" + CMd5Digest("pw").GetHexText() + "','" +
           fullName + "','测试部','" + rights + "','" + Rights("00000000001100001") + "');";
}

std::string ExtraSql() {
    return User("multi", Rights("001")) + User("loner", Rights("1")) + User("shorty", "1010") +
           User("oddgroup", Rights("1")) + User("o'neil", Rights("0001")) + User("nofull", Rights("1"), "") +
           "INSERT INTO t_group (GROUP_NAME,USER_FIELD_RIGHT,USER_OWNER_RIGHT) VALUES ('g1','" + Rights("1") +
           "',''),('g2','" + Rights("01") + "',''),('bad','10','');"
           "INSERT INTO t_user_group (USER_NAME,GROUP_NAME) VALUES ('multi','g1'),('multi','g2'),"
           "('oddgroup','bad');"
           "INSERT INTO t_user_prj (USER_NAME,PRJ_NAME) VALUES ('multi','Demo'),('o''neil','O''Project'),"
           "('oddgroup','Demo'),('shorty','Demo');"
           "INSERT INTO t_prj (PRJ_NAME,PRJ_CUSTOM_FIELD) VALUES ('O''Project','[tessaro]\ntitle=O''s');"
           "INSERT INTO t_cfg_version (PRJ_NAME,VERSION_NO) VALUES ('O''Project','9.9');";
}

bool ProgressWindowOpen() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<CLoadProgressDlg*>(window) && window->isVisible()) return true;
    return false;
}

}  // namespace

class Metadata : public CDemoServerTest {
protected:
    static void SetUpTestSuite() {
        StartServer(true, ExtraSql(),
                    "# served to the clients\nftp_user = zentry \nftp_pass=se=cret\n"
                    "ftp_port=2121\nattach_path=/attach\nclient_version=1.25\n"
                    "client_version_size=512\nmail_server=127.0.0.1\nmail_port=2525\n"
                    "mail_user=zentry@localhost\nmail_auth_type=LOGIN\n");
    }

    // A context logged in as user (settings as given); LoadMetadata is left
    // to the test.
    std::unique_ptr<CTestContext> Context(const std::string& user, const std::string& password = "pw",
                                          const std::string& defaultProject = "") {
        CSettingsValues values;
        values.port = s_server->Port();
        values.user = user;
        values.password = password;
        values.defaultProject = defaultProject;
        auto test = std::make_unique<CTestContext>(values);
        EXPECT_TRUE(test->context.LoadSettings());
        CListString error;
        EXPECT_TRUE(test->context.Login(error)) << user << ": " << error.CStr();
        return test;
    }

    CModalAnswerer answerer;
    CZentryApp app;  // the loader reports its progress window to it
};

TEST_F(Metadata, AdminLoadFillsTheContext) {
    auto test = Context("admin", "admin");
    CAppContext& c = test->context;
    ASSERT_EQ(c.LoadMetadata(), 1) << answerer.Joined().toStdString();
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
    EXPECT_FALSE(ProgressWindowOpen());
    EXPECT_TRUE(app.m_loadProgressDlg.isNull());

    EXPECT_EQ(c.m_projects.GetRowCount(), 2);
    EXPECT_EQ(c.m_currentProject, "Demo");
    EXPECT_EQ(c.m_rights.left(3), "111");
    EXPECT_EQ(c.m_canAddDefect, 1);
    EXPECT_EQ(c.m_canDeleteDefect, 1);
    EXPECT_EQ(c.m_canSysManage, 1);
    // admin keeps the default grid columns; the user list leaves admin out.
    EXPECT_EQ(c.m_queryFields, "0000000000111010000000000000000000000000000000000000000000000000");
    for (int row = 0; row < c.m_users.GetRowCount(); ++row)
        EXPECT_STRNE(c.m_users.GetValue(row, "USER_NAME").CStr(), "admin");
    EXPECT_GE(c.m_users.GetRowCount(), 4);
    EXPECT_EQ(c.m_statuses.GetRowCount(), 7);
    EXPECT_EQ(c.m_severities.GetRowCount(), 3);
    EXPECT_EQ(c.m_priorities.GetRowCount(), 3);
    EXPECT_EQ(c.m_depts.GetRowCount(), 2);
    EXPECT_GE(c.m_versions.GetRowCount(), 6);
    EXPECT_EQ(c.m_transRules.GetRowCount(), 11);
    EXPECT_EQ(c.m_aliases.GetRowCount(), 6);
    ASSERT_GT(c.m_columns.GetRowCount(), 5);
    for (int row = 1; row < c.m_columns.GetRowCount(); ++row)
        EXPECT_LE(c.m_columns.GetInt(row - 1, "COLUMN_ORDER"), c.m_columns.GetInt(row, "COLUMN_ORDER"));

    // The server's user configuration; a value keeps a second '='.
    EXPECT_EQ(c.m_ftpUser, "zentry");
    EXPECT_EQ(c.m_ftpPass, "se=cret");
    EXPECT_EQ(c.m_ftpPort, 2121);
    EXPECT_EQ(c.m_attachPath, "/attach");
    EXPECT_FLOAT_EQ(c.m_serverClientVersion, 1.25f);
    EXPECT_EQ(c.m_clientVersionSize, 512);
    EXPECT_EQ(c.m_mailPort, 2525);
    EXPECT_EQ(c.m_mailAuthType, "LOGIN");

    // Synthetic rows at the end: projects, then users.
    CResultSet projects, users;
    c.SelectParams("PRJ_NAME", projects);
    c.SelectParams("USER_NAME", users);
    EXPECT_EQ(projects.GetRowCount(), 2);
    EXPECT_EQ(users.GetRowCount(), c.m_users.GetRowCount());
    EXPECT_STREQ(users.GetValue(0, "PARAMETER_ENABLE").CStr(), "1");
    const int last = c.m_params.GetRowCount() - 1;
    EXPECT_STREQ(c.m_params.GetValueAt(last, 0).CStr(), "USER_NAME");

    // A second load replaces the tables rather than adding to them.
    const int params = c.m_params.GetRowCount();
    ASSERT_EQ(c.LoadMetadata(), 1);
    EXPECT_EQ(c.m_params.GetRowCount(), params);
}

TEST_F(Metadata, CurrentProjectFallsBack) {
    const struct {
        const char* user;
        const char* password;
        const char* defaultProject;
        const char* current;
    } cases[] = {
        {"admin", "admin", "", "Demo"},
        {"admin", "admin", "Zentry演示", "Zentry演示"},
        {"admin", "admin", "demo", "Demo"},          // the project's own spelling
        {"admin", "admin", "O'Project", "Demo"},     // not one of admin's
        {"loner", "pw", "Demo", ""},                 // no project at all
        {"o'neil", "pw", "", "O'Project"},
    };
    for (const auto& c : cases) {
        auto test = Context(c.user, c.password, c.defaultProject);
        ASSERT_EQ(test->context.LoadMetadata(), 1) << c.user << ": " << answerer.Joined().toStdString();
        EXPECT_EQ(test->context.m_currentProject, QString::fromUtf8(c.current)) << c.user << " " << c.defaultProject;
    }
    // The current project's layout; without a project no layout is left
    // (never an earlier project's).
    auto quoted = Context("o'neil");
    ASSERT_EQ(quoted->context.LoadMetadata(), 1);
    EXPECT_EQ(quoted->context.m_prjCustomField, "[tessaro]\ntitle=O's");
    auto loner = Context("loner");
    loner->context.m_prjCustomField = "an earlier project's";
    ASSERT_EQ(loner->context.LoadMetadata(), 1);
    EXPECT_EQ(loner->context.m_prjCustomField, "");
}

TEST_F(Metadata, RightsAreTheUnionOfTheUserAndTheGroups) {
    auto test = Context("multi");
    CAppContext& c = test->context;
    ASSERT_EQ(c.LoadMetadata(), 1) << answerer.Joined().toStdString();
    EXPECT_EQ(c.m_rights.toStdString(), Rights("111"));
    EXPECT_EQ(c.m_canAddDefect, 1);
    EXPECT_EQ(c.m_canDeleteDefect, 1);
    EXPECT_EQ(c.m_canSysManage, 1);
    // The user's own grid columns.
    EXPECT_EQ(c.m_queryFields.toStdString(), Rights("00000000001100001"));
    EXPECT_EQ(c.GetUserRights("loner").toStdString(), Rights("1"));
    EXPECT_EQ(c.GetUserRights("nobody"), "");

    const struct {
        const char* a;
        const char* b;
        const char* merged;
    } cases[] = {{"1000", "0100", "1100"}, {"0000", "0000", "0000"}, {"1x2", "0y1", "101"},
                 {"", "", ""},             {"1", "11", ""}};
    for (const auto& m : cases) EXPECT_EQ(c.MergeRights(m.a, m.b), m.merged) << m.a << " " << m.b;
    EXPECT_EQ(answerer.m_texts, QStringList{"right fail in size"});
}

TEST_F(Metadata, FailedStepsEndTheLoadAndCloseTheWindow) {
    {
        auto test = Context("shorty");  // rights shorter than 21 digits: no message
        EXPECT_EQ(test->context.LoadMetadata(), 0);
        EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
        EXPECT_FALSE(ProgressWindowOpen());
    }
    {
        auto test = Context("oddgroup");
        EXPECT_EQ(test->context.LoadMetadata(), 0);
        EXPECT_EQ(answerer.m_texts, QStringList{"right fail in size"});
        EXPECT_FALSE(ProgressWindowOpen());
        EXPECT_TRUE(app.m_loadProgressDlg.isNull());
    }
    answerer.m_texts.clear();
    {
        // A server that went away: the first select fails with its text.
        auto test = Context("admin", "admin");
        test->context.m_http.SetConnection("127.0.0.1", CServerFixture::FreePort(), "admin", "admin");
        EXPECT_EQ(test->context.LoadMetadata(), 0);
        ASSERT_EQ(answerer.m_texts.size(), 1);
        EXPECT_EQ(answerer.m_texts[0], ToQt(test->context.m_lastError));
        EXPECT_FALSE(ProgressWindowOpen());
    }
}

TEST_F(Metadata, UserConfigurationFailuresFailTheLoad) {
    const struct {
        const char* file;  // null: no user_config.ini at all
        const char* message;
    } cases[] = {{nullptr, "user_config.ini"},
                 {"", "please configure Lumeno server userconfig.ini file"},
                 {"# only a comment\n", "please configure Lumeno server userconfig.ini file"}};
    for (const auto& c : cases) {
        CDemoServer server;
        ASSERT_TRUE(server.Start(true, "", c.file)) << server.server->Output();
        CSettingsValues values;
        values.port = server.Port();
        CTestContext test(values);
        ASSERT_TRUE(test.context.LoadSettings());
        CListString error;
        ASSERT_TRUE(test.context.Login(error));
        answerer.m_texts.clear();
        EXPECT_EQ(test.context.LoadMetadata(), 0);
        ASSERT_EQ(answerer.m_texts.size(), 1);
        EXPECT_TRUE(answerer.m_texts[0].contains(c.message)) << answerer.m_texts[0].toStdString();
        EXPECT_FALSE(ProgressWindowOpen());
    }
}

TEST(UserConfig, ItemsAndValues) {
    CAppContext c;
    c.ApplyUserConfig(" ftp_user = z ! FTP_PASS=a=b!#mail_user=hidden!!ftp_port=21!ftp_port=22!unknown=1!"
                      "mail_pass!client_version=1.5!mail_server=smtp.example.org ");
    EXPECT_EQ(c.m_ftpUser, "z");
    EXPECT_EQ(c.m_ftpPass, "a=b");
    EXPECT_EQ(c.m_mailUser, "");
    EXPECT_EQ(c.m_mailPass, "");
    EXPECT_EQ(c.m_ftpPort, 22);  // the last one counts
    EXPECT_FLOAT_EQ(c.m_serverClientVersion, 1.5f);
    EXPECT_EQ(c.m_mailServer, "smtp.example.org");
}

TEST_F(Metadata, Lookups) {
    auto test = Context("admin", "admin");
    CAppContext& c = test->context;
    ASSERT_EQ(c.LoadMetadata(), 1);

    CResultSet severity;
    EXPECT_EQ(c.SelectParams("SEVERITY", severity), 1);
    EXPECT_EQ(severity.GetRowCount(), 3);
    EXPECT_EQ(severity.GetFieldCount(), 3);
    EXPECT_EQ(c.IsStatusEnabled("02-fixed"), 1);
    EXPECT_EQ(c.IsStatusEnabled("99-None"), 0);
    QStringList next;
    c.GetNextStatuses("01-Open", next);
    EXPECT_EQ(next, QStringList({"02-Fixed", "05-Reject", "06-Delay"}));

    QComboBox combo;
    combo.addItem("kept");
    c.FillVersionCombo(&combo, "demo", 1);
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) items << combo.itemText(i);
    EXPECT_EQ(items, QStringList({"kept", "----------", "1.0", "1.1", "2.0"}));
    combo.clear();
    c.FillVersionCombo(&combo, "No versions", 1);
    EXPECT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.itemText(0), "----------");

    EXPECT_EQ(c.FormatUserWithFullName("zhang"), QStringLiteral("zhang (张伟)"));
    EXPECT_EQ(c.FormatUserWithFullName("nofull"), "");
    EXPECT_EQ(c.FormatUserWithFullName("nobody"), "");
    const struct {
        const char* text;
        const char* name;
    } names[] = {{"zhang (张伟)", "zhang"}, {"zhang", "zhang"}, {"", ""}, {" li  (李娜) (x)", "li"}};
    for (const auto& n : names) EXPECT_EQ(GetNamePart(QString::fromUtf8(n.text)), n.name) << n.text;

    QString style = "unchanged";
    EXPECT_EQ(c.GetColumnRefList("bg_status", style), "defect_status");
    EXPECT_EQ(style, "ComboBox");
    style = "unchanged";
    EXPECT_EQ(c.GetColumnRefList("NO_COLUMN", style), "");
    EXPECT_EQ(style, "unchanged");
    EXPECT_EQ(c.IsColumnUsed(QStringLiteral("摘要")), 1);
    EXPECT_EQ(c.IsColumnUsed("none"), 0);
    EXPECT_EQ(c.GetColumnNameByLabel(QStringLiteral("状态")), "BG_STATUS");
    EXPECT_EQ(c.GetColumnNameByLabel("none"), "");
    EXPECT_EQ(c.GetColumnOrder("BG_STATUS"), 3);
    EXPECT_EQ(c.GetColumnOrder("none"), -1);
    EXPECT_EQ(c.GetColumnOrderByLabel(QStringLiteral("缺陷编号")), 0);
    EXPECT_EQ(c.GetColumnOrderByLabel("none"), -1);

    EXPECT_EQ(c.GetQueryColumnList(c.m_queryFields), "BG_BUG_ID,BG_SUMMARY,BG_STATUS,BG_RESPONSIBLE");
    EXPECT_EQ(c.GetQueryColumnList("00000000001"), "BG_BUG_ID");
    EXPECT_EQ(c.GetQueryColumnList(""), "");
    EXPECT_EQ(c.GetQueryColumnList(QString(10, '0') + QString(60, '1')).count(','),
              c.m_columns.GetRowCount() < 50 ? c.m_columns.GetRowCount() - 1 : 49);

    EXPECT_EQ(c.GetAlias("severity"), QStringLiteral("严重程度"));
    EXPECT_EQ(c.GetAlias("other"), "other");
    EXPECT_EQ(c.GetNameByAlias(QStringLiteral("优先级")), "pri");
    EXPECT_EQ(c.GetNameByAlias("other"), "other");

    QString text = "O'Brien's";
    CAppContext::EscapeQuotes(text);
    EXPECT_EQ(text, "O''Brien''s");
    CListString list("it's");
    CAppContext::EscapeQuotes(list);
    EXPECT_STREQ(list.CStr(), "it''s");

    // A disabled status is no longer offered as a next status.
    ASSERT_TRUE(c.m_http.ExecSql("update t_cfg_param set PARAMETER_ENABLE=0 where PARAMETER_NAME='05-Reject'",
                                 c.m_lastError));
    ASSERT_EQ(c.LoadMetadata(), 1);
    c.GetNextStatuses("01-Open", next);
    EXPECT_EQ(next, QStringList({"02-Fixed", "06-Delay"}));
    EXPECT_EQ(c.IsStatusEnabled("05-Reject"), 0);
    ASSERT_TRUE(c.m_http.ExecSql("update t_cfg_param set PARAMETER_ENABLE=1 where PARAMETER_NAME='05-Reject'",
                                 c.m_lastError));
}

TEST_F(Metadata, NewDefectIdsNeverCollide) {
    auto test = Context("admin", "admin");
    CAppContext& c = test->context;
    const int highest = std::stoi(s_server->Value("select max(BG_BUG_ID) from t_bug"));
    // The demo's sequence is behind its defects: the first id is past them.
    ASSERT_TRUE(c.m_http.ExecSql("update T_CFG_SEQ set SEQ_VALUE=1 where SEQ_NAME='SEQ_BUG'", c.m_lastError));
    EXPECT_EQ(c.NextBugId(), highest + 1);
    EXPECT_EQ(s_server->Value("select SEQ_VALUE from T_CFG_SEQ"), std::to_string(highest + 2));
    EXPECT_EQ(c.NextBugId(), highest + 2);
    ASSERT_TRUE(c.m_http.ExecSql("update T_CFG_SEQ set SEQ_VALUE=5000 where SEQ_NAME='SEQ_BUG'", c.m_lastError));
    EXPECT_EQ(c.NextBugId(), 5000);

    // Another client takes the id between our read and our insert: the
    // insert is tried again with the next one.
    int tries = 0;
    const int used = c.InsertWithNewBugId([&](int id) {
        ++tries;
        CListString error;
        const std::string insert = "insert into t_bug (BG_BUG_ID,PRJ_NAME,BG_STATUS,BG_SUMMARY) values (" +
                                   std::to_string(id) + ",'Demo','00-New','mine')";
        if (tries == 1) {
            CHttpDataClient other;
            other.Login("127.0.0.1", s_server->Port(), "admin", "admin", error);
            other.ExecSql(("insert into t_bug (BG_BUG_ID,PRJ_NAME,BG_STATUS,BG_SUMMARY) values (" +
                           std::to_string(id) + ",'Demo','00-New','theirs')").c_str(),
                          error);
        }
        return c.m_http.ExecSql(insert.c_str(), error);
    });
    EXPECT_EQ(tries, 2);
    EXPECT_EQ(used, 5002);
    EXPECT_EQ(s_server->Value("select BG_SUMMARY from t_bug where BG_BUG_ID=5001"), "theirs");
    EXPECT_EQ(s_server->Value("select BG_SUMMARY from t_bug where BG_BUG_ID=5002"), "mine");
    // An insert that fails for another reason is not retried.
    tries = 0;
    EXPECT_EQ(c.InsertWithNewBugId([&](int) {
        ++tries;
        CListString error;
        return c.m_http.ExecSql("insert into t_nothing values (1)", error);
    }), 0);
    EXPECT_EQ(tries, 1);
    c.m_http.ExecSql("delete from t_bug where BG_BUG_ID>=5000", c.m_lastError);

    // Without the sequence row there is no id.
    ASSERT_TRUE(c.m_http.ExecSql("delete from T_CFG_SEQ", c.m_lastError));
    EXPECT_EQ(c.NextBugId(), 0);
    ASSERT_TRUE(c.m_http.ExecSql("insert into T_CFG_SEQ (SEQ_NAME,SEQ_VALUE) values ('SEQ_BUG',1)", c.m_lastError));
}

// The data client: the URLs it builds, how it reads every kind of reply
// (from a scripted server), and logins, long values and lost sessions
// against a real lumenolite with the demo database.
#include "CHttpDataClient.h"
#include "CMd5Digest.h"
#include "ClientFixtures.h"
#include "ParamCoding.h"
#include "ScriptedHttpServer.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

const char kSession[] = "12abcdefghKLMNOP_q";  // digits and 16 characters

std::string Unescape(const std::string& text) {
    return QByteArray::fromPercentEncoding(QByteArray::fromStdString(text)).toStdString();
}

// The query string of a request target, decoded the way the server does:
// the whole text once, then each piece again.
std::string QueryOf(const std::string& target) {
    const size_t mark = target.find('?');
    return mark == std::string::npos ? std::string() : Unescape(target.substr(mark + 1));
}

std::string Var(const std::string& query, const std::string& name) {
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string item = query.substr(start, end - start);
        const size_t equals = item.find('=');
        if (equals != std::string::npos && item.substr(0, equals) == name)
            return Unescape(item.substr(equals + 1));
        start = end + 1;
    }
    return "<absent>";
}

// A client logged in to the scripted server with the session kSession.
void ScriptedLogin(CScriptedHttpServer& server, CHttpDataClient& client, bool passEncode = false) {
    server.Push(passEncode ? "sep=\x01!use_pass_encode=1" : "use_pass_encode=0");
    server.Push(kSession);
    CListString error;
    ASSERT_TRUE(client.Login("127.0.0.1", server.Port(), "admin", "admin", error)) << error.CStr();
}

std::string DecodeParamText(const std::string& coded) {
    std::string bytes;
    if (!DecodeParamBytes(coded.data(), coded.size(), bytes)) return "<invalid>";
    return bytes;
}

// Inserts defect id with the session's clDesc and clComment bound, reads
// both back and deletes the defect; empty texts when a step failed.
std::pair<std::string, std::string> StoredLongTexts(CHttpDataClient& client, int id) {
    CListString error;
    const std::string insert = "insert into t_bug (BG_BUG_ID,PRJ_NAME,BG_STATUS,BG_DESCRIPTION,"
                               "BG_DEV_COMMENTS) values (" + std::to_string(id) +
                               ",'Demo','00-New',:clDesc<varchar_long>,:clComment<varchar_long>)";
    CListString text;
    const std::string select =
        "select BG_DESCRIPTION,BG_DEV_COMMENTS from t_bug where BG_BUG_ID=" + std::to_string(id);
    if (!client.ExecSqlGo(insert.c_str(), error) || client.SelectText(select.c_str(), text, error) != 1)
        return {};
    CResultSet result;
    result.Parse(text.CStr());
    client.ExecSql(("delete from t_bug where BG_BUG_ID=" + std::to_string(id)).c_str(), error);
    return {result.GetValueAt(0, 0).StdString(), result.GetValueAt(0, 1).StdString()};
}

}  // namespace

TEST(DataClientUrl, CommandUrlsWithAndWithoutPort) {
    CHttpDataClient client;
    client.SetConnection("1.2.3.4", 8080, "u", "p");
    const CListString coded = EncodeParam("select 1");
    const std::string params = std::string("maxcount=1000&sql=") + coded.CStr();
    const std::string url = client.BuildCommandUrl("select2", params.c_str());
    const std::string prefix = "http://1.2.3.4:8080/Lumeno/select2?";
    ASSERT_EQ(url.substr(0, prefix.size()), prefix);
    // The whole parameter text is escaped once: its '=' and '&' too.
    const std::string escaped = url.substr(prefix.size(), url.size() - prefix.size() - 12);
    EXPECT_EQ(escaped.find('&'), std::string::npos);
    EXPECT_EQ(escaped.find('='), std::string::npos);
    EXPECT_EQ(Unescape(escaped), params);
    EXPECT_EQ(url.substr(url.size() - 12), "&session_id=");

    client.SetConnection("1.2.3.4", 0, "u", "p");
    EXPECT_EQ(client.BuildCommandUrl("get_config", ""), "http://1.2.3.4/Lumeno/get_config?session_id=");
    client.SetConnection("1.2.3.4", -1, "u", "p");
    EXPECT_EQ(client.BuildCommandUrl("version", nullptr), "http://1.2.3.4/Lumeno/version?session_id=");
}

TEST(DataClientUrl, SessionIdShape) {
    const struct {
        const char* text;
        bool ok;
    } cases[] = {{kSession, true},          {"1abcdefghijklmnop", true}, {"abcdefghijklmnop", false},
                 {"-", false},              {"", false},                 {"12abcdefghijklmno", true},
                 {"x2abcdefghijklmnop", false}, {"1abcdefghijklmn!p", false}, {"deny", false},
                 {"-1\x01 failed", false}};
    for (const auto& c : cases) EXPECT_EQ(CHttpDataClient::IsSessionId(c.text), c.ok) << c.text;
}

TEST(DataClientUrl, OnlyAnEmptyHostSendsNothing) {
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    server.SetDefault("2.01");
    CHttpDataClient client;
    const struct {
        const char* host;
        bool sent;
    } cases[] = {{"", false},        {"127.1", true},     {"127.0.1", true},
                 {"127.0.0.1", true}, {"localhost", true}};
    size_t requests = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        client.SetConnection(c.host, server.Port(), "u", "p");
        CListString reply, error;
        EXPECT_EQ(client.PerformCommand("version", "", reply), c.sent) << client.GetErrorText();
        if (c.sent) {
            ++requests;
            EXPECT_TRUE(client.GetConfig(reply, error)) << client.GetErrorText();
            EXPECT_STREQ(reply.CStr(), "2.01");
            ++requests;
        } else {
            EXPECT_STREQ(client.GetErrorText(), "please set ip address");
            EXPECT_FALSE(client.GetConfig(reply, error));
            EXPECT_TRUE(error.IsEmpty());
        }
        EXPECT_EQ(server.Requests().size(), requests);
    }
    client.SetConnection("10.0.0.1", 0, "u", "p");
    EXPECT_EQ(client.BuildCommandUrl("get_config", ""), "http://10.0.0.1/Lumeno/get_config?session_id=");
}

TEST(DataClientReplies, TableOfReplies) {
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    CHttpDataClient client;
    ScriptedLogin(server, client);

    const std::string table = "BG_BUG_ID\x01" "BG_SUMMARY\x02" "7\x01" "crash\x02" "8\x01" "hang\x02";
    struct Case {
        const char* name;
        std::string reply;
        int select;        // Select's result
        int selectText;    // SelectText's result
        bool exec;         // ExecSql, ExecSqlGo and ExecSqlPrepare
        bool errorIsReply; // the error text is the reply itself
    };
    const Case cases[] = {
        {"rows", table, 2, 1, false, false},
        {"server error", "-1\x01no such table: t_nothing", -1, -1, false, true},
        {"bare -1", "-1", -1, -1, false, true},
        {"success", "success", 0, 1, true, false},
        {"success with line end", "success\r\n", 0, 1, true, false},
        {"empty", "", 0, 1, false, false},
        {"a dash", "-", 0, 1, false, false},
        {"anything else", "done", 0, 1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CListString error;
        CResultSet result;
        result.Parse("OLD\x02" "kept\x02");
        server.Push(c.reply);
        EXPECT_EQ(client.Select("select 1", result, error), c.select);
        if (c.select < 0) {
            // A refusal leaves the caller's set as it was.
            EXPECT_EQ(result.GetRowCount(), 1);
            EXPECT_STREQ(result.GetValueAt(0, 0).CStr(), "kept");
        }
        if (c.errorIsReply) {
            EXPECT_EQ(error.StdString(), c.reply);
        }

        CListString text;
        server.Push(c.reply);
        EXPECT_EQ(client.SelectText("select 1", text, error), c.selectText);
        EXPECT_EQ(text.StdString(), c.reply);

        for (int which = 0; which < 3; ++which) {
            error.SetText("");
            server.Push(c.reply);
            const bool done = which == 0   ? client.ExecSql("delete from t_x", error)
                              : which == 1 ? client.ExecSqlGo("delete from t_x", error)
                                           : client.ExecSqlPrepare("index=0", error);
            EXPECT_EQ(done, c.exec) << which;
            // A failure always says something.
            if (!done) {
                EXPECT_FALSE(error.IsEmpty()) << which;
            }
            if (c.errorIsReply) {
                EXPECT_EQ(error.StdString(), c.reply);
            }
        }
    }
    // Every request carried the session.
    for (const std::string& target : server.Requests()) {
        if (target.find("web_login") != std::string::npos || target.find("get_config") != std::string::npos)
            continue;
        EXPECT_NE(target.find(std::string("&session_id=") + kSession), std::string::npos) << target;
    }
}

TEST(DataClientReplies, SelectIntAndRowLimit) {
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    CHttpDataClient client;
    ScriptedLogin(server, client);
    CListString error;
    server.Push("N\x02" "42\x02");
    EXPECT_EQ(client.SelectInt("select count(*) from t_bug", error), 42);
    server.Push("N\x02");
    EXPECT_EQ(client.SelectInt("select 1 where 0", error), 0);
    server.Push("");
    EXPECT_EQ(client.SelectInt("select", error), -999);
    server.Push("-1\x01 bad");
    EXPECT_EQ(client.SelectInt("select", error), -1);

    client.m_maxCount = 300;
    CResultSet result;
    server.Push("N\x02");
    client.Select("select BG_BUG_ID from t_bug", result, error);
    const std::string query = QueryOf(server.Requests().back());
    EXPECT_EQ(Var(query, "maxcount"), "300");
    EXPECT_EQ(DecodeParamText(Var(query, "sql")), "select BG_BUG_ID from t_bug");
}

TEST(DataClientReplies, BareRepliesAreRead) {
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    server.SetBare(true);
    CHttpDataClient client;
    ScriptedLogin(server, client);
    CListString error;
    CResultSet result;
    server.Push("ID\x02" "5\x02");
    EXPECT_EQ(client.Select("select 5", result, error), 1) << error.CStr();
    EXPECT_STREQ(result.GetValueAt(0, 0).CStr(), "5");
}

TEST(DataClientReplies, TransportFailure) {
    const int port = CServerFixture::FreePort();  // nobody listens there
    CHttpDataClient client;
    client.SetConnection("127.0.0.1", port, "u", "p");
    CListString error;
    CResultSet result;
    result.Parse("OLD\x02" "kept\x02");
    EXPECT_EQ(client.Select("select 1", result, error), -1);
    EXPECT_FALSE(error.IsEmpty());
    EXPECT_EQ(error.StdString(), client.GetErrorText());
    EXPECT_EQ(result.GetRowCount(), 0);  // emptied
    CListString text;
    EXPECT_EQ(client.SelectText("select 1", text, error), -1);
    EXPECT_FALSE(client.ExecSql("delete from t", error));
    EXPECT_FALSE(error.IsEmpty());
    // get_config and get_user_config leave the words to the caller.
    error.SetText("old");
    EXPECT_FALSE(client.GetConfig(text, error));
    EXPECT_TRUE(error.IsEmpty());
    EXPECT_STRNE(client.GetErrorText(), "");
    error.SetText("old");
    EXPECT_FALSE(client.GetUserConfig(text, error));
    EXPECT_TRUE(error.IsEmpty());

    // A login whose get_config fails leaves the words to the caller too.
    CListString loginError("old");
    EXPECT_FALSE(client.Login("127.0.0.1", port, "admin", "admin", loginError));
    EXPECT_TRUE(loginError.IsEmpty()) << loginError.CStr();
    EXPECT_STRNE(client.GetErrorText(), "");
    loginError.SetText("old");
    EXPECT_FALSE(client.Login("", port, "admin", "admin", loginError));
    EXPECT_TRUE(loginError.IsEmpty()) << loginError.CStr();
    EXPECT_STREQ(client.GetErrorText(), "please set ip address");
}

TEST(DataClientReplies, DenyLogsInOnceAndRetries) {
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    CHttpDataClient client;
    ScriptedLogin(server, client, true);
    const char renewed[] = "13ZYXWVUTSRQPONMLK";
    server.Push("deny");
    server.Push("use_pass_encode=1");
    server.Push(renewed);
    server.Push("ID\x02" "9\x02");
    CListString error;
    CResultSet result;
    ASSERT_EQ(client.Select("select 9", result, error), 1) << error.CStr();
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_NE(requests[3].find("/Lumeno/get_config?"), std::string::npos);
    EXPECT_NE(requests[4].find("/Lumeno/web_login?"), std::string::npos);
    EXPECT_EQ(Var(QueryOf(requests[4]), "password"), CMd5Digest("admin").GetHexText());
    EXPECT_EQ(requests[5].substr(0, requests[2].find('&')), requests[2].substr(0, requests[2].find('&')));
    EXPECT_NE(requests[5].find(std::string("session_id=") + renewed), std::string::npos);
    EXPECT_EQ(client.GetSessionId(), renewed);

    // A login that is refused ends there: one try, then the session-ended text.
    client.SetMessageTexts("session over", nullptr);
    server.Push("deny");
    server.Push("use_pass_encode=1");
    server.Push("-1\x01 Authentication fails");
    EXPECT_FALSE(client.ExecSql("delete from t_bug", error));
    EXPECT_STREQ(error.CStr(), "session over");
    EXPECT_EQ(server.Requests().size(), 9u);

    // A renewed session that is denied again is not tried a third time.
    server.Push("deny");
    server.Push("use_pass_encode=1");
    server.Push(renewed);
    server.Push("deny");
    EXPECT_EQ(client.Select("select 9", result, error), -1);
    EXPECT_STREQ(error.CStr(), "session over");
    EXPECT_EQ(server.Requests().size(), 13u);
}

TEST(DataClientLogin, RepliesOfWebLogin) {
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    const struct {
        const char* reply;
        bool ok;
    } cases[] = {{kSession, true}, {"-1", false}, {"-1\x01 Authentication fails", false},
                 {"-", false},     {"", false},   {"success", false}};
    for (const auto& c : cases) {
        CHttpDataClient client;
        server.Push("use_pass_encode=0");
        server.Push(c.reply);
        CListString error;
        EXPECT_EQ(client.Login("127.0.0.1", server.Port(), "admin", "admin", error), c.ok) << c.reply;
        if (!c.ok) {
            EXPECT_EQ(client.GetSessionId(), "");
        } else {
            EXPECT_EQ(client.GetSessionId(), c.reply);
        }
    }
}

TEST(DataClientLogin, AccountAndPasswordSurviveTheServersTwoDecodings) {
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    const std::string account = "a&b=c%d+e#f g张三";
    const std::string password = "p&w=1%2B+# 码";
    for (bool encode : {false, true}) {
        CHttpDataClient client;
        server.Push(encode ? "use_pass_encode=1" : "use_pass_encode=0");
        server.Push(kSession);
        CListString error;
        ASSERT_TRUE(client.Login("127.0.0.1", server.Port(), account.c_str(), password.c_str(), error));
        EXPECT_EQ(client.m_usePassEncode, encode);
        const std::string target = server.Requests().back();
        ASSERT_EQ(target.rfind("/Lumeno/web_login?", 0), 0u) << target;
        // No raw '#' (a fragment) or blank may reach the wire.
        EXPECT_EQ(target.find_first_of("# +"), std::string::npos) << target;
        const std::string query = QueryOf(target);
        EXPECT_EQ(Var(query, "account"), account);
        EXPECT_EQ(Var(query, "password"), encode ? CMd5Digest(password.c_str()).GetHexText() : password);
    }
}

class DataClientServer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A user whose name and password hold every character that URLs
        // treat specially, stored plain and as a digest.
        const std::string sql =
            std::string("INSERT INTO t_cfg_st_user (USER_NAME,USER_PASSWD,USER_FULLNAME,DEPT_NAME,"
            "USER_FIELD_RIGHT,USER_FIELD_QUERY) VALUES ('a&b=c%d+e#f g张三','") +
            CMd5Digest("p&w=1%2B+# 码").GetHexText() +
            "','odd','研发部','1000000000111111111111111111111111100000000000000000000000000000',"
            "'0000000000111010000000000000000000000000000000000000000000000000');"
            "INSERT INTO t_cfg_st_user (USER_NAME,USER_PASSWD,USER_FULLNAME,DEPT_NAME,"
            "USER_FIELD_RIGHT,USER_FIELD_QUERY) VALUES ('plain user','p&w=1%2B+# 码','plain','研发部',"
            "'1000000000111111111111111111111111100000000000000000000000000000',"
            "'0000000000111010000000000000000000000000000000000000000000000000');";
        s_coded = std::make_unique<CDemoServer>();
        ASSERT_TRUE(s_coded->Start(true, sql)) << s_coded->server->Output();
        s_plain = std::make_unique<CDemoServer>();
        ASSERT_TRUE(s_plain->Start(false, sql)) << s_plain->server->Output();
    }
    static void TearDownTestSuite() {
        s_coded.reset();
        s_plain.reset();
    }
    static std::unique_ptr<CDemoServer> s_coded;
    static std::unique_ptr<CDemoServer> s_plain;
};
std::unique_ptr<CDemoServer> DataClientServer::s_coded;
std::unique_ptr<CDemoServer> DataClientServer::s_plain;

TEST_F(DataClientServer, LoginWithAndWithoutPasswordCoding) {
    struct Case {
        CDemoServer* server;
        const char* user;
        const char* password;
        bool ok;
    };
    const Case cases[] = {
        {s_coded.get(), "admin", "admin", true},
        {s_coded.get(), "admin", "wrong", false},
        {s_coded.get(), "a&b=c%d+e#f g张三", "p&w=1%2B+# 码", true},
        {s_coded.get(), "a&b=c%d+e#f g张三", "p&w=1%2B+#", false},
        // Coding on: the digest itself typed as the password is refused.
        {s_coded.get(), "admin", "21232f297a57a5a743894a0e4a801fc3", false},
        {s_plain.get(), "plain user", "p&w=1%2B+# 码", true},
        {s_plain.get(), "admin", "admin", false},  // stored as a digest there
        {s_plain.get(), "admin", "21232f297a57a5a743894a0e4a801fc3", true},
        {s_plain.get(), "nobody' or '1'='1", "x' or '1'='1", false},
    };
    for (const Case& c : cases) {
        CHttpDataClient client;
        CListString error;
        const bool ok = client.Login("127.0.0.1", c.server->Port(), c.user, c.password, error);
        EXPECT_EQ(ok, c.ok) << c.user << " / " << c.password << ": " << error.CStr();
        // A failed login leaves the client as it was: no coding before any login.
        EXPECT_EQ(client.m_usePassEncode, ok && c.server == s_coded.get());
        if (!ok) {
            EXPECT_EQ(error.StdString().rfind("-1", 0), 0u) << error.CStr();
            continue;
        }
        EXPECT_TRUE(CHttpDataClient::IsSessionId(client.GetSessionId().c_str()));
        CResultSet result;
        EXPECT_EQ(client.Select("select count(*) from t_bug", result, error), 1) << error.CStr();
    }
}

// One client, two servers in a row: the password coding follows the server
// logged in to. A server whose configuration does not ask for coding gets
// the password itself, even after a server that asked for it.
TEST_F(DataClientServer, PasswordCodingFollowsTheServer) {
    CHttpDataClient client;
    CListString error;
    ASSERT_TRUE(client.Login("127.0.0.1", s_coded->Port(), "admin", "admin", error)) << error.CStr();
    ASSERT_TRUE(client.m_usePassEncode);
    CScriptedHttpServer other;
    ASSERT_TRUE(other.Start());
    other.Push("web_form_root=/Lumeno!auth=1");
    other.Push(kSession);
    ASSERT_TRUE(client.Login("127.0.0.1", other.Port(), "admin", "admin", error)) << error.CStr();
    EXPECT_FALSE(client.m_usePassEncode);
    const std::vector<std::string> requests = other.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string query = requests[1].substr(requests[1].find('?') + 1);
    EXPECT_EQ(Var(query, "password"), "admin") << requests[1];
}

TEST_F(DataClientServer, ServerErrorsAndRows) {
    CHttpDataClient client;
    CListString error;
    ASSERT_TRUE(client.Login("127.0.0.1", s_coded->Port(), "admin", "admin", error));
    CResultSet result;
    EXPECT_EQ(client.Select("select BG_BUG_ID,BG_SUMMARY from t_bug where BG_BUG_ID<=3 order by 1",
                            result, error), 3);
    EXPECT_STREQ(result.GetValue(2, "BG_BUG_ID").CStr(), "3");
    EXPECT_STREQ(result.GetValue(2, "BG_SUMMARY").CStr(), "导出Excel时中文列名乱码");
    EXPECT_EQ(client.Select("select * from t_nothing", result, error), -1);
    EXPECT_EQ(error.StdString().rfind("-1", 0), 0u);
    EXPECT_EQ(client.SelectInt("select count(*) from t_bug where PRJ_NAME='Demo'", error), 18);
    // An execute that fails in the database is a failure with its text.
    EXPECT_FALSE(client.ExecSql("update t_nothing set x=1", error));
    EXPECT_EQ(error.StdString().rfind("-1", 0), 0u);
    EXPECT_TRUE(client.ExecSql("update t_dept set DEPT_DESC='Development' where DEPT_NAME='研发部'", error))
        << error.CStr();
}

TEST_F(DataClientServer, LongValuesInPiecesWithTypedParameters) {
    CHttpDataClient client;
    CListString error;
    ASSERT_TRUE(client.Login("127.0.0.1", s_coded->Port(), "admin", "admin", error));
    // 7000 characters with quotes, CJK text and URL characters; pieces of
    // 3000 bytes never split a character.
    std::string value;
    while (value.size() < 7000) value += "O'Brien & 张三 = 100% + #1\r\n";
    ASSERT_TRUE(client.UploadLongParam(value.c_str(), "clDesc", 1, 3000));
    ASSERT_TRUE(client.UploadLongParam("comment 'two'", "clComment", 2, 3000));
    EXPECT_EQ(StoredLongTexts(client, 9001), std::make_pair(value, std::string("comment 'two'")));
}

TEST(DataClientUpload, PiecesAndTheirRequests) {
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    CHttpDataClient client;
    ScriptedLogin(server, client);
    const std::string value(7000, 'x');
    ASSERT_TRUE(client.UploadLongParam(value.c_str(), "clDesc", 1, 3000));
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 5u);
    const size_t sizes[] = {3000, 3000, 1000};
    for (int i = 0; i < 3; ++i) {
        const std::string query = QueryOf(requests[2 + i]);
        EXPECT_EQ(Var(query, "index"), i == 0 ? "0" : "<absent>");
        EXPECT_EQ(Var(query, "param1"), "clDesc");
        EXPECT_EQ(DecodeParamText(Var(query, "value1")), std::string(sizes[i], 'x'));
    }
    // A value of another name goes without coding; an empty value is one request.
    ASSERT_TRUE(client.UploadLongParam("a+b&c", "plain", 2, 3000));
    ASSERT_TRUE(client.UploadLongParam("", "clComment", 1, 3000));
    requests = server.Requests();
    ASSERT_EQ(requests.size(), 7u);
    EXPECT_EQ(Var(QueryOf(requests[5]), "value2"), "a+b&c");
    EXPECT_EQ(Var(QueryOf(requests[6]), "index"), "0");
    EXPECT_EQ(Var(QueryOf(requests[6]), "value1"), "");
    // A refused piece ends the upload.
    server.Push("-1\x01 no session");
    EXPECT_FALSE(client.UploadLongParam(value.c_str(), "clDesc", 1, 3000));
    EXPECT_EQ(server.Requests().size(), 8u);
}

TEST(DataClientUpload, SeveralValuesTravelSideBySide) {
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    CHttpDataClient client;
    ScriptedLogin(server, client);
    const size_t before = server.Requests().size();
    // Two values of one piece, one of three and an empty one: their first
    // pieces share a request, the rest fill the next one.
    CListString error;
    ASSERT_TRUE(client.UploadLongParams({{"clDesc", "short"},
                                         {"clDescWas", std::string(7000, 'y')},
                                         {"clComment", ""},
                                         {"plain", "a+b"}},
                                        1, 3000, error))
        << error.CStr();
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), before + 1);
    const std::string query = QueryOf(requests[before]);
    EXPECT_EQ(Var(query, "index"), "0");
    struct Sent {
        const char* name;
        std::string value;
    };
    const Sent sent[] = {{"clDesc", "short"}, {"clDescWas", std::string(3000, 'y')}, {"clComment", ""},
                          {"plain", "a+b"}, {"clDescWas", std::string(3000, 'y')},
                          {"clDescWas", std::string(1000, 'y')}};
    for (int n = 1; n <= 6; ++n) {
        const Sent& piece = sent[n - 1];
        EXPECT_EQ(Var(query, ("param" + std::to_string(n)).c_str()), piece.name) << n;
        const std::string value = Var(query, ("value" + std::to_string(n)).c_str());
        EXPECT_EQ(std::string(piece.name) == "plain" ? value : DecodeParamText(value), piece.value) << n;
    }
    // More than nine pieces take another request, which clears nothing.
    ASSERT_TRUE(client.UploadLongParams({{"clDesc", std::string(30000, 'z')}}, 1, 3000, error));
    requests = server.Requests();
    ASSERT_EQ(requests.size(), before + 3);
    EXPECT_EQ(Var(QueryOf(requests[before + 2]), "index"), "<absent>");
    EXPECT_EQ(DecodeParamText(Var(QueryOf(requests[before + 2]), "value1")), std::string(3000, 'z'));
    EXPECT_EQ(Var(QueryOf(requests[before + 2]), "param2"), "<absent>");
}

TEST_F(DataClientServer, SideBySideValuesBindWhole) {
    CHttpDataClient client;
    CListString error;
    ASSERT_TRUE(client.Login("127.0.0.1", s_coded->Port(), "admin", "admin", error));
    std::string description;
    while (description.size() < 20000) description += "张三 O'Brien & 100% + #1\r\n";
    ASSERT_TRUE(client.UploadLongParams({{"clDesc", description}, {"clComment", "c 'two'"}}, 1, 3000, error))
        << error.CStr();
    EXPECT_EQ(StoredLongTexts(client, 9002), std::make_pair(description, std::string("c 'two'")));
}

TEST(DataClientSession, LostSessionIsRenewedAgainstARealServer) {
    CDemoServer server;
    ASSERT_TRUE(server.Start()) << server.server->Output();
    CHttpDataClient client;
    CListString error;
    ASSERT_TRUE(client.Login("127.0.0.1", server.Port(), "admin", "admin", error));
    const std::string first = client.GetSessionId();
    // A restart forgets every session: the next call is denied, then renewed.
    ASSERT_TRUE(server.Restart());
    CResultSet result;
    ASSERT_EQ(client.Select("select count(*) from t_prj", result, error), 1) << error.CStr();
    EXPECT_NE(client.GetSessionId(), first);
    EXPECT_TRUE(client.ExecSql("update t_prj set PRJ_DESC='x' where PRJ_NAME='Demo'", error)) << error.CStr();

    // When the account no longer logs in, the call fails with the text.
    client.SetMessageTexts("session ended", nullptr);
    ASSERT_TRUE(server.server->Stop());
    ASSERT_TRUE(server.server->RunSql("update t_cfg_st_user set USER_PASSWD='changed' where USER_NAME='admin';"));
    ASSERT_TRUE(server.server->Start());
    EXPECT_EQ(client.Select("select count(*) from t_prj", result, error), -1);
    EXPECT_STREQ(error.CStr(), "session ended");
}

// Sessions and login with auth 1: the session check of every command, the
// login query with hostile input, lifetime from the last use, and typed
// parameters sent in pieces for exec_sql_go.
#include "ServerFixture.h"
#include "Programs.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace {

class SessionTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { SKIP_UNLESS_RUNNABLE(GetParam()); }
    void StartWith(const std::map<std::string, std::string>& common) {
        server = std::make_unique<CServerFixture>(GetParam());
        server->SetIni("common", "auth", "1");
        for (const auto& kv : common) server->SetIni("common", kv.first, kv.second);
        ASSERT_TRUE(server->Prepare());
        ASSERT_TRUE(server->RunSql(SeedSql()));
        ASSERT_TRUE(server->Start()) << server->Output();
    }
    std::string Login(const std::string& account = "admin", const std::string& password = "secret") {
        return server->Command("web_login", "account=" + account + "&password=" + password);
    }
    std::string Sql(const std::string& cmd, const std::string& sql, const std::string& sid) {
        return server->Command(cmd, "sql=" + CServerFixture::Encode(sql), sid);
    }
    std::unique_ptr<CServerFixture> server;
};

const std::regex kSessionId(R"(\d+[_0-9a-zA-Z]{16})");

TEST_P(SessionTest, CommandsNeedASessionWhenAuthIsOn) {
    StartWith({});
    std::ofstream(server->Dir() + "/user_config.ini") << "ftp_pass=hidden\n";
    const std::string sid = Login();
    ASSERT_TRUE(std::regex_match(sid, kSessionId)) << sid;
    const std::string sql = "sql=" + CServerFixture::Encode("select 1");
    // Commands under the check: deny without a session, served with one.
    const char* checked[] = {"select2", "select", "select_prepare", "exec_sql", "exec_sql_go",
                             "get_time", "get_user_config", "exec_user_func", "unload_user_func",
                             "select_finish", "exec_command", "set_time", "reload_user_func",
                             "select_next", "exec_sql_prepare", "send_mymessage"};
    for (const char* cmd : checked) {
        EXPECT_EQ(server->Command(cmd, sql, "wrong"), "deny") << cmd;
        EXPECT_NE(server->Command(cmd, sql, sid), "deny") << cmd;
    }
    // Never checked.
    for (const char* cmd : {"version", "get_config", "session_count"}) {
        EXPECT_NE(server->Command(cmd, "", "wrong"), "deny") << cmd;
    }
    EXPECT_EQ(server->Command("get_user_config", "", sid), "ftp_pass=hidden");
    // Session ids match without regard to case, for the check and logout.
    std::string upper = sid;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(Sql("select", "select 1", upper), "1\n");
    EXPECT_EQ(server->Command("web_logout", "id=" + upper), "success");
    EXPECT_EQ(Sql("select", "select 1", sid), "deny");
}

TEST_P(SessionTest, LoginChecksTheAccountSafely) {
    StartWith({});
    const std::string refused = "-1| Authentication fails, username or password error";
    EXPECT_EQ(Login("admin", "wrong"), refused);
    EXPECT_EQ(Login("nobody", "secret"), refused);
    // Quotes in account or password stay inside their literals.
    EXPECT_EQ(Login("admin", "x' or '1'='1"), refused);
    EXPECT_EQ(Login("admin' --", "anything"), refused);
    EXPECT_TRUE(std::regex_match(Login("O'Brien", "pw'1"), kSessionId));
    // Backslashes are plain characters of the values.
    EXPECT_TRUE(std::regex_match(Login("dom\\ann", "p\\w"), kSessionId));
    EXPECT_EQ(Login("admin", "\\' or 1=1 --"), refused);
    EXPECT_EQ(Login("\\' or 1=1 --", "x"), refused);
    // The password never reaches the log.
    EXPECT_EQ(server->Output().find("secret"), std::string::npos);
    EXPECT_NE(server->Output().find("account=admin,password=***"), std::string::npos);
}

TEST_P(SessionTest, FailedLoginQueryRepliesAnError) {
    StartWith({});
    ASSERT_EQ(Sql("exec_sql", "drop table t_cfg_st_user", Login()), "success");
    const std::string reply = Login();
    EXPECT_EQ(reply.substr(0, 3), "-1|") << reply;
    EXPECT_NE(reply, "-1| Authentication fails, username or password error");
}

TEST_P(SessionTest, LifetimeCountsFromTheLastUse) {
    // Lifetime 2 s, a sweep every 5 passes (about 0.1 s).
    StartWith({{"user_plugin_checktime", "2"}, {"sweep_passes", "5"}});
    const std::string used = Login();
    const std::string idle = Login();
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(Sql("select", "select 1", used), "1\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    EXPECT_EQ(Sql("select", "select 1", idle), "deny");
    EXPECT_EQ(Sql("select", "select 1", used), "1\n");
    EXPECT_EQ(server->Command("session_count"), "   1   ");
}

TEST_P(SessionTest, LongValuesArriveInPiecesForExecSqlGo) {
    StartWith({});
    const std::string sid = Login();
    // A text of 7000 characters with multi-byte characters, sent as the
    // client does: pieces coded one by one, the first with index=0.
    std::string text;
    while (text.size() < 7000) text += "缺陷-defect ";
    const std::string pieces[] = {text.substr(0, 3000), text.substr(3000, 3000), text.substr(6000)};
    ASSERT_EQ(pieces[0].size() + pieces[1].size() + pieces[2].size(), text.size());
    for (int i = 0; i < 3; ++i) {
        std::string params = i == 0 ? "index=0&" : "";
        params += "param1=clDesc&value1=" + CServerFixture::Encode(pieces[i]);
        if (i == 2) params += "&param2=inId&value2=1&param3=stTitle&value3=" +
                              CServerFixture::Encode("it's");
        ASSERT_EQ(server->Command("exec_sql_prepare", params, sid), "success");
    }
    ASSERT_EQ(Sql("exec_sql_go",
                  "update t_bug set BG_DESCRIPTION=:clDesc<varchar_long>, "
                  "BG_SUMMARY=:stTitle<varchar> where BG_BUG_ID=:inId<int>",
                  sid),
              "success");
    EXPECT_EQ(Sql("select", "select BG_DESCRIPTION from t_bug where BG_BUG_ID=1", sid),
              text + "\n");
    EXPECT_EQ(Sql("select", "select BG_SUMMARY from t_bug where BG_BUG_ID=1", sid), "it's\n");
    // index=0 starts a fresh list.
    ASSERT_EQ(server->Command("exec_sql_prepare",
                              "index=0&param1=clDesc&value1=" + CServerFixture::Encode("short") +
                                  "&param2=inId&value2=1",
                              sid),
              "success");
    ASSERT_EQ(Sql("exec_sql_go",
                  "update t_bug set BG_DESCRIPTION=:clDesc<varchar_long> where "
                  "BG_BUG_ID=:inId<int>",
                  sid),
              "success");
    EXPECT_EQ(Sql("select", "select BG_DESCRIPTION from t_bug where BG_BUG_ID=1", sid),
              "short\n");
    // A statement naming a parameter that was never stored fails cleanly.
    const std::string failed =
        Sql("exec_sql_go", "update t_bug set BG_SUMMARY=:stMissing<varchar>", sid);
    EXPECT_EQ(failed.substr(0, 3), "-1|") << failed;
}

TEST_P(SessionTest, AuthOffAcceptsEveryAccount) {
    StartWith({{"auth", "0"}});
    EXPECT_TRUE(std::regex_match(Login("anyone", "anything"), kSessionId));
    EXPECT_EQ(Sql("select", "select 2", ""), "2\n");
}

TEST_P(SessionTest, TheThousandAndFirstLoginIsRefused) {
    StartWith({{"auth", "0"}});
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(std::regex_match(Login(), kSessionId)) << i;
    EXPECT_EQ(Login(), "-1|Add a new session failure,Conversation may be more than the system "
                       "limit,Current 1000--Max 1000");
    EXPECT_EQ(server->Command("session_count"), "   1000   ");
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, SessionTest, AllPrograms());

}  // namespace

// With log_sql=1 the log shows statements and requests, but never a
// password, a typed value (which may be bound to a password column) or a
// live session id; the log and remote_info.txt are not for every local user.
#include "HostTestUtil.h"
#include "Programs.h"
#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {

class LogSecretsTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        SKIP_UNLESS_RUNNABLE(GetParam());
        std::string failure;
        server = StartSeeded(GetParam(), {{"log_sql", "1"}}, failure);
        ASSERT_TRUE(server) << failure;
    }
    std::string Sql(const std::string& cmd, const std::string& sql, const std::string& sid) {
        return server->Command(cmd, "sql=" + CServerFixture::Encode(sql), sid);
    }
    std::string Log() const { return ReadAll(server->Dir() + "/" + server->Program() + ".log"); }
    std::unique_ptr<CServerFixture> server;
};

TEST_P(LogSecretsTest, PasswordsTypedValuesAndSessionIdsAreMasked) {
    const std::string sid = server->Command("web_login", "account=admin&password=secret");
    ASSERT_EQ(sid.find("-1"), std::string::npos) << sid;
    const struct {
        const char* cmd;
        std::string sql;
        const char* secret;
        bool succeeds;
    } statements[] = {
        // A password change and a reset as the client sends them.
        {"exec_sql", "update t_cfg_st_user set user_passwd='Digest1a' where user_name='admin'",
         "Digest1a", true},
        {"exec_sql", "UPDATE T_CFG_ST_USER SET USER_PASSWD = 'Digest2b' WHERE USER_NAME='O''Brien'",
         "Digest2b", true},
        // A new user.
        {"exec_sql", "insert into t_cfg_st_user(user_name,USER_PASSWD) values('li','Digest3c')",
         "Digest3c", true},
        // A failing statement: the database's error text is logged too.
        {"exec_sql", "update t_cfg_st_user set user_passwd='Digest4d' where no_such_column=1",
         "Digest4d", false},
        {"select2", "select user_name from t_cfg_st_user where user_passwd='Digest1a'", "Digest1a",
         true},
        {"select_prepare", "select user_name from t_cfg_st_user where user_passwd='Digest5e'",
         "Digest5e", true},
    };
    std::vector<std::string> secrets = {"secret", sid};
    for (const auto& s : statements) {
        const std::string reply = Sql(s.cmd, s.sql, sid);
        EXPECT_EQ(reply.substr(0, 3) != "-1|", s.succeeds) << s.sql << "\n" << reply;
        secrets.push_back(s.secret);
    }
    // A typed password, sent in two pieces and bound by exec_sql_go.
    ASSERT_EQ(server->Command("exec_sql_prepare",
                              "index=0&param1=stPass&value1=" + CServerFixture::Encode("Typed6f"), sid),
              "success");
    ASSERT_EQ(server->Command("exec_sql_prepare",
                              "param1=stPass&value1=" + CServerFixture::Encode("Typed7g") +
                                  "&param2=inCount&value2=4711",
                              sid),
              "success");
    ASSERT_EQ(Sql("exec_sql_go",
                  "update t_cfg_st_user set user_passwd=:stPass<char[40]> where user_name='li'", sid),
              "success");
    secrets.insert(secrets.end(), {"Typed6f", "Typed7g", "4711"});
    // The typed password took effect.
    const std::string li = server->Command("web_login", "account=li&password=Typed6fTyped7g");
    EXPECT_EQ(li.find("-1"), std::string::npos) << li;
    secrets.push_back("Typed6fTyped7g");
    secrets.push_back(li);
    ASSERT_EQ(server->Command("web_logout", "id=" + li), "success");

    const std::string log = Log();
    const std::string console = server->Output();
    for (const std::string& secret : secrets) {
        EXPECT_EQ(log.find(secret), std::string::npos) << secret << " in the log:\n" << log;
        EXPECT_EQ(console.find(secret), std::string::npos) << secret << " on the console";
    }
    // What is logged is still there, with the secrets masked.
    for (const char* line : {"account=admin,password=***", "user_passwd='***' where user_name='***'",
                             "values('***','***')", "id=***\nparam=stPass\nvalue=***",
                             "user_passwd=:stPass<char[40]>", "no_such_column"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

TEST_P(LogSecretsTest, EveryShapeOfStatementNamingAPasswordColumnIsMasked) {
    const std::string sid = server->Command("web_login", "account=admin&password=secret");
    ASSERT_EQ(sid.find("-1"), std::string::npos) << sid;
    // Each secret in a statement of another shape; whether the database
    // takes it or not, neither the statement nor its error shows it.
    const struct {
        const char* sql;
        const char* secret;
    } statements[] = {
        {"update t_cfg_st_user set (USER_PASSWD) = ('Shape01a') where USER_NAME = 'admin'", "Shape01a"},
        {"update t_cfg_st_user set (USER_FULLNAME, USER_PASSWD) = ('x','Shape02b') where USER_ID = 1",
         "Shape02b"},
        {"insert into t_cfg_st_user(USER_NAME, USER_PASSWD) select 'wu','Shape03c'", "Shape03c"},
        {"update \"t_cfg_st_user\" set \"USER_PASSWD\" = 'Shape04d' || 'Shape05e' where USER_ID = 1",
         "Shape05e"},
        {"insert into t_cfg_st_user select 'zz', 'Shape06f'", "Shape06f"},
        {"with v(p) as (select 'Shape07g') update t_cfg_st_user set USER_PASSWD = (select p from v)",
         "Shape07g"},
        {"update t_cfg_st_user set USER_PASSWD = case when USER_ID = 1 then 'Shape08h' else 'x' end",
         "Shape08h"},
        {"update t_cfg_st_user set USER_PASSWD = 'Shape09i' where no_such_column = 'Shape10j'",
         "Shape10j"},
        {"update t_cfg_st_user set USER_PASSWD = 8086420975 where USER_ID = 1", "8086420975"},
    };
    for (const auto& s : statements) Sql("exec_sql", s.sql, sid);
    const std::string log = Log();
    for (const auto& s : statements) {
        EXPECT_EQ(log.find(s.secret), std::string::npos) << s.secret << " in the log:\n" << log;
        EXPECT_EQ(server->Output().find(s.secret), std::string::npos) << s.secret << " on the console";
    }
    EXPECT_NE(log.find("set (USER_FULLNAME, USER_PASSWD) = ('***','***')"), std::string::npos) << log;
}

// The lines of a text, each without its line feed.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_P(LogSecretsTest, ClientTextNeitherForgesNorFloodsTheLog) {
    const std::string forged = "\naccount=forged,password=***\nLumeno stopping\n";
    const std::string sid = server->Command("web_login", "account=admin&password=secret");
    ASSERT_EQ(sid.find("-1"), std::string::npos) << sid;
    const size_t before = Log().size();
    // A refused table name is never logged; an accepted one of 1.9 MiB
    // is logged cut, as is the statement the database refuses.
    const std::string huge(1900 * 1024, 'n');
    const struct {
        const char* cmd;
        std::string params;
        std::string session;
    } requests[] = {
        {"desc", "table=" + CServerFixture::Escape("t_bug" + forged), ""},
        {"desc", "table=" + CServerFixture::Escape("t_bug" + forged), sid},
        {"web_login", "account=" + CServerFixture::Escape("x" + forged) + "&password=p", ""},
        {"exec_user_func", "cmd=" + CServerFixture::Escape("c" + forged) + "&param=p", sid},
        {"select2", "sql=" + CServerFixture::Encode("select 1 from t_bug" + forged + "where 1=0"), sid},
    };
    for (const auto& r : requests) server->Command(r.cmd, r.params, r.session);
    Exchange(server->Port(),
             "GET /Lumeno/desc?table=" + huge + " HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n");
    const std::string log = Log();
    for (const std::string& line : Lines(log)) {
        EXPECT_NE(line, "Lumeno stopping") << log.substr(0, 2000);
        EXPECT_NE(line, "account=forged,password=***");
    }
    EXPECT_EQ(log.find("t---t_bug"), std::string::npos) << "a refused name was logged";
    EXPECT_NE(log.find("account=x\\naccount=forged"), std::string::npos) << log.substr(before, 4000);
    // 4 KiB of the name, then its length.
    EXPECT_NE(log.find("t---" + std::string(4096, 'n') + "... (1945600 bytes)\n"),
              std::string::npos);
    EXPECT_LT(log.size() - before, 64u * 1024) << "the log grew by " << log.size() - before;
}

TEST_P(LogSecretsTest, LogAndMessageFilesAreNotWorldReadable) {
    const std::string sid = server->Command("web_login", "account=admin&password=secret");
    ASSERT_EQ(server->Command("send_mymessage", "msg=hello", sid), "success");
    const mode_t mask = umask(0);
    umask(mask);
    for (const std::string& name : {server->Program() + ".log", std::string("remote_info.txt")}) {
        const int mode = FileMode(server->Dir() + "/" + name);
        EXPECT_EQ(mode, 0640 & ~static_cast<int>(mask)) << name;
        EXPECT_EQ(mode & 0007, 0) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, LogSecretsTest, AllPrograms());

}  // namespace

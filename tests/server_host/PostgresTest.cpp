// Lumeno over psqlODBC where only a database server brings the case: the
// server ends the connection under a running Lumeno, literals read with
// backslash escapes, a data source names a missing database, says nothing
// of the client encoding or names another, and a large result under a
// small row cap.
#include "Programs.h"
#include "ServerFixture.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sys/wait.h>
#include <sstream>

namespace {

class LumenoPgTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_UNLESS_RUNNABLE("LumenoPg");
        server = std::make_unique<CServerFixture>("LumenoPg");
    }
    std::string Sql(const std::string& cmd, const std::string& sql) {
        return server->Command(cmd, "sql=" + CServerFixture::Encode(sql));
    }
    // Ends every other connection to the test database, Lumeno's among them.
    void DropConnections() {
        ASSERT_TRUE(server->RunSql("select pg_terminate_backend(pid) from pg_stat_activity "
                                   "where datname = current_database() and pid <> pg_backend_pid()"));
    }
    std::unique_ptr<CServerFixture> server;
};

TEST_F(LumenoPgTest, LogsOnAgainAfterTheServerDroppedTheConnection) {
    ASSERT_TRUE(server->Prepare());
    ASSERT_TRUE(server->RunSql(SeedSql()));
    ASSERT_TRUE(server->Start()) << server->Output();
    ASSERT_EQ(Sql("select", "select count(*) from t_empty"), "0\n");
    const std::string slot = Sql("select_prepare", "select n from t_num order by n");
    ASSERT_TRUE(std::regex_match(slot, std::regex(R"(\d{6}\|\S+)"))) << slot;

    DropConnections();
    EXPECT_EQ(Sql("select", "select count(*) from t_empty"), "0\n");
    DropConnections();
    EXPECT_EQ(Sql("exec_sql", "insert into t_empty values(1, 'after')"), "success");
    EXPECT_EQ(Sql("select2", "select b from t_empty"), "b\nafter\n");
    DropConnections();
    const std::string reopened = Sql("select_prepare", "select n from t_num order by n");
    EXPECT_TRUE(std::regex_match(reopened, std::regex(R"(\d{6}\|\S+)"))) << reopened;
    EXPECT_NE(server->Output().find("没有连接，重试连接"), std::string::npos);
    // The cursor opened before the drop went with its connection; the one
    // opened since is untouched by anything done with the old SlotId.
    EXPECT_EQ(server->Command("select_next", "id=" + slot + "&count=5").substr(0, 14),
              "-1| Query erro");
    server->Command("select_finish", "id=" + slot);
    EXPECT_EQ(server->Command("select_next", "id=" + reopened + "&count=2"), "n\n1\n2\n");
    DropConnections();
    EXPECT_EQ(server->Command("desc", "table=t_empty"), "a\t长整数\t10\t0\nb\t文本\t20\t0\n");
}

TEST_F(LumenoPgTest, LoginStaysSafeWhereBackslashesEscapeInLiterals) {
    // With standard_conforming_strings off, \' inside a literal is a quote:
    // doubling quotes alone would let this account in.
    server->SetIni("common", "auth", "1");
    ASSERT_TRUE(server->Prepare());
    ASSERT_TRUE(server->RunSql(SeedSql()));
    ASSERT_TRUE(server->RunSql("do $$ begin execute 'alter database ' || current_database() || "
                               "' set standard_conforming_strings = off'; end $$"));
    ASSERT_TRUE(server->Start()) << server->Output();
    const std::string refused = "-1| Authentication fails, username or password error";
    auto login = [this](const std::string& account, const std::string& password) {
        return server->Command("web_login", "account=" + account + "&password=" + password);
    };
    EXPECT_EQ(login("\\' or 1=1 --", "x"), refused);
    EXPECT_EQ(login("admin", "\\' or 1=1 --"), refused);
    EXPECT_EQ(login("admin", "\\' or '1'='1"), refused);
    EXPECT_TRUE(std::regex_match(login("dom\\ann", "p\\w"), std::regex(R"(\d+\w{16})")));
    EXPECT_TRUE(std::regex_match(login("admin", "secret"), std::regex(R"(\d+\w{16})")));
}

// A status line of /proc/<pid>/status in KiB ("VmRSS", "VmHWM").
long StatusKiB(int pid, const std::string& key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, key.size() + 1, key + ":") == 0) return atol(line.c_str() + key.size() + 1);
    return -1;
}

TEST_F(LumenoPgTest, RowCapOfAHugeResultKeepsMemoryFlat) {
    ASSERT_TRUE(server->Prepare());
    ASSERT_TRUE(server->RunSql("create table t_big(id integer primary key, v varchar(60));"
                               "insert into t_big select i, 'value number ' || i from "
                               "generate_series(1, 100000) i;"));
    ASSERT_TRUE(server->Start()) << server->Output();
    auto page = [this](const std::string& sql) {
        return server->Command("select2", "maxcount=100&sql=" + CServerFixture::Encode(sql));
    };
    std::string first100 = "id\n";
    for (int i = 1; i <= 100; ++i) first100 += std::to_string(i) + "\n";
    ASSERT_EQ(page("select id from t_big order by id"), first100);
    const long peakBefore = StatusKiB(server->Pid(), "VmHWM");
    ASSERT_GT(peakBefore, 0);
    // Each would read 100 000 rows into the driver without the cap.
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(page("select id from t_big order by id"), first100);
        const std::string any = page("select id, v from t_big");
        ASSERT_EQ(std::count(any.begin(), any.end(), '\n'), 101) << any.substr(0, 200);
    }
    // Paged through whole, one batch at a time.
    const std::string slot =
        server->Command("select_prepare", "sql=" + CServerFixture::Encode("select id from t_big order by id"));
    ASSERT_TRUE(std::regex_match(slot, std::regex(R"(\d{6}\|\S+)"))) << slot;
    long next = 1;
    for (;;) {
        const std::string batch = server->Command("select_next", "id=" + slot + "&count=1000");
        if (batch == "-1|No Data") break;
        std::istringstream in(batch);
        std::string line;
        ASSERT_TRUE(std::getline(in, line) && line == "id") << batch.substr(0, 100);
        while (std::getline(in, line)) ASSERT_EQ(line, std::to_string(next++));
    }
    EXPECT_EQ(next, 100001);
    EXPECT_EQ(server->Command("select_finish", "id=" + slot), "success");
    const long growth = StatusKiB(server->Pid(), "VmHWM") - peakBefore;
    EXPECT_LT(growth, 16 * 1024) << "peak resident size grew by " << growth << " KiB";
}

TEST_F(LumenoPgTest, AnyPsqlDataSourceTalksUtf8AndKeepsItsOwnSettings) {
    // The service's environment may name no locale: psqlODBC then picks
    // SQL_ASCII unless told otherwise.
    const struct {
        const char* what;
        const char* from;
        const char* to;
        const char* applicationName;
    } cases[] = {
        {"no connection settings", "ConnSettings=[^\n]*\n", "", ""},
        {"another encoding", "'UTF8'", "'LATIN1'", ""},
        {"settings of its own", "ConnSettings=[^\n]*", "ConnSettings=set application_name to 'zentry app'",
         "zentry app"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        server = std::make_unique<CServerFixture>("LumenoPg");
        server->SetLauncher({"/usr/bin/env", "-u", "LANG", "-u", "LANGUAGE", "LC_ALL=C"});
        ASSERT_TRUE(server->Prepare());
        ASSERT_TRUE(server->RunSql("create table t_text (id integer, v varchar(20))"));
        const std::string ini = server->Dir() + "/odbc.ini";
        std::stringstream text;
        text << std::ifstream(ini).rdbuf();
        const std::string changed = std::regex_replace(text.str(), std::regex(c.from), c.to);
        ASSERT_NE(changed, text.str());
        std::ofstream(ini, std::ios::trunc) << changed;
        ASSERT_TRUE(server->Start()) << server->Output();
        ASSERT_EQ(Sql("exec_sql", "insert into t_text values (1, '缺陷')"), "success");
        EXPECT_EQ(Sql("select", "select v from t_text"), "缺陷\n");
        // Stored as two characters, not as the bytes of six.
        EXPECT_EQ(Sql("select", "select char_length(v) from t_text where v = U&'\\7F3A\\9677'"), "2\n");
        EXPECT_EQ(Sql("select", "select current_setting('client_encoding')"), "UTF8\n");
        if (*c.applicationName) {
            EXPECT_EQ(Sql("select", "select current_setting('application_name')"),
                      std::string(c.applicationName) + "\n");
        }
        server.reset();
    }
}

// scripts/make-db with the server's environment; its exit code.
int MakePgDatabase(const std::map<std::string, std::string>& env, const std::string& args) {
    std::string command;
    for (const auto& kv : env) command += kv.first + "='" + kv.second + "' ";
    command += std::string(ZENTRY_SOURCE_DIR) + "/scripts/make-db --postgresql " + args +
               " >/dev/null 2>&1";
    const int rc = system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST_F(LumenoPgTest, MakeDbMakesTheDatabaseLumenoServes) {
    // The data source names a database nobody made yet.
    server->SetCreateDatabase(false);
    server->SetIni("common", "auth", "1");
    server->SetIni("common", "use_pass_encode", "1");
    ASSERT_TRUE(server->Prepare());
    const auto env = server->PgEnvironment();
    ASSERT_EQ(MakePgDatabase(env, env.at("PGDATABASE") + " --demo"), 0);
    // A second run finds the tables there: it fails and changes nothing.
    EXPECT_NE(MakePgDatabase(env, env.at("PGDATABASE")), 0);
    ASSERT_TRUE(server->Start()) << server->Output();
    const std::string session =
        server->Command("web_login", "account=admin&password=21232f297a57a5a743894a0e4a801fc3");
    ASSERT_TRUE(std::regex_match(session, std::regex(R"(\d+\w{16})"))) << session;
    EXPECT_EQ(server->Command("select2", "sql=" + CServerFixture::Encode("select count(*) as n from t_bug"),
                              session),
              "n\n36\n");
}

TEST_F(LumenoPgTest, MissingDatabaseEndsTheStart) {
    server->SetCreateDatabase(false);
    ASSERT_TRUE(server->Prepare());
    EXPECT_FALSE(server->Start());
    EXPECT_NE(server->ExitCode(), 0);
    EXPECT_NE(server->Output().find("does not exist"), std::string::npos) << server->Output();
}

}  // namespace

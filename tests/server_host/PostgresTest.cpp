// Lumeno over psqlODBC where only a database server brings the case: the
// server ends the connection under a running Lumeno, literals read with
// backslash escapes, and a data source names a missing database.
#include "Programs.h"
#include "ServerFixture.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <regex>

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

TEST_F(LumenoPgTest, MissingDatabaseEndsTheStart) {
    server->SetCreateDatabase(false);
    ASSERT_TRUE(server->Prepare());
    EXPECT_FALSE(server->Start());
    EXPECT_NE(server->ExitCode(), 0);
    EXPECT_NE(server->Output().find("does not exist"), std::string::npos) << server->Output();
}

}  // namespace

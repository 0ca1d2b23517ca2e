// Lumeno over the SQLite ODBC driver works on any data source of it: one
// written with its driver and database only, or with other values for the
// options the server needs, is served as one that lumenosetup wrote.
#include "HostTestUtil.h"
#include "ServerFixture.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace {

TEST(DataSourceSetupTest, AnySqliteDataSourceIsServedWithTheOptionsTheServerNeeds) {
    const struct {
        const char* what;
        const char* from;
        const char* to;
    } cases[] = {
        {"driver and database only", "\n(?!Driver=|Database=)[A-Za-z]+=[^\n]*", ""},
        {"results read whole", "StepAPI=1", "StepAPI=0"},
        {"long column names", "LongNames=0", "LongNames=1"},
        {"another journal", "JournalMode=WAL", "JournalMode=DELETE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CServerFixture server("Lumeno");
        ASSERT_TRUE(server.Prepare());
        ASSERT_TRUE(server.RunSql(SeedSql() + "pragma journal_mode=delete;"));
        const std::string ini = server.Dir() + "/odbc.ini";
        std::stringstream text;
        text << std::ifstream(ini).rdbuf();
        const std::string changed = std::regex_replace(text.str(), std::regex(c.from), c.to);
        ASSERT_NE(changed, text.str());
        std::ofstream(ini, std::ios::trunc) << changed;
        ASSERT_TRUE(server.Start()) << changed << server.Output();
        auto command = [&](const std::string& cmd, const std::string& sql) {
            return server.Command(cmd, "sql=" + CServerFixture::Encode(sql));
        };
        ASSERT_EQ(command("exec_sql", "insert into t_bug(BG_BUG_ID, BG_SUMMARY) values (9000000001, 'big')"),
                  "success");
        // Short column names, 64-bit integers.
        EXPECT_EQ(command("select2", "select b.BG_BUG_ID, b.BG_SUMMARY from t_bug b where BG_BUG_ID > 9000000000"),
                  "BG_BUG_ID|BG_SUMMARY\n9000000001|big\n");
        // Stepped results: a query whose second row fails still opens,
        // and its first row comes.
        const std::string slot =
            command("select_prepare", "select 1 as n union all select abs(-9223372036854775808)");
        EXPECT_TRUE(std::regex_match(slot, std::regex(R"(\d{6}\|\S+)"))) << slot;
        EXPECT_EQ(server.Command("select_next", "id=" + slot + "&count=1"), "n\n1\n");
        ASSERT_TRUE(server.Stop());
        EXPECT_EQ(CommandOutput("sqlite3 '" + server.DatabasePath() + "' 'pragma journal_mode'"), "wal\n");
    }
}

}  // namespace

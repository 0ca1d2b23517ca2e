// No statement holds up the server: one running past query_timeout is
// stopped with an error reply, and a text the ODBC driver would scan for
// escapes in exponential time never reaches that scan; other clients are
// served meanwhile.
#include "Programs.h"
#include "ServerFixture.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const int kLimitSeconds = 4;
// Counts to two billion: minutes in every back end.
const char kSlowRows[] =
    "(with recursive c(x) as (select 1 union all select x + 1 from c where x < 2000000000)"
    " select x from c)";

class StatementLimitsTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        SKIP_UNLESS_RUNNABLE(GetParam());
        server = std::make_unique<CServerFixture>(GetParam());
    }
    void Start(const std::string& commitType = "1") {
        server->SetIni("common", "query_timeout", std::to_string(kLimitSeconds));
        server->SetIni("common", "commit_type", commitType);
        ASSERT_TRUE(server->Prepare());
        ASSERT_TRUE(server->RunSql(SeedSql()));
        ASSERT_TRUE(server->Start()) << server->Output();
    }
    std::string Sql(const std::string& cmd, const std::string& sql) {
        return server->Command(cmd, "sql=" + CServerFixture::Encode(sql));
    }
    // Runs the slow request on a thread of its own and, while it runs, the
    // other client's requests (a write too beside a query: writes keep
    // their order on one connection); true when every one of those was
    // answered before the slow one came back.
    bool ServedBeside(const std::string& cmd, const std::string& sql, bool writeBeside,
                      std::string& slowReply, double& seconds) {
        std::atomic<bool> back{false};
        const auto start = std::chrono::steady_clock::now();
        std::thread slow([&] {
            slowReply = Sql(cmd, sql);
            back = true;
        });
        // Gives the slow statement time to reach the database first.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const bool earlyEnough = !back;
        EXPECT_EQ(server->Command("version"), "Lumeno Official Version v2.01");
        EXPECT_EQ(Sql("select2", "select count(*) as n from t_bug"), "n\n1\n");
        if (writeBeside) {
            EXPECT_EQ(Sql("exec_sql", "insert into t_empty values(7, 'beside')"), "success");
        }
        const bool besides = earlyEnough && !back;
        slow.join();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return besides;
    }
    std::unique_ptr<CServerFixture> server;
};

TEST_P(StatementLimitsTest, SlowStatementsStopAtTheLimitWhileOthersAreServed) {
    Start();
    const std::string limitText = "-1|the statement ran longer than query_timeout (" +
                                  std::to_string(kLimitSeconds) + " s) and was stopped";
    struct Case {
        const char* cmd;
        std::string sql;
        bool writeBeside;
    } cases[] = {
        {"select2", std::string("select count(*) as n from ") + kSlowRows + " q", true},
        {"select", std::string("select max(x) from ") + kSlowRows + " q", true},
        {"exec_sql", std::string("insert into t_num select x from ") + kSlowRows + " q", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cmd);
        std::string reply;
        double seconds = 0;
        EXPECT_TRUE(ServedBeside(c.cmd, c.sql, c.writeBeside, reply, seconds));
        EXPECT_EQ(reply, limitText);
        EXPECT_GE(seconds, kLimitSeconds - 0.5);
        EXPECT_LT(seconds, kLimitSeconds + 20.0);
    }
    // The stopped insert left nothing; the server goes on as before.
    EXPECT_EQ(Sql("select2", "select count(*) as n from t_num"), "n\n400\n");
    EXPECT_EQ(Sql("select2", "select b from t_empty"), "b\nbeside\nbeside\n");
}

TEST_P(StatementLimitsTest, OneConnectionStillStopsTheSlowStatement) {
    // Commit type 0: one request at a time, but no longer than the limit.
    Start("0");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Sql("select2", std::string("select count(*) as n from ") + kSlowRows + " q"),
              "-1|the statement ran longer than query_timeout (" + std::to_string(kLimitSeconds) +
                  " s) and was stopped");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              kLimitSeconds + 20.0);
    EXPECT_EQ(Sql("select2", "select count(*) as n from t_bug"), "n\n1\n");
}

TEST_P(StatementLimitsTest, BracesNeverReachTheDriversEscapeScan) {
    Start();
    // 22 unclosed braces took the SQLite ODBC driver's scan 65 s.
    const std::string braces(22, '{');
    struct Case {
        std::string sql;
        std::string reply;  // empty: any error reply
    } cases[] = {
        {"select 1 as n " + braces, ""},
        {"select 1 as n -- " + braces, "n\n1\n"},
        {"select 1 as n /* " + braces + " */ from t_bug", "n\n1\n"},
        {"select '" + braces + "' as v", "v\n" + braces + "\n"},
        {"select 1 as n from t_bug where BG_SUMMARY = '" + braces + "'", "n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        const auto start = std::chrono::steady_clock::now();
        const std::string reply = Sql("select2", c.sql);
        if (c.reply.empty()) {
            EXPECT_EQ(reply.substr(0, 3), "-1|") << reply;
        } else {
            EXPECT_EQ(reply, c.reply);
        }
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  10.0);
        EXPECT_EQ(server->Command("version"), "Lumeno Official Version v2.01");
    }
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, StatementLimitsTest, AllPrograms());

}  // namespace

// Stopping, pausing and restarting: every write answered "success" is in
// the database afterwards; SIGUSR1/SIGUSR2 pause and continue the commands.
#include "HostTestUtil.h"
#include "ServerFixture.h"
#include "Programs.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <thread>
#include <sstream>

namespace {

class LifecycleTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        SKIP_UNLESS_RUNNABLE(GetParam());
        server = std::make_unique<CServerFixture>(GetParam());
        ASSERT_TRUE(server->Prepare());
        ASSERT_TRUE(server->RunSql(SeedSql()));
    }
    std::string Sql(const std::string& cmd, const std::string& sql) {
        return server->Command(cmd, "sql=" + CServerFixture::Encode(sql));
    }
    int InsertRows(int from, int count) {
        int done = 0;
        for (int i = from; i < from + count; ++i) {
            if (Sql("exec_sql", "insert into t_empty values(" + std::to_string(i) + ", 'v')") ==
                "success")
                ++done;
        }
        return done;
    }
    std::unique_ptr<CServerFixture> server;
};

TEST_P(LifecycleTest, WritesSurviveStopAndKill) {
    for (int signal : {SIGTERM, SIGINT, SIGKILL}) {
        ASSERT_TRUE(server->Start()) << server->Output();
        const int before = atoi(Sql("select", "select count(*) from t_empty").c_str());
        ASSERT_EQ(InsertRows(before, 30), 30);
        ASSERT_TRUE(server->Stop(signal));
        if (signal != SIGKILL) {
            EXPECT_EQ(server->ExitCode(), 0) << signal;
        }
        ASSERT_TRUE(server->Start()) << server->Output();
        EXPECT_EQ(Sql("select", "select count(*) from t_empty"), std::to_string(before + 30) + "\n")
            << signal;
        ASSERT_TRUE(server->Stop());
    }
}

TEST_P(LifecycleTest, CommitTypeZeroCommitsAtStopPastAFailedStatement) {
    // One transaction until the stop; a failing statement inside it (which
    // would abort a PostgreSQL transaction) loses only itself.
    server->SetIni("common", "commit_type", "0");
    ASSERT_TRUE(server->Prepare());  // writes the ini file again
    ASSERT_TRUE(server->Start()) << server->Output();
    ASSERT_EQ(InsertRows(1, 3), 3);
    const std::string failed = Sql("exec_sql", "insert into t_empty values('x', 'v', 'extra')");
    EXPECT_EQ(failed.substr(0, 3), "-1|") << failed;
    EXPECT_EQ(Sql("select", "select count(*) from t_empty"), "3\n");
    ASSERT_EQ(InsertRows(4, 2), 2);
    ASSERT_TRUE(server->Stop(SIGTERM));
    EXPECT_EQ(server->ExitCode(), 0);
    ASSERT_TRUE(server->Start()) << server->Output();
    EXPECT_EQ(Sql("select", "select count(*) from t_empty"), "5\n");
}

TEST_P(LifecycleTest, PauseAndContinue) {
    ASSERT_TRUE(server->Start());
    kill(server->Pid(), SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    auto pending = std::async(std::launch::async, [this] { return server->Command("version"); });
    EXPECT_EQ(pending.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
    kill(server->Pid(), SIGUSR1);  // a second pause changes nothing
    kill(server->Pid(), SIGUSR2);
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(pending.get(), "Lumeno Official Version v2.01");
    // A stop while paused still ends cleanly.
    kill(server->Pid(), SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(server->Stop());
    EXPECT_EQ(server->ExitCode(), 0);
}

TEST_P(LifecycleTest, ServiceModeLogsToTheFileAndStandardError) {
    // Standard output stays the console file; standard error goes apart.
    const std::string errors = server->Dir() + "/stderr.txt";
    server->SetStartOption("-s");
    server->SetLauncher({"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>'" + errors + "'"});
    ASSERT_TRUE(server->Start());
    EXPECT_EQ(server->Command("version"), "Lumeno Official Version v2.01");
    EXPECT_EQ(Sql("select", "select 1"), "1\n");
    ASSERT_TRUE(server->Stop());
    EXPECT_EQ(server->ExitCode(), 0);
    EXPECT_EQ(server->Output().find("query sql="), std::string::npos);
    EXPECT_NE(ReadAll(server->Dir() + "/" + server->Program() + ".log").find("query sql=select 1"),
              std::string::npos);
    EXPECT_NE(ReadAll(errors).find("query sql=select 1"), std::string::npos) << ReadAll(errors);
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, LifecycleTest, AllPrograms());

}  // namespace

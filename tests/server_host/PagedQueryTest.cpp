// Paged queries over HTTP: batches, the end of the rows, the slot limit and
// the sweep that closes idle cursors.
#include "ServerFixture.h"
#include "Programs.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <thread>

namespace {

class PagedQueryTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { SKIP_UNLESS_RUNNABLE(GetParam()); }
    void StartWith(const std::map<std::string, std::string>& common = {}) {
        server = std::make_unique<CServerFixture>(GetParam());
        for (const auto& kv : common) server->SetIni("common", kv.first, kv.second);
        ASSERT_TRUE(server->Prepare());
        ASSERT_TRUE(server->RunSql(SeedSql()));
        ASSERT_TRUE(server->Start()) << server->Output();
    }
    std::string Prepare(const std::string& sql) {
        return server->Command("select_prepare", "sql=" + CServerFixture::Encode(sql));
    }
    std::string Next(const std::string& id, int count) {
        return server->Command("select_next", "id=" + id + "&count=" + std::to_string(count));
    }
    std::unique_ptr<CServerFixture> server;
};

int Rows(const std::string& reply) {
    return static_cast<int>(std::count(reply.begin(), reply.end(), '\n')) - 1;  // less the header
}

const char kNoData[] = "-1|No Data";
const char kQueryError[] = "-1| Query error,May be shut down through the select_finish,or have "
                           "not yet adopted select_prepare";

TEST_P(PagedQueryTest, BatchesUntilNoData) {
    StartWith();
    const std::string id = Prepare("select n from t_num where n <= 25 order by n");
    ASSERT_TRUE(std::regex_match(id, std::regex(R"(000001\|\d+[_0-9a-zA-Z]{7})"))) << id;
    const std::string first = Next(id, 10);
    EXPECT_EQ(first.substr(0, 2), "n\n");
    EXPECT_EQ(Rows(first), 10);
    EXPECT_EQ(first.substr(first.size() - 3), "10\n");
    EXPECT_EQ(Rows(Next(id, 10)), 10);
    const std::string last = Next(id, 10);
    EXPECT_EQ(Rows(last), 5);
    EXPECT_EQ(last.substr(last.size() - 3), "25\n");
    EXPECT_EQ(Next(id, 10), kNoData);
    EXPECT_EQ(server->Command("select_finish", "id=" + id), "success");
    EXPECT_EQ(Next(id, 10), kQueryError);
    // An empty id names a free slot: no rows.
    EXPECT_EQ(Next("", 10), kNoData);
    // count 0 takes one_fetch_count (10).
    const std::string again = Prepare("select n from t_num");
    EXPECT_EQ(Rows(Next(again, 0)), 10);
}

TEST_P(PagedQueryTest, CursorsOutliveOtherCommandsAndTheirFailures) {
    StartWith();
    const std::string id = Prepare("select n from t_num where n <= 30 order by n");
    const std::string first = Next(id, 10);
    ASSERT_EQ(Rows(first), 10) << first;
    // A write that commits, a failing statement and a failing query (each
    // ends its transaction) come between two batches.
    auto sql = [this](const char* cmd, const char* text) {
        return server->Command(cmd, std::string("sql=") + CServerFixture::Encode(text));
    };
    ASSERT_EQ(sql("exec_sql", "insert into t_empty values(1, 'x')"), "success");
    EXPECT_EQ(sql("exec_sql", "insert into nowhere values(1)").substr(0, 3), "-1|");
    EXPECT_EQ(sql("select", "select x from nowhere").substr(0, 3), "-1|");
    const std::string second = Next(id, 10);
    EXPECT_EQ(second.substr(0, 5), "n\n11\n") << second;
    EXPECT_EQ(Rows(second), 10);
    EXPECT_EQ(Rows(Next(id, 20)), 10);
    EXPECT_EQ(Next(id, 10), kNoData);
}

TEST_P(PagedQueryTest, TwentySlotsAtMost) {
    StartWith();
    std::vector<std::string> ids;
    for (int i = 0; i < 20; ++i) {
        ids.push_back(Prepare("select n from t_num"));
        ASSERT_EQ(ids.back().substr(0, 2), "00") << ids.back();
    }
    EXPECT_EQ(Prepare("select n from t_num"), "-1|没有多余的流查询可供使用");
    EXPECT_EQ(server->Command("select_finish", "id=" + ids[3]), "success");
    EXPECT_EQ(Prepare("select n from t_num").substr(0, 2), "00");
}

TEST_P(PagedQueryTest, StatementWithoutColumnsIsRefusedUnrun) {
    StartWith();
    // The error text of a statement without result columns is "success".
    EXPECT_EQ(Prepare("delete from t_num"), "-1|success");
    EXPECT_EQ(server->Command("select", "sql=" + CServerFixture::Encode("select count(*) from t_num")),
              "400\n");
    EXPECT_EQ(Prepare("select from where").substr(0, 3), "-1|");
}

TEST_P(PagedQueryTest, SweepClosesIdleCursors) {
    // Idle time 2 s (counted in whole seconds), a sweep every 5 passes.
    StartWith({{"query_timeout", "2"}, {"sweep_passes", "5"}});
    const std::string idle = Prepare("select n from t_num");
    const std::string busy = Prepare("select n from t_num");
    for (int i = 0; i < 11; ++i) {
        ASSERT_EQ(Rows(Next(busy, 1)), 1) << i;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    EXPECT_EQ(Next(idle, 5), kQueryError);
    EXPECT_EQ(Rows(Next(busy, 5)), 5);
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, PagedQueryTest, AllPrograms());

}  // namespace

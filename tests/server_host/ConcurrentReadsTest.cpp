// Reads beside writes: eight clients query while a ninth writes, and every
// reply is one the acknowledged writes allow: no gap, nothing acknowledged
// missing, a paged query reading one consistent set of rows from the
// connection that opened it (its snapshot stays whole while rows are added).
#include "Programs.h"
#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

namespace {

const int kWrites = 120;
const int kReaders = 8;

// The numbers of a reply of one column, header line first.
bool ParseIds(const std::string& reply, std::vector<long>& ids) {
    ids.clear();
    std::istringstream in(reply);
    std::string line;
    if (!std::getline(in, line) || line != "id") return false;
    while (std::getline(in, line)) {
        if (line.empty() || line.find_first_not_of("0123456789") != std::string::npos) return false;
        ids.push_back(std::stol(line));
    }
    return true;
}

// 1, 2, ..., n with n at least least.
bool Contiguous(const std::vector<long>& ids, long least) {
    for (size_t i = 0; i < ids.size(); ++i)
        if (ids[i] != static_cast<long>(i) + 1) return false;
    return static_cast<long>(ids.size()) >= least;
}

class ConcurrentReadsTest
    : public ::testing::TestWithParam<std::tuple<std::string, std::string>> {
protected:
    void SetUp() override {
        SKIP_UNLESS_RUNNABLE(std::get<0>(GetParam()));
        server = std::make_unique<CServerFixture>(std::get<0>(GetParam()));
        server->SetIni("common", "commit_type", std::get<1>(GetParam()));
        server->SetIni("common", "log_sql", "0");
        ASSERT_TRUE(server->Prepare());
        ASSERT_TRUE(server->RunSql("create table t_w(id integer primary key, v varchar(20));"));
        ASSERT_TRUE(server->Start()) << server->Output();
    }
    std::string Sql(const std::string& cmd, const std::string& sql) {
        return server->Command(cmd, "sql=" + CServerFixture::Encode(sql));
    }
    void Failure(const std::string& what) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_failures.size() < 10) m_failures.push_back(what);
    }
    // One reader's round of the three kinds of read; least is what the
    // writer had acknowledged before it began.
    void Read(int round) {
        const long least = acknowledged.load();
        std::vector<long> ids;
        switch (round % 3) {
        case 0: {
            const std::string reply = Sql("select2", "select count(*) as n, max(id) as m from t_w");
            long n = -1, m = -1;
            // "n|m\n<n>|<m>\n"; an empty table has no max.
            const bool ok = reply == "n|m\n0|\n"
                                ? least == 0
                                : sscanf(reply.c_str(), "n|m\n%ld|%ld", &n, &m) == 2 && n == m &&
                                      n >= least;
            if (!ok) Failure("count " + reply);
            break;
        }
        case 1: {
            const std::string reply = Sql("select2", "select id from t_w order by id");
            if (!ParseIds(reply, ids) || !Contiguous(ids, least)) Failure("list " + reply);
            break;
        }
        default: {
            const std::string slot = Sql("select_prepare", "select id from t_w order by id");
            if (slot.size() < 8 || slot[6] != '|') {
                Failure("prepare " + slot);
                break;
            }
            std::vector<long> all;
            for (;;) {
                const std::string next = server->Command("select_next", "id=" + slot + "&count=7");
                if (next == "-1|No Data") break;
                if (!ParseIds(next, ids) || ids.empty() || ids.size() > 7) {
                    Failure("next " + next);
                    break;
                }
                all.insert(all.end(), ids.begin(), ids.end());
            }
            if (!Contiguous(all, least)) Failure("paged rows " + std::to_string(all.size()));
            if (server->Command("select_finish", "id=" + slot) != "success") Failure("finish");
            break;
        }
        }
    }
    std::unique_ptr<CServerFixture> server;
    std::atomic<long> acknowledged{0};

private:
    std::mutex m_mutex;

public:
    std::vector<std::string> m_failures;
};

TEST_P(ConcurrentReadsTest, EightReadersBesideAWriter) {
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int i = 1; i <= kWrites; ++i) {
            const std::string reply = Sql("exec_sql", "insert into t_w values(" + std::to_string(i) +
                                                          ", 'v" + std::to_string(i) + "')");
            if (reply != "success") {
                Failure("write " + reply);
                break;
            }
            acknowledged = i;
        }
        writing = false;
    });
    std::vector<std::thread> readers;
    std::atomic<int> rounds{0};
    for (int r = 0; r < kReaders; ++r) {
        readers.emplace_back([&, r] {
            // Until the writer is done, and a last round of each kind after.
            for (int round = r; writing || round < r + 3; ++round) {
                Read(round);
                ++rounds;
            }
        });
    }
    writer.join();
    for (std::thread& t : readers) t.join();
    std::string failures;
    for (const std::string& f : m_failures) failures += f.substr(0, 300) + "\n";
    EXPECT_TRUE(m_failures.empty()) << failures;
    EXPECT_GE(rounds.load(), kReaders * 3);
    EXPECT_EQ(acknowledged.load(), kWrites);
    std::vector<long> ids;
    ASSERT_TRUE(ParseIds(Sql("select2", "select id from t_w order by id"), ids));
    EXPECT_TRUE(Contiguous(ids, kWrites) && ids.size() == static_cast<size_t>(kWrites));
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ConcurrentReadsTest,
    ::testing::Combine(AllPrograms(), ::testing::Values("1", "0")),
    [](const ::testing::TestParamInfo<ConcurrentReadsTest::ParamType>& info) {
        return std::get<0>(info.param) + "_commit" + std::get<1>(info.param);
    });

}  // namespace

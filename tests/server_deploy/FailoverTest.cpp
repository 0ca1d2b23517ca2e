// Two Lumeno over one PostgreSQL behind HAProxy with the shipped
// configuration. Clients from several loopback addresses and the client's
// own data client (from 127.0.0.1) log in, write and page through the
// 100 000 defects; the Lumeno of 127.0.0.1 is killed in the middle. Its
// clients carry on with the other one, and go back to it when it is started
// again; every acknowledged write is in the database once, and the
// client's paged list that was cut says so.
#include "AddressClient.h"
#include "CHttpDataClient.h"
#include "CResultGrid.h"
#include "CResultSet.h"
#include "ClientFixtures.h"
#include "DeployCluster.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace {

// Steps of write and page a client makes at most: the run ends by itself.
const int kMaxSteps = 3000;
// Writes and pages every client must have acknowledged in each phase.
const int kStepsPerPhase = 5;

// The phases of a run: both servers up, one killed, that one started again.
enum Phase { kBoth, kKilled, kBack, kPhases };

std::string WriteSql(const std::string& mark, int step) {
    return "insert into t_bug_status (BG_BUG_ID, BG_STATUS_DATE, BG_STATUS_FROM, BG_STATUS_TO,"
           " BG_RESPONSIBLE) values (" +
           std::to_string(1 + step * 331 % CDeployCluster::kDefects) +
           ", '2026-12-11 09:00:00', '00-New', '01-Open', '" + mark + "')";
}

std::string PageSql(int step) {
    const int after = step * 977 % (CDeployCluster::kDefects - 100);
    return CDeployCluster::ListSql(" and BG_BUG_ID > " + std::to_string(after) +
                                   " and BG_BUG_ID <= " + std::to_string(after + 100));
}

// Every row of the statement through a paged query, 1000 a batch, to each;
// false (with the last reply) unless it ended with "No Data".
bool PageThrough(CAddressClient& client, const std::string& sql,
                 const std::function<void(const CResultSet&)>& each, std::string& reply) {
    std::string slot;
    if (!client.Command("select_prepare", "sql=" + CServerFixture::Encode(sql), slot) ||
        slot.compare(0, 2, "-1") == 0) {
        reply = slot;
        return false;
    }
    bool ended = false;
    for (long batches = 0; batches <= CDeployCluster::kDefects / 1000 + 1; ++batches) {
        if (!client.Command("select_next", "id=" + slot + "&count=1000", reply)) break;
        ended = reply == std::string("-1") + CDeployCluster::kSep + "No Data";
        CResultSet batch;
        if (ended || batch.Parse(reply.c_str()) <= 0) break;
        each(batch);
    }
    std::string finish;
    client.Command("select_finish", "id=" + slot, finish);
    return ended;
}

// What one client did: its writes, acknowledged or not, and how its
// requests went in each phase.
struct CClientLog {
    std::string name;
    std::vector<std::string> acked, unacked;
    std::atomic<int> ackedIn[kPhases] = {}, pagesIn[kPhases] = {}, failedIn[kPhases] = {};
    std::vector<std::string> faults;  // replies that were neither right nor an error

    bool Served(Phase phase) const {
        return ackedIn[phase] >= kStepsPerPhase && pagesIn[phase] >= kStepsPerPhase;
    }
};

struct CRunFlags {
    std::atomic<int> phase{kBoth};
    std::atomic<bool> stop{false};
};

// Writes and 100-row pages in turn. write: true when acknowledged; page:
// the rows of the reply, -1 when the request failed.
void RunSteps(CClientLog& log, CRunFlags& flags, const std::function<bool(const std::string&)>& write,
              const std::function<long(const std::string&)>& page) {
    for (int step = 0; step < kMaxSteps && !flags.stop; ++step) {
        const int phase = flags.phase;
        const std::string mark = "w-" + log.name + "-" + std::to_string(step);
        if (write(WriteSql(mark, step))) {
            log.acked.push_back(mark);
            ++log.ackedIn[phase];
        } else {
            log.unacked.push_back(mark);
            ++log.failedIn[phase];
        }
        const long rows = page(PageSql(step));
        if (rows == 100) {
            ++log.pagesIn[phase];
        } else if (rows >= 0) {
            log.faults.push_back("a page of " + std::to_string(rows) + " rows");
        } else {
            ++log.failedIn[phase];
        }
    }
}

// An address client: first the whole list through a paged query, then the
// steps.
void RunAddressClient(CAddressClient& client, CClientLog& log, CRunFlags& flags) {
    if (!client.Login()) {
        log.faults.push_back("login failed");
        return;
    }
    std::string reply;
    long rows = 0;
    const bool ended = PageThrough(
        client, CDeployCluster::ListSql(),
        [&](const CResultSet& batch) { rows += batch.GetRowCount(); }, reply);
    if (!ended || rows != CDeployCluster::kDefects)
        log.faults.push_back("paged through " + std::to_string(rows) + " rows, then: " + reply);
    RunSteps(
        log, flags,
        [&](const std::string& sql) {
            return client.Command("exec_sql", "sql=" + CServerFixture::Encode(sql), reply) &&
                   reply == "success";
        },
        [&](const std::string& sql) -> long {
            if (!client.Command("select2", "maxcount=100&sql=" + CServerFixture::Encode(sql), reply))
                return -1;
            return reply.compare(0, 2, "-1") == 0 ? -1 : CDeployCluster::RowsOf(reply);
        });
}

// The client's data client: the same steps through its own calls.
void RunDataClient(CHttpDataClient& client, CClientLog& log, CRunFlags& flags) {
    CListString error;
    RunSteps(
        log, flags, [&](const std::string& sql) { return client.ExecSql(sql.c_str(), error); },
        [&](const std::string& sql) -> long {
            CResultSet result;
            return client.Select(sql.c_str(), result, error);
        });
}

// Waits until every log satisfies done, at most seconds.
bool WaitFor(const std::vector<std::unique_ptr<CClientLog>>& logs,
             const std::function<bool(const CClientLog&)>& done, int seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
        bool all = true;
        for (const auto& log : logs) all = all && done(*log);
        if (all) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace

TEST(FailoverTest, KilledServersClientsCarryOnWithTheOtherAndComeBack)
{
    ASSERT_EQ(CDeployCluster::Missing(), "");
    CDeployCluster cluster;
    std::string error;
    ASSERT_TRUE(cluster.Start(error)) << error;
    const int port = cluster.Proxy().Port();

    // The client from 127.0.0.1: its server is the one that dies.
    CModalAnswerer answerer;
    CAppContext ctx;
    CListString loginError;
    ASSERT_TRUE(ctx.m_http.Login("127.0.0.1", port, "admin", "admin", loginError))
        << loginError.StdString();
    const int victim = cluster.ServerOf(ctx.m_http.GetSessionId());
    ASSERT_GE(victim, 0);
    const int survivor = 1 - victim;
    // Clients of both servers from their own addresses.
    std::vector<std::string> addresses = cluster.AddressesOf(victim, 3);
    const std::vector<std::string> others = cluster.AddressesOf(survivor, 3);
    ASSERT_EQ(addresses.size(), 3u) << "HAProxy sends no other address to server " << victim;
    ASSERT_EQ(others.size(), 3u) << "HAProxy sends no other address to server " << survivor;
    addresses.insert(addresses.end(), others.begin(), others.end());

    CRunFlags flags;
    std::vector<std::unique_ptr<CClientLog>> logs;
    std::vector<std::unique_ptr<CAddressClient>> addressClients;
    std::vector<std::unique_ptr<CHttpDataClient>> dataClients;
    std::vector<std::thread> threads;
    for (size_t i = 0; i < addresses.size(); ++i) {
        logs.push_back(std::make_unique<CClientLog>());
        logs.back()->name = "a" + std::to_string(i);
        addressClients.push_back(std::make_unique<CAddressClient>(addresses[i], port));
    }
    for (int i = 0; i < 2; ++i) {
        logs.push_back(std::make_unique<CClientLog>());
        logs.back()->name = "d" + std::to_string(i);
        dataClients.push_back(std::make_unique<CHttpDataClient>());
        ASSERT_TRUE(dataClients.back()->Login("127.0.0.1", port, "admin", "admin", loginError))
            << loginError.StdString();
    }
    std::vector<std::string> dataSessions;
    for (auto& client : dataClients) dataSessions.push_back(client->GetSessionId());
    for (size_t i = 0; i < addressClients.size(); ++i)
        threads.emplace_back(RunAddressClient, std::ref(*addressClients[i]), std::ref(*logs[i]),
                             std::ref(flags));
    for (size_t i = 0; i < dataClients.size(); ++i)
        threads.emplace_back(RunDataClient, std::ref(*dataClients[i]),
                             std::ref(*logs[addressClients.size() + i]), std::ref(flags));
    const bool ready = WaitFor(logs, [](const CClientLog& log) { return log.Served(kBoth); }, 180);

    // The client's defect list of every defect: its first pages come at
    // once, the rest while the server dies.
    CResultGrid grid(ctx);
    grid.SetDataClient(&ctx.m_http);
    const int filled = grid.RunQuery(QString::fromStdString(CDeployCluster::ListSql()));
    const bool paging = grid.IsPaging();

    ASSERT_TRUE(cluster.Server(victim).Stop(SIGKILL));
    flags.phase = kKilled;
    grid.FinishPaging();
    const bool carriedOn = WaitFor(logs, [](const CClientLog& log) { return log.Served(kKilled); }, 60);

    // Started again, the server gets its clients back once HAProxy's health
    // check has seen it up.
    const bool restarted = cluster.Server(victim).Start();
    bool up = false;
    for (int i = 0; restarted && !up && i < 300; ++i) {
        CAddressClient probe(addresses[0], port);
        up = probe.Login() && cluster.ServerOf(probe.Session()) == victim;
        if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    flags.phase = kBack;
    const bool cameBack = up && WaitFor(logs, [](const CClientLog& log) { return log.Served(kBack); }, 60);
    flags.stop = true;
    for (auto& thread : threads) thread.join();
    EXPECT_TRUE(ready) << "the clients did not get going before the kill";
    EXPECT_TRUE(carriedOn) << "some clients did not carry on after the kill";
    EXPECT_TRUE(restarted) << cluster.Server(victim).Output();
    EXPECT_TRUE(up) << "HAProxy did not take the restarted server back";
    EXPECT_TRUE(cameBack) << "some clients were not served after the restart";

    // The cut list is reported as such, not shown short as if complete.
    EXPECT_EQ(filled, 1);
    EXPECT_TRUE(paging);
    EXPECT_TRUE(grid.IsIncomplete());
    EXPECT_LT(grid.RowCount(), CDeployCluster::kDefects);
    EXPECT_FALSE(grid.LastError().isEmpty());
    EXPECT_TRUE(answerer.m_texts.contains(grid.LastError())) << answerer.Joined().toStdString();
    // The data client itself logs in again and carries on.
    EXPECT_EQ(grid.RunQuery(QString::fromStdString(CDeployCluster::ListSql(" and BG_BUG_ID <= 250"))), 1);
    EXPECT_EQ(grid.RowCount(), 250);
    EXPECT_EQ(cluster.ServerOf(ctx.m_http.GetSessionId()), victim);

    for (size_t i = 0; i < logs.size(); ++i) {
        const CClientLog& log = *logs[i];
        SCOPED_TRACE(log.name + (i < addresses.size() ? " from " + addresses[i] : " (data client)"));
        EXPECT_TRUE(log.faults.empty()) << log.faults.front();
        // At most the request under way when the server died fails; its
        // return fails none.
        EXPECT_LE(log.failedIn[kBoth] + log.failedIn[kKilled], 1);
        EXPECT_EQ(log.failedIn[kBack], 0);
    }
    // The victim's clients went on with new sessions on the other server,
    // and with newer ones on their own server again; the others kept theirs.
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(addressClients[i]->Relogins(), 2) << addresses[i];
        EXPECT_EQ(cluster.ServerOf(addressClients[i]->Session()), victim) << addresses[i];
    }
    for (size_t i = 3; i < addresses.size(); ++i) {
        EXPECT_EQ(addressClients[i]->Relogins(), 0) << addresses[i];
        EXPECT_EQ(cluster.ServerOf(addressClients[i]->Session()), survivor) << addresses[i];
    }
    for (size_t i = 0; i < dataClients.size(); ++i) {
        EXPECT_NE(dataClients[i]->GetSessionId(), dataSessions[i]);
        EXPECT_EQ(cluster.ServerOf(dataClients[i]->GetSessionId()), victim);
    }

    // Every acknowledged write is in the database once; one that was not
    // acknowledged at most once.
    CAddressClient reader("127.0.0.1", cluster.Server(survivor).Port());
    ASSERT_TRUE(reader.Login());
    std::map<std::string, int> count;
    std::string reply;
    ASSERT_TRUE(PageThrough(
        reader, "select BG_RESPONSIBLE from t_bug_status where BG_RESPONSIBLE like 'w-%'",
        [&](const CResultSet& batch) {
            for (int r = 0; r < batch.GetRowCount(); ++r) ++count[batch.GetValueAt(r, 0).StdString()];
        },
        reply))
        << reply;
    size_t acked = 0, written = 0;
    for (const auto& log : logs) {
        for (const std::string& mark : log->acked) EXPECT_EQ(count[mark], 1) << mark;
        for (const std::string& mark : log->unacked) EXPECT_LE(count[mark], 1) << mark;
        acked += log->acked.size();
        written += log->acked.size() + log->unacked.size();
    }
    size_t total = 0;
    for (const auto& kv : count) total += kv.second;
    EXPECT_GE(total, acked);
    EXPECT_LE(total, written);

    // With no server left, HAProxy's own error page is a failure, not an
    // empty result.
    ASSERT_TRUE(cluster.Server(victim).Stop(SIGKILL));
    ASSERT_TRUE(cluster.Server(survivor).Stop(SIGKILL));
    CResultSet none;
    CListString selectError;
    EXPECT_EQ(ctx.m_http.Select("select BG_BUG_ID from t_bug where BG_BUG_ID = 1", none, selectError), -1);
    EXPECT_NE(selectError.StdString().find("503"), std::string::npos) << selectError.StdString();
}

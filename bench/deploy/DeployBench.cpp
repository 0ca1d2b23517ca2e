// The cost of the HAProxy hop: one Lumeno over PostgreSQL reached directly
// against two behind HAProxy with the shipped configuration, both over the
// same database of 100 000 defects on this machine. Clients from 8 loopback
// addresses (half of them sent to each server) open a new connection per
// request, as the real client does; select2 of one defect and of 100-row
// pages at 8 and 32 connections. Each load runs directly and through
// HAProxy one after the other within a round, and the median of the
// rounds' ratios counts. Target: through HAProxy at least 0.8 of direct at
// 8 connections. The two servers share this machine's cores, so the figure
// is the hop's cost, not the gain of a second machine. Exit code 1 when a
// target is missed or a run fails.
#include "AddressClient.h"
#include "DeployCluster.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const int kRounds = 5;
const double kSeconds = 1.0;
const int kAddresses = 8;

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The logged-in clients of one way in (direct or through HAProxy), one per
// address.
struct CWayIn {
    std::string name;
    std::vector<std::unique_ptr<CAddressClient>> clients;
};

struct CLoad {
    const char* name;
    int connections;
    // The command parameters of request i.
    std::function<std::string(long i)> params;
    long rows;
};

// Requests per second of the load through the way in; -1 when a request
// failed (printed).
double Rate(const CWayIn& way, const CLoad& load) {
    std::atomic<long> done{0}, failed{0};
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                           std::chrono::duration<double>(kSeconds));
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < load.connections; ++t) {
        threads.emplace_back([&, t] {
            CAddressClient& client = *way.clients[t % way.clients.size()];
            const std::string path = "/Lumeno/select2?";
            std::string reply;
            for (long i = t; std::chrono::steady_clock::now() < until; i += load.connections) {
                const bool ok =
                    client.Get(path + CServerFixture::Escape(load.params(i)) + "&session_id=" +
                                   client.Session(),
                               reply) &&
                    CDeployCluster::RowsOf(reply) == load.rows;
                if (ok) {
                    ++done;
                } else if (failed++ == 0) {
                    printf("%s, %s: %s\n", way.name.c_str(), load.name, reply.substr(0, 200).c_str());
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return failed ? -1 : done / took.count();
}

}  // namespace

int main() {
    curl_global_init(CURL_GLOBAL_ALL);
    const std::string missing = CDeployCluster::Missing();
    if (!missing.empty()) {
        printf("cannot run here: %s\n", missing.c_str());
        return 1;
    }
    int missed = 0;
    {
        CDeployCluster cluster;
        std::string error;
        if (!cluster.Start(error)) {
            printf("cannot start: %s\n", error.c_str());
            return 1;
        }
        std::vector<std::string> addresses = cluster.AddressesOf(0, kAddresses / 2);
        const std::vector<std::string> others = cluster.AddressesOf(1, kAddresses / 2);
        addresses.insert(addresses.end(), others.begin(), others.end());
        if (addresses.size() != static_cast<size_t>(kAddresses)) {
            printf("HAProxy does not spread %d addresses over both servers\n", kAddresses);
            return 1;
        }
        CWayIn ways[2];
        ways[0].name = "one Lumeno direct";
        ways[1].name = "two behind HAProxy";
        const int ports[2] = {cluster.Server(0).Port(), cluster.Proxy().Port()};
        for (int w = 0; w < 2; ++w) {
            for (const std::string& address : addresses) {
                ways[w].clients.push_back(std::make_unique<CAddressClient>(address, ports[w]));
                if (!ways[w].clients.back()->Login()) {
                    printf("%s: login from %s failed\n", ways[w].name.c_str(), address.c_str());
                    return 1;
                }
            }
        }
        const auto oneDefect = [](long i) {
            return "maxcount=300&sql=" +
                   CServerFixture::Encode("select * from t_bug where BG_BUG_ID=" +
                                          std::to_string(1 + (i * 7919) % CDeployCluster::kDefects) + " ");
        };
        const auto page = [](long i) {
            const long after = (i * 100) % (CDeployCluster::kDefects - 100);
            return "maxcount=100&sql=" +
                   CServerFixture::Encode(CDeployCluster::ListSql(" and BG_BUG_ID > " + std::to_string(after)));
        };
        const CLoad loads[] = {{"select2 one defect, 8 connections", 8, oneDefect, 1},
                               {"select2 100-row pages, 8 connections", 8, page, 100},
                               {"select2 one defect, 32 connections", 32, oneDefect, 1},
                               {"select2 100-row pages, 32 connections", 32, page, 100}};
        const int kLoadCount = sizeof loads / sizeof loads[0];
        printf("%d defects over PostgreSQL; a new connection per request from %d addresses; "
               "%d rounds of %.0f s\n",
               CDeployCluster::kDefects, kAddresses, kRounds, kSeconds);
        // Warms the servers' statements and the database's cache.
        for (const CLoad& load : loads)
            for (const CWayIn& way : ways) Rate(way, load);
        std::vector<double> ratios[kLoadCount], direct[kLoadCount], proxied[kLoadCount];
        bool failed = false;
        for (int round = 0; round < kRounds && !failed; ++round) {
            for (int l = 0; l < kLoadCount && !failed; ++l) {
                const double d = Rate(ways[0], loads[l]);
                const double p = Rate(ways[1], loads[l]);
                failed = d < 0 || p < 0;
                direct[l].push_back(d);
                proxied[l].push_back(p);
                ratios[l].push_back(p / d);
            }
        }
        if (failed) {
            ++missed;
        } else {
            for (int l = 0; l < kLoadCount; ++l) {
                const double ratio = Median(ratios[l]);
                char figure[160];
                snprintf(figure, sizeof figure, "%.0f/s through HAProxy / %.0f/s direct = %.2f",
                         Median(proxied[l]), Median(direct[l]), ratio);
                if (loads[l].connections == 8) {
                    const bool met = ratio >= 0.8;
                    printf("%-40s %s (>= 0.80): %s\n", loads[l].name, figure, met ? "met" : "NOT MET");
                    if (!met) ++missed;
                } else {
                    printf("%-40s %s (no target)\n", loads[l].name, figure);
                }
            }
        }
    }
    curl_global_cleanup();
    if (missed) printf("%d target(s) missed\n", missed);
    return missed ? 1 : 0;
}

// The data-service server under load from a client that opens a new
// connection per request, as the real client does, on a database of
// 100 000 defects in one project: lumenolite, Lumeno over the SQLite ODBC
// driver and Lumeno over PostgreSQL (psqlODBC), all started first and
// measured side by side in rounds against civetweb answering "ok":
//  - select2 of one defect by id: at least 60% of the "ok" rate
//    (lumenolite, Lumeno over SQLite);
//  - select2 of 300 list rows: at least 30% of the one-defect rate
//    (lumenolite, Lumeno over PostgreSQL; over the SQLite ODBC driver, which
//    copies every value twice, the ratio is printed without a target);
//  - select2 of 100-row pages from 8 connections: at least 4 times the
//    one-connection rate (lumenolite, Lumeno over SQLite), and at least
//    1150/s;
//  - over PostgreSQL, one defect and a 100-row page at least half of
//    lumenolite's rate;
//  - select_prepare/select_next through all defects, 1000 a batch: < 3 s,
//    and the resident size afterwards at most 10 MiB above the size before;
//  - resident size after 100 000 requests at most 10 MiB above the size
//    after 1000.
// Each ratio is taken within a round from loads run one after the other,
// and the median of the rounds counts, so the machine's noise hits the
// server and the reference alike. Arguments name the programs to run
// instead ("lumenolite", "Lumeno", "LumenoPg"). Exit code 1 when a target
// is missed or a run fails.
#include "BaselineServer.h"
#include "DefectDatabase.h"
#include "HttpLoad.h"
#include "ServerFixture.h"

#include <civetweb.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int kDefects = 100000;
const double kRateSeconds = 1.0;
const int kRateRounds = 5;
const int kClients = 8;
const char kSep = '\x01';
const char kLineSep = '\x02';
// md5("admin"): the seed's admin account with use_pass_encode=1.
const char kAdminDigest[] = "21232f297a57a5a743894a0e4a801fc3";

const char kListColumns[] =
    "BG_BUG_ID,BG_STATUS,BG_SUMMARY,BG_SEVERITY,BG_PRIORITY,BG_RESPONSIBLE,"
    "BG_DETECTED_BY,BG_DETECTION_DATE,BG_DETECTION_VERSION";

// The defect list's statement as the client builds it, with an extra
// condition before the ordering.
std::string ListSql(const std::string& extra = "") {
    return std::string("select ") + kListColumns + " from t_bug where prj_name='" + kBenchProject +
           "' and  1 = 1 and 1 = 1 and 1=1 and 1 = 1 and 1=1 and 1=1" + extra +
           " order by BG_BUG_ID ";
}

struct CTargets {
    int missed = 0;
    void Report(const std::string& program, const std::string& what, const std::string& figure,
                bool met) {
        printf("%-10s %-46s %s: %s\n", program.c_str(), what.c_str(), figure.c_str(),
               met ? "met" : "NOT MET");
        if (!met) ++missed;
        fflush(stdout);
    }
};

std::string Fixed(double value, int decimals) {
    char text[64];
    snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

long CountChar(const std::string& text, char c) {
    return static_cast<long>(std::count(text.begin(), text.end(), c));
}

// A result with the header line starting "BG_BUG_ID" and rows lines.
ReplyCheck TableOf(long rows) {
    return [rows](const std::string& body) {
        return (body.compare(0, 9, "BG_BUG_ID") == 0 || body.compare(0, 9, "bg_bug_id") == 0) &&
               CountChar(body, kLineSep) == rows + 1;
    };
}

long ResidentKiB(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, 6, "VmRSS:") == 0) return atol(line.c_str() + 6);
    }
    return -1;
}

// What one round measures, in requests per second.
enum Load { kOk, kOneDefect, kList300, kPage, kPage8, kVersion, kLoads };

// One program with its own database and server, logged in as admin.
class CServerBench {
public:
    CServerBench(const std::string& program, int baselinePort, CTargets& targets)
        : m_program(program), m_server(program), m_baselinePort(baselinePort),
          m_targets(targets) {}

    bool Setup();
    // One round of every load; false when a request failed.
    bool Round();
    double Rate(Load load) const { return Median(m_rates[load]); }
    // The median of the rounds' ratios of two loads.
    double Ratio(Load a, Load b) const;
    // Rounds' ratios of this program's load to another's.
    double RatioTo(const CServerBench& other, Load load) const;
    void ReportRates();
    void Paging();
    void Memory();
    void Profile(double seconds, const std::string& load);
    bool Stop();
    const std::string& Program() const { return m_program; }

private:
    std::string CommandUrl(const std::string& cmd, const std::string& params) const {
        return m_base + "/Lumeno/" + cmd + "?" + CServerFixture::Escape(params) +
               "&session_id=" + m_session;
    }
    std::string SelectUrl(const std::string& sql, int maxcount) const {
        return CommandUrl("select2",
                          "maxcount=" + std::to_string(maxcount) + "&sql=" +
                              CServerFixture::Encode(sql));
    }
    // Ids spread over the whole table (7919 is prime to the count).
    std::string OneDefectUrl(long i) const {
        const long id = 1 + (i * 7919) % kDefects;
        return SelectUrl("select * from t_bug where BG_BUG_ID=" + std::to_string(id) + " ", 300);
    }
    std::string PageUrl(long i) const {
        const long after = (i * 100) % (kDefects - 100);
        return SelectUrl(ListSql(" and BG_BUG_ID > " + std::to_string(after)), 100);
    }
    bool Failed(const char* what, const CLoadResult& r) {
        if (r.failures == 0 && r.requests > 0) return false;
        printf("%-10s %s: %ld of %ld requests failed; first: %s\n", m_program.c_str(), what,
               r.failures, r.failures + r.requests, r.firstFailure.c_str());
        ++m_targets.missed;
        return true;
    }

    std::string m_program;
    CServerFixture m_server;
    int m_baselinePort;
    CTargets& m_targets;
    std::string m_base;
    std::string m_session;
    std::vector<double> m_rates[kLoads];
};

bool CServerBench::Setup() {
    const bool postgres = m_program == "LumenoPg";
    m_server.SetCreateDatabase(postgres);
    // The settings make run gives the client's server.
    m_server.SetIni("common", "sep", "\\x01");
    m_server.SetIni("common", "line_sep", "\\x02");
    m_server.SetIni("common", "log_sql", "0");
    m_server.SetIni("common", "auth", "1");
    m_server.SetIni("common", "use_pass_encode", "1");
    m_server.SetIni("common", "one_fetch_count", "1000");
    m_server.SetIni("common", "query_timeout", "600");
    std::string error = "the server folder";
    const bool made = m_server.Prepare() &&
                      (postgres ? MakePgDefectDatabase(m_server, kDefects, error)
                                : MakeDefectDatabase(m_server.DatabasePath(), kDefects, error));
    if (!made) {
        printf("%-10s cannot prepare: %s\n", m_program.c_str(), error.c_str());
        return false;
    }
    if (!m_server.Start()) {
        printf("%-10s does not start: %s\n", m_program.c_str(), m_server.Output().c_str());
        return false;
    }
    m_base = "http://127.0.0.1:" + std::to_string(m_server.Port());
    std::string reply;
    FetchOnce(m_base + "/Lumeno/web_login?" +
                  CServerFixture::Escape(std::string("account=admin&password=") + kAdminDigest),
              reply);
    if (reply.empty() || reply.compare(0, 2, "-1") == 0 || reply.size() < 17) {
        printf("%-10s login failed: %s\n", m_program.c_str(), reply.c_str());
        return false;
    }
    m_session = reply;
    // Warms the page cache, the kept statements and the reader connections.
    const std::string listUrl = SelectUrl(ListSql(), 300);
    RunCount(1, 200, [&](int, long i) { return OneDefectUrl(i); }, TableOf(1));
    RunCount(1, 20, [&](int, long) { return listUrl; }, TableOf(300));
    RunCount(kClients, 400, [&](int, long i) { return PageUrl(i); }, TableOf(100));
    return true;
}

bool CServerBench::Round() {
    const std::string okUrl = "http://127.0.0.1:" + std::to_string(m_baselinePort) + "/Lumeno/ok";
    const std::string versionUrl = CommandUrl("version", "");
    const std::string listUrl = SelectUrl(ListSql(), 300);
    auto isOk = [](const std::string& body) { return body == "ok"; };
    auto isVersion = [](const std::string& body) { return body.compare(0, 8, "Lumeno O") == 0; };
    const CLoadResult r[kLoads] = {
        RunForTime(1, kRateSeconds, [&](int, long) { return okUrl; }, isOk),
        RunForTime(1, kRateSeconds, [&](int, long i) { return OneDefectUrl(i); }, TableOf(1)),
        RunForTime(1, kRateSeconds, [&](int, long) { return listUrl; }, TableOf(300)),
        RunForTime(1, kRateSeconds, [&](int, long i) { return PageUrl(i); }, TableOf(100)),
        RunForTime(kClients, kRateSeconds, [&](int, long i) { return PageUrl(i); }, TableOf(100)),
        RunForTime(1, kRateSeconds, [&](int, long) { return versionUrl; }, isVersion)};
    static const char* const names[kLoads] = {"civetweb ok", "select2 one defect",
                                              "select2 300 rows", "select2 100-row pages",
                                              "select2 100-row pages, 8 connections", "version"};
    for (int load = 0; load < kLoads; ++load) {
        if (Failed(names[load], r[load])) return false;
    }
    for (int load = 0; load < kLoads; ++load) m_rates[load].push_back(r[load].Rate());
    return true;
}

double CServerBench::Ratio(Load a, Load b) const {
    std::vector<double> ratios;
    for (size_t i = 0; i < m_rates[a].size() && i < m_rates[b].size(); ++i)
        ratios.push_back(m_rates[a][i] / m_rates[b][i]);
    return Median(ratios);
}

double CServerBench::RatioTo(const CServerBench& other, Load load) const {
    std::vector<double> ratios;
    for (size_t i = 0; i < m_rates[load].size() && i < other.m_rates[load].size(); ++i)
        ratios.push_back(m_rates[load][i] / other.m_rates[load][i]);
    return Median(ratios);
}

void CServerBench::ReportRates() {
    auto figure = [&](Load a, Load b) {
        return Fixed(Rate(a), 0) + "/s / " + Fixed(Rate(b), 0) + "/s = " + Fixed(Ratio(a, b), 2);
    };
    const bool postgres = m_program == "LumenoPg";
    printf("%-10s %-46s %s\n", m_program.c_str(), "version / civetweb \"ok\" (no target)",
           figure(kVersion, kOk).c_str());
    if (postgres) {
        printf("%-10s %-46s %s\n", m_program.c_str(), "select2 one defect / civetweb \"ok\" (no target)",
               figure(kOneDefect, kOk).c_str());
    } else {
        m_targets.Report(m_program, "select2 one defect / civetweb \"ok\"",
                         figure(kOneDefect, kOk) + " (>= 0.60)", Ratio(kOneDefect, kOk) >= 0.60);
    }
    if (m_program == "Lumeno") {
        printf("%-10s %-46s %s\n", m_program.c_str(), "select2 300 list rows / one defect (no target)",
               figure(kList300, kOneDefect).c_str());
    } else {
        m_targets.Report(m_program, "select2 300 list rows / one defect",
                         figure(kList300, kOneDefect) + " (>= 0.30)",
                         Ratio(kList300, kOneDefect) >= 0.30);
    }
    if (postgres) {
        printf("%-10s %-46s %s\n", m_program.c_str(), "100-row pages, 8 / 1 connections (no target)",
               figure(kPage8, kPage).c_str());
    } else {
        m_targets.Report(m_program, "100-row pages, 8 / 1 connections",
                         figure(kPage8, kPage) + " (>= 4.0)", Ratio(kPage8, kPage) >= 4.0);
        m_targets.Report(m_program, "select2 100-row pages, 8 connections",
                         Fixed(Rate(kPage8), 0) + "/s (>= 1150/s)", Rate(kPage8) >= 1150);
    }
}

void CServerBench::Paging() {
    const long before = ResidentKiB(m_server.Pid());
    const auto start = std::chrono::steady_clock::now();
    std::string slot;
    if (!FetchOnce(CommandUrl("select_prepare", "sql=" + CServerFixture::Encode(ListSql())), slot) ||
        slot.compare(0, 2, "-1") == 0 || slot.empty()) {
        printf("%-10s select_prepare failed: %s\n", m_program.c_str(), slot.c_str());
        ++m_targets.missed;
        return;
    }
    const std::string nextUrl = CommandUrl("select_next", "id=" + slot + "&count=1000");
    long rows = 0, batches = 0;
    std::string reply;
    for (;;) {
        if (!FetchOnce(nextUrl, reply)) break;
        if (reply.compare(0, 2, "-1") == 0) break;
        if (!TableOf(CountChar(reply, kLineSep) - 1)(reply)) break;
        rows += CountChar(reply, kLineSep) - 1;
        ++batches;
    }
    const bool ended = reply == std::string("-1") + kSep + "No Data";
    std::string finish;
    FetchOnce(CommandUrl("select_finish", "id=" + slot), finish);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!ended || rows != kDefects || finish != "success") {
        printf("%-10s paging read %ld rows in %ld batches; last reply: %s\n", m_program.c_str(),
               rows, batches, reply.substr(0, 200).c_str());
        ++m_targets.missed;
        return;
    }
    m_targets.Report(m_program, "paging 100000 defects, 1000 a batch",
                     Fixed(took.count(), 2) + " s in " + std::to_string(batches) +
                         " batches (< 3 s)",
                     took.count() < 3.0);
    // The batches' memory goes back once the paged query is finished.
    const long after = ResidentKiB(m_server.Pid());
    m_targets.Report(m_program, "VmRSS before / after paging",
                     std::to_string(before) + " KiB / " + std::to_string(after) + " KiB, " +
                         (after >= before ? "+" : "") + Fixed((after - before) / 1024.0, 1) +
                         " MiB (<= 10 MiB)",
                     before > 0 && after - before <= 10 * 1024);
}

void CServerBench::Memory() {
    // One defect, a list page, the settings: the commands a client repeats.
    const std::string configUrl = CommandUrl("get_config", "");
    UrlMaker mix = [&](int, long i) {
        switch (i % 3) {
        case 0: return OneDefectUrl(i);
        case 1: return PageUrl(i);
        default: return configUrl;
        }
    };
    ReplyCheck any = [](const std::string& body) {
        return !body.empty() && body.compare(0, 2, "-1") != 0 && body != "deny";
    };
    CLoadResult first = RunCount(kClients, 1000, mix, any);
    if (Failed("memory run", first)) return;
    const long after1000 = ResidentKiB(m_server.Pid());
    CLoadResult rest = RunCount(kClients, 99000, [&](int t, long i) { return mix(t, i + 1000); }, any);
    if (Failed("memory run", rest)) return;
    const long after100000 = ResidentKiB(m_server.Pid());
    const long growth = after100000 - after1000;
    m_targets.Report(m_program, "VmRSS after 1000 / 100000 requests",
                     std::to_string(after1000) + " KiB / " + std::to_string(after100000) +
                         " KiB, +" + Fixed(growth / 1024.0, 1) + " MiB (<= 10 MiB; " +
                         Fixed(rest.Rate(), 0) + " req/s mixed)",
                     after1000 > 0 && growth <= 10 * 1024);
}

void CServerBench::Profile(double seconds, const std::string& load) {
    printf("%-10s pid %d: %s load for %.0f s\n", m_program.c_str(), m_server.Pid(), load.c_str(),
           seconds);
    fflush(stdout);
    const std::string listUrl = SelectUrl(ListSql(), 300);
    CLoadResult r =
        load == "list" ? RunForTime(1, seconds, [&](int, long) { return listUrl; }, TableOf(300))
        : load == "page"
            ? RunForTime(1, seconds, [&](int, long i) { return PageUrl(i); }, TableOf(100))
            : RunForTime(1, seconds, [&](int, long i) { return OneDefectUrl(i); }, TableOf(1));
    printf("%-10s %.0f/s\n", m_program.c_str(), r.Rate());
}

bool CServerBench::Stop() {
    if (m_server.Stop() && m_server.ExitCode() == 0) return true;
    printf("%-10s did not stop cleanly (exit %d)\n", m_program.c_str(), m_server.ExitCode());
    ++m_targets.missed;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) programs.push_back(argv[i]);
    if (programs.empty()) programs = {"lumenolite", "Lumeno", "LumenoPg"};
    curl_global_init(CURL_GLOBAL_ALL);
    mg_init_library(0);
    CTargets targets;
    {
        CBaselineServer baseline;
        if (!baseline.Start(CServerFixture::FreePort())) {
            printf("baseline: %s\n", baseline.GetErrorText().c_str());
            return 1;
        }
        printf("%d defects; every request on a new connection; %d connections where said; "
               "civetweb %s \"ok\" on port %d\n",
               kDefects, kClients, mg_version(), baseline.Port());
        std::vector<std::unique_ptr<CServerBench>> benches;
        for (const std::string& program : programs) {
            const std::string file = program == "LumenoPg" ? "Lumeno" : program;
            const std::string missing = CServerFixture::Missing(program);
            if (access((CServerFixture::BinDir() + "/" + file).c_str(), X_OK) != 0 ||
                !missing.empty()) {
                printf("%-10s cannot run here, skipped %s\n", program.c_str(), missing.c_str());
                continue;
            }
            auto bench = std::make_unique<CServerBench>(program, baseline.Port(), targets);
            if (!bench->Setup()) {
                ++targets.missed;
                continue;
            }
            benches.push_back(std::move(bench));
        }
        // ZENTRY_BENCH_PROFILE=<seconds>: only one load of each program (the
        // one defect, or ZENTRY_BENCH_LOAD=list or page), for a profiler
        // attached to the printed process id.
        if (const char* profile = getenv("ZENTRY_BENCH_PROFILE")) {
            const char* load = getenv("ZENTRY_BENCH_LOAD");
            for (auto& bench : benches) bench->Profile(atof(profile), load ? load : "one");
        } else {
            // The programs take turns within each round.
            for (int round = 0; round < kRateRounds; ++round) {
                for (auto& bench : benches) {
                    if (!bench->Round()) break;
                }
            }
            const CServerBench* lite = nullptr;
            for (auto& bench : benches) {
                bench->ReportRates();
                if (bench->Program() == "lumenolite") lite = bench.get();
            }
            for (auto& bench : benches) {
                if (bench->Program() != "LumenoPg" || !lite) continue;
                targets.Report("LumenoPg", "select2 one defect / lumenolite's",
                               Fixed(bench->Rate(kOneDefect), 0) + "/s / " +
                                   Fixed(lite->Rate(kOneDefect), 0) + "/s = " +
                                   Fixed(bench->RatioTo(*lite, kOneDefect), 2) + " (>= 0.50)",
                               bench->RatioTo(*lite, kOneDefect) >= 0.50);
                targets.Report("LumenoPg", "select2 100-row page / lumenolite's",
                               Fixed(bench->Rate(kPage), 0) + "/s / " + Fixed(lite->Rate(kPage), 0) +
                                   "/s = " + Fixed(bench->RatioTo(*lite, kPage), 2) + " (>= 0.50)",
                               bench->RatioTo(*lite, kPage) >= 0.50);
            }
            for (auto& bench : benches) bench->Paging();
            for (auto& bench : benches) bench->Memory();
        }
        for (auto& bench : benches) bench->Stop();
    }
    mg_exit_library();
    curl_global_cleanup();
    if (targets.missed) printf("%d target(s) missed\n", targets.missed);
    return targets.missed ? 1 : 0;
}

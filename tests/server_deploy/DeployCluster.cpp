#include "DeployCluster.h"

#include "AddressClient.h"
#include "DefectDatabase.h"
#include "PgServerFixture.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

std::string CDeployCluster::Missing() {
    const std::string pg = PgServerFixture::Missing();
    return pg.empty() ? CHaproxyFixture::Missing() : pg;
}

CDeployCluster::CDeployCluster() {
    for (int i = 0; i < kServers; ++i) {
        auto server = std::make_unique<CServerFixture>("LumenoPg");
        // The settings a team gives the client's servers.
        server->SetIni("common", "sep", "\\x01");
        server->SetIni("common", "line_sep", "\\x02");
        server->SetIni("common", "log_sql", "0");
        server->SetIni("common", "auth", "1");
        server->SetIni("common", "use_pass_encode", "1");
        server->SetIni("common", "one_fetch_count", "1000");
        // More threads than HAProxy's maxconn per server.
        server->SetIni("common", "num_threads", "96");
        m_servers.push_back(std::move(server));
    }
}

bool CDeployCluster::Start(std::string& error) {
    CServerFixture& first = *m_servers[0];
    if (!first.Prepare() || !MakePgDefectDatabase(first, kDefects, error)) {
        if (error.empty()) error = "cannot prepare the database";
        return false;
    }
    std::vector<int> ports;
    for (auto& server : m_servers) {
        if (server != m_servers[0]) server->ShareDatabase(first);
        if (!server->Start()) {
            error = "Lumeno does not start: " + server->Output();
            return false;
        }
        ports.push_back(server->Port());
    }
    if (!m_proxy.Start(ports)) {
        error = m_proxy.Error();
        return false;
    }
    CAddressClient probe("127.0.0.1", m_proxy.Port());
    std::string reply;
    for (int i = 0; i < 200; ++i) {
        if (probe.Get("/Lumeno/version", reply)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    error = "no answer through HAProxy: " + reply + "\n" + m_proxy.Output();
    return false;
}

int CDeployCluster::ServerOf(const std::string& session) {
    const std::string params = "maxcount=1&sql=" + CServerFixture::Encode("select 1");
    for (int i = 0; i < kServers; ++i) {
        const std::string reply = m_servers[i]->Command("select2", params, session);
        if (reply != "deny" && reply.compare(0, 1, "<") != 0) return i;
    }
    return -1;
}

std::vector<std::string> CDeployCluster::AddressesOf(int server, int count, int first) {
    std::vector<std::string> found;
    for (int host = first; host < 250 && static_cast<int>(found.size()) < count; ++host) {
        CAddressClient client("127.0.0." + std::to_string(host), m_proxy.Port());
        if (client.Login() && ServerOf(client.Session()) == server) found.push_back(client.Address());
    }
    return found;
}

std::string CDeployCluster::ListSql(const std::string& extra) {
    return std::string(
               "select BG_BUG_ID,BG_STATUS,BG_SUMMARY,BG_SEVERITY,BG_PRIORITY,BG_RESPONSIBLE,"
               "BG_DETECTED_BY,BG_DETECTION_DATE,BG_DETECTION_VERSION from t_bug where prj_name='") +
           kBenchProject + "' and  1 = 1 and 1 = 1 and 1=1 and 1 = 1 and 1=1 and 1=1" + extra +
           " order by BG_BUG_ID ";
}

long CDeployCluster::RowsOf(const std::string& reply) {
    if (reply.compare(0, 9, "BG_BUG_ID") != 0 && reply.compare(0, 9, "bg_bug_id") != 0) return -1;
    return static_cast<long>(std::count(reply.begin(), reply.end(), kLineSep)) - 1;
}

// CDeployCluster: two Lumeno over one PostgreSQL database of 100 000 defects,
// behind HAProxy running the shipped configuration, all on loopback ports.
#pragma once

#include "HaproxyFixture.h"
#include "ServerFixture.h"

#include <memory>
#include <string>
#include <vector>

class CDeployCluster {
public:
    static constexpr int kDefects = 100000;
    static constexpr int kServers = 2;
    static constexpr char kSep = '\x01';
    static constexpr char kLineSep = '\x02';

    // Empty when PostgreSQL, psqlODBC and HAProxy are installed.
    static std::string Missing();
    CDeployCluster();
    // Loads the defects, starts the servers and HAProxy and waits until a
    // request through it is answered; false with error.
    bool Start(std::string& error);

    CServerFixture& Server(int i) { return *m_servers[i]; }
    CHaproxyFixture& Proxy() { return m_proxy; }
    // The server holding the session (asked directly), -1 when none does.
    int ServerOf(const std::string& session);
    // count loopback addresses from first on whose clients HAProxy sends
    // to server i (found by logging in from them).
    std::vector<std::string> AddressesOf(int server, int count, int first = 2);

    // The defect list's statement as the client builds it, with an extra
    // condition before the ordering.
    static std::string ListSql(const std::string& extra = "");
    // A reply of select2/select_next: a header line and the number of rows.
    static long RowsOf(const std::string& reply);

private:
    std::vector<std::unique_ptr<CServerFixture>> m_servers;
    CHaproxyFixture m_proxy;
};

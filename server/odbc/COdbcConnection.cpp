#include "COdbcConnection.h"

#include "CListString.h"

#include <cctype>

namespace {

const char kAlreadyConnected[] = "已经连接";

bool ValidTableName(const char* name) {
    if (!name || !*name) return false;
    for (const char* p = name; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (!isalnum(c) && c != '_' && c != '.') return false;
    }
    return true;
}

}  // namespace

COdbcConnection::COdbcConnection() = default;

// The sessions go before the watchdog their watches belong to.
COdbcConnection::~COdbcConnection() { DropSessions(); }

std::unique_ptr<CDbSession> COdbcConnection::MakeSession(bool main) {
    return std::make_unique<COdbcSession>(m_login, m_watchdog, main);
}

bool COdbcConnection::Connect(const char* user, const char* password, const char* server,
                              const char* extra) {
    SetConnectParams(user, password, server, extra);
    return Logon();
}

void COdbcConnection::SetConnectParams(const char* user, const char* password,
                                       const char* server, const char* extra) {
    // Sessions made with earlier texts go with them.
    DropSessions();
    m_login.user = user ? user : "";
    m_login.password = password ? password : "";
    m_login.server = server ? server : "";
    m_login.extra = extra ? extra : "";
}

bool COdbcConnection::Logon() {
    CLease lease = LeaseMain();
    auto& session = static_cast<COdbcSession&>(lease.Session());
    if (session.IsConnected()) {
        SetErrorText(kAlreadyConnected);
        return false;
    }
    std::string error;
    if (!session.Logon(GetOptions(), error)) {
        Fail(error, "");
        return false;
    }
    return true;
}

bool COdbcConnection::EnsureConnected() {
    CLease lease = LeaseMain();
    std::string error;
    return OpenLease(lease, GetOptions(), error);
}

bool COdbcConnection::Close() {
    CloseSessions();
    return true;
}

bool COdbcConnection::IsConnected() const {
    // Reading the main session's state needs its lock.
    CLease lease = const_cast<COdbcConnection*>(this)->LeaseMain();
    return static_cast<const COdbcSession&>(lease.Session()).IsConnected();
}

bool COdbcConnection::DescribeTable(const char* table, CListString& out) {
    std::string error;
    return DescribeTable(table, out, error);
}

bool COdbcConnection::DescribeTable(const char* table, CListString& out, std::string& error) {
    out = "";
    if (!ValidTableName(table)) {
        error = std::string("invalid table name: ") + (table ? table : "");
        SetErrorText(error);
        return false;
    }
    const CDbOptions options = GetOptions();
    CLease lease = LeaseForRead(options);
    std::string text;
    for (int attempt = 0;; ++attempt) {
        if (!OpenLease(lease, options, error)) return false;
        StartClock(lease);
        auto& session = static_cast<COdbcSession&>(lease.Session());
        if (session.DescribeTable(table, options, text, error)) break;
        if (attempt == 0 && session.ConnectionLost()) continue;
        Fail(error, std::string("select * from ") + table + " where 1=2 ");
        return false;
    }
    out = text.c_str();
    return true;
}

bool COdbcConnection::CheckSetup(std::string& problem) {
    CLease lease = LeaseMain();
    problem = static_cast<COdbcSession&>(lease.Session()).CheckSetup();
    return problem.empty();
}

// CSessionTable: the server's logged-in clients (at most a fixed number),
// with their lifetime, rights lookup and stored statement parameters. Safe
// to use from several threads: commands that run beside each other reach
// it outside the server mutex.
#pragma once

#include "CSession.h"

#include <mutex>
#include <string>
#include <vector>

class CSqlStatement;

class CSessionTable {
public:
    explicit CSessionTable(int limit = 1000) : m_limit(limit) {}

    bool Add(const std::string& user, const std::string& rights, std::string& sessionId,
             bool fullRights);
    int GetLimit() const { return m_limit; }
    int GetCount() const;
    bool Remove(const std::string& sessionId);
    bool RemoveExpired();
    // 2 full rights, 1 other rights, 0 no such session. A match counts as a
    // use: the session's lifetime starts again.
    int GetRights(const std::string& sessionId);
    bool ClearParams(const std::string& sessionId);
    bool AddParam(const std::string& sessionId, const std::string& name, int type,
                  const std::string& value);
    // Sets the statement's SQL and adds the session's parameters; false when
    // there is no such session.
    bool BuildStatement(const char* sql, const std::string& sessionId, CSqlStatement& statement);

    void SetLifetime(int seconds);
    int GetLifetime() const;

private:
    CSession* FindExact(const std::string& sessionId);

    mutable std::mutex m_mutex;
    int m_limit;
    int m_lifetime = 1800;
    std::vector<CSession> m_sessions;
};

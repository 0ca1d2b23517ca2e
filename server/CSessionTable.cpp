#include "CSessionTable.h"

#include "CSqlStatement.h"
#include "MakeRandomToken.h"

#include <strings.h>

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

}  // namespace

int CSessionTable::GetCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_sessions.size());
}

void CSessionTable::SetLifetime(int seconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lifetime = seconds;
}

int CSessionTable::GetLifetime() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lifetime;
}

bool CSessionTable::Add(const std::string& user, const std::string& rights,
                        std::string& sessionId, bool fullRights) {
    const time_t now = time(nullptr);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (static_cast<int>(m_sessions.size()) >= m_limit) return false;
    CSession session;
    session.sessionId = MakeRandomToken(16);
    session.lastUse = now;
    session.rights = rights;
    session.user = user;
    session.active = true;
    session.fullRights = fullRights;
    sessionId = session.sessionId;
    m_sessions.push_back(std::move(session));
    return true;
}

bool CSessionTable::Remove(const std::string& sessionId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (size_t i = m_sessions.size(); i-- > 0;) {
        if (EqualNoCase(m_sessions[i].sessionId, sessionId)) m_sessions.erase(m_sessions.begin() + i);
    }
    return true;
}

bool CSessionTable::RemoveExpired() {
    std::lock_guard<std::mutex> lock(m_mutex);
    const time_t now = time(nullptr);
    for (size_t i = m_sessions.size(); i-- > 0;) {
        if (m_sessions[i].IsExpired(now, m_lifetime)) m_sessions.erase(m_sessions.begin() + i);
    }
    return true;
}

int CSessionTable::GetRights(const std::string& sessionId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (CSession& s : m_sessions) {
        if (EqualNoCase(s.sessionId, sessionId)) {
            s.lastUse = time(nullptr);
            return s.fullRights ? 2 : 1;
        }
    }
    return 0;
}

CSession* CSessionTable::FindExact(const std::string& sessionId) {
    for (CSession& s : m_sessions) {
        if (s.sessionId == sessionId) return &s;
    }
    return nullptr;
}

bool CSessionTable::ClearParams(const std::string& sessionId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    CSession* s = FindExact(sessionId);
    if (!s) return false;
    s->params.clear();
    return true;
}

bool CSessionTable::AddParam(const std::string& sessionId, const std::string& name, int type,
                             const std::string& value) {
    std::lock_guard<std::mutex> lock(m_mutex);
    CSession* s = FindExact(sessionId);
    if (!s) return false;
    return s->SetParam(name, type, value);
}

bool CSessionTable::BuildStatement(const char* sql, const std::string& sessionId,
                                   CSqlStatement& statement) {
    statement.SetSql(sql);
    std::lock_guard<std::mutex> lock(m_mutex);
    CSession* s = FindExact(sessionId);
    if (!s) return false;
    // Bound by name: ":clDesc<varchar_long>" takes the value stored as clDesc.
    for (const CSessionParam& p : s->params) {
        statement.AddParam(p.type, p.value.c_str(), p.name.c_str());
    }
    return true;
}

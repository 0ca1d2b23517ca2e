// CSession: one logged-in client: its SessionId, account, rights and the
// typed parameters that exec_sql_prepare stored for a later exec_sql_go.
#pragma once

#include <ctime>
#include <string>
#include <vector>

struct CSessionParam {
    std::string name;  // whole name, such as clDesc
    std::string value;
    int type = 0;      // 0 in, 2 st, 3 dt, 4 fl, 5 cl
};

class CSession {
public:
    // Appends the value to a parameter of the same name, else adds one.
    bool SetParam(const std::string& name, int type, const std::string& value);
    bool IsExpired(time_t now, int lifetime) const;

    std::string sessionId;
    time_t lastUse = 0;  // login, then every checked use
    std::string rights = "guest";
    std::string user;
    bool active = true;
    bool fullRights = false;
    std::vector<CSessionParam> params;
};

// web_login, web_logout and session_count: accounts and sessions.
#include "CommandHandlers.h"

#include "CListString.h"
#include "CResultSet.h"
#include "CSqlStatement.h"
#include "LogMask.h"
#include "LogWriter.h"

#include <cstdio>

// True when the account may log in; a failed query leaves its text in error.
bool CheckAccount(CServerState& state, const std::string& account, const std::string& password,
                  std::string& error) {
    if (state.config.auth != 1) return true;
    // Account and password are bound, never pasted into the text: no quote
    // or backslash in them can change the statement, whatever the database
    // makes of escapes in literals.
    CSqlStatement statement(
        "select user_name,user_passwd from t_cfg_st_user where user_name=:stAccount<char[256]>"
        " and user_passwd=:stPassword<char[256]> ");
    statement.AddParam(SQL_PARAM_STRING, account.c_str(), "stAccount");
    statement.AddParam(SQL_PARAM_STRING, password.c_str(), "stPassword");
    CResultSet result(state.config.sep.c_str(), state.config.lineSep.c_str());
    CListString queryError;
    const int rows = state.db.Query(statement, result, queryError, 1);
    if (rows < 0) {
        error = queryError.StdString();
        if (error.empty()) error = "login query failed";
        return false;
    }
    return rows >= 1;
}

bool DoLogin(CServerState& state, const std::string& account, const std::string& password,
             std::string& result) {
    result.clear();
    std::string error;
    if (CheckAccount(state, account, password, error)) {
        std::string sessionId;
        if (state.sessions.Add(account, "admin", sessionId, true)) {
            result = sessionId;
        } else {
            char text[200];
            snprintf(text, sizeof text,
                     "Add a new session failure,Conversation may be more than the system "
                     "limit,Current %d--Max %d",
                     state.sessions.GetCount(), state.sessions.GetLimit());
            result = ErrorReply(state, text);
        }
        return true;
    }
    result = ErrorReply(state, error.empty() ? " Authentication fails, username or password error"
                                             : error);
    return false;
}

void HandleWebLogin(CServerState& state, CCommandRequest& request) {
    const std::string account = request.Get("account");
    const std::string password = request.Get("password");
    // The password never goes to the log.
    if (state.config.logSql == 1)
        LogMessage("account=%s,password=%s\n", ClientTextForLog(account).c_str(), kMaskedValue);
    std::string result;
    DoLogin(state, account, password, result);
    request.Write(result.empty() ? std::string("success") : result);
}

void HandleWebLogout(CServerState& state, CCommandRequest& request) {
    const std::string id = request.Get("id");
    // A session id is a credential until the session is gone.
    if (state.config.logSql == 1) LogMessage("id=%s\n", kMaskedValue);
    state.sessions.Remove(id);
    request.Write("success");
}

void HandleSessionCount(CServerState& state, CCommandRequest& request) {
    request.Write("   " + std::to_string(state.sessions.GetCount()) + "   ");
}

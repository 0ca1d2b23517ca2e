// exec_sql, exec_sql_prepare and exec_sql_go.
#include "CommandHandlers.h"

#include "CListString.h"
#include "CSqlStatement.h"
#include "LogMask.h"
#include "LogWriter.h"

#include <cstdlib>

namespace {

enum StoreResult { kStored, kBadType, kBadCoding, kValueHoldsNul };

// One exec_sql_prepare parameter, typed by the first two letters of its name.
StoreResult StoreParam(CServerState& state, const std::string& sessionId, const std::string& name,
                       const std::string& value) {
    const std::string prefix = name.substr(0, 2);
    int type;
    std::string stored = value;
    if (prefix == "dt") {
        type = 3;
    } else if (prefix == "st" || prefix == "cl") {
        type = prefix == "st" ? 2 : 5;
        const DecodeResult result = DecodeCoded(value, stored);
        if (result != kDecoded) return result == kHoldsNul ? kValueHoldsNul : kBadCoding;
    } else if (prefix == "in") {
        type = 0;
    } else if (prefix == "fl") {
        type = 4;
    } else {
        return kBadType;
    }
    state.sessions.AddParam(sessionId, name, type, stored);
    return kStored;
}

}  // namespace

void HandleExecSql(CServerState& state, CCommandRequest& request) {
    std::string sql;
    if (!ReadSql(state, request, sql)) return;
    if (state.config.logSql == 1) {
        const std::string shown = SqlForLog(sql);
        LogMessage("sql=%s\n", shown.c_str());
        LogMessage("execSQL sql=%s\n", shown.c_str());
    }
    CListString error;
    if (state.db.Execute(sql.c_str(), error)) {
        request.Write("success");
    } else {
        request.Write(ErrorReply(state, error.CStr()));
    }
}

void HandleExecSqlPrepare(CServerState& state, CCommandRequest& request) {
    const std::string sessionId = request.Get("session_id");
    if (atoi(request.Get("index", "1").c_str()) == 0) state.sessions.ClearParams(sessionId);
    bool any = false;
    for (int n = 1; n <= 9; ++n) {
        const std::string name = request.Get(("param" + std::to_string(n)).c_str());
        if (name.empty()) continue;
        any = true;
        const std::string value = request.Get(("value" + std::to_string(n)).c_str());
        // The session id is a live credential, and the statement that binds
        // the value (maybe to a password column) is not known yet.
        if (state.config.logSql == 1) {
            LogMessage("id=%s\nparam=%s\nvalue=%s\n", kMaskedValue, ClientTextForLog(name).c_str(),
                       kMaskedValue);
        }
        switch (StoreParam(state, sessionId, name, value)) {
        case kStored:
            break;
        case kBadType:
            request.Write(ErrorReply(state,
                                     " Invalid datatype:the beginning of the two bytes is dt mean "
                                     "datatime,st mean string,in mean number,fl mean float"));
            return;
        case kBadCoding:
            request.Write(ErrorReply(state, "Invalid coded value of " + name));
            return;
        case kValueHoldsNul:
            request.Write(ErrorReply(state, "the value of " + name + " holds a NUL character"));
            return;
        }
    }
    request.Write(any ? std::string("success") : ErrorReply(state, "Please specify the parameters"));
}

void HandleExecSqlGo(CServerState& state, CCommandRequest& request) {
    std::string sql;
    if (!ReadSql(state, request, sql)) return;
    CSqlStatement statement;
    state.sessions.BuildStatement(sql.c_str(), request.Get("session_id"), statement);
    if (state.config.logSql == 1) {
        LogMessage("sql=%s\n", SqlForLog(sql).c_str());
        LogMessage("execSQL sql=%s\n", SqlForLog(statement.GetRewrittenSql()).c_str());
    }
    if (state.db.ExecuteWithParams(statement)) {
        request.Write("success");
    } else {
        request.Write(ErrorReply(state, statement.GetErrorText()));
    }
}

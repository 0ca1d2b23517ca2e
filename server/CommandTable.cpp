#include "CommandHandlers.h"

namespace {

enum Check { kNever, kSession, kFullRights };

struct CommandDef {
    const char* name;
    CommandHandler handler;
    Check check;
};

// get_user_config serves passwords and send_mymessage writes to the server's
// disk, so both ask for a session when auth is on.
const CommandDef kCommands[] = {
    {"version", HandleVersion, kNever},
    {"exec_command", HandleExecCommand, kSession},
    {"select2", HandleSelect2, kSession},
    {"select", HandleSelect, kSession},
    {"desc", HandleDesc, kNever},
    {"select_prepare", HandleSelectPrepare, kSession},
    {"select_next", HandleSelectNext, kSession},
    {"select_finish", HandleSelectFinish, kSession},
    {"exec_sql", HandleExecSql, kFullRights},
    {"exec_sql_prepare", HandleExecSqlPrepare, kSession},
    {"exec_sql_go", HandleExecSqlGo, kFullRights},
    {"web_login", HandleWebLogin, kNever},
    {"web_logout", HandleWebLogout, kNever},
    {"set_time", HandleSetTime, kSession},
    {"get_time", HandleGetTime, kSession},
    {"exec_user_func", HandleExecUserFunc, kSession},
    {"reload_user_func", HandleReloadUserFunc, kSession},
    {"unload_user_func", HandleUnloadUserFunc, kSession},
    {"get_config", HandleGetConfig, kNever},
    {"get_user_config", HandleGetUserConfig, kSession},
    {"session_count", HandleSessionCount, kNever},
    {"send_mymessage", HandleSendMyMessage, kSession},
};

}  // namespace

const std::vector<std::string>& CommandNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const CommandDef& c : kCommands) v.push_back(c.name);
        return v;
    }();
    return names;
}

bool DispatchCommand(CServerState& state, const std::string& name, CCommandRequest& request) {
    for (const CommandDef& c : kCommands) {
        if (name != c.name) continue;
        if (request.HasNul()) {
            request.Write(ErrorReply(state, "a request value holds a NUL character"));
            return true;
        }
        if (state.config.auth == 1 && c.check != kNever) {
            int rights = state.sessions.GetRights(request.Get("session_id"));
            if (rights == 0 || (c.check == kFullRights && rights != 2)) {
                request.Write("deny");
                return true;
            }
        }
        c.handler(state, request);
        return true;
    }
    return false;
}

std::string ErrorReply(const CServerState& state, const std::string& message) {
    return "-1" + state.config.sep + message;
}

int ClampRowCount(int rows) {
    return rows < 300 ? rows : 300;
}

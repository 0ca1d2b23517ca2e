#include "CommandHandlers.h"

namespace {

enum Check { kNever, kSession, kFullRights };
// Queries and statements: unless the commit type is 0 they leave the
// command lock to the database object once the session is checked.
enum Kind { kOther, kDatabase };

struct CommandDef {
    const char* name;
    CommandHandler handler;
    Check check;
    Kind kind = kOther;
};

// get_user_config serves passwords and send_mymessage writes to the server's
// disk, so both ask for a session when auth is on.
const CommandDef kCommands[] = {
    {"version", HandleVersion, kNever},
    {"exec_command", HandleExecCommand, kSession},
    {"select2", HandleSelect2, kSession, kDatabase},
    {"select", HandleSelect, kSession, kDatabase},
    {"desc", HandleDesc, kNever, kDatabase},
    {"select_prepare", HandleSelectPrepare, kSession, kDatabase},
    {"select_next", HandleSelectNext, kSession, kDatabase},
    {"select_finish", HandleSelectFinish, kSession, kDatabase},
    {"exec_sql", HandleExecSql, kFullRights, kDatabase},
    {"exec_sql_prepare", HandleExecSqlPrepare, kSession},
    {"exec_sql_go", HandleExecSqlGo, kFullRights, kDatabase},
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
        // Taken by every command, a query too: a paused server (SIGUSR1
        // holds the lock) serves nothing.
        std::unique_lock<std::mutex> lock(state.mutex);
        if (state.config.auth == 1 && c.check != kNever) {
            int rights = state.sessions.GetRights(request.Get("session_id"));
            if (rights == 0 || (c.check == kFullRights && rights != 2)) {
                request.Write("deny");
                return true;
            }
        }
        // These touch only the settings, the log, the session table and the
        // database object, which runs queries beside each other on reader
        // connections and statements in their order on its main one: a slow
        // one holds up no other client.
        if (c.kind == kDatabase && state.DatabaseBesideCommands()) lock.unlock();
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

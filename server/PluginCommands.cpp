// exec_user_func, reload_user_func and unload_user_func.
#include "CommandHandlers.h"

#include "LogMask.h"
#include "LogWriter.h"

#include <cstring>
#include <vector>

bool LoadConfiguredPlugin(CServerState& state) {
    const std::string path = state.config.programDir + "/plugin/" + state.config.userPlugin;
    return state.plugins.Load(path);
}

void HandleExecUserFunc(CServerState& state, CCommandRequest& request) {
    const std::string cmd = request.Get("cmd");
    const std::string param = request.Get("param");
    if (state.config.logSql == 1)
        LogMessage("cmd=%s,param=%s\n", ClientTextForLog(cmd).c_str(), ClientTextForLog(param).c_str());
    if (state.plugins.GetCount() == 0) {
        request.Write(ErrorReply(state, "Do not load the success of any effective service"));
        return;
    }
    // One byte beyond what the command may fill keeps the text terminated.
    std::vector<char> output(CPluginManager::kOutputSize + 1, 0);
    if (state.plugins.Call(cmd, param.c_str(), output.data()) == -1) {
        bool known = false;
        for (int i = 0; i < state.plugins.GetCount(); ++i) known = known || state.plugins.GetName(i) == cmd;
        if (!known) {
            request.Write(ErrorReply(state, "unsupport cmd,Or plug-in failed to initialize"));
            return;
        }
    }
    output[CPluginManager::kOutputSize] = 0;
    if (output[0] == 0) {
        request.Write("There is no data to return");
    } else {
        request.Write(output.data());
    }
}

void HandleReloadUserFunc(CServerState& state, CCommandRequest& request) {
    state.plugins.Unload();
    if (!LoadConfiguredPlugin(state)) {
        request.Write(ErrorReply(state, "Failure to load plug-ins"));
        return;
    }
    request.Write("success");
}

void HandleUnloadUserFunc(CServerState& state, CCommandRequest& request) {
    state.plugins.Unload();
    request.Write("success");
}

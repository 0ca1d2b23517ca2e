// version, get_config, get_user_config, session-less files and the
// server's clock and command processor.
#include "CommandHandlers.h"

#include "CListString.h"
#include "Helpers.h"
#include "LogMask.h"
#include "LogWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <strings.h>
#include <vector>

namespace {

const size_t kMaxMessage = 64 * 1024;

struct PipeCloser {
    void operator()(FILE* f) const { pclose(f); }
};

// The output of the command line; false when it cannot be started.
bool RunCommand(const std::string& command, std::string& output) {
    std::unique_ptr<FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
    if (!pipe) return false;
    char buffer[128];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) output.append(buffer, got);
    return true;
}

// Sets the local time from "YYYY-MM-DD hh:mm:ss"; false without the
// privilege or for a text that does not hold a time.
bool SetServerTime(const std::string& text) {
    if (text.size() < 19) return false;
    struct tm t;
    memset(&t, 0, sizeof t);
    if (sscanf(text.c_str(), "%04d-%02d-%02d %02d:%02d:%02d", &t.tm_year, &t.tm_mon, &t.tm_mday,
               &t.tm_hour, &t.tm_min, &t.tm_sec) != 6) {
        return false;
    }
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    t.tm_isdst = -1;
    time_t when = mktime(&t);
    if (when == static_cast<time_t>(-1)) return false;
    struct timespec ts = {when, 0};
    if (clock_settime(CLOCK_REALTIME, &ts) == 0) return true;
    LogMessage("set_time failed: %s\n", strerror(errno));
    return false;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

}  // namespace

void HandleVersion(CServerState&, CCommandRequest& request) {
    request.Write("Lumeno Official Version v2.01");
}

void HandleExecCommand(CServerState& state, CCommandRequest& request) {
    if (state.config.enableExecCommand != 1) {
        request.Write(ErrorReply(state, "exec_command is disabled"));
        return;
    }
    std::string output;
    if (!RunCommand(request.Get("cmd"), output)) {
        request.Write("-1");
        return;
    }
    request.Write(output.empty() ? std::string("There is no return to the results") : output);
}

// Any session may ask, so the host's clock is left alone unless the
// administrator enabled the command.
void HandleSetTime(CServerState& state, CCommandRequest& request) {
    const std::string time = request.Get("time");
    if (state.config.logSql == 1) LogMessage("time=%s\n", ClientTextForLog(time).c_str());
    if (state.config.enableSetTime != 1) {
        LogMessage("set_time is disabled (enable_set_time=1 enables it)\n");
    } else if (SetServerTime(time)) {
        request.Write("success");
        return;
    }
    request.Write("-1^Failure of the setup time");
}

void HandleGetTime(CServerState&, CCommandRequest& request) {
    request.Write(NowText().StdString());
}

void HandleGetConfig(CServerState& state, CCommandRequest& request) {
    const CServerConfig& c = state.config;
    request.Write("use_pass_encode=" + std::to_string(c.usePassEncode) +
                  "!web_form_root=" + c.webFormRoot + "!auth=" + std::to_string(c.auth) +
                  "!commit_type=" + std::to_string(c.commitType) +
                  "!date_format=" + std::to_string(c.dateFormat) +
                  "!max_count=" + std::to_string(c.maxCount) +
                  "!one_fetch_count=" + std::to_string(c.oneFetchCount) + "!sep=" + c.sep +
                  "!line_sep=" + c.lineSep + "!query_timeout=" + std::to_string(c.queryTimeout));
}

// UserConfigReply: every setting line of user_config.ini joined by "!", or
// the bare value of the requested key.
void HandleGetUserConfig(CServerState& state, CCommandRequest& request) {
    const std::string path = state.config.programDir + "/user_config.ini";
    FilePtr file(fopen(path.c_str(), "rb"));
    if (!file) {
        request.Write(ErrorReply(state, " Profile user_config.ini Does not exist"));
        return;
    }
    const std::string key = request.Get("key");
    std::string result;
    // Lines of at most 1024 characters: a longer one goes on as the next.
    std::vector<char> buffer(1025);
    while (ReadLine(file.get(), buffer.data(), 1024) >= 0) {
        const std::string line = StripChar(buffer.data(), ' ');
        if (line.empty() || line[0] == '#') continue;
        result += line;
        const size_t eq = line.find('=');
        if (eq != std::string::npos && EqualNoCase(line.substr(0, eq), key)) {
            const size_t next = line.find('=', eq + 1);
            result = line.substr(eq + 1, next == std::string::npos ? std::string::npos
                                                                   : next - eq - 1);
            request.Write(result);
            return;
        }
        result += '!';
    }
    while (!result.empty() && result.back() == '!') result.pop_back();
    request.Write(result);
}

void HandleSendMyMessage(CServerState& state, CCommandRequest& request) {
    const std::string msg = request.Get("msg", "1");
    if (msg.size() > kMaxMessage) {
        request.Write(ErrorReply(state, "message too long, at most 65536 bytes"));
        return;
    }
    if (!state.messageFile) {
        const std::string path = state.config.programDir + "/remote_info.txt";
        state.messageFile.reset(OpenAppendPrivate(path.c_str()));
    }
    if (!state.messageFile) {
        request.Write(ErrorReply(state, "write fail, open file fail   "));
        return;
    }
    const bool written = fwrite(msg.data(), 1, msg.size(), state.messageFile.get()) == msg.size();
    if (fflush(state.messageFile.get()) != 0 || !written) {
        state.messageFile.reset();  // opened again by the next message
        request.Write(ErrorReply(state, "write fail, open file fail   "));
        return;
    }
    request.Write("success");
}

#include "LogWriter.h"

#include "CListString.h"
#include "Helpers.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <cstdio>
#include <mutex>

namespace {

// The program's one log state.
struct LogState {
    std::mutex mutex;
    CListString fileName;
    int level = LOG_LEVEL_FILE_AND_STDOUT;
    FilePtr stream;
    bool copyToStderr = false;
    bool openFailureTold = false;
};

LogState& State() {
    static LogState state;
    return state;
}

}  // namespace

int LogMessage(const char* format, ...) {
    LogState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.level == LOG_LEVEL_OFF || !format) return 0;

    CListString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);

    if (state.fileName.IsEmpty()) {
        state.fileName.Format("%s/%s.log", GetModulePathPart(0).CStr(),
                              GetModulePathPart(3).CStr());
    }
    if (state.level == LOG_LEVEL_FILE || state.level == LOG_LEVEL_FILE_AND_STDOUT) {
        // A failed open is tried again at the next call.
        if (!state.stream) {
            state.stream.reset(OpenAppendPrivate(state.fileName.CStr()));
            if (!state.stream && state.copyToStderr && !state.openFailureTold) {
                fprintf(stderr, "cannot write the log file %s: %s\n", state.fileName.CStr(),
                        strerror(errno));
                state.openFailureTold = true;
            }
        }
        if (state.stream) {
            fwrite(text.CStr(), 1, text.GetLength(), state.stream.get());
            fflush(state.stream.get());
        }
    }
    if (state.level == LOG_LEVEL_STDOUT || state.level == LOG_LEVEL_FILE_AND_STDOUT) {
        fwrite(text.CStr(), 1, text.GetLength(), stdout);
        fflush(stdout);
    }
    if (state.copyToStderr) {
        fwrite(text.CStr(), 1, text.GetLength(), stderr);
        fflush(stderr);
    }
    return text.GetLength();
}

void SetLogLevel(int level) {
    LogState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.level = level;
}

int GetLogLevel() {
    LogState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.level;
}

void SetLogFileName(const char* path) {
    LogState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.stream.reset();
    state.fileName.SetText(path);
}

void SetLogCopyToStderr(bool copy) {
    LogState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.copyToStderr = copy;
    state.openFailureTold = false;
}

CListString GetLogFileName() {
    LogState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.fileName;
}

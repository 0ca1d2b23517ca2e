#include "Util.h"

#include "Helpers.h"
#include "LogWriter.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

std::string Util::GetExePath(int kind) const {
    return GetModulePathPart(kind).StdString();
}

bool Util::Run(const char* path) const {
    if (!path || !*path) return false;
    // A short-lived shell starts the opener in the background and exits, so
    // it can be reaped here at once and no child is left behind.
    const char* argv[] = {"sh", "-c", "xdg-open \"$1\" >/dev/null 2>&1 &", "sh", path, nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        LogMessage("cannot start xdg-open for %s\n", path);
        return false;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return true;
}

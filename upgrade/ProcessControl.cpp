#include "ProcessControl.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool IsRunning(pid_t pid) {
    if (kill(pid, 0) != 0 && errno == ESRCH) return false;
    // A zombie has ended; only its parent's wait is missing.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return kill(pid, 0) == 0 || errno != ESRCH;
    const size_t close = text.rfind(')');
    if (close != std::string::npos && close + 2 < text.size()) return text[close + 2] != 'Z';
    return true;
}

}  // namespace

bool WaitForProcessEnd(pid_t pid, int timeoutMs) {
    for (int waited = 0;; waited += 50) {
        if (!IsRunning(pid)) return true;
        if (waited >= timeoutMs) return false;
        usleep(50 * 1000);
    }
}

bool StartDetached(const std::string& path, const std::vector<std::string>& args,
                   const std::string& workDir, std::string& error) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    // The grandchild reports a failed exec through the pipe; a successful
    // exec closes it without a word.
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + strerror(errno);
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        error = std::string("fork: ") + strerror(errno);
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        close(pipeFds[0]);
        setsid();
        const pid_t grandchild = fork();
        if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
        int code = 0;
        if (chdir(workDir.c_str()) != 0) {
            code = errno;
        } else {
            execv(path.c_str(), argv.data());
            code = errno;
        }
        if (write(pipeFds[1], &code, sizeof code) < 0) {
        }
        _exit(127);
    }
    close(pipeFds[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int code = 0;
    ssize_t got;
    while ((got = read(pipeFds[0], &code, sizeof code)) < 0 && errno == EINTR) {
    }
    close(pipeFds[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "fork failed";
        return false;
    }
    if (got == static_cast<ssize_t>(sizeof code)) {
        error = path + ": " + strerror(code);
        return false;
    }
    return true;
}

#include "CServiceManager.h"

#include "LogWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

bool FileExists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

}  // namespace

CServiceManager::CServiceManager() {
    const char* dir = getenv("ZENTRY_SYSTEMD_UNIT_DIR");
    m_unitDir = dir && *dir ? dir : "/etc/systemd/system";
    const char* systemctl = getenv("ZENTRY_SYSTEMCTL");
    m_systemctl = systemctl && *systemctl ? systemctl : "systemctl";
}

std::string CServiceManager::UnitPath(const std::string& name) const {
    return m_unitDir + "/" + name + ".service";
}

bool CServiceManager::RunSystemctl(const std::string& verb, const std::string& unit, bool quiet) {
    std::vector<std::string> args = {m_systemctl, verb};
    if (quiet) args.push_back("--quiet");
    if (!unit.empty()) args.push_back(unit);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, m_systemctl.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int CServiceManager::InstallService(const std::string& name, const std::string& displayName,
                                    const std::string& description,
                                    const std::string& commandLine) {
    const std::string path = UnitPath(name);
    if (FileExists(path)) {
        LogMessage("服务已经安装!\n");
        return 0;
    }
    const std::string text = "[Unit]\n"
                             "Description=" + displayName + "\n"
                             "# " + description + "\n"
                             "After=network.target\n"
                             "\n"
                             "[Service]\n"
                             "Type=simple\n"
                             "ExecStart=" + commandLine + "\n"
                             "KillSignal=SIGTERM\n"
                             "\n"
                             "[Install]\n"
                             "WantedBy=multi-user.target\n";
    const std::string temp = path + ".tmp";
    FILE* file = fopen(temp.c_str(), "wb");
    bool ok = file != nullptr;
    if (file) {
        ok = fwrite(text.data(), 1, text.size(), file) == text.size();
        ok = fclose(file) == 0 && ok;
    }
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        LogMessage("服务已经安装!\n");
        return 0;
    }
    RunSystemctl("daemon-reload", "");
    if (!RunSystemctl("enable", name + ".service")) {
        LogMessage("%s: systemctl enable failed\n", name.c_str());
        return 0;
    }
    LogMessage("%s 安装成功\n", name.c_str());
    return 1;
}

int CServiceManager::RemoveService(const std::string& name) {
    const std::string path = UnitPath(name);
    if (!FileExists(path)) {
        LogMessage("服务卸载失败,可能服务不存在\n");
        return 0;
    }
    RunSystemctl("disable", name + ".service");
    if (unlink(path.c_str()) != 0) {
        LogMessage("服务不存在\n");
        return 0;
    }
    RunSystemctl("daemon-reload", "");
    LogMessage("服务卸载成功\n");
    return 1;
}

int CServiceManager::IsServiceRunning(const std::string& name) {
    if (!FileExists(UnitPath(name))) return -1;
    return RunSystemctl("is-active", name + ".service", true) ? 1 : 0;
}

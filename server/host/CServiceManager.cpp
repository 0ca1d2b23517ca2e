#include "CServiceManager.h"

#include "Helpers.h"
#include "LogWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

bool FileExists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

std::string UserName(uid_t uid) {
    const struct passwd* entry = getpwuid(uid);
    return entry ? entry->pw_name : std::to_string(uid);
}

std::string GroupName(gid_t gid) {
    const struct group* entry = getgrgid(gid);
    return entry ? entry->gr_name : std::to_string(gid);
}

// '%' starts a specifier in unit files.
std::string UnitText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%') out += '%';
        out += c;
    }
    return out;
}

// Creates the file in the folder when missing and makes the account its
// owner, read and write for it. The folder's owner could have put a link or
// a second name of another file there: only a plain file of one name is
// changed, and links are never followed.
bool GiveToAccount(int folderFd, const std::string& name, uid_t uid, gid_t gid,
                   std::string& error) {
    const FdCloser file{openat(folderFd, name.c_str(),
                               O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0640)};
    struct stat info;
    if (file.fd < 0 || fstat(file.fd, &info) != 0) {
        error = errno == ELOOP ? "a symbolic link" : strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode) || info.st_nlink != 1) {
        error = "not a plain file";
        return false;
    }
    if (fchown(file.fd, uid, gid) != 0 || fchmod(file.fd, (info.st_mode & 0640) | 0600) != 0) {
        error = strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

std::string UnitWord(const std::string& path) {
    const std::string text = UnitText(path);
    if (text.find_first_of(" \t\"\\") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

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
                                    const std::string& commandLine,
                                    const std::string& programDir,
                                    const std::vector<std::string>& ownFiles) {
    const std::string path = UnitPath(name);
    if (FileExists(path)) {
        LogMessage("服务已经安装!\n");
        return 0;
    }
    const FdCloser dir{open(programDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    struct stat folder;
    if (dir.fd < 0 || fstat(dir.fd, &folder) != 0) {
        LogMessage("%s: cannot read the program folder %s\n", name.c_str(), programDir.c_str());
        return 0;
    }
    if (folder.st_uid == 0) {
        LogMessage("%s: the program folder %s belongs to root, and the service never runs as "
                   "root: give the folder to the account it should run as (chown -R) and "
                   "install again\n",
                   name.c_str(), programDir.c_str());
        return 0;
    }
    for (const std::string& file : ownFiles) {
        std::string error;
        if (!GiveToAccount(dir.fd, file, folder.st_uid, folder.st_gid, error)) {
            LogMessage("%s: cannot give %s/%s to the service's account %s: %s\n", name.c_str(),
                       programDir.c_str(), file.c_str(), UserName(folder.st_uid).c_str(),
                       error.c_str());
            return 0;
        }
    }
    // The service may change nothing but its own folder, gains no
    // privileges and cannot set the clock.

    const std::string text = "[Unit]\n"
                             "Description=" + displayName + "\n"
                             "# " + description + "\n"
                             "After=network.target\n"
                             "\n"
                             "[Service]\n"
                             "Type=notify\n"
                             "User=" + UserName(folder.st_uid) + "\n"
                             "Group=" + GroupName(folder.st_gid) + "\n"
                             "WorkingDirectory=" + UnitText(programDir) + "\n"
                             "ExecStart=" + commandLine + "\n"
                             "KillSignal=SIGTERM\n"
                             "LimitNOFILE=65536\n"
                             "UMask=0027\n"
                             "NoNewPrivileges=yes\n"
                             "ProtectSystem=strict\n"
                             "ReadWritePaths=" + UnitWord(programDir) + "\n"
                             "PrivateTmp=yes\n"
                             "ProtectClock=yes\n"
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
        // A unit left behind would make the next -i say it is installed.
        unlink(path.c_str());
        RunSystemctl("daemon-reload", "");
        LogMessage("%s: systemctl enable failed; the unit was removed\n", name.c_str());
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

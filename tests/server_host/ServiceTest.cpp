// The server as a systemd service run by an account other than root: -i
// hands the files the service writes to that account, the service's messages
// reach its journal (standard error), the instance lock works on a lock file
// root left behind, a running service refuses another copy, and a failed
// enable leaves no unit. The unit folder and systemctl are redirected; the
// account is nobody, switched to with setpriv.
#include "HostTestUtil.h"
#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <vector>

namespace {

const uid_t kAccount = 65534;  // nobody
const gid_t kAccountGroup = 65534;

// Skips the test unless it can act as root and as the account.
#define SKIP_UNLESS_ROOT()                                                    \
    do {                                                                      \
        if (geteuid() != 0) GTEST_SKIP() << "needs root to switch accounts"; \
        if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "no setpriv"; \
    } while (0)

// Gives the folder and everything in it to the account.
bool GiveFolderToAccount(const std::string& dir) {
    std::error_code error;
    if (lchown(dir.c_str(), kAccount, kAccountGroup) != 0) return false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, error)) {
        if (lchown(entry.path().c_str(), kAccount, kAccountGroup) != 0) return false;
    }
    return !error;
}

// What runs the server as the account, with these variables set and its
// standard error kept apart in errorsPath (standard output stays the
// fixture's console).
std::vector<std::string> AsAccount(const std::map<std::string, std::string>& env,
                                   const std::string& errorsPath) {
    std::vector<std::string> launcher = {"/usr/bin/setpriv",
                                         "--reuid=" + std::to_string(kAccount),
                                         "--regid=" + std::to_string(kAccountGroup),
                                         "--clear-groups", "/usr/bin/env"};
    for (const auto& kv : env) launcher.push_back(kv.first + "=" + kv.second);
    launcher.insert(launcher.end(),
                    {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>>'" + errorsPath + "'"});
    return launcher;
}

// Runs the command line as the account, standard input /dev/null; its exit
// code, what it printed in out.
int RunAsAccount(const std::string& commandLine, std::string& out) {
    const std::string command = "/usr/bin/setpriv --reuid=" + std::to_string(kAccount) +
                                " --regid=" + std::to_string(kAccountGroup) + " --clear-groups " +
                                commandLine + " < /dev/null 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    out.clear();
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct COwner {
    uid_t uid = static_cast<uid_t>(-1);
    int mode = -1;
};

COwner OwnerOf(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return COwner();
    return {info.st_uid, static_cast<int>(info.st_mode & 07777)};
}

// A folder with a unit folder and a stand-in systemctl running this shell
// text (its arguments in "$@"), which records every call.
class CServiceFolder {
public:
    explicit CServiceFolder(CServerFixture& server) : m_server(server) {}

    bool Prepare(const std::string& systemctlBody) {
        if (!m_server.Prepare()) return false;
        mkdir(Units().c_str(), 0755);
        return SetSystemctl(systemctlBody);
    }
    bool SetSystemctl(const std::string& body) {
        const std::string path = m_server.Dir() + "/systemctl";
        std::ofstream(path) << "#!/bin/sh\necho \"$@\" 2>/dev/null >> '" << m_server.Dir()
                            << "/systemctl.log'\n"
                            << body << "\n";
        return chmod(path.c_str(), 0755) == 0;
    }
    std::string Units() const { return m_server.Dir() + "/units"; }
    std::string File(const std::string& name) const { return m_server.Dir() + "/" + name; }
    std::map<std::string, std::string> Env() const {
        return {{"ZENTRY_SYSTEMD_UNIT_DIR", Units()}, {"ZENTRY_SYSTEMCTL", File("systemctl")}};
    }
    int Run(const std::string& option, std::string& out) {
        return m_server.RunOnce({option}, out, Env());
    }

private:
    CServerFixture& m_server;
};

TEST(ServiceTest, InstallGivesRootsFilesToTheServiceAccount) {
    SKIP_UNLESS_ROOT();
    CServerFixture server;
    CServiceFolder folder(server);
    // The service itself is still starting when it asks.
    ASSERT_TRUE(folder.Prepare("[ \"$1\" = is-active ] && exit 3\nexit 0"));
    ASSERT_TRUE(GiveFolderToAccount(server.Dir()));
    // A first try as root leaves its log and lock file, root's own.
    ASSERT_TRUE(server.Start()) << server.Output();
    ASSERT_TRUE(server.Stop());
    for (const char* name : {"lumenolite.log", "lumenolite.lock"})
        ASSERT_EQ(OwnerOf(folder.File(name)).uid, 0u) << name;

    std::string out;
    EXPECT_EQ(folder.Run("-i", out), 255);
    ASSERT_NE(out.find("lumenolite 安装成功"), std::string::npos) << out;
    for (const char* name : {"lumenolite.log", "lumenolite.lock"}) {
        const COwner owner = OwnerOf(folder.File(name));
        EXPECT_EQ(owner.uid, kAccount) << name;
        EXPECT_EQ(owner.mode & 0600, 0600) << name;
        EXPECT_EQ(owner.mode & 0007, 0) << name;
    }

    // The service as the account writes its log and a copy of every line
    // on standard error, systemd's journal.
    const std::string errors = folder.File("stderr.txt");
    const size_t logBefore = ReadAll(folder.File("lumenolite.log")).size();
    server.SetStartOption("-s");
    server.SetLauncher(AsAccount(folder.Env(), errors));
    ASSERT_TRUE(server.Start()) << server.Output() << ReadAll(errors);
    EXPECT_EQ(ProcessStatus(server.Pid(), "Uid").substr(0, 5), "65534");
    EXPECT_EQ(server.Command("select", "sql=" + CServerFixture::Encode("select 1")), "1\n");
    ASSERT_TRUE(server.Stop());
    EXPECT_EQ(server.ExitCode(), 0);
    const std::string log = ReadAll(folder.File("lumenolite.log")).substr(logBefore);
    const std::string journal = ReadAll(errors);
    for (const std::string& text : {std::string("listening on port "), std::string("Lumeno stopping")}) {
        EXPECT_NE(log.find(text), std::string::npos) << text << "\n" << log;
        EXPECT_NE(journal.find(text), std::string::npos) << text << "\n" << journal;
    }
    EXPECT_EQ(journal.find("cannot"), std::string::npos) << journal;
}

TEST(ServiceTest, InstallChangesNoLinkedFile) {
    SKIP_UNLESS_ROOT();
    const struct {
        const char* name;
        bool symbolic;  // else a second name of the same file
        const char* told;
    } cases[] = {
        {"lumenolite.log", true, "lumenolite.log to the service's account nobody: a symbolic link"},
        {"lumenolite.lock", false, "lumenolite.lock to the service's account nobody: not a plain file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CServerFixture server;
        CServiceFolder folder(server);
        ASSERT_TRUE(folder.Prepare("exit 0"));
        // A file of root's that the folder's owner points at.
        const std::string target = folder.File("units/root-only");
        std::ofstream(target) << "root's\n";
        ASSERT_EQ(chmod(target.c_str(), 0600), 0);
        ASSERT_TRUE(GiveFolderToAccount(server.Dir()));
        ASSERT_EQ(chown(target.c_str(), 0, 0), 0);
        const std::string link = folder.File(c.name);
        ASSERT_EQ(c.symbolic ? symlink(target.c_str(), link.c_str()) : ::link(target.c_str(), link.c_str()), 0);

        std::string out;
        EXPECT_EQ(folder.Run("-i", out), 255);
        EXPECT_NE(out.find(c.told), std::string::npos) << out;
        EXPECT_EQ(OwnerOf(target).uid, 0u);
        EXPECT_EQ(OwnerOf(target).mode, 0600);
        EXPECT_EQ(FileMode(folder.File("units/lumenolite.service")), -1);
    }
}

TEST(ServiceTest, TheLockFileOfAnotherAccount) {
    SKIP_UNLESS_ROOT();
    const struct {
        int mode;            // of root's lock file
        bool starts;
        const char* told;    // what a refused start says
    } cases[] = {
        {0644, true, "You have to close  the same Embedded"},  // said by a second copy
        {0600, false, "cannot open the lock file "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        CServerFixture server;
        ASSERT_TRUE(server.Prepare());
        ASSERT_TRUE(GiveFolderToAccount(server.Dir()));
        const std::string lock = server.Dir() + "/lumenolite.lock";
        std::ofstream(lock).flush();
        ASSERT_EQ(chmod(lock.c_str(), c.mode), 0);
        const std::string errors = server.Dir() + "/stderr.txt";
        server.SetLauncher(AsAccount({}, errors));
        if (!c.starts) {
            EXPECT_FALSE(server.Start());
            EXPECT_EQ(server.ExitCode(), 255);
            EXPECT_NE(server.Output().find(c.told + lock + ": Permission denied\n"), std::string::npos)
                << server.Output();
            EXPECT_EQ(server.Output().find("You have to close"), std::string::npos);
            continue;
        }
        ASSERT_TRUE(server.Start()) << server.Output();
        EXPECT_EQ(server.Command("version"), "Lumeno Official Version v2.01");
        // The same program folder, run once more as the account.
        std::string out;
        EXPECT_EQ(RunAsAccount("'" + server.ProgramPath() + "' -d", out), 255);
        EXPECT_NE(out.find(c.told), std::string::npos) << out;
        EXPECT_TRUE(server.Stop());
    }
}

TEST(ServiceTest, AFailedEnableLeavesNoUnit) {
    CServerFixture server;
    CServiceFolder folder(server);
    ASSERT_TRUE(folder.Prepare("[ \"$1\" = enable ] && exit 1\nexit 0"));
    ASSERT_TRUE(OwnByUnprivilegedAccount(server.Dir()));
    std::string out;
    EXPECT_EQ(folder.Run("-i", out), 255);
    EXPECT_NE(out.find("lumenolite: systemctl enable failed; the unit was removed"), std::string::npos)
        << out;
    EXPECT_EQ(FileMode(folder.Units() + "/lumenolite.service"), -1);
    EXPECT_EQ(out.find("安装成功"), std::string::npos);
    // Once systemctl works, -i installs.
    ASSERT_TRUE(folder.SetSystemctl("exit 0"));
    EXPECT_EQ(folder.Run("-i", out), 255);
    EXPECT_NE(out.find("lumenolite 安装成功"), std::string::npos) << out;
    EXPECT_NE(FileMode(folder.Units() + "/lumenolite.service"), -1);
    const std::string calls = ReadAll(folder.File("systemctl.log"));
    EXPECT_EQ(calls, "daemon-reload\nenable lumenolite.service\ndaemon-reload\n"
                     "daemon-reload\nenable lumenolite.service\n");
}

TEST(ServiceTest, ARunningServiceRefusesAnotherCopy) {
    // What "systemctl is-active" answers for the installed unit.
    const struct {
        int exitCode;
        bool starts;
    } cases[] = {{0, false}, {3, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exitCode);
        CServerFixture server;
        CServiceFolder folder(server);
        ASSERT_TRUE(folder.Prepare("[ \"$1\" = is-active ] && exit " + std::to_string(c.exitCode) +
                                   "\nexit 0"));
        ASSERT_TRUE(OwnByUnprivilegedAccount(server.Dir()));
        std::string out;
        ASSERT_EQ(folder.Run("-i", out), 255);
        ASSERT_NE(out.find("安装成功"), std::string::npos) << out;
        std::vector<std::string> launcher = {"/usr/bin/env"};
        for (const auto& kv : folder.Env()) launcher.push_back(kv.first + "=" + kv.second);
        server.SetLauncher(launcher);
        if (c.starts) {
            ASSERT_TRUE(server.Start()) << server.Output();
            EXPECT_EQ(server.Command("version"), "Lumeno Official Version v2.01");
            EXPECT_TRUE(server.Stop());
        } else {
            EXPECT_FALSE(server.Start());
            EXPECT_EQ(server.ExitCode(), 255);
            EXPECT_NE(server.Output().find("You have started the Embedded　Web Server!!!\n"
                                           "Press any key to exit the system\n"),
                      std::string::npos)
                << server.Output();
        }
        EXPECT_NE(ReadAll(folder.File("systemctl.log")).find("is-active --quiet lumenolite.service\n"),
                  std::string::npos);
    }
}

TEST(ServiceTest, TheServiceTellsSystemdWhenItIsReadyAndWhenItStops) {
    CServerFixture server;
    ASSERT_TRUE(server.Prepare());
    const std::string path = server.Dir() + "/notify";
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    timeval wait{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    auto receive = [fd] {
        char buffer[256];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    };
    server.SetStartOption("-s");
    server.SetLauncher({"/usr/bin/env", "NOTIFY_SOCKET=" + path});
    ASSERT_TRUE(server.Start()) << server.Output();
    EXPECT_EQ(receive(), "READY=1");
    EXPECT_EQ(server.Command("version"), "Lumeno Official Version v2.01");
    ASSERT_TRUE(server.Stop());
    EXPECT_EQ(receive(), "STOPPING=1");
    close(fd);
}

}  // namespace

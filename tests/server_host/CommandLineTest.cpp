// Start-up of the programs: command line, default ini file, second
// instance, database checks, port fallback and the systemd unit.
#include "HostTestUtil.h"
#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Holds a listening socket on a loopback port.
class PortBlocker {
public:
    explicit PortBlocker(int port) {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        m_ok = bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
               listen(m_fd, 1) == 0;
    }
    ~PortBlocker() { close(m_fd); }
    bool ok() const { return m_ok; }

private:
    int m_fd = -1;
    bool m_ok = false;
};

// A base port whose next six ports are free at the moment. The bases lie
// below the ephemeral range, where the closed connections of a busy machine
// (TIME-WAIT) do not hold ports.
int FreeRange(std::vector<std::unique_ptr<PortBlocker>>& hold, int count) {
    int low = 32768, high = 60999;
    std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> low >> high;
    std::srand(static_cast<unsigned>(getpid()));
    for (int attempt = 0; attempt < 200; ++attempt) {
        int base = attempt % 2 == 0 && low > 12000 ? 10000 + std::rand() % (low - 12000)
                                                   : CServerFixture::FreePort();
        if (base <= 0 || base > 65000) continue;
        hold.clear();
        bool all = true;
        for (int i = 0; i < count && all; ++i) {
            hold.push_back(std::make_unique<PortBlocker>(base + i));
            all = hold.back()->ok();
        }
        if (all) return base;
    }
    return -1;
}

TEST(CommandLineTest, UsageAndUnknownOptionsEndWithMinusOne) {
    CServerFixture server;
    std::string out;
    EXPECT_EQ(server.RunOnce({}, out), 255);
    EXPECT_NE(out.find("Lumeno Server: Lumeno 2.01"), std::string::npos) << out;
    EXPECT_NE(out.find("\t-d Running in debug command-line mode"), std::string::npos);
    EXPECT_EQ(server.RunOnce({"-d", "-s"}, out), 255);
    EXPECT_NE(out.find("Parameters note"), std::string::npos);
    EXPECT_EQ(server.RunOnce({"-x"}, out), 255);
    EXPECT_EQ(out, "");
}

TEST(CommandLineTest, OptionIsMatchedWithoutCase) {
    CServerFixture server;
    ASSERT_TRUE(server.Prepare());
    // "-D" starts the console server; stop it from outside.
    server.SetStartOption("-D");
    ASSERT_TRUE(server.Start());
    EXPECT_NE(server.Output().find("Lumeno Server 2.01"), std::string::npos);
    EXPECT_TRUE(server.Stop());
    EXPECT_EQ(server.ExitCode(), 0);
}

TEST(CommandLineTest, SecondInstanceIsRefused) {
    CServerFixture server;
    ASSERT_TRUE(server.Start());
    std::string out;
    EXPECT_EQ(server.RunOnce({"-d"}, out), 255);
    EXPECT_NE(out.find("You have to close  the same Embedded"), std::string::npos) << out;
    EXPECT_EQ(server.Command("version"), "Lumeno Official Version v2.01");
}

TEST(CommandLineTest, MissingDatabaseFileEndsStartUp) {
    CServerFixture server;
    server.SetIni("database", "db_type", "sqlite");
    server.SetIni("database", "db_server", "missing.db");
    ASSERT_TRUE(server.Prepare());
    EXPECT_FALSE(server.Start());
    EXPECT_EQ(server.ExitCode(), 255);
    EXPECT_NE(server.Output().find("Database file " + server.Dir() + "/missing.db Not Exsist"),
              std::string::npos)
        << server.Output();
}

TEST(CommandLineTest, UnreachableOdbcSourceEndsStartUp) {
    CServerFixture server("Lumeno");
    server.SetIni("database", "db_server", "NoSuchDsn");
    ASSERT_TRUE(server.Prepare());
    EXPECT_FALSE(server.Start());
    EXPECT_EQ(server.ExitCode(), 255);
}

TEST(CommandLineTest, DefaultIniIsWrittenWhenMissing) {
    CServerFixture server;
    server.SetRawIni("");
    ASSERT_TRUE(server.Prepare());
    unlink((server.Dir() + "/lumenolite.ini").c_str());
    unlink(server.DatabasePath().c_str());
    std::string out;
    // The default names lumenolite.db beside the program, which is missing.
    EXPECT_FALSE(server.Start());
    EXPECT_EQ(server.ExitCode(), 255);
    const std::string ini = ReadAll(server.Dir() + "/lumenolite.ini");
    EXPECT_EQ(ini.substr(0, 20), "{$Lumeno}\n[common]\n#");
    for (const char* line : {"\ntcp_port=8780\n", "\nsep=|\n", "\nline_sep=\\n\n", "\nauth=0\n",
                             "\ndb_type=SQLite\n", "\nuser_plugin=kelv_plugin.dll\n",
                             "\nuser_plugin_checktime=2\n", "\nquery_timeout=10\n"}) {
        EXPECT_NE(ini.find(line), std::string::npos) << line;
    }
    EXPECT_NE(server.Output().find("lumenolite.db Not Exsist"), std::string::npos);
}

TEST(CommandLineTest, WithoutTcpPortTheChosenPortIsLogged) {
    CServerFixture server;
    ASSERT_TRUE(server.Prepare());
    const std::string path = server.Dir() + "/lumenolite.ini";
    std::string ini = ReadAll(path);
    const size_t at = ini.find("tcp_port=");
    ASSERT_NE(at, std::string::npos);
    ini.erase(at, ini.find('\n', at) + 1 - at);
    std::ofstream(path, std::ios::binary) << ini;
    // The fixture takes the port from the log line.
    ASSERT_TRUE(server.Start()) << server.Output();
    EXPECT_GT(server.Port(), 0);
    EXPECT_EQ(server.Command("version"), "Lumeno Official Version v2.01");
}

TEST(CommandLineTest, PortFallbackAndItsEnd) {
    std::vector<std::unique_ptr<PortBlocker>> hold;
    const int base = FreeRange(hold, 6);
    ASSERT_GT(base, 0);
    hold.resize(2);  // base and base + 1 stay taken
    {
        CServerFixture server;
        server.SetPort(base);
        ASSERT_TRUE(server.Start()) << server.Output();
        EXPECT_EQ(server.Port(), base + 2);
        EXPECT_NE(ReadAll(server.Dir() + "/lumenolite.log")
                      .find("listening on port " + std::to_string(base + 2)),
                  std::string::npos);
        EXPECT_EQ(server.Command("version"), "Lumeno Official Version v2.01");
    }
    FreeRange(hold, 0);
    hold.clear();
    for (int i = 0; i < 6; ++i) hold.push_back(std::make_unique<PortBlocker>(base + i));
    for (auto& h : hold) ASSERT_TRUE(h->ok());
    CServerFixture server;
    server.SetPort(base);
    EXPECT_FALSE(server.Start());
    EXPECT_EQ(server.ExitCode(), 1);
    EXPECT_NE(server.Output().find("Open port " + std::to_string(base) + " fail"),
              std::string::npos)
        << server.Output();
}

TEST(CommandLineTest, InstallAndRemoveTheSystemdUnit) {
    CServerFixture server;
    ASSERT_TRUE(server.Prepare());
    ASSERT_TRUE(OwnByUnprivilegedAccount(server.Dir()));
    const std::string units = server.Dir() + "/units";
    ASSERT_EQ(mkdir(units.c_str(), 0755), 0);
    // A stand-in systemctl that records its calls.
    const std::string fake = server.Dir() + "/systemctl";
    std::ofstream(fake) << "#!/bin/sh\necho \"$@\" >> " << server.Dir() << "/systemctl.log\n";
    chmod(fake.c_str(), 0755);
    const std::map<std::string, std::string> env = {{"ZENTRY_SYSTEMD_UNIT_DIR", units},
                                                    {"ZENTRY_SYSTEMCTL", fake}};
    std::string out;
    EXPECT_EQ(server.RunOnce({"-i"}, out, env), 255);
    EXPECT_NE(out.find("lumenolite 安装成功"), std::string::npos) << out;
    const std::string unit = ReadAll(units + "/lumenolite.service");
    EXPECT_NE(unit.find("\nExecStart=" + server.ProgramPath() + " -s\n"), std::string::npos)
        << unit;
    EXPECT_NE(unit.find("Description=Lumeno Server\n"), std::string::npos);
    EXPECT_NE(unit.find("WantedBy=multi-user.target"), std::string::npos);
    EXPECT_EQ(server.RunOnce({"-I"}, out, env), 255);
    EXPECT_NE(out.find("服务已经安装!"), std::string::npos) << out;
    EXPECT_EQ(server.RunOnce({"-u"}, out, env), 255);
    EXPECT_NE(out.find("服务卸载成功"), std::string::npos) << out;
    EXPECT_NE(access((units + "/lumenolite.service").c_str(), F_OK), 0);
    EXPECT_EQ(server.RunOnce({"-u"}, out, env), 255);
    EXPECT_NE(out.find("服务卸载失败,可能服务不存在"), std::string::npos) << out;
    const std::string calls = ReadAll(server.Dir() + "/systemctl.log");
    EXPECT_NE(calls.find("enable lumenolite.service"), std::string::npos) << calls;
    EXPECT_NE(calls.find("disable lumenolite.service"), std::string::npos) << calls;
}

}  // namespace

// What the server may do to its host: set_time touches the clock only when
// the administrator enables it, and the systemd unit runs the server as the
// owner of its folder with systemd's hardening. The clock is never changed:
// set_time is tried only by a server that lacks the capability to set it.
#include "HostTestUtil.h"
#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <grp.h>
#include <map>
#include <pwd.h>

namespace {

const int kCapSysTime = 25;

TEST(HostPrivilegeTest, SetTimeTouchesTheClockOnlyWhenEnabled) {
    const struct {
        const char* key;  // enable_set_time, or null for none
        const char* logged;
    } cases[] = {
        {nullptr, "set_time is disabled"},
        {"0", "set_time is disabled"},
        {"2", "set_time is disabled"},
        {"1", "set_time failed: Operation not permitted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key ? c.key : "absent");
        CServerFixture server;
        if (c.key) server.SetIni("common", "enable_set_time", c.key);
        // Without CAP_SYS_TIME even root cannot set the clock.
        if (HasCapability(getpid(), kCapSysTime))
            server.SetLauncher({"/usr/bin/setpriv", "--bounding-set", "-sys_time", "--inh-caps",
                                "-sys_time"});
        ASSERT_TRUE(server.Start()) << server.Output();
        ASSERT_FALSE(HasCapability(server.Pid(), kCapSysTime));
        EXPECT_EQ(server.Command("set_time", "time=" + CServerFixture::Escape("2008-05-06 09:00:00")),
                  "-1^Failure of the setup time");
        EXPECT_NE(server.Output().find(c.logged), std::string::npos) << server.Output();
    }
}

TEST(HostPrivilegeTest, TheUnitRunsAsTheFolderOwnerWithSystemdHardening) {
    CServerFixture server;
    ASSERT_TRUE(server.Prepare());
    ASSERT_TRUE(OwnByUnprivilegedAccount(server.Dir()));
    struct stat folder;
    ASSERT_EQ(stat(server.Dir().c_str(), &folder), 0);
    const std::string units = server.Dir() + "/units";
    ASSERT_EQ(mkdir(units.c_str(), 0755), 0);
    const std::string fake = server.Dir() + "/systemctl";
    FILE* script = fopen(fake.c_str(), "w");
    ASSERT_NE(script, nullptr);
    fputs("#!/bin/sh\nexit 0\n", script);
    fclose(script);
    chmod(fake.c_str(), 0755);
    std::string out;
    EXPECT_EQ(server.RunOnce({"-i"}, out, {{"ZENTRY_SYSTEMD_UNIT_DIR", units}, {"ZENTRY_SYSTEMCTL", fake}}),
              255);
    const std::string unit = ReadAll(units + "/lumenolite.service");
    const std::string lines[] = {
        "User=" + std::string(getpwuid(folder.st_uid)->pw_name),
        "Group=" + std::string(getgrgid(folder.st_gid)->gr_name),
        "WorkingDirectory=" + server.Dir(),
        "ExecStart=" + server.ProgramPath() + " -s",
        "Type=notify",
        "NoNewPrivileges=yes",
        "ProtectSystem=strict",
        "ReadWritePaths=" + server.Dir(),
        "PrivateTmp=yes",
        "ProtectClock=yes",
    };
    for (const std::string& line : lines)
        EXPECT_NE(unit.find("\n" + line + "\n"), std::string::npos) << line << "\n" << unit;
    EXPECT_EQ(unit.find("User=root"), std::string::npos);
    // systemd reads every line of it (an unknown key would be ignored).
    const std::string verify = "systemd-analyze verify '" + units + "/lumenolite.service' 2>&1";
    FILE* pipe = popen(verify.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string report;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) report += buffer;
    EXPECT_EQ(pclose(pipe), 0) << report;
    for (const char* complaint : {"Unknown", "ignoring", "not absolute", "bad unit", "Invalid"})
        EXPECT_EQ(report.find(complaint), std::string::npos) << report;
}

TEST(HostPrivilegeTest, AFolderOwnedByRootIsNotInstalled) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can make a folder that root owns";
    CServerFixture server;
    ASSERT_TRUE(server.Prepare());
    ASSERT_EQ(chown(server.Dir().c_str(), 0, 0), 0);
    const std::string units = server.Dir() + "/units";
    ASSERT_EQ(mkdir(units.c_str(), 0755), 0);
    std::string out;
    EXPECT_EQ(server.RunOnce({"-i"}, out, {{"ZENTRY_SYSTEMD_UNIT_DIR", units}, {"ZENTRY_SYSTEMCTL", "/bin/true"}}),
              255);
    EXPECT_NE(out.find("belongs to root"), std::string::npos) << out;
    EXPECT_EQ(FileMode(units + "/lumenolite.service"), -1);
}

}  // namespace

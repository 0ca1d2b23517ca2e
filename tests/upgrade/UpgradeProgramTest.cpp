// The upgrade program as the client starts it: a program folder holding it
// and an old stand-in client, the downloaded release in the cache folder,
// and a process standing for the client that has to end first.
#include "UpgradeFolderFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Fixture = CUpgradeFolderFixture;

std::string Standin(int version) { return Fixture::Read(version == 1 ? STANDIN_V1 : STANDIN_V2); }

class UpgradeProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(f.Root().empty());
        ASSERT_TRUE(Fixture::Copy(UPGRADE_PROGRAM, f.Program("upgrade"), 0755));
        ASSERT_TRUE(Fixture::Copy(STANDIN_V1, f.Program("standin"), 0755));
        // Downloads arrive without execute bits.
        ASSERT_TRUE(Fixture::Copy(STANDIN_V2, f.Cached("standin"), 0644));
    }

    std::vector<std::string> Command(pid_t pid) const {
        return {f.Program("upgrade"), "standin", "--cache", f.CacheDir(), "--pid", std::to_string(pid),
                "--", "--config-dir", "/home/u/my settings", "--autologin"};
    }

    // Runs the upgrade while a client runs and ends it after a moment; the
    // program must not touch the folder before that.
    int RunUpgrade(std::string& output) {
        const pid_t client = f.StartRunningClient();
        int fd = -1;
        const pid_t pid = Fixture::Start(Command(client), fd);
        usleep(300 * 1000);
        EXPECT_EQ(Fixture::Read(f.Program("standin")), Standin(1)) << "replaced while the client ran";
        EXPECT_TRUE(f.WaitForStarted(1, 0).empty());
        // Ended but not yet reaped: a zombie counts as ended.
        f.EndRunningClient(false);
        return Fixture::Wait(pid, fd, output);
    }

    // Every old file as it was, nothing left beside them, the downloads kept
    // and the old client started with the client's arguments.
    void ExpectOldInstallationStarted(const std::vector<std::string>& oldNames) {
        EXPECT_EQ(Fixture::Read(f.Program("standin")), Standin(1));
        EXPECT_EQ(Fixture::Mode(f.Program("standin")), 0755);
        std::vector<std::string> names = oldNames;
        std::sort(names.begin(), names.end());
        EXPECT_EQ(Fixture::List(f.ProgramDir()), names);
        EXPECT_EQ(Fixture::Read(f.Cached("standin")), Standin(2));
        const std::vector<std::string> started = f.WaitForStarted(1);
        EXPECT_EQ(started, std::vector<std::string>{"1|--config-dir|/home/u/my settings|--autologin"});
        EXPECT_NE(f.LogText().find("failed: "), std::string::npos) << f.LogText();
        EXPECT_NE(f.LogText().find("started " + f.Program("standin")), std::string::npos) << f.LogText();
    }

    Fixture f;
};

TEST_F(UpgradeProgramTest, ReplacesTheFilesAndStartsTheNewClientWithItsArguments) {
    ASSERT_TRUE(Fixture::Write(f.Program("notes.txt"), "old notes"));
    ASSERT_TRUE(Fixture::Write(f.Program("korvandix.ini"), "kept", 0600));
    ASSERT_TRUE(Fixture::Write(f.Program("keep.dat"), "untouched"));
    ASSERT_TRUE(Fixture::Write(f.Cached("notes.txt"), "new notes"));
    ASSERT_TRUE(Fixture::Write(f.Cached("korvandix.ini"), "new defaults"));
    ASSERT_TRUE(Fixture::Write(f.Cached("plugin.sh"), "#!/bin/sh\n"));
    ASSERT_TRUE(Fixture::Write(f.Cached("added.txt"), "added"));

    std::string output;
    EXPECT_EQ(RunUpgrade(output), 0) << output << f.LogText();

    EXPECT_EQ(Fixture::Read(f.Program("standin")), Standin(2));
    EXPECT_EQ(Fixture::Read(f.Program("notes.txt")), "new notes");
    EXPECT_EQ(Fixture::Read(f.Program("added.txt")), "added");
    EXPECT_EQ(Fixture::Read(f.Program("keep.dat")), "untouched");
    // A replaced file keeps its mode; a new one is executable when it is a
    // program or a script.
    EXPECT_EQ(Fixture::Mode(f.Program("standin")), 0755);
    EXPECT_EQ(Fixture::Mode(f.Program("korvandix.ini")), 0600);
    EXPECT_EQ(Fixture::Mode(f.Program("added.txt")), 0644);
    EXPECT_EQ(Fixture::Mode(f.Program("plugin.sh")), 0755);
    const std::vector<std::string> started = f.WaitForStarted(1);
    EXPECT_EQ(started, std::vector<std::string>{"2|--config-dir|/home/u/my settings|--autologin"});
    // Nothing left beside the files, the downloads gone, every step logged.
    EXPECT_EQ(Fixture::List(f.ProgramDir()),
              (std::vector<std::string>{"added.txt", "keep.dat", "korvandix.ini", "notes.txt", "plugin.sh",
                                        "standin", "upgrade"}));
    EXPECT_TRUE(Fixture::List(f.CacheDir()).empty());
    const std::string log = f.LogText();
    for (const char* line : {"waiting for process", "installed added.txt", "installed standin",
                             "started ", "removed the downloaded files"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(log.find("failed"), std::string::npos) << log;
}

TEST_F(UpgradeProgramTest, AReadOnlyTargetHalfWayLeavesEveryOldFileAndStartsTheOldClient) {
    // Installed in name order: a.txt and standin come before z.txt.
    ASSERT_TRUE(Fixture::Write(f.Program("a.txt"), "old a"));
    ASSERT_TRUE(Fixture::Write(f.Program("z.txt"), "old z", 0444));
    ASSERT_TRUE(Fixture::Write(f.Cached("a.txt"), "new a"));
    ASSERT_TRUE(Fixture::Write(f.Cached("z.txt"), "new z"));

    std::string output;
    EXPECT_EQ(RunUpgrade(output), 1) << output << f.LogText();

    EXPECT_EQ(Fixture::Read(f.Program("a.txt")), "old a");
    EXPECT_EQ(Fixture::Read(f.Program("z.txt")), "old z");
    EXPECT_EQ(Fixture::Mode(f.Program("z.txt")), 0444);
    ExpectOldInstallationStarted({"a.txt", "standin", "upgrade", "z.txt"});
    EXPECT_NE(f.LogText().find("z.txt cannot be replaced"), std::string::npos) << f.LogText();
}

TEST_F(UpgradeProgramTest, ReleasesThatCannotBeInstalledLeaveTheOldInstallation) {
    const struct {
        const char* what;
        std::function<void(Fixture&)> prepare;
        const char* logged;
    } cases[] = {
        {"a read-only program folder", [](Fixture& f) { chmod(f.ProgramDir().c_str(), 0555); },
         "cannot be written"},
        {"a release file where the program folder has a folder",
         [](Fixture& f) {
             mkdir(f.Program("plugin").c_str(), 0755);
             Fixture::Write(f.Cached("plugin"), "a file");
         },
         "plugin is not a file"},
        {"an empty release", [](Fixture& f) { unlink(f.Cached("standin").c_str()); }, "holds no files"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        ASSERT_TRUE(Fixture::Copy(UPGRADE_PROGRAM, f.Program("upgrade"), 0755));
        ASSERT_TRUE(Fixture::Copy(STANDIN_V1, f.Program("standin"), 0755));
        ASSERT_TRUE(Fixture::Copy(STANDIN_V2, f.Cached("standin"), 0644));
        c.prepare(f);
        std::string output;
        EXPECT_EQ(Fixture::Run({f.Program("upgrade"), "standin", "--cache", f.CacheDir(), "--pid", "999999999"},
                               output),
                  1)
            << output << f.LogText();
        chmod(f.ProgramDir().c_str(), 0755);
        EXPECT_EQ(Fixture::Read(f.Program("standin")), Standin(1));
        EXPECT_EQ(f.WaitForStarted(1), std::vector<std::string>{"1"});
        EXPECT_NE(f.LogText().find(c.logged), std::string::npos) << f.LogText();
        for (const std::string& name : Fixture::List(f.ProgramDir()))
            EXPECT_NE(name[0], '.') << "left behind: " << name;
    }
}

TEST_F(UpgradeProgramTest, AClientThatCannotBeStartedIsLoggedAndExitsThree) {
    unlink(f.Program("standin").c_str());
    unlink(f.Cached("standin").c_str());
    std::string output;
    EXPECT_EQ(Fixture::Run({f.Program("upgrade"), "standin", "--cache", f.CacheDir(), "--pid", "999999999"},
                           output),
              3)
        << output;
    EXPECT_NE(f.LogText().find("cannot start"), std::string::npos) << f.LogText();
}

TEST_F(UpgradeProgramTest, ABadCommandLineChangesNothing) {
    const std::string cache = f.CacheDir();
    const std::vector<std::vector<std::string>> lines = {
        {},
        {"standin"},
        {"standin", "--cache", cache},
        {"standin", "--pid", "4242"},
        {"standin", "--cache", cache, "--pid"},
        {"standin", "--cache", cache, "--pid", "12abc"},
        {"standin", "--cache", cache, "--pid", "1"},
        {"../standin", "--cache", cache, "--pid", "4242"},
        {"standin", "other", "--cache", cache, "--pid", "4242"},
        {"standin", "--cache", cache, "--pid", "4242", "--force"},
    };
    for (const auto& line : lines) {
        std::vector<std::string> argv = {f.Program("upgrade")};
        argv.insert(argv.end(), line.begin(), line.end());
        std::string output;
        EXPECT_EQ(Fixture::Run(argv, output), 2) << ::testing::PrintToString(line);
        EXPECT_NE(output.find("usage: upgrade CLIENT_FILE_NAME"), std::string::npos) << output;
    }
    EXPECT_EQ(Fixture::Read(f.Program("standin")), Standin(1));
    EXPECT_EQ(Fixture::Read(f.Cached("standin")), Standin(2));
    EXPECT_TRUE(f.WaitForStarted(1, 0).empty());
}

}  // namespace

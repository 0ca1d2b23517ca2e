#include "Helpers.h"
#include "LogWriter.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Puts the log state back for the next test of this process.
class LogWriter : public ::testing::Test {
protected:
    void TearDown() override {
        SetLogFileName(nullptr);
        SetLogLevel(LOG_LEVEL_FILE_AND_STDOUT);
        SetLogCopyToStderr(false);
    }
    TempDir dir;
};

TEST_F(LogWriter, EveryLineReachesTheFileAtOnce) {
    const std::string path = dir.File("app.log");
    SetLogFileName(path.c_str());
    SetLogLevel(LOG_LEVEL_FILE);
    EXPECT_EQ(GetLogLevel(), LOG_LEVEL_FILE);
    EXPECT_EQ(LogMessage("query sql=%s\n", "select 1"), 19);
    // Read while the writer still holds the file open.
    EXPECT_EQ(TempDir::Read(path), "query sql=select 1\n");
    LogMessage("%d", 2);
    EXPECT_EQ(TempDir::Read(path), "query sql=select 1\n2");
}

TEST_F(LogWriter, AppendsToAnExistingFile) {
    const std::string path = dir.Write("old.log", "before\n");
    SetLogFileName(path.c_str());
    SetLogLevel(LOG_LEVEL_FILE);
    LogMessage("after\n");
    EXPECT_EQ(TempDir::Read(path), "before\nafter\n");
}

TEST_F(LogWriter, LevelsChooseTheOutputs) {
    const std::string path = dir.File("levels.log");
    SetLogFileName(path.c_str());
    struct Case {
        int level;
        bool toFile;
        bool toStdout;
    };
    const Case cases[] = {{0, false, false}, {1, false, true}, {2, true, false}, {3, true, true}};
    for (const Case& c : cases) {
        unlink(path.c_str());
        SetLogFileName(path.c_str());  // reopen after the unlink
        SetLogLevel(c.level);
        ::testing::internal::CaptureStdout();
        const int result = LogMessage("level %d\n", c.level);
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, c.level == 0 ? 0 : 8) << c.level;
        const std::string expected = "level " + std::to_string(c.level) + "\n";
        EXPECT_EQ(out, c.toStdout ? expected : "") << c.level;
        EXPECT_EQ(TempDir::Read(path), c.toFile ? expected : "") << c.level;
    }
}

TEST_F(LogWriter, LongLinesAreWhole) {
    const std::string path = dir.File("long.log");
    SetLogFileName(path.c_str());
    SetLogLevel(LOG_LEVEL_FILE);
    const std::string big(50000, 'L');
    LogMessage("%s\n", big.c_str());
    EXPECT_EQ(TempDir::Read(path), big + "\n");
}

TEST_F(LogWriter, DefaultFileBesideTheProgram) {
    SetLogFileName(nullptr);
    SetLogLevel(LOG_LEVEL_FILE);
    const std::string expected =
        std::string(GetModulePathPart(0).CStr()) + "/" + GetModulePathPart(3).CStr() + ".log";
    const long long before = FileSizeOf(expected.c_str());
    LogMessage("default log line\n");
    EXPECT_STREQ(GetLogFileName().CStr(), expected.c_str());
    EXPECT_EQ(FileSizeOf(expected.c_str()), (before < 0 ? 0 : before) + 17);
    SetLogFileName(nullptr);
    if (before < 0) unlink(expected.c_str());
}

TEST_F(LogWriter, UnopenableFileIsSkippedAndRetried) {
    const std::string path = dir.File("later/x.log");
    SetLogFileName(path.c_str());
    SetLogLevel(LOG_LEVEL_FILE);
    EXPECT_EQ(LogMessage("lost\n"), 5);
    dir.MakeDir("later");
    LogMessage("kept\n");
    EXPECT_EQ(TempDir::Read(path), "kept\n");
}

TEST_F(LogWriter, TheStderrCopyHasEveryLineTheLevelWrites) {
    const std::string path = dir.File("copy.log");
    SetLogCopyToStderr(true);
    for (int level : {0, 1, 2, 3}) {
        unlink(path.c_str());
        SetLogFileName(path.c_str());
        SetLogLevel(level);
        ::testing::internal::CaptureStderr();
        LogMessage("service line %d\n", level);
        const std::string err = ::testing::internal::GetCapturedStderr();
        const std::string expected = "service line " + std::to_string(level) + "\n";
        EXPECT_EQ(err, level == 0 ? "" : expected) << level;
        EXPECT_EQ(TempDir::Read(path), level >= 2 ? expected : "") << level;
    }
}

TEST_F(LogWriter, AnUnopenableFileIsToldOnStderrOnce) {
    const std::string path = dir.File("missing/x.log");
    SetLogFileName(path.c_str());
    SetLogLevel(LOG_LEVEL_FILE);
    SetLogCopyToStderr(true);
    ::testing::internal::CaptureStderr();
    LogMessage("first\n");
    LogMessage("second\n");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "cannot write the log file " + path + ": No such file or directory\nfirst\nsecond\n");
}

}  // namespace

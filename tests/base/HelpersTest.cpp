#include "Helpers.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <regex>
#include <unistd.h>

namespace {

// Every result of ReadLine over the whole file, the text or the status.
std::vector<std::string> ReadAll(const std::string& path, int maximum) {
    FilePtr file(fopen(path.c_str(), "r"));
    std::vector<std::string> results;
    std::vector<char> buffer(maximum + 1);
    for (;;) {
        const int n = ReadLine(file.get(), buffer.data(), maximum);
        if (n < 0) {
            results.push_back(std::to_string(n));
            return results;
        }
        EXPECT_EQ(static_cast<size_t>(n), strlen(buffer.data()));
        results.push_back(buffer.data());
    }
}

TEST(Helpers, ReadLine) {
    TempDir dir;
    struct Case {
        std::string content;
        int maximum;
        std::vector<std::string> results;
    };
    const Case cases[] = {
        {"ab\r\n", 100, {"ab", "-1"}},
        {"ab\ncd", 100, {"ab", "cd", "-1"}},
        {"\n\nx\n", 100, {"", "", "x", "-1"}},
        {"abcdef", 3, {"abc", "def", "-1"}},
        {"", 100, {"-1"}},
        {"\r", 100, {"", "-1"}},
        {std::string("a\0b\n", 4), 100, {"a", "b", "-1"}},
        {"a\fb\x1a" "c", 100, {"a\f", "b\x1a", "c", "-1"}},
        {"a\r\rb\n", 100, {"ab", "-1"}},
    };
    int i = 0;
    for (const Case& c : cases) {
        const std::string path = dir.Write("f" + std::to_string(i++), c.content);
        EXPECT_EQ(ReadAll(path, c.maximum), c.results) << i;
    }
}

TEST(Helpers, ReadTextLines) {
    TempDir dir;
    const std::string path = dir.Write("t.txt", "one\r\ntwo\nthree");
    EXPECT_STREQ(ReadTextLines(path.c_str(), 100).CStr(), "one\ntwo\nthree\n");
    EXPECT_STREQ(ReadTextLines(path.c_str(), 2).CStr(), "one\ntwo\n");
    EXPECT_STREQ(ReadTextLines(dir.Write("e.txt", "").c_str(), 10).CStr(), "");
    EXPECT_STREQ(ReadTextLines(dir.File("none").c_str(), 10).CStr(), "-1");
}

TEST(Helpers, SplitText) {
    struct Case {
        const char* text;
        const char* delimiters;
        bool dropEmpty;
        const char* filler;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"a,,b,", ",", false, "", {"a", "", "b", ""}},
        {"a,,b,", ",", true, "", {"a", "b"}},
        {"a,,b,", ",", false, "x", {"a", "x", "b", "x"}},
        {"a;b,c", ";,", false, "", {"a", "b", "c"}},
        {",a", ",", false, "", {"", "a"}},
        {"abc", ",", false, "", {"abc"}},
        {",", ",", true, "", {}},
        {"", ",", false, "", {}},
        {"a,b", "", false, "", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> pieces;
        EXPECT_EQ(SplitText(c.text, pieces, c.delimiters, c.dropEmpty, c.filler),
                  static_cast<int>(c.pieces.size()))
            << c.text;
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
    // The list is not emptied first.
    std::vector<std::string> pieces{"old"};
    EXPECT_EQ(SplitText("x|y", pieces, "|", false, ""), 3);
    std::vector<std::string> untouched{"old"};
    EXPECT_EQ(SplitText("", untouched, "|", false, ""), 0);
    EXPECT_EQ(untouched.size(), 1u);
}

TEST(Helpers, StripChar) {
    struct Case {
        const char* text;
        char c;
        const char* expected;
    };
    const Case cases[] = {{"  a b  ", ' ', "a b"}, {"   ", ' ', ""},  {"", ' ', ""},
                          {"xax", 'x', "a"},       {"a", ' ', "a"},    {"\t a ", ' ', "\t a"}};
    for (const Case& c : cases) {
        std::string buffer(c.text);
        EXPECT_STREQ(StripChar(&buffer[0], c.c), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(StripChar(nullptr, ' '), nullptr);
}

TEST(Helpers, Dates) {
    int year = 0, month = 0;
    PrevMonth(2009, 1, year, month);
    EXPECT_EQ(year, 2008);
    EXPECT_EQ(month, 12);
    PrevMonth(2009, 5, year, month);
    EXPECT_EQ(year, 2009);
    EXPECT_EQ(month, 4);
    EXPECT_TRUE(std::regex_match(NowText().CStr(), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")));
    EXPECT_TRUE(std::regex_match(TodayText().CStr(), std::regex(R"(\d{4}-\d\d-\d\d)")));
    EXPECT_EQ(std::string(NowText().CStr()).substr(0, 10).size(), 10u);
}

TEST(Helpers, ModulePathParts) {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    exe[n] = 0;
    const std::string full(exe);
    const size_t slash = full.rfind('/');
    EXPECT_EQ(GetModulePathPart(1).CStr(), full);
    EXPECT_EQ(GetModulePathPart(0).CStr(), full.substr(0, slash));
    EXPECT_STREQ(GetModulePathPart(2).CStr(), "test_base");
    EXPECT_STREQ(GetModulePathPart(3).CStr(), "test_base");
    EXPECT_STREQ(GetModulePathPart(4).CStr(), "");
    EXPECT_STREQ(GetModulePathPart(-1).CStr(), "");
}

// Prints the path parts when a copy of this program runs it (below).
TEST(Helpers, PrintModulePathParts) {
    if (!getenv("ZBASE_PRINT_PARTS")) GTEST_SKIP() << "run by ModulePathPartsOfADottedName";
    printf("parts|%s|%s|%s|\n", GetModulePathPart(0).CStr(), GetModulePathPart(2).CStr(),
           GetModulePathPart(3).CStr());
}

TEST(Helpers, ModulePathPartsOfADottedName) {
    TempDir dir;
    char real[4096];
    ASSERT_NE(realpath(dir.Path().c_str(), real), nullptr);
    const std::string copy = std::string(real) + "/app.old.exe";
    // Not "cp /proc/self/exe": in the shell that names cp itself.
    ASSERT_EQ(system(("cp '" + std::string(GetModulePathPart(1).CStr()) + "' '" + copy + "'").c_str()), 0);
    FILE* pipe = popen(("ZBASE_PRINT_PARTS=1 '" + copy + "' --gtest_filter=Helpers.PrintModulePathParts").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
    pclose(pipe);
    EXPECT_NE(output.find("parts|" + std::string(real) + "|app.old.exe|app|"), std::string::npos) << output;
}

TEST(Helpers, FileSizeOf) {
    TempDir dir;
    EXPECT_EQ(FileSizeOf(dir.Write("s", "12345").c_str()), 5);
    EXPECT_EQ(FileSizeOf(dir.Write("z", "").c_str()), 0);
    EXPECT_EQ(FileSizeOf(dir.File("none").c_str()), -1);
    EXPECT_EQ(FileSizeOf(dir.Path().c_str()), -1);
    EXPECT_EQ(FileSizeOf(nullptr), -1);
}

}  // namespace

TEST(Helpers, WriteBlocker) {
    TempDir dir;
    const std::string file = dir.Write("w", "x");
    EXPECT_EQ(WriteBlocker(file.c_str()), "");
    EXPECT_EQ(WriteBlocker(dir.Path().c_str()), "");
    // No write bit at all is read-only for everyone, root included.
    chmod(file.c_str(), 0444);
    EXPECT_EQ(WriteBlocker(file.c_str()), "read-only");
    chmod(dir.Path().c_str(), 0555);
    EXPECT_EQ(WriteBlocker(dir.Path().c_str()), "read-only");
    chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(WriteBlocker(dir.File("none").c_str()), strerror(ENOENT));
    EXPECT_NE(WriteBlocker(nullptr), "");
}

#include "TextEncoding.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Convert(const std::string& text, int count) {
    std::vector<char> out(3 * text.size() + 1, 'Z');
    const int n = AnsiToUtf8(text.data(), count, out.data());
    EXPECT_EQ(static_cast<size_t>(n), strlen(out.data()));
    return std::string(out.data(), n);
}

TEST(TextEncoding, Utf8LocaleIsIdentity) {
    struct Case {
        std::string text;
        int count;
        std::string expected;
    };
    const std::string cjk = "缺陷";  // 6 bytes
    const Case cases[] = {
        {"plain ascii", 11, "plain ascii"},
        {"abc", 2, "ab"},
        {"abc", 0, ""},
        {cjk, 6, cjk},
        {cjk, 5, "缺"},   // a cut character is left out
        {cjk, 4, "缺"},
        {cjk, 2, ""},
        {"a\xFF" "b", 3, "a\xEF\xBF\xBD" "b"},  // an invalid byte
        {"\xF0\x9F\x98\x80", 4, "\xF0\x9F\x98\x80"},
        {std::string("a\0b", 3), 3, "a"},
    };
    for (const char* locale : {"C", "C.UTF-8"}) {
        if (!setlocale(LC_CTYPE, locale)) continue;
        for (const Case& c : cases) EXPECT_EQ(Convert(c.text, c.count), c.expected) << locale << ": " << c.text;
    }
    setlocale(LC_CTYPE, "C");
    char out[4] = "xyz";
    EXPECT_EQ(AnsiToUtf8(nullptr, 3, out), 0);
    EXPECT_STREQ(out, "");
}

TEST(TextEncoding, ConvertsFromTheLocaleCodeSet) {
    // A GBK locale of our own, compiled into a temp folder.
    TempDir dir;
    const std::string command = "localedef -i zh_CN -f GBK '" + dir.File("zh_CN.GBK") + "' >/dev/null 2>&1";
    if (system(command.c_str()) != 0) GTEST_SKIP() << "localedef cannot build a GBK locale";
    setenv("LOCPATH", dir.Path().c_str(), 1);
    const bool set = setlocale(LC_CTYPE, "zh_CN.GBK") != nullptr;
    unsetenv("LOCPATH");
    ASSERT_TRUE(set);
    // "你好" in GBK.
    EXPECT_EQ(Convert("\xC4\xE3\xBA\xC3", 4), "你好");
    EXPECT_EQ(Convert("\xC4\xE3\xBA\xC3", 3), "你");  // half a character is left out
    EXPECT_EQ(Convert("a\xC4\xE3" "b", 4), "a你b");
    EXPECT_EQ(Convert("\x80" "x", 2), "\xE2\x82\xAC" "x");  // GBK 0x80 is the euro sign
    setlocale(LC_CTYPE, "C");
}

TEST(TextEncoding, Utf16Units) {
    const char16_t units[] = {u'A', 0x00E9, 0x4E2D, 0xD83D, 0xDE00, 0, u'B'};
    EXPECT_EQ(Utf8Length(units, 7), 1 + 2 + 3 + 3 + 3);
    EXPECT_EQ(Utf8Length(units, 3), 6);
    EXPECT_EQ(Utf8Length(nullptr, 3), 0);

    char out[32];
    memset(out, 'Z', sizeof out);
    EXPECT_EQ(Utf8Encode(units, 7, out, 12), 12);
    // Surrogate halves are written one by one, as the length counts them.
    EXPECT_EQ(std::string(out), "A\xC3\xA9\xE4\xB8\xAD\xED\xA0\xBD\xED\xB8\x80");

    // A short output never takes part of a character.
    memset(out, 'Z', sizeof out);
    EXPECT_EQ(Utf8Encode(units, 7, out, 5), 3);
    EXPECT_STREQ(out, "A\xC3\xA9");
    EXPECT_EQ(Utf8Encode(units, 7, out, 0), 0);
    EXPECT_STREQ(out, "");
}

}  // namespace

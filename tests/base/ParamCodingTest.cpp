#include "ParamCoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Bit-by-bit Base64 of the RFC, for comparing without line breaks.
std::string NaiveBase64(const std::string& bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bits;
    for (unsigned char c : bytes)
        for (int i = 7; i >= 0; --i) bits.push_back((c >> i) & 1 ? '1' : '0');
    while (bits.size() % 6) bits.push_back('0');
    std::string out;
    for (size_t i = 0; i < bits.size(); i += 6) out.push_back(alphabet[std::stoi(bits.substr(i, 6), nullptr, 2)]);
    while (out.size() % 4) out.push_back('=');
    return out;
}

std::string Unbroken(std::string coded) {
    std::string out;
    for (char c : coded) {
        if (c == '\r' || c == '\n') continue;
        out.push_back(c == '|' ? '+' : c == '_' ? '=' : c);
    }
    return out;
}

std::string Bytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

TEST(ParamCoding, KnownCodings) {
    struct Case {
        std::string text;
        const char* coded;
    };
    const Case cases[] = {
        {"", ""},
        {"a", "YQ__"},
        {"ab", "YWI_"},
        {"abc", "YWJj"},
        {"\xFB\xEF\xBE", "||||"},
        {"\xFF\xFF\xFF", "////"},
        {"select * from t_bug where id=1", "c2VsZWN0ICogZnJvbSB0X2J1ZyB3aGVyZSBpZD0x"},
        {"缺陷", "57y66Zm3"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(EncodeParam(c.text.c_str()).CStr(), c.coded) << c.text;
        CListString decoded("stale");
        EXPECT_TRUE(DecodeParam(c.coded, decoded)) << c.coded;
        EXPECT_EQ(std::string(decoded.CStr()), c.text);
    }
    EXPECT_STREQ(EncodeParam(nullptr).CStr(), "");
}

TEST(ParamCoding, LineBreakPositions) {
    struct Case {
        size_t bytes;
        size_t length;
        std::vector<size_t> breaks;  // positions of the carriage returns
        const char* tail;
    };
    const Case cases[] = {
        {5999, 8000, {}, "_"},
        {6000, 8002, {8000}, ""},
        {6001, 8006, {8000}, "__"},
        {6002, 8006, {8000}, "_"},
        {12000, 16004, {8000, 16002}, ""},
        {12003, 16008, {8000, 16002}, ""},
    };
    for (const Case& c : cases) {
        const std::string text(c.bytes, 'x');
        const std::string coded = EncodeParam(text.c_str()).CStr();
        ASSERT_EQ(coded.size(), c.length) << c.bytes;
        EXPECT_EQ(coded.size(), Base64EncodedSize(c.bytes, 8000));
        std::vector<size_t> breaks;
        for (size_t i = 0; i < coded.size(); ++i) {
            if (coded[i] == '\r') {
                breaks.push_back(i);
                EXPECT_EQ(coded[i + 1], '\n');
            }
        }
        EXPECT_EQ(breaks, c.breaks) << c.bytes;
        const std::string tail(c.tail);
        EXPECT_EQ(coded.substr(coded.size() - tail.size()), tail);
        EXPECT_EQ(coded.find('='), std::string::npos);
        EXPECT_EQ(coded.find('+'), std::string::npos);
    }
}

TEST(ParamCoding, Base64EncodeKeepsPlus) {
    const unsigned char in[] = {0xFB, 0xEF, 0xBE, 'a'};
    char out[16];
    EXPECT_EQ(Base64Encode(in, out, 4, 8000), 8u);
    EXPECT_STREQ(out, "++++YQ__");
    // Short lines: a break after every group that fills the line.
    const std::string text(9, 'z');
    std::vector<char> buffer(Base64EncodedSize(9, 8) + 1);
    EXPECT_EQ(Base64Encode(reinterpret_cast<const unsigned char*>(text.data()), buffer.data(), 9, 8),
              buffer.size() - 1);
    EXPECT_STREQ(buffer.data(), "enp6enp6\r\nenp6");
    EXPECT_EQ(Base64EncodedSize(9, 0), 12u);
}

TEST(ParamCoding, RoundTripsAnyBytes) {
    for (size_t n : {0, 1, 2, 3, 4, 5, 100, 5998, 5999, 6000, 6001, 6002, 12000, 20001, 100000}) {
        const std::string bytes = Bytes(n, static_cast<unsigned>(n));
        const std::string coded = EncodeParamBytes(bytes.data(), bytes.size());
        EXPECT_EQ(Unbroken(coded), NaiveBase64(bytes)) << n;
        std::string decoded("stale");
        ASSERT_TRUE(DecodeParamBytes(coded.data(), coded.size(), decoded)) << n;
        EXPECT_EQ(decoded, bytes) << n;
    }
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    std::string decoded;
    const std::string coded = EncodeParamBytes(all.data(), all.size());
    ASSERT_TRUE(DecodeParamBytes(coded.data(), coded.size(), decoded));
    EXPECT_EQ(decoded, all);
}

TEST(ParamCoding, DecodesLongValues) {
    // Far longer than 8000 coded characters, CJK text, with the line breaks.
    std::string text;
    while (text.size() < 50000) text += "缺陷描述：数据库连接失败。";
    const CListString coded = EncodeParam(text.c_str());
    ASSERT_GT(coded.GetLength(), 8000 * 8);
    CListString decoded;
    ASSERT_TRUE(DecodeParam(coded.CStr(), decoded));
    EXPECT_EQ(std::string(decoded.CStr()), text);
}

TEST(ParamCoding, AcceptsPlainBase64AndLooseBreaks) {
    struct Case {
        const char* coded;
        const char* text;
    };
    const Case cases[] = {
        {"YQ==", "a"}, {"YWI=", "ab"}, {"++++", "\xFB\xEF\xBE"}, {"YW\r\nJj\n", "abc"},
        {"YQ", "a"},   {"YWI", "ab"},  {"YQ__\r\n", "a"},        {"\r\n", ""},
    };
    for (const Case& c : cases) {
        CListString decoded;
        EXPECT_TRUE(DecodeParam(c.coded, decoded)) << c.coded;
        EXPECT_STREQ(decoded.CStr(), c.text) << c.coded;
    }
}

TEST(ParamCoding, InvalidTextIsAnError) {
    const char* invalid[] = {
        "Y",          // a lone last character
        "YWJjY",      // the same after a whole group
        "YW J",       // a blank
        "YW%4a",      // an escape left in
        "_YQ_",       // a pad first
        "Y___",       // three pads
        "YQ_a",       // data after a pad in its group
        "YQ__YWJj",   // data after the padded group
        "YQ_",        // a padded group cut short
        "\xE7\xBC\xBA",  // not coded at all
    };
    for (const char* coded : invalid) {
        CListString decoded("stale");
        EXPECT_FALSE(DecodeParam(coded, decoded)) << coded;
        EXPECT_TRUE(decoded.IsEmpty()) << coded;
        std::string bytes("stale");
        EXPECT_FALSE(DecodeParamBytes(coded, strlen(coded), bytes)) << coded;
        EXPECT_TRUE(bytes.empty());
    }
}

TEST(ParamCoding, DecodeParamStopsAtZeroByte) {
    const char bytes[] = {'a', 'b', 0, 'c'};
    const std::string coded = EncodeParamBytes(bytes, 4);
    CListString text;
    EXPECT_TRUE(DecodeParam(coded.c_str(), text));
    EXPECT_STREQ(text.CStr(), "ab");
}

}  // namespace

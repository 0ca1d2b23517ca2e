#include "CListString.h"
#include "CListStringList.h"
#include "CListStringVector.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string S(const CListString& s) {
    return s.CStr();
}

TEST(CListString, ConstructionAndAssignment) {
    EXPECT_TRUE(CListString().IsEmpty());
    EXPECT_TRUE(CListString(static_cast<const char*>(nullptr)).IsEmpty());
    EXPECT_TRUE(CListString("").IsEmpty());
    EXPECT_EQ(S(CListString(0)), "0");
    EXPECT_EQ(S(CListString(100)), "100");
    EXPECT_EQ(S(CListString(2147483647)), "2147483647");
    EXPECT_TRUE(CListString(-5).IsEmpty());
    EXPECT_EQ(S(CListString("abcdef", 3)), "abc");
    EXPECT_EQ(S(CListString("ab\0cd", 5)), "ab");
    EXPECT_EQ(S(CListString(std::string("xy\0z", 4))), "xy");  // never holds the character 0

    CListString a("abc");
    CListString b(a);
    a.AppendChar('d');
    EXPECT_EQ(S(b), "abc");  // copies are deep
    a.Assign(a);
    EXPECT_EQ(S(a), "abcd");
    a.SetText(nullptr);
    EXPECT_TRUE(a.IsEmpty());
    a.AssignChar('x');
    EXPECT_EQ(S(a), "x");
    a.SetText(a.CStr() + 0);  // own text
    EXPECT_EQ(S(a), "x");
}

TEST(CListString, Reading) {
    CListString s("abc");
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s.GetAt(0), 'a');
    EXPECT_EQ(s.GetAt(3), 0);
    EXPECT_EQ(s.GetAt(-1), 0);
    ASSERT_NE(s.GetPtrAt(2), nullptr);
    EXPECT_EQ(*s.GetPtrAt(2), 'c');
    EXPECT_EQ(s.GetPtrAt(3), nullptr);
    EXPECT_EQ(s.GetPtrAt(-1), nullptr);
    EXPECT_STREQ(CListString().CStr(), "");
}

TEST(CListString, BufferStaysUntilChange) {
    CListString s("hello");
    char* first = s.GetBuffer(100);
    EXPECT_STREQ(first, "hello");
    EXPECT_EQ(s.GetBuffer(-1), first);
    EXPECT_EQ(s.CStr(), first);
    const char* at = s.GetPtrAt(1);
    EXPECT_EQ(s.GetPtrAt(1), at);
    s.AppendText(" world");
    EXPECT_STREQ(s.GetBuffer(-1), "hello world");
}

TEST(CListString, Substrings) {
    const CListString s("abc");
    struct Case {
        int start, count;
        const char* expected;  // null: no copy
    };
    const Case copies[] = {{1, -1, "bc"}, {0, 2, "ab"}, {1, 100, "bc"},
                           {3, 1, nullptr}, {-1, 1, nullptr}, {0, 0, nullptr}};
    for (const Case& c : copies) {
        auto copy = s.CopySubstring(c.start, c.count);
        if (c.expected) {
            ASSERT_TRUE(copy) << c.start << "," << c.count;
            EXPECT_STREQ(copy.get(), c.expected);
        } else {
            EXPECT_FALSE(copy) << c.start << "," << c.count;
        }
    }
    const Case mids[] = {{-2, 2, "ab"}, {1, 1, "b"}, {1, 99, "bc"}, {3, 1, ""}, {0, 0, ""}, {0, -1, ""}};
    for (const Case& c : mids) EXPECT_EQ(S(s.Mid(c.start, c.count)), c.expected) << c.start;
    EXPECT_EQ(S(s.Left(2)), "ab");
    EXPECT_EQ(S(s.Left(5)), "abc");
    EXPECT_EQ(S(s.Left(0)), "");
    EXPECT_EQ(S(s.Right(5)), "abc");
    EXPECT_EQ(S(s.Right(1)), "c");
    EXPECT_EQ(S(s.Right(-1)), "");
}

TEST(CListString, Comparing) {
    struct Case {
        const char* s;
        const char* text;
        bool equal;
        bool equalNoCase;
    };
    const Case cases[] = {
        {"abc", "abc", true, true},      {"abc", "ABC", false, true},
        {"abc", "abcd", false, false},   {"abc", "ab", false, false},
        {"", "", true, true},            {"", nullptr, true, true},
        {"a[z", "A{Z", false, false},    {"\xC4\xE3", "\xE4\xE3", false, false},
    };
    for (const Case& c : cases) {
        const CListString s(c.s);
        EXPECT_EQ(s.Compare(c.text) == 0, c.equal) << c.s << " vs " << (c.text ? c.text : "null");
        EXPECT_EQ(s.CompareNoCase(c.text) == 0, c.equalNoCase) << c.s;
    }
}

TEST(CListString, Searching) {
    const CListString s("abcabc");
    EXPECT_EQ(s.FindChar('b', 0), 1);
    EXPECT_EQ(s.FindChar('b', 2), 4);
    EXPECT_EQ(s.FindChar('b', 6), -1);
    EXPECT_EQ(s.FindChar('x', 0), -1);
    EXPECT_EQ(CListString().FindChar('a', 0), -1);
    EXPECT_EQ(s.Find("ca", 0), 2);
    EXPECT_EQ(s.Find("bc", 2), 4);
    EXPECT_EQ(s.Find("bcd", 0), -1);
    EXPECT_EQ(s.Find("c", 6), -1);
    EXPECT_EQ(s.Find("", 0), -1);
    EXPECT_EQ(CListString().Find("a", 0), -1);
    EXPECT_EQ(s.ReverseFindChar('a'), 3);
    EXPECT_EQ(s.ReverseFindChar('z'), -1);
    EXPECT_EQ(s.ReverseFind("ab"), 3);
    EXPECT_EQ(s.ReverseFind("abcabcx"), -1);
    EXPECT_EQ(s.ReverseFind(""), -1);
    EXPECT_EQ(s.ReverseFind("abcabc"), 0);
}

TEST(CListString, InsertAndDelete) {
    CListString s("bc");
    EXPECT_EQ(s.InsertChar(0, 'a'), 3);
    s.AppendChar('d');
    EXPECT_EQ(S(s), "abcd");
    EXPECT_EQ(s.InsertChar(-1, 'x'), -1);
    EXPECT_EQ(s.InsertChar(99, 'e'), 5);
    EXPECT_EQ(S(s), "abcde");
    EXPECT_EQ(s.Insert(2, "XY"), 7);
    EXPECT_EQ(S(s), "abXYcde");
    EXPECT_EQ(s.Insert(-1, "Q"), -1);
    EXPECT_EQ(s.Insert(100, "!"), 8);
    EXPECT_EQ(S(s), "abXYcde!");
    s.AppendChar(0);
    EXPECT_EQ(s.GetLength(), 8);

    CListString empty;
    EXPECT_EQ(empty.InsertChar(5, 'z'), 1);
    empty.AppendChar('y');
    EXPECT_EQ(S(empty), "zy");

    struct Case {
        int position, count;
        const char* expected;
    };
    const Case deletes[] = {{1, 100, "a"}, {3, 1, "abc"}, {-1, 1, "abc"}, {0, 0, "abc"},
                            {1, 1, "ac"}, {0, 3, ""}, {4, 1, "abc"}};
    for (const Case& c : deletes) {
        CListString d("abc");
        d.Delete(c.position, c.count);
        EXPECT_EQ(S(d), c.expected) << c.position << "," << c.count;
    }
}

TEST(CListString, Replacing) {
    struct Case {
        const char* s;
        const char* from;
        const char* to;
        const char* expected;
        int count;
    };
    const Case cases[] = {
        {"aaa", "a", "aa", "aaaaaa", 3}, {"+x+", "+", "|", "|x|", 2},
        {"abc", "b", "", "abc", 0},      {"abc", "", "x", "abc", 0},
        {"", "a", "b", "", 0},           {"abab", "ab", "x", "xx", 2},
        {"abc", "z", "y", "abc", 0},     {"aXbXc", "X", "--", "a--b--c", 2},
    };
    for (const Case& c : cases) {
        CListString s(c.s);
        EXPECT_EQ(s.Replace(c.from, c.to), c.count) << c.s;
        EXPECT_EQ(S(s), c.expected) << c.s;
    }
    CListString s("a.b.c");
    EXPECT_EQ(s.ReplaceChar('.', '/'), 2);
    EXPECT_EQ(S(s), "a/b/c");
    EXPECT_EQ(CListString().ReplaceChar('a', 'b'), 0);
}

TEST(CListString, FormatIsNeverCut) {
    CListString s;
    s.Format("%d-%s", 42, "x");
    EXPECT_EQ(S(s), "42-x");
    // Far beyond any fixed buffer the servers or the client had.
    const std::string big(100000, 'q');
    s.Format("<%s>", big.c_str());
    EXPECT_EQ(s.GetLength(), 100002);
    EXPECT_EQ(S(s), "<" + big + ">");
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
    s.Format("a%cb", 0);
    EXPECT_EQ(S(s), "ab");
}

TEST(CListString, Trimming) {
    struct Case {
        const char* s;
        void (CListString::*trim)();
        const char* expected;
    };
    const Case cases[] = {
        {"\t x", &CListString::TrimLeft, " x"},
        {"x \n", &CListString::TrimRight, "x "},
        {"   ", &CListString::TrimRight, ""},
        {" \tx\r", &CListString::Trim, "x\r"},
        {"\n\t a \t\n", &CListString::Trim, "\t a \t"},  // each character once, in order
        {"", &CListString::Trim, ""},
    };
    for (const Case& c : cases) {
        CListString s(c.s);
        (s.*c.trim)();
        EXPECT_EQ(S(s), c.expected) << '"' << c.s << '"';
    }
    CListString s("xxaxx");
    s.TrimLeftChar('x');
    EXPECT_EQ(S(s), "axx");
    s.TrimRightChar('x');
    EXPECT_EQ(S(s), "a");
    s.SetText("xxx");
    s.TrimLeftChar('x');
    EXPECT_TRUE(s.IsEmpty());

    struct TextCase {
        const char* s;
        const char* text;
        bool left;
        const char* expected;
    };
    const TextCase texts[] = {
        {"xab", "ab", false, "x"},   {"abab", "ab", false, ""},  {"]", "]", false, ""},
        {"ababx", "ab", true, "x"},  {"[[S]]", "[", true, "S]]"}, {"ab", "abc", true, "ab"},
        {"aab", "ab", false, "a"},   {"abc", "", true, "abc"},   {"xaba", "ab", false, "xaba"},
    };
    for (const TextCase& c : texts) {
        CListString t(c.s);
        if (c.left)
            t.TrimLeftText(c.text);
        else
            t.TrimRightText(c.text);
        EXPECT_EQ(S(t), c.expected) << c.s << " / " << c.text;
    }
}

TEST(CListString, ReverseAndLower) {
    CListString s("abC");
    s.Reverse();
    EXPECT_EQ(S(s), "Cba");
    s.AppendText("\xC4Z");
    s.MakeLower();
    EXPECT_EQ(S(s), "cba\xC4z");
}

TEST(CListString, AppendManyStaysLinear) {
    CListString s;
    for (int i = 0; i < 200000; ++i) s.AppendText("abcde");
    EXPECT_EQ(s.GetLength(), 1000000);
    EXPECT_EQ(s.Replace("e", "E"), 200000);
}

TEST(CListStringList, AddInsertAndRead) {
    CListStringList list;
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetUpperBound(), -1);
    EXPECT_EQ(list.Add("a"), 0);
    list.InsertAt(3, "s", 1);
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(S(list.GetCopyAt(0)), "a");
    EXPECT_EQ(S(list.GetCopyAt(1)), "");
    EXPECT_EQ(S(list.GetCopyAt(2)), "");
    EXPECT_EQ(S(list.GetCopyAt(3)), "s");
    EXPECT_EQ(S(list.GetCopyAt(4)), "");
    EXPECT_EQ(S(list.GetCopyAt(-1)), "");
    EXPECT_EQ(list.ElementAt(4), nullptr);

    CListString* first = list.ElementAt(0);
    list.InsertAt(0, "f", 2);   // in front
    list.InsertAt(2, "m", 1);   // after element 1
    list.InsertAt(list.GetCount(), "e", 2);  // appended
    list.InsertAt(1, "x", 0);   // nothing
    list.InsertAt(-1, "x", 1);  // nothing
    const char* expected[] = {"f", "f", "m", "a", "", "", "s", "e", "e"};
    ASSERT_EQ(list.GetCount(), 9);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(S(list.GetCopyAt(i)), expected[i]) << i;
    EXPECT_EQ(first, list.ElementAt(3));  // elements do not move

    list.ElementAt(3)->AppendText("!");
    EXPECT_EQ(S(list.GetCopyAt(3)), "a!");
    CListStringList copy(list);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(copy.GetCount(), 9);
}

TEST(CListStringVector, AddUniqueIsCaseSensitive) {
    CListStringVector v;
    EXPECT_EQ(v.AddUnique("A"), 0);
    EXPECT_EQ(v.AddUnique("a"), 1);
    EXPECT_EQ(v.AddUnique("A"), 0);
    ASSERT_EQ(v.size(), 2);
    EXPECT_EQ(S(v[1]), "a");
}

}  // namespace

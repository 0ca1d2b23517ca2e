// CScriptHost over a real Lua state: results, error texts, stack balance.
#include "CScriptHost.h"
#include "LogWriter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

extern "C" {
#include <lua.h>
}

namespace {

int Top(CScriptHost& host) {
    return lua_gettop(host.GetState());
}

TEST(ScriptHost, GlobalsReadAsTextOrFail) {
    CScriptHost host;
    ASSERT_TRUE(host.IsOpen());
    ASSERT_TRUE(host.RunString("n = 5 f = 2.5 s = 'abc' b = true t = {} function fn() end"));
    struct Case {
        const char* name;
        bool ok;
        const char* value;
    } cases[] = {{"n", true, "5"},    {"f", true, "2.5"}, {"s", true, "abc"}, {"b", false, "old"},
                 {"t", false, "old"}, {"fn", false, "old"}, {"x", false, "old"}};
    for (const Case& c : cases) {
        CListString out("old");
        EXPECT_EQ(c.ok, host.GetGlobal(c.name, out)) << c.name;
        EXPECT_STREQ(c.value, out.CStr()) << c.name;
        if (!c.ok) {
            CListString expected;
            expected.Format("变量\"%s\"不存在或者是类型不一致", c.name);
            EXPECT_STREQ(expected.CStr(), host.GetErrorText().CStr());
        }
        EXPECT_EQ(0, Top(host)) << c.name;
    }
    EXPECT_TRUE(host.SetGlobal("s", "new"));
    CListString out;
    EXPECT_TRUE(host.GetGlobal("s", out));
    EXPECT_STREQ("new", out.CStr());
    EXPECT_FALSE(host.GetGlobal(nullptr, out));
    EXPECT_FALSE(host.SetGlobal(nullptr, "x"));
}

TEST(ScriptHost, ChunkErrorsAreReportedOnceAndLeaveTheStackEmpty) {
    CScriptHost host;
    // A syntax error: nothing of the chunk runs.
    EXPECT_FALSE(host.RunString("ran = 1\n x = = 2"));
    EXPECT_NE(host.GetErrorText().Find("unexpected symbol"), -1) << host.GetErrorText().CStr();
    EXPECT_EQ(1, std::count(host.GetErrorText().StdString().begin(), host.GetErrorText().StdString().end(), '\n'));
    CListString out;
    EXPECT_FALSE(host.GetGlobal("ran", out));
    EXPECT_EQ(0, Top(host));

    // A runtime error, a non-text error value, and a null chunk.
    EXPECT_FALSE(host.RunString("error('boom')"));
    EXPECT_NE(host.GetErrorText().Find("boom"), -1);
    EXPECT_FALSE(host.RunString("error(42, 0)"));
    EXPECT_STREQ("42\n", host.GetErrorText().CStr());
    EXPECT_FALSE(host.RunString("error({})"));
    EXPECT_STREQ("", host.GetErrorText().CStr());
    EXPECT_FALSE(host.RunString("error(true, 0)"));
    EXPECT_STREQ("true\n", host.GetErrorText().CStr());
    EXPECT_FALSE(host.RunString(nullptr));
    EXPECT_STREQ("true\n", host.GetErrorText().CStr());
    EXPECT_EQ(0, Top(host));

    // Results of a chunk are not kept on the stack.
    EXPECT_TRUE(host.RunString("return 1, 2, 3"));
    EXPECT_EQ(0, Top(host));
    EXPECT_TRUE(host.CheckString("x = 1"));
    EXPECT_FALSE(host.CheckString("x ="));
    EXPECT_EQ(0, Top(host));
}

TEST(ScriptHost, CallFunction) {
    CScriptHost host;
    ASSERT_TRUE(host.RunString("calls = 0 function f() calls = calls + 1 return 1, 2 end "
                               "function g() error('inside g') end s = 'text'"));
    EXPECT_TRUE(host.CallFunction("f"));
    EXPECT_EQ(0, Top(host));
    EXPECT_FALSE(host.CallFunction("g"));
    EXPECT_NE(host.GetErrorText().Find("inside g"), -1);
    const CListString before = host.GetErrorText();
    // Not a function, or missing: false without a new error text.
    EXPECT_FALSE(host.CallFunction("s"));
    EXPECT_FALSE(host.CallFunction("missing"));
    EXPECT_FALSE(host.CallFunction(nullptr));
    EXPECT_STREQ(before.CStr(), host.GetErrorText().CStr());
    EXPECT_TRUE(host.IsFunction("f"));
    EXPECT_FALSE(host.IsFunction("s"));
    CListString calls;
    host.GetGlobal("calls", calls);
    EXPECT_STREQ("1", calls.CStr());
    EXPECT_EQ(0, Top(host));
}

TEST(ScriptHost, MetatableOnGlobalsCannotEscapeProtection) {
    CScriptHost host;
    // A strict-mode _G raises on every unknown read and write.
    ASSERT_TRUE(host.RunString("setmetatable(_G, {__index = function(t, k) error('no global ' .. k) end,"
                               " __newindex = function(t, k) error('cannot set ' .. k) end})"));
    CListString out;
    EXPECT_FALSE(host.GetGlobal("missing", out));
    EXPECT_NE(host.GetErrorText().Find("no global missing"), -1);
    EXPECT_FALSE(host.SetGlobal("fresh", "1"));
    EXPECT_NE(host.GetErrorText().Find("cannot set fresh"), -1);
    EXPECT_FALSE(host.CallFunction("missing"));
    EXPECT_FALSE(host.IsFunction("missing"));
    EXPECT_EQ(0, Top(host));
}

TEST(ScriptHost, OpenCloseAndFiles) {
    TempDir dir;
    CScriptHost host;
    ASSERT_TRUE(host.SetGlobal("kept", "1"));
    ASSERT_TRUE(host.Open());
    CListString out;
    EXPECT_FALSE(host.GetGlobal("kept", out));

    WriteFile(dir.File("good.lua"), "from_file = 'yes'\nreturn 1, 2");
    WriteFile(dir.File("bad.lua"), "from_bad = 1\nlocal = 3\n");
    EXPECT_TRUE(host.RunFile(dir.File("good.lua").c_str()));
    EXPECT_TRUE(host.GetGlobal("from_file", out));
    EXPECT_EQ(0, Top(host));
    EXPECT_FALSE(host.RunFile(dir.File("bad.lua").c_str()));
    EXPECT_NE(host.GetErrorText().Find("bad.lua:2"), -1) << host.GetErrorText().CStr();
    EXPECT_FALSE(host.RunFile(dir.File("missing.lua").c_str()));
    EXPECT_NE(host.GetErrorText().Find("missing.lua"), -1);
    EXPECT_FALSE(host.RunFile(nullptr));
    EXPECT_EQ(0, Top(host));

    ASSERT_TRUE(host.Close());
    EXPECT_FALSE(host.IsOpen());
    const CListString before = host.GetErrorText();
    EXPECT_FALSE(host.RunString("x = 1"));
    EXPECT_FALSE(host.SetGlobal("x", "1"));
    EXPECT_FALSE(host.GetGlobal("x", out));
    EXPECT_FALSE(host.CallFunction("f"));
    host.ReportError("ignored");
    EXPECT_STREQ(before.CStr(), host.GetErrorText().CStr());
}

TEST(ScriptHost, ErrorsGoToTheLogOnlyWithLoggingOn) {
    TempDir dir;
    const std::string log = dir.File("host.log");
    SetLogFileName(log.c_str());
    const int level = GetLogLevel();
    SetLogLevel(LOG_LEVEL_FILE);
    CScriptHost host;
    host.RunString("error('quiet failure')");
    host.SetLogging(true);
    host.RunString("error('loud failure')");
    SetLogLevel(level);
    SetLogFileName(nullptr);
    const std::string text = ReadFile(log);
    EXPECT_EQ(std::string::npos, text.find("quiet failure"));
    EXPECT_NE(std::string::npos, text.find("loud failure"));
}

}  // namespace

// The script interface as scripts see it: classes, overloads, defaults,
// ownership and the binding's error texts.
#include "CScriptHost.h"
#include "MessageSink.h"
#include "ScriptBinding.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

extern "C" {
#include <lua.h>
}

namespace {

class ScriptInterface : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RegisterScriptInterface(host.GetState(), tolua_Taverix_open));
        ASSERT_TRUE(host.RunString("t = CTable:new_local()\n"
                                   "t:SetSeps(',', ';')\n"
                                   "t:fromString('ID,NAME,2,AMOUNT;1,alpha,two,12.500000;2,beta,zwei,-999;')\n"));
    }

    // Runs the chunk, then reads the global r.
    std::string Result(const std::string& chunk) {
        if (!host.RunString(chunk.c_str())) return "error: " + host.GetErrorText().StdString();
        CListString r;
        if (!host.GetGlobal("r", r)) return "no r";
        host.RunString("r = nil");
        return r.StdString();
    }

    CScriptHost host;
};

TEST_F(ScriptInterface, TableMethodsAndOverloads) {
    struct Case {
        const char* chunk;
        const char* expected;
    } cases[] = {
        {"r = t._count", "2"},
        {"r = t:vs(0, 'NAME')", "alpha"},
        {"r = t:vs(0, 1)", "alpha"},
        // A number or a numeric text in second place selects the column form.
        {"r = t:vs(0, 2)", "two"},
        {"r = t:vs(0, '2')", "two"},
        {"r = t:vs(0, 'AMOUNT', true)", "12.5"},
        {"r = t:vs(0, 3)", "12.500000"},
        // vi and vd take any second argument as a field name: 2 is the field "2".
        {"r = t:vi(1, 'ID')", "2"},
        {"r = t:vi(0, 2)", "0"},
        {"r = t:vi(0, 3)", "-999"},
        {"r = t:vd(0, 'amount')", "12.5"},
        {"r = t:vd(1, 'AMOUNT', 7)", "7"},
        {"r = t:vd(1, 'AMOUNT')", "-999"},
        {"r = t:getIndexByName('amount')", "3"},
        {"r = t:search('NAME', 'BETA', 'ID')", "2"},
        {"r = type(t:setvs(0, 'NAME', 'changed'))", "userdata"},
        {"t:setvs(0, 'NAME', 'changed') r = t:vs(0, 1)", "changed"},
        {"t:setvi(1, 'ID', 7.9) r = t:vs(1, 'ID')", "7"},
        {"t:setvd(1, 'AMOUNT', 1.25) r = t:vs(1, 'AMOUNT')", "1.250000"},
        {"local c = CTable() c:copy(t) r = c._count .. c:vs(1, 'name')", "2beta"},
        {"local c = CTable() r = c:fromString(5) .. c:vs(0, 0) .. c:getIndexByName('5')", "00"},
        {"t._count = 1 r = t:vs(1, 'ID')", ""},
        {"t._count = '1' r = t._count", "1"},
        {"local c = CTable:new() c:fromString('a\\1b\\2') r = c.GetFieldCount == nil and 'hidden' "
         "or 'shown' c:delete()",
         "hidden"},
        {"r = tostring(Util():GetExePath(2) ~= '')", "true"},
        {"r = Util:new():GetExePath(7)", ""},
        {"r = tostring(Util():Run(nil))", "false"},
        // nil for a text argument reaches the engine as a null text.
        {"r = t:vs(0, nil)", "字段 \"\" 不正确"},
        {"r = t:fromString(nil)", "-1"},
        {"r = t:getIndexByName(nil)", "-1"},
    };
    for (const Case& c : cases) {
        SetUp();
        EXPECT_EQ(c.expected, Result(c.chunk)) << c.chunk;
        EXPECT_EQ(0, lua_gettop(host.GetState())) << c.chunk;
    }
}

TEST_F(ScriptInterface, ArgumentErrors) {
    struct Case {
        const char* chunk;
        const char* expected;
    } cases[] = {
        {"t:vs('x', 1)",
         "error in function 'vs'.\n     argument #2 is 'string'; 'number' expected.\n"},
        {"t:vi({}, 1)", "error in function 'vi'.\n     argument #2 is 'table'; 'number' expected.\n"},
        {"t.vs(nil, 0, 1)", "invalid 'self' in function 'vs'"},
        {"t:copy(5)", "error in function 'copy'.\n     argument #2 is 'number'; 'CTable' expected.\n"},
        {"t:vs(0, 1, false, 9)", "error in function 'vs'."},
        {"t._count = 'many'",
         "invalid type in variable assignment.\n     value is 'string'; 'number' expected.\n"},
        {"local get = getmetatable(t)['.get']._count r = get(nil)",
         "invalid 'self' in accessing variable '_count'"},
        {"ExcelFile():SetCell('a', 1, 'x')",
         "error in function 'SetCell'.\n     argument #2 is 'string'; 'number' expected.\n"},
        {"ExcelFile():SetTable(1, 1, ExcelFile(), 1)",
         "argument #4 is 'ExcelFile'; 'CTable' expected."},
        {"MessageBox({})", "error in function 'MessageBox'."},
    };
    for (const Case& c : cases) {
        const std::string result = Result(c.chunk);
        EXPECT_NE(std::string::npos, result.find(c.expected)) << c.chunk << "\n" << result;
        EXPECT_EQ(0, lua_gettop(host.GetState())) << c.chunk;
    }
}

TEST_F(ScriptInterface, WorkbookMethodsWithoutAWorkbookFailQuietly) {
    struct Case {
        const char* chunk;
        const char* expected;
    } cases[] = {
        {"local x = ExcelFile() r = tostring(x:SetColor(1, 1, 255))", "false"},
        {"local x = ExcelFile() r = x:GetCell(1, 1) .. '|' .. x:GetCell('A1')", "|"},
        {"local x = ExcelFile() r = x:GetSheetCount() + x:GetRowCount() + x:GetCellHeight(1, 1)", "0"},
        {"local x = ExcelFile() r = tostring(x:Open('/nonexistent.xlsx'))", "false"},
        {"local x = ExcelFile() x:InitExcel() r = tostring(x:Open(nil)) .. x:Ok()", "false0"},
        {"local x = ExcelFile() r = tostring(x:SaveAs('/tmp/never.xlsx'))", "false"},
        {"local x = ExcelFile() local ok, a, b = x:GetMergeRowColumns(1, 1, 0, 0) "
         "r = tostring(ok) .. a .. b",
         "false00"},
        {"local x = ExcelFile() r = tostring(x:GoReplaceAll()) .. tostring(x:SetTable(1, 1, t, 1))",
         "falsefalse"},
        {"local x = ExcelFile() r = x:GetString('select 1') .. tostring(x:TaverixRunBySQL('a', 'b'))",
         "false"},
        {"local x = ExcelFile() r = tostring(x:TaverixRun(nil))", "false"},
        {"local x = ExcelFile:new() x:SetFont(1, 1) x:delete() r = 'ok'", "ok"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, Result(c.chunk)) << c.chunk;
}

// Deleting an object the interpreter owns, or deleting twice, or using an
// object after delete: errors for the script, never a second free.
TEST_F(ScriptInterface, DeleteIsSafeForEveryKindOfObject) {
    struct Case {
        const char* chunk;
        const char* expected;
    } cases[] = {
        {"local c = CTable() c:delete() collectgarbage() r = 'ok'", "ok"},
        {"local c = CTable:new_local() c:delete() collectgarbage() r = 'ok'", "ok"},
        {"local x = ExcelFile() x:delete() collectgarbage() r = 'ok'", "ok"},
        {"local c = CTable:new() c:delete() r = select(2, pcall(c.vs, c, 0, 0))",
         "invalid 'self' in function 'vs'"},
        {"local c = CTable() c:delete() r = select(2, pcall(c.delete, c))",
         "invalid 'self' in function 'delete'"},
        {"local c = CTable() c:delete() r = select(2, pcall(function() return c._count end))",
         "invalid 'self' in accessing variable '_count'"},
        {"local c = CTable() c:delete() r = tostring(ExcelFile():SetTable(1, 1, c, 1))", "false"},
        // Objects made after a delete (often at the same address) work.
        {"r = 0 for i = 1, 50 do local c = CTable() c:delete() local d = CTable:new() "
         "r = r + d:fromString('a\1b\2' .. i .. '\1x\2') d:delete() end collectgarbage()",
         "50"},
        {"local c = CTable:new() r = select(2, pcall(c.delete, c, 1))", "error in function 'delete'."},
    };
    for (const Case& c : cases) {
        const std::string result = Result(c.chunk);
        EXPECT_NE(std::string::npos, result.find(c.expected)) << c.chunk << "\n" << result;
        EXPECT_EQ(0, lua_gettop(host.GetState())) << c.chunk;
    }
    // Closing the state frees what it owns once.
    EXPECT_TRUE(host.RunString("a = CTable() b = ExcelFile() a:delete()"));
    host.Close();
}

std::vector<std::string> g_shown;
void Shown(const char* text) {
    g_shown.push_back(text);
}

TEST(ScriptWorkbook, WorkbookMethodsThroughLua) {
    TempDir dir;
    const std::string templatePath = dir.File("t.xlsx");
    std::string output;
    ASSERT_EQ(0, RunPython("import openpyxl\nwb = openpyxl.Workbook()\nws = wb.active\nws['B3'] = 'ref'\n"
                           "ws['A1'] = 7\nws.merge_cells('C1:D3')\nwb.save('" + templatePath + "')\n",
                           &output))
        << output;
    CScriptHost host;
    ASSERT_TRUE(RegisterScriptInterface(host.GetState(), tolua_Taverix_open));
    g_shown.clear();
    SetMessageHandler(Shown);
    const std::string out = dir.File("out.xlsx");
    const std::string chunk = "x = ExcelFile()\nx:InitExcel()\nx:Show(false)\nassert(x:Open('" + templatePath + R"('))
assert(x:LoadSheetIdx(1))
-- one argument selects the reference form, two numbers the row and column form
r1 = x:GetCell('B3') .. '|' .. x:GetCell(3, 2) .. '|' .. x:GetCell(1, 1)
ok, rows, cols = x:GetMergeRowColumns(1, 3, 0, 0)
r2 = tostring(ok) .. rows .. cols .. tostring(x:IsMergeCell(2, 4))
x:SetCell(5, 1, 'plain')
x:SetFont(5, 1)
x:SetCell(6, 1, 'styled')
x:SetFont(6, 1, 255, 'Courier New', 9, 0, true, true)
MessageBox('hello from a script')
r3 = tostring(x:SaveAs(')" + out + R"('))
x:ReleaseExcel()
)";
    ASSERT_TRUE(host.RunString(chunk.c_str())) << host.GetErrorText().CStr();
    SetMessageHandler(nullptr);
    CListString r;
    host.GetGlobal("r1", r);
    EXPECT_STREQ("ref|ref|7.000000", r.CStr());
    host.GetGlobal("r2", r);
    EXPECT_STREQ("true32true", r.CStr());
    host.GetGlobal("r3", r);
    EXPECT_STREQ("true", r.CStr());
    ASSERT_EQ(1u, g_shown.size());
    EXPECT_EQ("hello from a script", g_shown[0]);
    ASSERT_EQ(0, RunPython("import openpyxl\nws = openpyxl.load_workbook('" + out + R"(').worksheets[0]
f = ws['A5'].font
assert f.sz == 16 and f.u == 'single' and not f.b and not f.i and f.color.rgb == 'FF000000', f
g = ws['A6'].font
assert g.name == 'Courier New' and g.sz == 9 and g.u is None and g.b and g.i and g.color.rgb == 'FFFF0000', g
)",
                           &output))
        << output;
}

}  // namespace

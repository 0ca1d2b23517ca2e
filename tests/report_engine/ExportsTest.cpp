// libTaverix.so as its callers load it: dlopen, the exports by name, whole
// report runs checked with openpyxl.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <set>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> g_messages;
void Collect(const char* text) {
    g_messages.push_back(text);
}

class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        handle = dlopen(TAVERIX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, handle) << dlerror();
        report = reinterpret_cast<int (*)(const char*)>(dlsym(handle, "report"));
        get_var = reinterpret_cast<int (*)(const char*, const char*, char*)>(dlsym(handle, "get_var"));
        add_vars = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(handle, "add_vars"));
        add_table = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(handle, "add_table"));
        add_table_file = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(handle, "add_table_file"));
        add_custom_script = reinterpret_cast<int (*)(const char*)>(dlsym(handle, "add_custom_script"));
        reset = reinterpret_cast<void (*)()>(dlsym(handle, "reset"));
        set_message_handler =
            reinterpret_cast<void (*)(void (*)(const char*))>(dlsym(handle, "set_message_handler"));
        ASSERT_TRUE(report && get_var && add_vars && add_table && add_table_file && add_custom_script && reset &&
                    set_message_handler);
        g_messages.clear();
        set_message_handler(Collect);
    }
    void TearDown() override {
        if (handle) {
            reset();
            set_message_handler(nullptr);
            dlclose(handle);
        }
    }

    void* handle = nullptr;
    int (*report)(const char*) = nullptr;
    int (*get_var)(const char*, const char*, char*) = nullptr;
    int (*add_vars)(const char*, const char*) = nullptr;
    int (*add_table)(const char*, const char*) = nullptr;
    int (*add_table_file)(const char*, const char*) = nullptr;
    int (*add_custom_script)(const char*) = nullptr;
    void (*reset)() = nullptr;
    void (*set_message_handler)(void (*)(const char*)) = nullptr;
    TempDir dir;
};

TEST_F(Exports, OnlyTheEightFunctionsAreExported) {
    std::string output;
    ASSERT_EQ(0, RunProgram("/usr/bin/nm", std::string("-D --defined-only ") + TAVERIX_LIBRARY, "/", &output));
    std::set<std::string> names;
    std::istringstream lines(output);
    std::string address, kind, name;
    while (lines >> address >> kind >> name)
        if (kind == "T" || kind == "D" || kind == "B" || kind == "W" || kind == "V") names.insert(name);
    const std::set<std::string> expected = {"report", "get_var", "add_vars", "add_table", "add_table_file",
                                            "add_custom_script", "reset", "set_message_handler"};
    for (const std::string& n : names)
        EXPECT_TRUE(expected.count(n) || n.rfind("_", 0) == 0) << "exported: " << n;
    for (const std::string& n : expected) EXPECT_TRUE(names.count(n)) << "missing: " << n;
}

TEST_F(Exports, QueueingRefusesNullsAndBadTableNames) {
    EXPECT_EQ(-1, add_vars(nullptr, "v"));
    EXPECT_EQ(-1, add_vars("n", nullptr));
    EXPECT_EQ(-1, add_table(nullptr, "t"));
    EXPECT_EQ(-1, add_table("t", nullptr));
    EXPECT_EQ(-1, add_table_file("t", nullptr));
    EXPECT_EQ(-1, add_custom_script(nullptr));
    for (const char* bad : {"", "1st", "a b", "x=1 os.exit()", "a.b", "while", "nil"}) {
        EXPECT_EQ(-1, add_table(bad, "A\x02")) << bad;
        EXPECT_EQ(-1, add_table_file(bad, "/etc/hostname")) << bad;
    }
    EXPECT_EQ(0, add_table("_ok9", "A\x02"));
    EXPECT_EQ(0, add_table_file("file", dir.File("missing.txt").c_str()));
    EXPECT_EQ(0, add_vars("any name at all", "v"));
    EXPECT_EQ(0, add_custom_script("x = 1"));
    EXPECT_EQ(-1, report(nullptr));
}

TEST_F(Exports, GetVarReadsOneGlobalIntoTheCallersBuffer) {
    WriteFile(dir.File("vars.lua"), "query = 'select * from t_bug where {BG_STATUS,status}'\nn = 12\nt = {}\n"
                                     "long = string.rep('\\228\\184\\173', 5000)\n");
    WriteFile(dir.File("bad.lua"), "query = 'x'\nerror('stop')\n");
    WriteFile(dir.File("uses_classes.lua"), "query = 'x'\nlocal t = CTable:new()\n");
    WriteFile(dir.File("exits.lua"), "query = 'x'\nos.exit(3)\n");
    std::vector<char> buffer(9000 + 64, '#');
    EXPECT_EQ(0, get_var(dir.File("vars.lua").c_str(), "query", buffer.data()));
    EXPECT_STREQ("select * from t_bug where {BG_STATUS,status}", buffer.data());
    EXPECT_EQ(0, get_var(dir.File("vars.lua").c_str(), "n", buffer.data()));
    EXPECT_STREQ("12", buffer.data());
    EXPECT_EQ(0, get_var(dir.File("vars.lua").c_str(), "t", buffer.data()));
    EXPECT_STREQ("", buffer.data());
    EXPECT_EQ(0, get_var(dir.File("vars.lua").c_str(), "missing", buffer.data()));
    EXPECT_STREQ("", buffer.data());

    // 15000 bytes of three-byte characters: cut to what fits in 9000 bytes
    // with the NUL, on a character boundary, and nothing written beyond.
    std::fill(buffer.begin(), buffer.end(), '#');
    EXPECT_EQ(0, get_var(dir.File("vars.lua").c_str(), "long", buffer.data()));
    const size_t length = strlen(buffer.data());
    EXPECT_EQ(8997u, length);
    EXPECT_EQ(0, length % 3);
    for (size_t i = 9000; i < buffer.size(); ++i) ASSERT_EQ('#', buffer[i]) << i;

    std::fill(buffer.begin(), buffer.end(), '#');
    for (const char* script : {"bad.lua", "uses_classes.lua", "exits.lua", "missing.lua"}) {
        EXPECT_EQ(-1, get_var(dir.File(script).c_str(), "query", buffer.data())) << script;
        EXPECT_EQ('#', buffer[0]) << script;
    }
    EXPECT_EQ(-1, get_var(nullptr, "query", buffer.data()));
    EXPECT_EQ(-1, get_var(dir.File("vars.lua").c_str(), "query", nullptr));
}

TEST_F(Exports, ReportFillsTheTemplateFromEveryKindOfInput) {
    const std::string templatePath = dir.File("t.xlsx");
    std::string output;
    ASSERT_EQ(0, RunPython("import openpyxl\nwb = openpyxl.Workbook()\nws = wb.active\nws['A1'] = 'Date: {d}'\n"
                           "ws.title = 'List'\nwb.save('" + templatePath + "')\n",
                           &output))
        << output;
    const std::string out = dir.File("out.xlsx");
    WriteFile(dir.File("data.txt"), "ID\x01Summary\x02" "7\x01" "from file\x02");
    WriteFile(dir.File("r.lua"), "template_file = '" + templatePath + "'\ndest_file = '" + out + R"('
open_file = '0'
function report()
  obj:LoadSheetIdx(1)
  obj:AddReplace('{d}', calc_date)
  obj:SetTable(2, 1, table, 1)
  obj:SetTable(5, 1, filed, 0)
  obj:SetCell(7, 1, extra)
  obj:SetCell(8, 1, missing:vs(0, 0) .. '|' .. missing:getIndexByName('-1'))
end
)");
    ASSERT_EQ(0, add_vars("calc_date", "2026-12-10"));
    ASSERT_EQ(0, add_table("table", "ID\x01Summary\x02" "1\x01" "first\x02" "2\x01" "second\x02"));
    ASSERT_EQ(0, add_table_file("filed", dir.File("data.txt").c_str()));
    ASSERT_EQ(0, add_table_file("missing", dir.File("none.txt").c_str()));
    ASSERT_EQ(0, add_custom_script("extra = 'custom ' .. calc_date"));
    ASSERT_EQ(0, report(dir.File("r.lua").c_str()));
    EXPECT_TRUE(g_messages.empty());
    ASSERT_EQ(0, RunPython("import openpyxl\nws = openpyxl.load_workbook('" + out + R"(').worksheets[0]
assert ws.title == 'List'
assert ws['A1'].value == 'Date: 2026-12-10', ws['A1'].value
assert [ws.cell(row=r, column=c).value for r in (2, 3, 4) for c in (1, 2)] == ['ID', 'Summary', 1, 'first', 2, 'second']
assert ws['A6'].value == 7 and ws['B6'].value == 'from file'
assert ws['A5'].value is None
assert ws['A7'].value == 'custom 2026-12-10'
assert ws['A8'].value == '|0', ws['A8'].value
)",
                           &output))
        << output;

    // A failing run reports -1 and tells the handler why.
    WriteFile(dir.File("broken.lua"), "template_file = '" + dir.File("absent.xlsx") + "'\n");
    EXPECT_EQ(-1, report(dir.File("broken.lua").c_str()));
    ASSERT_EQ(1u, g_messages.size());
    EXPECT_NE(std::string::npos, g_messages[0].find("absent.xlsx"));

    // A script cannot end the program that hosts the library.
    WriteFile(dir.File("exit.lua"), "template_file = '" + templatePath + "'\ndest_file = '" + dir.File("x.xlsx") +
                                        "'\nfunction report() os.exit(3) end\n");
    EXPECT_EQ(-1, report(dir.File("exit.lua").c_str()));
}

TEST_F(Exports, TheQuerySampleReadsItsOwnDataSource) {
    const std::string db = SetUpSqliteDsn(dir);
    std::string output;
    ASSERT_EQ(0, RunPython("import sqlite3\nc = sqlite3.connect('" + db + R"(')
c.execute('create table t_bug (BG_BUG_ID integer, BG_SUMMARY varchar(200), BG_STATUS varchar(20), BG_SEVERITY integer)')
c.executemany('insert into t_bug values (?, ?, ?, ?)', [(1, '崩溃', 'open', 1), (2, 'typo', 'closed', 3)])
c.commit()
)",
                           &output))
        << output;
    // The sample's paths are relative: they resolve beside this test program,
    // so the sample folder is linked there for the run.
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = 0;
    std::string folder(self);
    folder.resize(folder.rfind('/'));
    const std::string reportDir = folder + "/report";
    mkdir(reportDir.c_str(), 0755);
    const std::string link = reportDir + "/samples";
    if (!FileExists(link)) {
        ASSERT_EQ(0, symlink(SAMPLES_DIR, link.c_str()));
    }
    const std::string out = folder + "/bug_query_out.xlsx";
    unlink(out.c_str());

    ASSERT_EQ(0, add_vars("dsn", "ztest"));
    ASSERT_EQ(0, report((std::string(SAMPLES_DIR) + "/bug_query.lua").c_str()));
    EXPECT_TRUE(g_messages.empty()) << g_messages[0];
    ASSERT_EQ(0, RunPython("import openpyxl\nwb = openpyxl.load_workbook('" + out + R"(')
ws = wb.worksheets[0]
assert wb.sheetnames == ['ztest'], wb.sheetnames
assert ws['A1'].value == '数据源 ztest 的缺陷', ws['A1'].value
assert [c.value for c in ws[3]] == ['BG_BUG_ID', 'BG_SUMMARY', 'BG_STATUS', 'BG_SEVERITY']
assert [c.value for c in ws[4]] == [1, '崩溃', 'open', 1]
assert [c.value for c in ws[5]] == [2, 'typo', 'closed', 3]
assert ws['B4'].font.b and ws['B4'].font.color.rgb == 'FFFF0000' and not ws['B5'].font.b
assert ws['A2'].value != '{date}' and len(ws['A2'].value) == 10
)",
                           &output))
        << output;
    unlink(out.c_str());

    // Without a data source the script says so and the run still saves.
    reset();
    ASSERT_EQ(0, add_vars("dsn", "no_such_source"));
    report((std::string(SAMPLES_DIR) + "/bug_query.lua").c_str());
    ASSERT_EQ(1u, g_messages.size());
    EXPECT_EQ("无法连接数据源 no_such_source", g_messages[0]);
    unlink(out.c_str());
}

}  // namespace

// taverixrun end to end: real processes, real files, a SQLite ODBC source.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

namespace {

const std::string kRunner = TAVERIXRUN;

std::string Quote(const std::string& path) {
    return "'" + path + "'";
}

// "import openpyxl" checks on the workbook at path; empty on success.
std::string Check(const std::string& path, const std::string& checks) {
    std::string output;
    const int rc = RunPython("import openpyxl\nwb = openpyxl.load_workbook('" + path + "')\nws = wb.worksheets[0]\n" +
                                 checks + "\n",
                             &output);
    return rc == 0 ? std::string() : output;
}

class Runner : public ::testing::Test {
protected:
    void SetUp() override {
        templatePath = dir.File("t.xlsx");
        std::string output;
        ASSERT_EQ(0, RunPython("import openpyxl\nwb = openpyxl.Workbook()\nwb.active['A1'] = 'n={n}'\nwb.save('" +
                                   templatePath + "')\n",
                               &output))
            << output;
    }
    std::string Script(const std::string& name, const std::string& dest, const std::string& body) {
        WriteFile(dir.File(name),
                  "template_file = '" + templatePath + "'\ndest_file = '" + dest + "'\n" + body);
        return dir.File(name);
    }
    TempDir dir;
    std::string templatePath;
};

TEST_F(Runner, WrongArgumentsPrintTheUsageAndFail) {
    // Standard input is no terminal here: nothing waits for a key.
    for (const std::string arguments : {"", "a b c", "a b c d"}) {
        std::string output;
        EXPECT_EQ(2, RunProgram(kRunner, arguments, dir.Path(), &output)) << arguments;
        EXPECT_EQ("example:\ntaverixrun config.lua  dbout.txt\npress any key to exit\n", output) << arguments;
    }
}

TEST_F(Runner, RunsAScriptOnADataFileWithTheOlderProfile) {
    const std::string out = dir.File("out.xlsx");
    // The top level runs before the classes exist: it fails at CTable, the
    // globals set before stay, and the run goes on.
    const std::string script = Script("s.lua", out, R"(
function report()
  obj:LoadSheetIdx(1)
  obj:SetTable(2, 1, table, 1)
  obj:AddReplace('{n}', tostring(table._count))
  local plain = CTable:new()
  plain:fromString('a|b\n1|2\n')
  local comma = CTable(',')
  comma:fromString('x,y\n3,4\n')
  obj:SetCell(10, 1, plain:vs(0, 'b') .. comma:vs(0, 'y') .. tostring(obj:SetColor(10, 1, 255)))
  obj:ShowInExcel(2)
  obj:SetCell(11, 1, tostring(CTable.fromFile == nil) .. tostring(ExcelFile.SetFont == nil) .. tostring(Util == nil))
end
broken = CTable:new()
)");
    // Longer than 8000 characters and 1000 lines: read whole.
    std::string data = "ID\x01Text\x02";
    for (int i = 1; i <= 1500; ++i) data += std::to_string(i) + "\x01" + std::string(i == 7 ? 9000 : 3, 'x') + "\x02";
    WriteFile(dir.File("data.txt"), data);
    std::string output;
    ASSERT_EQ(0, RunProgram(kRunner, Quote(script) + " " + Quote(dir.File("data.txt")), dir.Path(), &output))
        << output;
    EXPECT_NE(std::string::npos, output.find("attempt to index global 'CTable'")) << output;
    EXPECT_EQ("", Check(out, R"(
assert ws['A1'].value == 'n=1500', ws['A1'].value
assert ws['A2'].value == 'ID' and ws['A3'].value == 1 and ws['A1502'].value == 1500
assert ws['B9'].value == 'x' * 9000
assert ws['A10'].value == '24true', ws['A10'].value
assert ws['A10'].font.color is None or ws['A10'].font.color.rgb != 'FFFF0000'
assert ws['A11'].value == 'truetruetrue', ws['A11'].value
)"));

    // A missing data file gives a table with the one field "-1" and no rows.
    const std::string empty = Script("e.lua", dir.File("e.xlsx"),
                                     "function report() obj:LoadSheetIdx(1) obj:SetCell(1, 1, "
                                     "table:vs(0, 0) .. table._count .. table:vs(0, '-1')) end\n");
    ASSERT_EQ(0, RunProgram(kRunner, Quote(empty) + " " + Quote(dir.File("none.txt")), dir.Path(), &output))
        << output;
    EXPECT_EQ("", Check(dir.File("e.xlsx"), "assert ws['A1'].value == 0, ws['A1'].value"));

    // The run's table made with new may be deleted by the script: the closing
    // table:reset() then fails as a script error, nothing is freed twice.
    const std::string deleting = Script("d.lua", dir.File("d.xlsx"),
                                        "function report() obj:LoadSheetIdx(1) obj:SetCell(1, 1, table:vs(0, 'ID')) "
                                        "table:delete() local t = CTable() t:delete() dest_file = '" +
                                            dir.File("named.xlsx") + "' end\n");
    EXPECT_EQ(0, RunProgram(kRunner, Quote(deleting) + " " + Quote(dir.File("data.txt")), dir.Path(), &output))
        << output;
    EXPECT_NE(std::string::npos, output.find("invalid 'self' in function 'reset'")) << output;
    // ... and a dest_file set in report is where the result goes.
    EXPECT_FALSE(FileExists(dir.File("d.xlsx")));
    EXPECT_EQ("", Check(dir.File("named.xlsx"), "assert ws['A1'].value == 1, ws['A1'].value"));
}

TEST_F(Runner, AFailedReportExitsNonZeroAndWritesNothing) {
    WriteFile(dir.File("data.txt"), "A\x02" "1\x02");
    WriteFile(dir.File("notemplate.lua"), "dest_file = '" + dir.File("a.xlsx") + "'\n");
    WriteFile(dir.File("missing.lua"),
              "template_file = '" + dir.File("absent.xlsx") + "'\ndest_file = '" + dir.File("b.xlsx") +
                  "'\nfunction report() obj:SetCell(1, 1, 'x') end\n");
    Script("badsave.lua", dir.File("no/folder/c.xlsx"), "function report() end\n");
    WriteFile(dir.File("syntax.lua"), "template_file = = 1\n");
    for (const char* script : {"notemplate.lua", "missing.lua", "badsave.lua", "syntax.lua", "absent.lua"}) {
        std::string output;
        EXPECT_EQ(255, RunProgram(kRunner, Quote(dir.File(script)) + " " + Quote(dir.File("data.txt")), dir.Path(),
                                  &output))
            << script << "\n" << output;
    }
    std::string output;
    RunProgram(kRunner, Quote(dir.File("missing.lua")) + " data.txt", dir.Path(), &output);
    EXPECT_NE(std::string::npos, output.find("文件 " + dir.File("absent.xlsx") + " 可能不存在")) << output;
    for (const char* file : {"a.xlsx", "b.xlsx", "no"}) EXPECT_FALSE(FileExists(dir.File(file))) << file;
}

TEST_F(Runner, ExportsAQueryAndRunsTheConfiguredScript) {
    const std::string db = SetUpSqliteDsn(dir);
    std::string output;
    ASSERT_EQ(0, RunPython("import sqlite3\nc = sqlite3.connect('" + db + R"(')
c.execute('create table t_bug (BG_BUG_ID integer, BG_SUMMARY varchar(200), BG_STATUS varchar(20), BG_SEVERITY integer)')
c.executemany('insert into t_bug values (?, ?, ?, ?)', [(i, 'bug %d' % i, 'open', i % 3) for i in range(1, 5001)])
c.commit()
)",
                           &output))
        << output;
    const std::string out = dir.File("q.xlsx");
    const std::string script = Script("q.lua", out, "function report() obj:LoadSheetIdx(1) obj:SetTable(1, 1, table, 1) end\n");
    auto config = [&](const std::string& name, const std::string& sql) {
        WriteFile(dir.File(name), "[common]\nsql=" + sql + "\nserver=ztest\nuser=\npass=\nlua_file=" + script + "\n");
        return Quote(dir.File(name));
    };
    // Failing exports: exit -1, no data file, no report.
    for (const auto& bad : {config("update.ini", "update t_bug set BG_STATUS = 'x'"),
                            config("none.ini", "select * from t_bug where BG_BUG_ID < 0"),
                            config("error.ini", "select * from no_table"), Quote(dir.File("absent.ini"))}) {
        EXPECT_EQ(255, RunProgram(kRunner, bad, dir.Path(), &output)) << bad << "\n" << output;
        EXPECT_FALSE(FileExists(dir.File("dbout.txt"))) << bad;
        EXPECT_FALSE(FileExists(out)) << bad;
    }
    // 5000 rows: the first 4000 are exported, and the cut is reported.
    ASSERT_EQ(0, RunProgram(kRunner, config("good.ini", "select BG_BUG_ID, BG_SUMMARY from t_bug order by BG_BUG_ID"),
                            dir.Path(), &output))
        << output;
    EXPECT_NE(std::string::npos, output.find("只取前 4000 行")) << output;
    const std::string text = ReadFile(dir.File("dbout.txt"));
    EXPECT_EQ(0u, text.rfind("BG_BUG_ID\x01" "BG_SUMMARY\x02" "1\x01" "bug 1\x02", 0));
    EXPECT_EQ(4001, std::count(text.begin(), text.end(), '\x02'));
    EXPECT_EQ("", Check(out, "assert ws['A1'].value == 'BG_BUG_ID' and ws['B2'].value == 'bug 1'\n"
                             "assert ws['A4001'].value == 4000 and ws['A4002'].value is None"));
}

TEST_F(Runner, TheSampleRunsOnADataFile) {
    WriteFile(dir.File("bugs.txt"), "BG_BUG_ID\x01" "BG_SUMMARY\x01" "BG_STATUS\x01" "BG_SEVERITY\x02"
                                    "1\x01" "崩溃\x01" "open\x01" "1\x02" "2\x01" "慢\x01" "closed\x01" "3\x02");
    const std::string out = std::string(BIN_DIR) + "/bug_list_out.xlsx";
    unlink(out.c_str());
    std::string output;
    ASSERT_EQ(0, RunProgram(kRunner, "report/samples/bug_list.lua " + Quote(dir.File("bugs.txt")), BIN_DIR, &output))
        << output;
    EXPECT_EQ("", Check(out, R"(
assert wb.sheetnames == ['缺陷列表']
assert ws['A1'].value == '缺陷列表（共 2 个）', ws['A1'].value
assert ws['A3'].value == '编号' and ws['A3'].font.b
assert [c.value for c in ws[4]] == [1, '崩溃', 'open', 1], [c.value for c in ws[4]]
assert [c.value for c in ws[5]] == [2, '慢', 'closed', 3]
assert 'A1:D1' in [str(r) for r in ws.merged_cells.ranges]
)"));
    unlink(out.c_str());
}

}  // namespace

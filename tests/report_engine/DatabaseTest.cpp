// Report queries over a real ODBC data source (SQLite ODBC driver).
#include "ExcelFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

namespace {

class Database : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string db = SetUpSqliteDsn(dir);
        std::string output;
        ASSERT_EQ(0, RunPython("import sqlite3\nc = sqlite3.connect('" + db + R"(')
c.execute('create table t_bug (BG_BUG_ID integer, BG_SUMMARY varchar(200), BG_COST real)')
c.executemany('insert into t_bug values (?, ?, ?)', [(i, 'bug %d' % i, i * 1.5) for i in range(1, 5001)])
c.commit()
)",
                               &output))
            << output;
    }
    TempDir dir;
    ExcelFile engine;
};

TEST_F(Database, QueriesIntoResultText) {
    // Nothing runs before a logon, and only a select runs at all.
    EXPECT_FALSE(engine.TaverixRunBySQL("x.lua", "select 1"));
    ASSERT_TRUE(engine.SetDB("", "", "ztest"));
    ASSERT_TRUE(engine.SetDB("", "other password", "ZTEST"));  // same logon, not repeated
    EXPECT_FALSE(engine.SetDB("someone", "", "other"));         // connected with other values
    EXPECT_FALSE(engine.SetDB("someone", "", "other"));         // still not connected to those
    EXPECT_TRUE(engine.SetDB("", "", "ztest"));
    EXPECT_EQ("BG_BUG_ID\x01" "BG_SUMMARY\x02" "1\x01" "bug 1\x02" "2\x01" "bug 2\x02",
              engine.GetString("SELECT BG_BUG_ID, BG_SUMMARY FROM t_bug WHERE BG_BUG_ID <= 2"));
    EXPECT_EQ("", engine.GetString("update t_bug set BG_COST = 0"));
    EXPECT_EQ("", engine.GetString("select * from t_bug where BG_BUG_ID < 0"));
    EXPECT_EQ("", engine.GetString("select * from no_such_table"));
    EXPECT_EQ("", engine.GetString(nullptr));

    engine.SetSeps(",", "\n");
    EXPECT_EQ("BG_BUG_ID,BG_COST\n3,4.5\n", engine.GetString("select BG_BUG_ID, BG_COST from t_bug where BG_BUG_ID = 3"));

    // 5000 rows: the header and the first 4000, every line ended.
    const std::string all = engine.GetString("select BG_BUG_ID from t_bug order by BG_BUG_ID");
    EXPECT_EQ(4001, std::count(all.begin(), all.end(), '\n'));
    EXPECT_EQ("\n4000\n", all.substr(all.size() - 6));

    const std::string file = dir.File("rows.txt");
    EXPECT_TRUE(engine.GetFile("select BG_SUMMARY from t_bug where BG_BUG_ID = 9", file.c_str()));
    EXPECT_EQ("BG_SUMMARY\nbug 9\n", ReadFile(file));
    EXPECT_FALSE(engine.GetFile("select 1", dir.File("no/folder/x.txt").c_str()));
}

TEST_F(Database, AReportScriptRunsItsOwnQuery) {
    const std::string templatePath = dir.File("t.xlsx");
    std::string output;
    ASSERT_EQ(0, RunPython("import openpyxl\nwb = openpyxl.Workbook()\nwb.save('" + templatePath + "')\n", &output));
    const std::string out = dir.File("q.xlsx");
    WriteFile(dir.File("q.lua"), "template_file = '" + templatePath + "'\ndest_file = '" + out + R"('
function report()
  obj:LoadSheetIdx(1)
  obj:SetDB('', '', 'ztest')
  local t = CTable()
  t:fromString(obj:GetString('select BG_BUG_ID, BG_SUMMARY, BG_COST from t_bug where BG_BUG_ID between 10 and 12'))
  obj:SetTable(1, 1, t, 1)
end
)");
    ASSERT_TRUE(engine.TaverixRun(dir.File("q.lua").c_str()));
    ASSERT_EQ(0, RunPython("import openpyxl\nws = openpyxl.load_workbook('" + out + R"(').worksheets[0]
rows = [[c.value for c in r] for r in ws.iter_rows(min_row=1, max_row=4, max_col=3)]
assert rows == [['BG_BUG_ID', 'BG_SUMMARY', 'BG_COST'], [10, 'bug 10', 15], [11, 'bug 11', 16.5], [12, 'bug 12', 18]], rows
)",
                           &output))
        << output;

    // TaverixRunBySQL writes dbout.txt in the working folder and runs the script.
    ASSERT_EQ(0, chdir(dir.Path().c_str()));
    WriteFile(dir.File("bysql.lua"), "template_file = '" + templatePath + "'\ndest_file = '" + dir.File("b.xlsx") + R"('
function report()
  obj:LoadSheetIdx(1)
  local t = CTable()
  t:fromFile('dbout.txt')
  obj:SetTable(1, 1, t, 0)
end
)");
    ASSERT_TRUE(engine.SetDB("", "", "ztest"));
    ASSERT_TRUE(engine.TaverixRunBySQL(dir.File("bysql.lua").c_str(), "select BG_SUMMARY from t_bug where BG_BUG_ID = 5"));
    EXPECT_EQ("BG_SUMMARY\x02" "bug 5\x02", ReadFile(dir.File("dbout.txt")));
    ASSERT_EQ(0, RunPython("import openpyxl\nws = openpyxl.load_workbook('" + dir.File("b.xlsx") +
                               "').worksheets[0]\nassert ws['A2'].value == 'bug 5', ws['A2'].value\n",
                           &output))
        << output;
    ASSERT_EQ(0, chdir("/"));
}

}  // namespace

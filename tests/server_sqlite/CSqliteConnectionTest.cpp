#include "CSqliteConnection.h"

#include "CListString.h"
#include "CResultSet.h"
#include "CSqlStatement.h"
#include "DbContractCases.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

class SqliteTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zsqlite-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
        path = dir + "/Lumeno.db";
        ASSERT_TRUE(db.Connect(path.c_str())) << db.GetErrorText().StdString();
    }
    void TearDown() override {
        db.Close();
        std::string command = "rm -rf '" + dir + "'";
        ASSERT_EQ(0, system(command.c_str()));
    }
    std::string dir, path;
    CSqliteConnection db;
};

TEST_F(SqliteTest, ValuesAsText) { dbcases::ValuesAsText(db); }
TEST_F(SqliteTest, RowLimitAndErrors) { dbcases::RowLimitAndErrors(db); }
TEST_F(SqliteTest, ParametersRoundTrip) { dbcases::ParametersRoundTrip(db); }
TEST_F(SqliteTest, PagedQueries) { dbcases::PagedQueries(db); }
TEST_F(SqliteTest, QueryToTextUsesSeparators) { dbcases::QueryToTextUsesSeparators(db); }
TEST_F(SqliteTest, ValuesLongerThanTheirColumns) { dbcases::ValuesLongerThanTheirColumns(db); }

TEST_F(SqliteTest, FileRunsInWalModeWithFullSync) {
    EXPECT_EQ("journal_mode\nwal\n", dbcases::QueryText(db, "pragma journal_mode"));
    // FULL is 2.
    EXPECT_EQ("synchronous\n2\n", dbcases::QueryText(db, "pragma synchronous"));
}

TEST_F(SqliteTest, ColumnsWithoutNameAndNulls) {
    dbcases::Exec(db, "create table tn (a integer, b varchar(10))");
    dbcases::Exec(db, "insert into tn values (1, null)");
    EXPECT_EQ("a|b\n1|\n", dbcases::QueryText(db, "select a, b from tn"));
    EXPECT_EQ("1+1\n2\n", dbcases::QueryText(db, "select 1+1"));
}

TEST_F(SqliteTest, DescribeTableGivesTheCreationStatement) {
    dbcases::Exec(db, "create table t_dept (DEPT_NAME varchar(100), DEPT_DESC varchar(255))");
    CListString out;
    ASSERT_TRUE(db.DescribeTable("T_DEPT", out));
    EXPECT_EQ("sql\nCREATE TABLE t_dept (DEPT_NAME varchar(100), DEPT_DESC varchar(255))\n",
              out.StdString());
    ASSERT_TRUE(db.DescribeTable("no_such", out));
    EXPECT_EQ("sql\n", out.StdString());
    // The name is a value, not SQL.
    ASSERT_TRUE(db.DescribeTable("x') or ('1'='1", out));
    EXPECT_EQ("sql\n", out.StdString());
}

TEST_F(SqliteTest, ExecuteRunsEveryStatementOfAScript) {
    CListString error;
    ASSERT_TRUE(db.Execute("create table ts (a integer); insert into ts values (1);"
                           " insert into ts values (2); -- done",
                           error))
        << error.StdString();
    EXPECT_EQ("n\n2\n", dbcases::QueryText(db, "select count(*) as n from ts"));
    // A failure in the middle stops there.
    EXPECT_FALSE(db.Execute("insert into ts values (3); insert into nope values (1);"
                            " insert into ts values (4)",
                            error));
    EXPECT_EQ("n\n3\n", dbcases::QueryText(db, "select count(*) as n from ts"));
}

TEST_F(SqliteTest, AnotherConnectionSeesCommittedRowsAtOnce) {
    dbcases::Exec(db, "create table tw (a integer)");
    CSqliteConnection other;
    ASSERT_TRUE(other.Connect(path.c_str()));
    dbcases::Exec(other, "insert into tw values (5)");
    EXPECT_EQ("a\n5\n", dbcases::QueryText(db, "select a from tw"));
}

TEST(SqliteConnectTest, MissingFolderFailsWithText) {
    CSqliteConnection db;
    EXPECT_FALSE(db.Connect("/nonexistent-folder/x/Lumeno.db"));
    EXPECT_FALSE(db.GetErrorText().IsEmpty());
    CResultSet rs;
    CListString error;
    EXPECT_EQ(-1, db.Query("select 1", rs, error));
    EXPECT_FALSE(error.IsEmpty());
    EXPECT_FALSE(db.Execute("select 1", error));
}

}  // namespace

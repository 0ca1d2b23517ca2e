// COdbcConnection over the SQLite3 ODBC driver, on a temp file.
#include "COdbcConnection.h"

#include "CListString.h"
#include "CResultSet.h"
#include "DbContractCases.h"
#include "OdbcIniFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class OdbcSqliteTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zodbc-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
        path = dir + "/Lumeno.db";
        ini.reset(new OdbcIniFixture(dir + "/odbc"));
        ini->AddSqliteDsn("Lumeno", path);
        ini->Apply();
        ASSERT_TRUE(db.Connect("", "", "Lumeno")) << db.GetErrorText().StdString();
    }
    void TearDown() override {
        db.Close();
        std::string command = "rm -rf '" + dir + "'";
        ASSERT_EQ(0, system(command.c_str()));
    }
    std::string dir, path;
    std::unique_ptr<OdbcIniFixture> ini;
    COdbcConnection db;
};

TEST_F(OdbcSqliteTest, ValuesAsText) { dbcases::ValuesAsText(db); }
TEST_F(OdbcSqliteTest, RowLimitAndErrors) { dbcases::RowLimitAndErrors(db); }
TEST_F(OdbcSqliteTest, ParametersRoundTrip) { dbcases::ParametersRoundTrip(db); }
TEST_F(OdbcSqliteTest, PagedQueries) { dbcases::PagedQueries(db); }
TEST_F(OdbcSqliteTest, QueryToTextUsesSeparators) { dbcases::QueryToTextUsesSeparators(db); }
TEST_F(OdbcSqliteTest, ValuesLongerThanTheirColumns) { dbcases::ValuesLongerThanTheirColumns(db); }

TEST_F(OdbcSqliteTest, LogonTwiceAndReconnectAfterClose) {
    EXPECT_FALSE(db.Logon());
    EXPECT_EQ("已经连接", db.GetErrorText().StdString());
    db.Close();
    EXPECT_FALSE(db.IsConnected());
    // The next operation logs on again by itself.
    EXPECT_EQ("n\n1\n", dbcases::QueryText(db, "select 1 as n"));
    EXPECT_TRUE(db.IsConnected());
}

TEST_F(OdbcSqliteTest, CommitTypeZeroKeepsTheTransactionOpen) {
    dbcases::Exec(db, "create table tc (a integer)");
    db.SetOption(2, "0");
    dbcases::Exec(db, "insert into tc values (1)");
    {
        COdbcConnection other;
        ASSERT_TRUE(other.Connect("", "", "Lumeno"));
        EXPECT_EQ("a\n", dbcases::QueryText(other, "select a from tc"));
    }
    // Close commits.
    db.Close();
    COdbcConnection other;
    ASSERT_TRUE(other.Connect("", "", "Lumeno"));
    EXPECT_EQ("a\n1\n", dbcases::QueryText(other, "select a from tc"));
}

TEST_F(OdbcSqliteTest, DateFormatDigitsBindsDigitDates) {
    dbcases::Exec(db, "create table td (id integer, d varchar(20))");
    dbcases::Exec(db, "insert into td values (1, '20080506093000')");
    dbcases::Exec(db, "insert into td values (2, '20080505120000')");
    db.SetOption(3, "1");
    EXPECT_EQ("id\n1\n", dbcases::QueryText(db, "select id from td where d >= {20080506}"));
}

TEST_F(OdbcSqliteTest, TimestampColumnsPrintByTheDateFormat) {
    dbcases::Exec(db, "create table ts (id integer, t timestamp)");
    dbcases::Exec(db, "insert into ts values (1, '2008-05-06 00:00:00')");
    dbcases::Exec(db, "insert into ts values (2, '2008-05-06 09:00:00')");
    EXPECT_EQ("id|t\n1|2008-05-06\n2|2008-05-06 09:00:00\n",
              dbcases::QueryText(db, "select id, t from ts order by id"));
    db.SetOption(3, "1");
    EXPECT_EQ("t\n20080506090000\n", dbcases::QueryText(db, "select t from ts where id=2"));
}

TEST_F(OdbcSqliteTest, DescribeTable) {
    dbcases::Exec(db,
                  "create table t_desc (NAME varchar(40), N integer not null, M integer,"
                  " R double, NOTE text)");
    CListString out;
    ASSERT_TRUE(db.DescribeTable("t_desc", out)) << db.GetErrorText().StdString();
    std::string text = out.StdString();
    EXPECT_EQ(0u, text.find("NAME\t文本\t40\t0\n")) << text;
    EXPECT_NE(std::string::npos, text.find("R\t双精度型\t53\t0\n")) << text;
    // The driver reports integers as BIGINT with the data source's BigInt=1.
    EXPECT_NE(std::string::npos, text.find("M\t长整数\t10\t0\n")) << text;
    EXPECT_FALSE(db.DescribeTable("t_desc where 1=1; drop table t_desc", out));
    EXPECT_FALSE(db.DescribeTable("no_such_table", out));
    EXPECT_FALSE(db.GetErrorText().IsEmpty());
}

TEST(OdbcConnectTest, UnknownDataSourceFails) {
    char pattern[] = "/tmp/zodbc-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    OdbcIniFixture ini(std::string(pattern) + "/odbc");
    ini.Apply();
    COdbcConnection db;
    EXPECT_FALSE(db.Connect("u", "p", "NoSuchDsn"));
    EXPECT_FALSE(db.GetErrorText().IsEmpty());
    EXPECT_EQ(-1, db.GetErrorCode());
    CResultSet rs;
    CListString error;
    EXPECT_EQ(-1, db.Query("select 1", rs, error));
    std::string command = std::string("rm -rf '") + pattern + "'";
    ASSERT_EQ(0, system(command.c_str()));
}

}  // namespace

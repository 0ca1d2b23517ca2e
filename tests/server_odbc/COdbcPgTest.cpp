// COdbcConnection over psqlODBC against a PostgreSQL server of its own; also
// loads the PostgreSQL schema, seed and demo rows.
#include "COdbcConnection.h"

#include "CListString.h"
#include "CResultSet.h"
#include "CSqlStatement.h"
#include "DbContractCases.h"
#include "OdbcIniFixture.h"
#include "PgServerFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class OdbcPgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pg.Start()) << pg.Error();
        ini.reset(new OdbcIniFixture(pg.SocketDir() + "/odbc"));
        ini->Apply();
    }
    // A fresh database with a data source of the same name.
    void NewDatabase(const std::string& name, bool unicodeDriver = false) {
        ASSERT_TRUE(pg.CreateDatabase(name)) << pg.Error();
        ini->AddPgDsn(name, pg.Host(), pg.Port(), name, pg.User(), "", unicodeDriver);
    }
    PgServerFixture pg;
    std::unique_ptr<OdbcIniFixture> ini;
};

// One server for all the shared cases; each case in its own database.
TEST_F(OdbcPgTest, ContractCases) {
    struct Case {
        const char* name;
        void (*run)(COdbcConnection&);
        bool unicodeDriver;
    } cases[] = {
        {"values", dbcases::ValuesAsText<COdbcConnection>, false},
        {"errors", dbcases::RowLimitAndErrors<COdbcConnection>, false},
        {"params", dbcases::ParametersRoundTrip<COdbcConnection>, false},
        {"paged", dbcases::PagedQueries<COdbcConnection>, false},
        {"totext", dbcases::QueryToTextUsesSeparators<COdbcConnection>, false},
        {"longer", dbcases::ValuesLongerThanTheirColumns<COdbcConnection>, false},
        // The Unicode build of the driver passes the same texts.
        {"values_w", dbcases::ValuesAsText<COdbcConnection>, true},
        {"params_w", dbcases::ParametersRoundTrip<COdbcConnection>, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewDatabase(c.name, c.unicodeDriver);
        COdbcConnection db;
        ASSERT_TRUE(db.Connect(pg.User().c_str(), "", c.name)) << db.GetErrorText().StdString();
        c.run(db);
    }
}

TEST_F(OdbcPgTest, SchemaSeedAndDemoLoad) {
    NewDatabase("lumeno");
    const std::string db = std::string(ZENTRY_SOURCE_DIR) + "/db/";
    for (const char* file : {"postgresql/schema.sql", "seed.sql", "demo.sql"})
        ASSERT_TRUE(pg.RunFile("lumeno", db + file)) << file << ": " << pg.Error();

    COdbcConnection conn;
    ASSERT_TRUE(conn.Connect(pg.User().c_str(), "", "lumeno")) << conn.GetErrorText().StdString();
    using dbcases::QueryText;
    // The login query; names compare without regard to case.
    EXPECT_EQ("user_name|user_passwd\nadmin|21232f297a57a5a743894a0e4a801fc3\n",
              QueryText(conn, "select user_name,user_passwd from t_cfg_st_user where "
                              "user_name='ADMIN' and user_passwd='21232f297a57a5a743894a0e4a801fc3' "));
    EXPECT_EQ("prj_name\nDemo\nZentry演示\n",
              QueryText(conn, "select distinct prj_name from t_user_prj where user_name='Admin' "
                              "order by prj_name"));
    EXPECT_EQ("n\n36\n", QueryText(conn, "select count(*) as n from T_BUG where prj_name in ('demo','ZENTRY演示')"));
    EXPECT_EQ("seq_value\n37\n",
              QueryText(conn, "select SEQ_VALUE from T_CFG_SEQ where SEQ_NAME='SEQ_BUG' "));

    // A bound name compares without regard to case as well.
    CResultSet rs("|", "\n");
    CListString error;
    CSqlStatement byName("update t_cfg_st_user set USER_MOBILE='1' where user_name=:stName<char[64]>");
    byName.AddParam(SQL_PARAM_STRING, "ZHANG", "stName");
    ASSERT_TRUE(conn.ExecuteWithParams(byName)) << byName.GetErrorText();
    EXPECT_EQ("user_mobile\n1\n",
              QueryText(conn, "select USER_MOBILE from t_cfg_st_user where user_name='zhang'"));

    // The client's defect update with its two long parameters.
    const std::string description = dbcases::LongChinese();
    CSqlStatement update(
        "update t_bug set BG_SUMMARY='O''Brien {x,y}',BG_STATUS='01-Open',"
        "BG_DEV_COMMENTS=:clComment<varchar_long>,BG_DESCRIPTION=:clDesc<varchar_long> "
        "where BG_BUG_ID=3 ");
    update.AddParam(SQL_PARAM_LONG_TEXT, description.c_str(), "clDesc");
    update.AddParam(SQL_PARAM_LONG_TEXT, "ok", "clComment");
    ASSERT_TRUE(conn.ExecuteWithParams(update)) << update.GetErrorText();
    ASSERT_EQ(1, conn.Query("select BG_SUMMARY,BG_DESCRIPTION from t_bug where BG_BUG_ID=3", rs,
                            error));
    EXPECT_EQ("O'Brien {x,y}", rs.GetValueAt(0, 0).StdString());
    EXPECT_TRUE(description == rs.GetValueAt(0, 1).StdString());

    // Dates are texts; a brace literal filters them by day.
    EXPECT_EQ("n\n1\n",
              QueryText(conn, "select count(*) as n from t_bug where BG_DETECTION_DATE >= "
                              "{2008-02-02} and BG_DETECTION_DATE < {2008-02-03}"));
    // The defect id is a key.
    EXPECT_FALSE(conn.Execute("insert into t_bug (BG_BUG_ID) values (1)", error));
    EXPECT_TRUE(conn.Execute("insert into t_bug (BG_BUG_ID) values (37)", error))
        << error.StdString();

    // Long names in the case-insensitive columns come back whole.
    std::string longName(300, 'n');
    longName += "部门";
    ASSERT_TRUE(conn.Execute(("insert into t_dept (DEPT_NAME,DEPT_DESC) values ('" + longName +
                              "','d')").c_str(),
                             error))
        << error.StdString();
    EXPECT_EQ("dept_name\n" + longName + "\n",
              QueryText(conn, "select DEPT_NAME from t_dept where DEPT_NAME like 'NNN%'"));

    CListString desc;
    ASSERT_TRUE(conn.DescribeTable("t_dept", desc)) << conn.GetErrorText().StdString();
    EXPECT_EQ(0u, desc.StdString().find("dept_name\t")) << desc.StdString();
}

// Real timestamp columns print by the date format; a brace literal compares
// with them as well as with date texts.
TEST_F(OdbcPgTest, TimestampColumns) {
    NewDatabase("stamps");
    COdbcConnection conn;
    ASSERT_TRUE(conn.Connect(pg.User().c_str(), "", "stamps"));
    dbcases::Exec(conn, "create table ts (id integer, t timestamp, d date)");
    dbcases::Exec(conn, "insert into ts values (1, '2008-05-06 00:00:00', '2008-05-06')");
    dbcases::Exec(conn, "insert into ts values (2, '2008-05-06 09:00:00', null)");
    dbcases::Exec(conn, "insert into ts values (3, '2008-05-06 09:30:00', '2008-05-07')");
    EXPECT_EQ("id|t|d\n1|2008-05-06|2008-05-06\n2|2008-05-06 09:00:00|\n3|2008-05-06 09:30:00|2008-05-07\n",
              dbcases::QueryText(conn, "select id, t, d from ts order by id"));
    EXPECT_EQ("id\n2\n3\n",
              dbcases::QueryText(conn, "select id from ts where t >= {2008-05-06 09} order by id"));
    conn.SetOption(3, "1");
    EXPECT_EQ("t\n20080506093000\n", dbcases::QueryText(conn, "select t from ts where id=3"));
    EXPECT_EQ("d\n20080507\n", dbcases::QueryText(conn, "select d from ts where id=3"));
}

TEST_F(OdbcPgTest, ReconnectsAfterTheServerDroppedTheConnection) {
    NewDatabase("drop");
    COdbcConnection conn;
    ASSERT_TRUE(conn.Connect(pg.User().c_str(), "", "drop"));
    EXPECT_EQ("n\n1\n", dbcases::QueryText(conn, "select 1 as n"));
    ASSERT_TRUE(pg.RunSql("postgres", "select pg_terminate_backend(pid) from pg_stat_activity "
                                      "where datname='drop'"))
        << pg.Error();
    // The query finds the connection gone, logs on again and runs.
    EXPECT_EQ("n\n2\n", dbcases::QueryText(conn, "select 2 as n"));
    EXPECT_TRUE(conn.IsConnected());
    ASSERT_TRUE(pg.RunSql("postgres", "select pg_terminate_backend(pid) from pg_stat_activity "
                                      "where datname='drop'"));
    CListString error;
    EXPECT_TRUE(conn.Execute("create table tr (a integer)", error)) << error.StdString();
    EXPECT_EQ("a\n", dbcases::QueryText(conn, "select a from tr"));
}

}  // namespace

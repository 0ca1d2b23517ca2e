// The SQLite schema and scripts/make-db: the database the servers ship with.
#include "CSqliteConnection.h"

#include "CListString.h"
#include "CResultSet.h"
#include "DbContractCases.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class MakeDbTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zmakedb-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
    }
    void TearDown() override {
        std::string command = "rm -rf '" + dir + "'";
        ASSERT_EQ(0, system(command.c_str()));
    }
    int MakeDb(const std::string& args) {
        std::string command = std::string(ZENTRY_SOURCE_DIR) + "/scripts/make-db " + args +
                              " >/dev/null 2>&1";
        return system(command.c_str());
    }
    std::string dir;
};

TEST_F(MakeDbTest, SeedHoldsWhatTheClientReadsAtLogin) {
    std::string path = dir + "/Lumeno.db";
    ASSERT_EQ(0, MakeDb(path));
    CSqliteConnection db;
    ASSERT_TRUE(db.Connect(path.c_str()));
    using dbcases::QueryText;
    // Fifteen tables.
    EXPECT_EQ("n\n15\n", QueryText(db, "select count(*) as n from sqlite_master where type='table'"));
    // The login query, with the MD5 of "admin"; names ignore case.
    EXPECT_EQ("USER_NAME|USER_PASSWD\nadmin|21232f297a57a5a743894a0e4a801fc3\n",
              QueryText(db, "select user_name,user_passwd from t_cfg_st_user where "
                            "user_name='ADMIN' and user_passwd='21232f297a57a5a743894a0e4a801fc3' "));
    EXPECT_EQ("SEQ_VALUE\n1\n",
              QueryText(db, "select SEQ_VALUE from T_CFG_SEQ where SEQ_NAME='SEQ_BUG' "));
    // One field row per t_bug column, in consecutive order.
    CResultSet columns("|", "\n");
    CListString error;
    ASSERT_GT(db.Query("select COLUMN_NAME,USER_LABEL,COLUMN_ORDER,IS_USED,REF_LIST,EDIT_STYLE,"
                       "HEIGHT,WIDTH,LSIZE from t_cfg_sys_list  order by COLUMN_ORDER",
                       columns, error),
              0);
    CResultSet bug("|", "\n");
    ASSERT_EQ(0, db.Query("select * from t_bug", bug, error));
    ASSERT_EQ(bug.GetFieldCount(), columns.GetRowCount());
    for (int i = 0; i < columns.GetRowCount(); ++i) {
        EXPECT_EQ(std::to_string(i + 1), columns.GetValue(i, "COLUMN_ORDER").StdString());
        EXPECT_GE(bug.FindField(columns.GetValue(i, "COLUMN_NAME").CStr()), 0);
    }
    // The admin's rights cover every field.
    CResultSet rights("|", "\n");
    ASSERT_EQ(1, db.Query("select USER_FIELD_RIGHT from t_cfg_st_user where user_name='admin'",
                          rights, error));
    std::string r = rights.GetValueAt(0, 0).StdString();
    ASSERT_EQ(64u, r.size());
    EXPECT_EQ("111", r.substr(0, 3));
    EXPECT_EQ(std::string(columns.GetRowCount(), '1'), r.substr(10, columns.GetRowCount()));
    // The seven statuses and the lists a new defect uses.
    EXPECT_EQ("n\n7\n", QueryText(db, "select count(*) as n from T_CFG_PARAM where "
                                      "PARAMETER_TYPE_ID='defect_status'"));
    EXPECT_EQ("n\n2\n", QueryText(db, "select count(*) as n from T_CFG_PARAM where "
                                      "PARAMETER_NAME='01-中'"));
    // A list made by the list editor (PARAMETER_TYPE left to its default) is shown.
    dbcases::Exec(db, "insert into t_cfg_param(PARAMETER_TYPE_ID,PARAMETER_NAME) values('os','----------')");
    EXPECT_EQ("PARAMETER_TYPE_ID\nos\npri\nprj_type\nseverity\n",
              QueryText(db, "select distinct PARAMETER_TYPE_ID from t_cfg_param  where "
                            "PARAMETER_TYPE<>'1'  group by PARAMETER_TYPE_ID  order by  "
                            "PARAMETER_TYPE_ID"));
    // The defect id is a key.
    dbcases::Exec(db, "insert into t_bug (BG_BUG_ID, BG_STATUS) values (1, '00-New')");
    EXPECT_FALSE(db.Execute("insert into t_bug (BG_BUG_ID, BG_STATUS) values (1, '00-New')", error));
}

TEST_F(MakeDbTest, DemoProjectAndReplacingAFile) {
    std::string path = dir + "/sub/Lumeno.db";
    ASSERT_EQ(0, MakeDb(path + " --demo"));
    {
        CSqliteConnection db;
        ASSERT_TRUE(db.Connect(path.c_str()));
        using dbcases::QueryText;
        EXPECT_EQ("n\n36\n", QueryText(db, "select count(*) as n from t_bug"));
        EXPECT_EQ("SEQ_VALUE\n37\n",
                  QueryText(db, "select SEQ_VALUE from T_CFG_SEQ where SEQ_NAME='SEQ_BUG'"));
        EXPECT_EQ("PRJ_NAME\nDemo\nZentry演示\n",
                  QueryText(db, "select distinct prj_name from t_user_prj where user_name='admin' order by prj_name"));
        EXPECT_EQ("n\n0\n", QueryText(db, "select count(*) as n from t_bug b where not exists "
                                          "(select 1 from t_prj p where p.PRJ_NAME=b.PRJ_NAME)"));
    }
    // Made again without the demo: the old file is replaced whole.
    ASSERT_EQ(0, MakeDb(path));
    CSqliteConnection db;
    ASSERT_TRUE(db.Connect(path.c_str()));
    EXPECT_EQ("n\n0\n", dbcases::QueryText(db, "select count(*) as n from t_bug"));
    EXPECT_NE(0, MakeDb(""));
}

}  // namespace

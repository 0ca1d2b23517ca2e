// What the log may show of an SQL text: every value given to or compared
// with a password column is masked, in the SQL and in error texts about it;
// what a client sent is escaped and cut to a bounded length.
#include "LogMask.h"

#include <gtest/gtest.h>

namespace {

TEST(LogMaskTest, PasswordValuesAreMasked) {
    const struct {
        const char* sql;
        const char* masked;
    } cases[] = {
        // What the client sends for a password change and a reset: a
        // statement that names a password column loses every literal.
        {"update t_cfg_st_user set user_passwd='e10adc39' where user_name='zhang'",
         "update t_cfg_st_user set user_passwd='***' where user_name='***'"},
        {"UPDATE T_CFG_ST_USER SET USER_PASSWD = 'a''b' , USER_MAIL='m'",
         "UPDATE T_CFG_ST_USER SET USER_PASSWD = '***' , USER_MAIL='***'"},
        // A new user, with and without the column list.
        {"insert into t_cfg_st_user(user_name,USER_PASSWD,USER_FULLNAME) values('li','d1g','Li')",
         "insert into t_cfg_st_user(user_name,USER_PASSWD,USER_FULLNAME) values('***','***','***')"},
        {"INSERT INTO t_cfg_st_user (USER_NAME, \"USER_PASSWD\") VALUES ('a', 'x'), ('b', lower('Y'))",
         "INSERT INTO t_cfg_st_user (USER_NAME, \"USER_PASSWD\") VALUES ('***', '***'), ('***', lower('***'))"},
        {"insert into t_cfg_st_user values ('a', 'secret', 3)",
         "insert into t_cfg_st_user values ('***', '***', ***)"},
        {"insert or replace into t_cfg_st_user(user_passwd) values(123456)",
         "insert or replace into t_cfg_st_user(user_passwd) values(***)"},
        // Comparisons, either way round, lists and qualified names; a quoted
        // name compared with the column is masked as a value.
        {"select 1 from t_cfg_st_user u where u.user_passwd='p1' and user_name='n'",
         "select *** from t_cfg_st_user u where u.user_passwd='***' and user_name='***'"},
        {"select 1 from t where 'p2' = USER_PASSWD", "select *** from t where '***' = USER_PASSWD"},
        {"select 1 from t where user_passwd not in ('a','b') or user_pwd like \"c%\"",
         "select *** from t where user_passwd not in ('***','***') or user_pwd like \"***\""},
        {"update t set login_password=x'ab' || 'cd' where id=1",
         "update t set login_password=***'***' || '***' where id=***"},
        {"select user_passwd from t_cfg_st_user where user_name='admin'",
         "select user_passwd from t_cfg_st_user where user_name='***'"},
        {"update t set note='-- user_passwd=''q''' where user_passwd is not null",
         "update t set note='***' where user_passwd is not null"},
        // Shapes no rule of assignments and comparisons knows.
        {"update t_cfg_st_user set (USER_PASSWD) = ('s1') where USER_ID = 7",
         "update t_cfg_st_user set (USER_PASSWD) = ('***') where USER_ID = ***"},
        {"update t_cfg_st_user set (USER_FULLNAME, USER_PASSWD) = ('x','s2')",
         "update t_cfg_st_user set (USER_FULLNAME, USER_PASSWD) = ('***','***')"},
        {"insert into t_cfg_st_user(USER_NAME, USER_PASSWD) select 'x','s3'",
         "insert into t_cfg_st_user(USER_NAME, USER_PASSWD) select '***','***'"},
        {"insert into \"main\".\"t_cfg_st_user\"(USER_NAME,\"USER_PASSWD\") values('x', 's4')",
         "insert into \"main\".\"t_cfg_st_user\"(USER_NAME,\"USER_PASSWD\") values('***', '***')"},
        {"insert into main . t_cfg_st_user (USER_NAME, USER_PASSWD) values ('x', 987654)",
         "insert into main . t_cfg_st_user (USER_NAME, USER_PASSWD) values ('***', ***)"},
        {"with v(p) as (select 's5') update t_cfg_st_user set USER_PASSWD = (select p from v)",
         "with v(p) as (select '***') update t_cfg_st_user set USER_PASSWD = (select *** from ***)"},
        {"update t_cfg_st_user set USER_PASSWD = case when USER_ID = 1 then 's6' else 's7' end",
         "update t_cfg_st_user set USER_PASSWD = case when USER_ID = *** then '***' else '***' end"},
        {"update t_cfg_st_user set USER_PASSWD = lower(upper('s8')) || 9",
         "update t_cfg_st_user set USER_PASSWD = lower(upper('***')) || ***"},
        // An INSERT without columns may write a password wherever it goes.
        {"insert into t_cfg_st_user select 'x', 's9', 1", "insert into t_cfg_st_user select '***', '***', ***"},
        {"insert into \"main\".\"t_cfg_st_user\" values ('x', 's10')",
         "insert into \"main\".\"t_cfg_st_user\" values ('***', '***')"},
        // Nothing to hide: bind variables, statements that name no password
        // column, text that only holds the column's name.
        {"update t_cfg_st_user set user_passwd=:stPass<char[64]> where user_name=?",
         "update t_cfg_st_user set user_passwd=:stPass<char[64]> where user_name=?"},
        {"insert into t_bug(BG_BUG_ID,BG_DESC) values(5,'user_passwd=''x''')",
         "insert into t_bug(BG_BUG_ID,BG_DESC) values(5,'user_passwd=''x''')"},
        {"update t_cfg_st_user set USER_FULLNAME = 'Li' where USER_ID = 3",
         "update t_cfg_st_user set USER_FULLNAME = 'Li' where USER_ID = 3"},
        // Broken text still hides what follows the column.
        {"update t_cfg_st_user set user_passwd='abc where user_name='x'",
         "update t_cfg_st_user set user_passwd='***'***'***'"},
    };
    for (const auto& c : cases) EXPECT_EQ(MaskSqlSecrets(c.sql), c.masked) << c.sql;
}

TEST(LogMaskTest, ClientTextIsEscapedAndCut) {
    const struct {
        std::string text;
        std::string logged;
    } cases[] = {
        {"t_bug", "t_bug"},
        {"x\naccount=admin,password=***\nLumeno stopping", "x\\naccount=admin,password=***\\nLumeno stopping"},
        {"a\rb\tc\x1b[2Jd\x7f", "a\\rb\\tc\\x1b[2Jd\\x7f"},
        {std::string("nul\0end", 7), "nul\\x00end"},
        {"缺陷", "缺陷"},
        {std::string(kClientTextLogLimit, 'n'), std::string(kClientTextLogLimit, 'n')},
        {std::string(2 * 1024 * 1024, 'n'), std::string(kClientTextLogLimit, 'n') + "... (2097152 bytes)"},
        // A character across the limit is left out whole.
        {std::string(kClientTextLogLimit - 1, 'n') + "缺",
         std::string(kClientTextLogLimit - 1, 'n') + "... (4098 bytes)"},
    };
    for (const auto& c : cases) EXPECT_EQ(ClientTextForLog(c.text), c.logged) << c.text.substr(0, 40);
    EXPECT_EQ(SqlForLog("update t set USER_PASSWD='x\ny'\nwhere 1=1"),
              "update t set USER_PASSWD='***'\\nwhere ***=***");
}

TEST(LogMaskTest, ErrorTextsLoseTheSecretsOfTheirSql) {
    const std::string sql = "update t_cfg_st_user set user_passwd='it''s' where user_name=zz'";
    const std::vector<std::string> secrets = FindSqlSecrets(sql);
    ASSERT_EQ(secrets.size(), 1u);
    EXPECT_EQ(secrets[0], "it's");
    EXPECT_EQ(MaskSecretsOf("near \"it's\": syntax error (it's)", sql),
              "near \"***\": syntax error (***)");
    EXPECT_EQ(MaskSecretsOf("no such column: zz", sql), "no such column: zz");
    EXPECT_EQ(MaskSecretsOf("anything", "select 1"), "anything");
}

TEST(LogMaskTest, PasswordColumnNames) {
    for (const char* name : {"USER_PASSWD", "t.user_passwd", "password", "LoginPwd", "PASSWORD_HASH"})
        EXPECT_TRUE(IsPasswordColumn(name)) << name;
    for (const char* name : {"USER_NAME", "BG_PASS_COUNT", "passed", "t.pw"})
        EXPECT_FALSE(IsPasswordColumn(name)) << name;
}

}  // namespace

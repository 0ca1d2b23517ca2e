// What the log may show of an SQL text: every value given to or compared
// with a password column is masked, in the SQL and in error texts about it.
#include "LogMask.h"

#include <gtest/gtest.h>

namespace {

TEST(LogMaskTest, PasswordValuesAreMasked) {
    const struct {
        const char* sql;
        const char* masked;
    } cases[] = {
        // What the client sends for a password change and a reset.
        {"update t_cfg_st_user set user_passwd='e10adc39' where user_name='zhang'",
         "update t_cfg_st_user set user_passwd='***' where user_name='zhang'"},
        {"UPDATE T_CFG_ST_USER SET USER_PASSWD = 'a''b' , USER_MAIL='m'",
         "UPDATE T_CFG_ST_USER SET USER_PASSWD = '***' , USER_MAIL='m'"},
        // A new user, with and without the column list.
        {"insert into t_cfg_st_user(user_name,USER_PASSWD,USER_FULLNAME) values('li','d1g','Li')",
         "insert into t_cfg_st_user(user_name,USER_PASSWD,USER_FULLNAME) values('li','***','Li')"},
        {"INSERT INTO t_cfg_st_user (USER_NAME, \"USER_PASSWD\") VALUES ('a', 'x'), ('b', lower('Y'))",
         "INSERT INTO t_cfg_st_user (USER_NAME, \"USER_PASSWD\") VALUES ('a', '***'), ('b', lower('***'))"},
        {"insert into t_cfg_st_user values ('a', 'secret', 3)",
         "insert into t_cfg_st_user values ('***', '***', ***)"},
        {"insert or replace into t_cfg_st_user(user_passwd) values(123456)",
         "insert or replace into t_cfg_st_user(user_passwd) values(***)"},
        // Comparisons, either way round, lists and qualified names.
        {"select 1 from t_cfg_st_user u where u.user_passwd='p1' and user_name='n'",
         "select 1 from t_cfg_st_user u where u.user_passwd='***' and user_name='n'"},
        {"select 1 from t where 'p2' = USER_PASSWD", "select 1 from t where '***' = USER_PASSWD"},
        {"select 1 from t where user_passwd not in ('a','b') or user_pwd like \"c%\"",
         "select 1 from t where user_passwd not in ('***','***') or user_pwd like \"***\""},
        {"update t set login_password=x'ab' || 'cd' where id=1",
         "update t set login_password=***'***' || '***' where id=1"},
        // Nothing to hide: bind variables, other columns, text that only
        // names the column.
        {"update t_cfg_st_user set user_passwd=:stPass<char[64]> where user_name=?",
         "update t_cfg_st_user set user_passwd=:stPass<char[64]> where user_name=?"},
        {"select user_passwd from t_cfg_st_user where user_name='admin'",
         "select user_passwd from t_cfg_st_user where user_name='admin'"},
        {"insert into t_bug(BG_BUG_ID,BG_DESC) values(5,'user_passwd=''x''')",
         "insert into t_bug(BG_BUG_ID,BG_DESC) values(5,'user_passwd=''x''')"},
        {"update t set note='-- user_passwd=''q''' where user_passwd is not null",
         "update t set note='-- user_passwd=''q''' where user_passwd is not null"},
        // Broken text still hides what follows the column.
        {"update t_cfg_st_user set user_passwd='abc where user_name='x'",
         "update t_cfg_st_user set user_passwd='***'***'***'"},
    };
    for (const auto& c : cases) EXPECT_EQ(MaskSqlSecrets(c.sql), c.masked) << c.sql;
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

// Tables the server tests seed into a fresh database.
#pragma once

#include <string>

inline std::string SeedSql() {
    return "create table t_cfg_st_user(user_name varchar(40), user_passwd varchar(40));\n"
           "insert into t_cfg_st_user values('admin','secret');\n"
           "insert into t_cfg_st_user values('O''Brien','pw''1');\n"
           "insert into t_cfg_st_user values('dom\\ann','p\\w');\n"
           "create table t_empty(a int, b varchar(20));\n"
           "create table t_null(a int, b varchar(20));\n"
           "insert into t_null values(1, NULL);\n"
           "create table t_bug(BG_BUG_ID integer primary key, BG_SUMMARY varchar(200),"
           " BG_DESCRIPTION text);\n"
           "insert into t_bug values(1, 'first', 'one');\n"
           "create table t_types(i integer, v varchar(20), r double precision, t text, s smallint);\n"
           "create table t_num(n integer);\n"
           "with recursive c(x) as (select 1 union all select x+1 from c where x < 400)"
           " insert into t_num select x from c;\n";
}

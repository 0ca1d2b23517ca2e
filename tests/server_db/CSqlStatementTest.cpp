#include "CSqlStatement.h"

#include <gtest/gtest.h>

namespace {

struct RewriteCase {
    const char* sql;
    const char* rewritten;
    const char* driver;
    std::vector<std::string> vars;  // bind variable names in order
};

TEST(CSqlStatementTest, RewritesBracesAndBindVariables) {
    const RewriteCase cases[] = {
        {"select * from t_bug where BG_DETECTION_DATE >= {2008-05-06}",
         "select * from t_bug where BG_DETECTION_DATE >= :pvar1<timestamp>",
         "select * from t_bug where BG_DETECTION_DATE >= ?", {"pvar1"}},
        {"select * from t where d>{2008-01-01} and d<{2008-02-01}",
         "select * from t where d>:pvar1<timestamp> and d<:pvar2<timestamp>",
         "select * from t where d>? and d<?", {"pvar1", "pvar2"}},
        {"select {BG_STATUS,x} from t_bug", "select BG_STATUS from t_bug",
         "select BG_STATUS from t_bug", {}},
        // Braces and colons inside quoted literals are text.
        {"update t_bug set BG_SUMMARY='O''Brien {x,y}' where a=':no<int>'",
         "update t_bug set BG_SUMMARY='O''Brien {x,y}' where a=':no<int>'",
         "update t_bug set BG_SUMMARY='O''Brien {x,y}' where a=':no<int>'", {}},
        {"update t_bug set BG_DESCRIPTION=:clDesc<varchar_long>,BG_DEV_COMMENTS=:clComment<varchar_long> where BG_BUG_ID=3",
         "update t_bug set BG_DESCRIPTION=:clDesc<varchar_long>,BG_DEV_COMMENTS=:clComment<varchar_long> where BG_BUG_ID=3",
         "update t_bug set BG_DESCRIPTION=?,BG_DEV_COMMENTS=? where BG_BUG_ID=3",
         {"clDesc", "clComment"}},
        {"select a::text, :n<char[20]> from t", "select a::text, :n<char[20]> from t",
         "select a::text, ? from t", {"n"}},
        // A colon without a declaration and an unclosed brace stay as they are.
        {"select 'a' || :x from t where b<c and {unclosed",
         "select 'a' || :x from t where b<c and {unclosed",
         "select 'a' || :x from t where b<c and {unclosed", {}},
        // Quotes and braces in comments are comment text.
        {"select 1 -- don't {x}\nfrom t where d>{2008-01-01} /* it's {y} */ and a=:a<int>",
         "select 1 -- don't {x}\nfrom t where d>:pvar1<timestamp> /* it's {y} */ and a=:a<int>",
         "select 1 -- don't {x}\nfrom t where d>? /* it's {y} */ and a=?", {"pvar1", "a"}},
        {"", "", "", {}},
    };
    for (const RewriteCase& c : cases) {
        CSqlStatement s(c.sql);
        EXPECT_EQ(c.rewritten, s.GetRewrittenSql()) << c.sql;
        EXPECT_EQ(c.driver, s.GetDriverSql()) << c.sql;
        std::vector<std::string> names;
        for (const CBindVar& v : s.GetBindVars()) names.push_back(v.name);
        EXPECT_EQ(c.vars, names) << c.sql;
    }
}

TEST(CSqlStatementTest, DateLiteralsAndNamedPiecesAreKept) {
    CSqlStatement s("select {BG_STATUS,status} from t where d >= {2008-05-06}");
    ASSERT_EQ(1u, s.GetDateParams().size());
    EXPECT_EQ(SQL_PARAM_DATE, s.GetDateParams()[0].type);
    EXPECT_EQ("2008-05-06", s.GetDateParams()[0].dateText);
    EXPECT_EQ("pvar1", s.GetDateParams()[0].name);
    ASSERT_EQ(1u, s.GetNamedPieces().size());
    EXPECT_EQ("BG_STATUS", s.GetNamedPieces()[0].name);
    EXPECT_EQ("status", s.GetNamedPieces()[0].secondText);

    // SetSql parses afresh.
    s.SetSql("select 1");
    EXPECT_TRUE(s.GetDateParams().empty());
    EXPECT_TRUE(s.GetNamedPieces().empty());
}

TEST(CSqlStatementTest, AddParamConvertsByType) {
    CSqlStatement s("x");
    EXPECT_TRUE(s.AddParam(SQL_PARAM_INT, "12abc"));
    EXPECT_TRUE(s.AddParam(SQL_PARAM_INT, "9007199254740993"));
    EXPECT_TRUE(s.AddParam(SQL_PARAM_FLOAT, "2.5"));
    EXPECT_TRUE(s.AddParam(SQL_PARAM_STRING, "O'Brien {x,y}"));
    EXPECT_TRUE(s.AddParam(SQL_PARAM_LONG_TEXT, "long"));
    EXPECT_TRUE(s.AddParam(SQL_PARAM_DATE, "2008-05-06 10:00:00"));
    EXPECT_FALSE(s.AddParam(1, "1"));
    EXPECT_FALSE(s.AddParam(7, "1"));
    const auto& p = s.GetDateParams();
    ASSERT_EQ(6u, p.size());
    EXPECT_EQ(12, p[0].intValue);
    EXPECT_EQ(9007199254740993LL, p[1].intValue);
    EXPECT_DOUBLE_EQ(2.5, p[2].floatValue);
    EXPECT_EQ("O'Brien {x,y}", p[3].textValue);
    EXPECT_EQ("long", p[4].textValue);
    EXPECT_EQ("2008-05-06 10:00:00", p[5].dateText);
}

TEST(CSqlStatementTest, BindsByNameThenByPosition) {
    CSqlStatement s(
        "update t set a=:clComment<varchar_long>, b=:clDesc<varchar_long>, c=:clDesc<varchar_long>,"
        " d={2008-05-06}, e=:anon<int>");
    // Stored in another order than the text uses them.
    s.AddParam(SQL_PARAM_LONG_TEXT, "desc", "clDesc");
    s.AddParam(SQL_PARAM_LONG_TEXT, "comment", "clComment");
    s.AddParam(SQL_PARAM_INT, "7");
    std::vector<const CSqlParam*> bound;
    std::string error;
    ASSERT_TRUE(s.ResolveBindings(bound, error)) << error;
    ASSERT_EQ(5u, bound.size());
    EXPECT_EQ("comment", bound[0]->textValue);
    EXPECT_EQ("desc", bound[1]->textValue);
    EXPECT_EQ("desc", bound[2]->textValue);
    EXPECT_EQ("2008-05-06", bound[3]->dateText);
    EXPECT_EQ(7, bound[4]->intValue);
}

TEST(CSqlStatementTest, MissingValueIsAnError) {
    CSqlStatement s("update t set a=:clDesc<varchar_long>");
    std::vector<const CSqlParam*> bound;
    std::string error;
    EXPECT_FALSE(s.ResolveBindings(bound, error));
    EXPECT_NE(std::string::npos, error.find("clDesc"));
}

}  // namespace

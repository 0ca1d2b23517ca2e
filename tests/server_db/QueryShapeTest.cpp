// The SQL text helpers that route a query to a reader connection and put a
// row cap into PostgreSQL's text: which texts are plain queries, where the
// LIMIT goes, and the texts that must stay as they are.
#include "QueryShape.h"

#include <gtest/gtest.h>

namespace {

TEST(QueryShapeTest, PlainQueriesOnly) {
    struct Case {
        const char* sql;
        bool plain;
        const char* firstWord;
    } cases[] = {
        {"select * from t_bug", true, "select"},
        {"  -- list\n SELECT a FROM t /* x */", true, "select"},
        {"select a from t union select b from u order by 1", true, "select"},
        {"select count(*) from (select x into y from z) q", true, "select"},
        {"select a from t;", true, "select"},
        {"select 'a; b' from t", true, "select"},
        {"select a into t2 from t", false, "select"},
        {"select 1; delete from t", false, "select"},
        {"insert into t values (1)", false, "insert"},
        {"with c as (select 1) select * from c", false, "with"},
        {"(select 1)", false, ""},
        {"", false, ""},
        {"pragma journal_mode", false, "pragma"},
        {"UPDATE t SET a=1", false, "update"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.plain, IsPlainQuery(c.sql)) << c.sql;
        EXPECT_EQ(c.firstWord, FirstWord(c.sql)) << c.sql;
    }
}

TEST(QueryShapeTest, RowLimitGoesBehindTheLastClause) {
    struct Case {
        const char* sql;
        const char* limited;  // null: left as it is
    } cases[] = {
        {"select a from t order by a", "select a from t order by a\nLIMIT 100"},
        {"select a from t -- ends in a comment", "select a from t -- ends in a comment\nLIMIT 100"},
        {"select a from t;", "select a from t\nLIMIT 100;"},
        {"select a from t union select b from u", "select a from t union select b from u\nLIMIT 100"},
        {"select a from t for update", "select a from t for update\nLIMIT 100"},
        {"select a from (select b from u limit 5) q", "select a from (select b from u limit 5) q\nLIMIT 100"},
        {"select 'limit' from t", "select 'limit' from t\nLIMIT 100"},
        {"select a from t limit 5", nullptr},
        {"select a from t offset 5", nullptr},
        {"select a from t fetch first 5 rows only", nullptr},
        {"select a into b from t", nullptr},
        {"delete from t", nullptr},
        {"select 1; select 2", nullptr},
    };
    for (const Case& c : cases) {
        std::string out = "untouched";
        EXPECT_EQ(c.limited != nullptr, AppendRowLimit(c.sql, 100, out)) << c.sql;
        EXPECT_EQ(c.limited ? c.limited : "untouched", out) << c.sql;
    }
}

}  // namespace

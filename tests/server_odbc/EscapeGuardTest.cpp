// The text the SQLite ODBC driver gets, which scans every "{" outside a
// quoted literal as an escape sequence whatever SQL_ATTR_NOSCAN says.
#include "EscapeGuard.h"

#include <gtest/gtest.h>

namespace {

TEST(EscapeGuardTest, CommentsGoBracesOutsideQuotesAreRefused) {
    struct Case {
        const char* sql;
        const char* out;  // null: refused
    } cases[] = {
        {"select 1", "select 1"},
        {"select '{a}' from t", "select '{a}' from t"},
        {"select 'it''s {' from t", "select 'it''s {' from t"},
        {"select \"{col\" from t", "select \"{col\" from t"},
        {"select 1 -- {{{{\nfrom t", "select 1  \nfrom t"},
        {"select 1 /* {{ */ from t", "select 1   from t"},
        {"select 1 /* unclosed {", "select 1  "},
        {"select 'unclosed {", "select 'unclosed {"},
        {"select 1 {", nullptr},
        {"select {fn now()}", nullptr},
        {"select 1 }", "select 1 }"},
    };
    for (const Case& c : cases) {
        std::string out, error;
        EXPECT_EQ(c.out != nullptr, GuardEscapes(c.sql, out, error)) << c.sql;
        if (c.out) {
            EXPECT_EQ(c.out, out) << c.sql;
        } else {
            EXPECT_NE(std::string::npos, error.find("{")) << error;
        }
    }
}

}  // namespace

// Query templates: the conditions found in a template's braces and the SQL
// rebuilt from them with the values a user chose.
#include "CQueryToken.h"

#include <gtest/gtest.h>

namespace {

struct TokenCase {
    const char* text;  // between the braces
    const char* field;
    const char* op;
    const char* value;
    bool quoted;
};

TEST(QueryToken, ConditionsSplitIntoFieldOperatorAndValue) {
    const TokenCase cases[] = {
        {"BG_STATUS = '01-Open'", "BG_STATUS", "=", " '01-Open'", true},
        {"BG_STATUS<>'05-Reject'", "BG_STATUS", "<>", "'05-Reject'", true},
        {"BG_SUMMARY like '%x%'", "BG_SUMMARY", "like", " '%x%'", true},
        {"BG_SUMMARY LIKE 'a%' ", "BG_SUMMARY", "like", " 'a%' ", true},
        {"BG_BUG_ID > 100", "BG_BUG_ID", ">", " 100", false},
        {"BG_BUG_ID>=7", "BG_BUG_ID", ">=", "7", false},
        {" BG_DETECTION_DATE != '2008-01-01'", "BG_DETECTION_DATE", "!=", " '2008-01-01'", true},
        // A like pattern may hold comparison characters.
        {"BG_SUMMARY like '%<=%'", "BG_SUMMARY", "like", " '%<=%'", true},
        // Operator characters after the value has begun are value.
        {"BG_BUG_ID = 1<2", "BG_BUG_ID", "=", " 1<2", false},
        {"BG_SUMMARY =like", "BG_SUMMARY", "like", "", false},
        {"", "", "", "", false},
    };
    for (const TokenCase& c : cases) {
        const CQueryToken token = CQueryTokenList::ParseToken(QString::fromUtf8(c.text));
        EXPECT_EQ(token.m_field.toStdString(), c.field) << c.text;
        EXPECT_EQ(token.m_operator.toStdString(), c.op) << c.text;
        EXPECT_EQ(token.m_value.toStdString(), c.value) << c.text;
        EXPECT_EQ(token.m_quoted, c.quoted) << c.text;
        EXPECT_EQ(token.m_placeholder.toStdString(), std::string("{") + c.text + "}") << c.text;
    }
}

struct TemplateCase {
    const char* text;
    int count;
    std::vector<const char*> values;  // the chosen values, in token order
    const char* sql;
};

TEST(QueryToken, TemplatesGiveTheirTokensAndTheBuiltSql) {
    const TemplateCase cases[] = {
        {"select * from t_bug where {BG_STATUS = '01-Open'} order by 1", 1, {"01-Open"},
         "select * from t_bug where (BG_STATUS = '01-Open') order by 1"},
        {"where {BG_BUG_ID > 100}", 1, {"7"}, "where (BG_BUG_ID > 7)"},
        {"where {BG_SUMMARY like '%x%'}", 1, {"%crash%"}, "where (BG_SUMMARY like '%crash%')"},
        // The no-choice entry, whatever the operator.
        {"where {BG_STATUS <> '01-Open'} and {BG_SEVERITY = 'x'}", 2, {"----------", "01-中"},
         "where (1=1) and (BG_SEVERITY = '01-中')"},
        {"where {BG_STATUS = 'x'}", 1, {"----------"}, "where (1=1)"},
        // Quotes in a chosen value stay inside the literal.
        {"where {BG_SUMMARY = ''}", 1, {"O'Brien's"}, "where (BG_SUMMARY = 'O''Brien''s')"},
        // No braces: unchanged.
        {"select BG_BUG_ID from t_bug", 0, {}, "select BG_BUG_ID from t_bug"},
        // A stray "}" is a token "{}", replaced wherever "{}" stands.
        {"where a=1 } and {} or {}", 3, {"", "", ""}, "where a=1 } and (  ) or (  )"},
        {"where a=1 }", 1, {""}, "where a=1 }"},
        // An unclosed "{" makes no token; the text after it stays.
        {"where {BG_BUG_ID = 1} and {BG_STATUS = 'x'", 1, {"5"}, "where (BG_BUG_ID = 5) and {BG_STATUS = 'x'"},
        // A second "{" inside a condition is dropped from its text.
        {"where {a {b = 1} tail", 1, {"2"}, "where {a {b = 1} tail"},
        // The same condition twice: one placeholder, both replaced.
        {"{BG_STATUS = 'a'} or {BG_STATUS = 'a'}", 2, {"b", "c"}, "(BG_STATUS = 'b') or (BG_STATUS = 'b')"},
    };
    for (const TemplateCase& c : cases) {
        CQueryTokenList list;
        list.SetTemplate(QString::fromUtf8(c.text));
        ASSERT_EQ(list.Tokenize(), c.count) << c.text;
        ASSERT_EQ(list.Tokens().size(), static_cast<int>(c.values.size())) << c.text;
        for (int i = 0; i < list.Tokens().size(); ++i) list.Tokens()[i].m_value = QString::fromUtf8(c.values[i]);
        EXPECT_EQ(list.Rebuild().toStdString(), c.sql) << c.text;
        EXPECT_EQ(list.Template().toStdString(), c.text) << "the template stays";
    }
}

TEST(QueryToken, TheSecondBraceInsideAConditionIsDropped) {
    CQueryTokenList list;
    list.SetTemplate("where {a {b = 1} tail");
    ASSERT_EQ(list.Tokenize(), 1);
    EXPECT_EQ(list.Tokens()[0].m_field, "a b");
    EXPECT_EQ(list.Tokens()[0].m_placeholder, "{a b = 1}");
}

TEST(QueryToken, AnEmptyTemplateHasNoTokens) {
    CQueryTokenList list;
    EXPECT_EQ(list.Tokenize(), -1);
    EXPECT_TRUE(list.Tokens().isEmpty());
    EXPECT_EQ(list.Rebuild(), "");
    // Tokenizing again starts over.
    list.SetTemplate("{a = 1}{b = 2}");
    EXPECT_EQ(list.Tokenize(), 2);
    EXPECT_EQ(list.Tokenize(), 2);
}

TEST(QueryToken, AnUntouchedFieldGivesTheConditionAsWritten) {
    const struct {
        const char* text;
        const char* initial;
        const char* condition;
    } cases[] = {
        {"BG_STATUS <> '05-Reject'", "05-Reject", "(BG_STATUS <> '05-Reject')"},
        {"BG_SUMMARY like 'it''s%'", "it's%", "(BG_SUMMARY like 'it''s%')"},
        {"BG_STATUS = ''", "", "(BG_STATUS = '')"},
        {"BG_BUG_ID > 100", " 100", "(BG_BUG_ID >  100)"},
        {"BG_DETECTION_DATE >= '----------'", "----------", "(1=1)"},
    };
    for (const auto& c : cases) {
        CQueryToken token = CQueryTokenList::ParseToken(QString::fromUtf8(c.text));
        EXPECT_EQ(token.InitialText().toStdString(), c.initial) << c.text;
        token.m_value = token.InitialText();
        EXPECT_EQ(token.Condition().toStdString(), c.condition) << c.text;
    }
}

}  // namespace

// A report's query template is SQL in which every condition the user may
// change stands in braces ("{BG_STATUS = '01-Open'}"). CQueryToken is one
// such condition; CQueryTokenList finds them in a template and puts the
// conditions, with the values the user chose, back into plain SQL.
#pragma once

#include <QString>
#include <QVector>

struct CQueryToken {
    QString m_field;        // the column the condition tests, trimmed
    QString m_operator;     // "=", "<>", ">=", ... or "like"
    QString m_value;        // as written (blanks and quotes kept) until replaced
    QString m_placeholder;  // "{" + the braced text + "}"
    bool m_quoted = false;  // the written value, trimmed, ends with a quote

    // What the condition's field shows at first: the written value, for a
    // quoted one without its quotes, so that an untouched field gives the
    // condition as written.
    QString InitialText() const;
    // "(field operator value)", the value quoted (its quotes doubled) for a
    // quoted condition; "(1=1)" for the no-choice entry "----------".
    QString Condition() const;
};

class CQueryTokenList {
public:
    void SetTemplate(const QString& text) { m_template = text; }
    const QString& Template() const { return m_template; }
    // Finds the braced conditions of the template; their number, -1 for an
    // empty template. A "{" inside a condition is dropped, a "}" outside one
    // makes a condition of empty text, an unclosed "{" makes none.
    int Tokenize();
    // Splits a condition's text into field, operator and value.
    static CQueryToken ParseToken(const QString& text);
    // The template with every placeholder replaced by its condition.
    QString Rebuild() const;

    QVector<CQueryToken>& Tokens() { return m_tokens; }
    const QVector<CQueryToken>& Tokens() const { return m_tokens; }
    void Clear() { m_tokens.clear(); }

private:
    QString m_template;
    QVector<CQueryToken> m_tokens;
};

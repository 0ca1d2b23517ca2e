#include "CQueryToken.h"

#include "CAppContext.h"

namespace {

bool IsOperatorChar(QChar c) {
    return c == '!' || c == '=' || c == '>' || c == '<';
}

bool IsLike(const QString& text) {
    return text.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0;
}

}  // namespace

QString CQueryToken::InitialText() const {
    const QString value = m_value.trimmed();
    if (!m_quoted || value.size() < 2 || !value.startsWith('\'')) return m_value;
    QString inner = value.mid(1, value.size() - 2);
    inner.replace(QLatin1String("''"), QLatin1String("'"));
    return inner;
}

QString CQueryToken::Condition() const {
    if (m_value.compare(QLatin1String("----------"), Qt::CaseInsensitive) == 0) return QStringLiteral("(1=1)");
    const QString value = m_quoted ? CAppContext::Quoted(m_value) : m_value;
    return QStringLiteral("(%1 %2 %3)").arg(m_field, m_operator, m_quoted ? "'" + value + "'" : value);
}

int CQueryTokenList::Tokenize() {
    m_tokens.clear();
    if (m_template.isEmpty()) return -1;
    bool inside = false;
    QString collected;
    for (const QChar c : m_template) {
        if (c == '{') {
            inside = true;
        } else if (c == '}') {
            m_tokens.push_back(ParseToken(collected));
            collected.clear();
            inside = false;
        } else if (inside) {
            collected += c;
        }
    }
    return m_tokens.size();
}

CQueryToken CQueryTokenList::ParseToken(const QString& text) {
    enum State { Field, Operator, Value };
    CQueryToken token;
    State state = Field;
    bool operatorSeen = false;
    for (const QChar c : text) {
        if (IsOperatorChar(c) && !operatorSeen) {
            state = Operator;
            token.m_operator += c;
            operatorSeen = true;
            continue;
        }
        if (state == Operator) {
            if (IsOperatorChar(c)) {
                token.m_operator += c;
                continue;
            }
            state = Value;
        }
        if (state == Field) {
            token.m_field += c;
            if (token.m_field.size() >= 5 && IsLike(token.m_field.right(4))) {
                token.m_field.chop(4);
                token.m_operator = QStringLiteral("like");
                state = Value;
                // The comparison is chosen: "<" or "=" in a like pattern
                // belong to the value.
                operatorSeen = true;
            }
        } else {
            token.m_value += c;
            if (IsLike(token.m_value)) {
                token.m_value.clear();
                token.m_operator = QStringLiteral("like");
                operatorSeen = true;
            }
        }
    }
    token.m_field = token.m_field.trimmed();
    token.m_quoted = token.m_value.trimmed().endsWith('\'');
    token.m_placeholder = "{" + text + "}";
    return token;
}

QString CQueryTokenList::Rebuild() const {
    QString sql = m_template;
    for (const CQueryToken& token : m_tokens) sql.replace(token.m_placeholder, token.Condition());
    return sql;
}

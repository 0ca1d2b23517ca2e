// Small helpers of the administration dialogs: running SQL built as QString
// through the context (busy indicator, message on failure) and quoting.
#pragma once

#include "CAppContext.h"
#include "CResultSet.h"

#include <QString>

namespace AdminSql {

// The placeholder row of a list without values, and "no choice".
inline const char* None() { return "----------"; }

// A text value inside single quotes: its quotes doubled.
inline QString Q(const QString& text) { return CAppContext::Quoted(text); }

inline bool Exec(CAppContext& context, const QString& sql)
{
    return context.RunExec(sql.toUtf8().constData());
}

inline int Select(CAppContext& context, const QString& sql, CResultSet& result)
{
    return context.RunSelect(sql.toUtf8().constData(), result);
}

// First value as a number through SelectInt; -1 on failure (shown).
long SelectInt(CAppContext& context, const QString& sql);

// The administrator, or a user with the system-management right.
bool CanAdminister(const CAppContext& context);

}  // namespace AdminSql

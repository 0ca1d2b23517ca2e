// Helpers the administration dialogs share: who may administer, statements
// run through the context (messages shown there), cascades that stop at the
// first failure, and the user name of a tree item's text.
#pragma once

#include "CResultSet.h"

#include <QString>
#include <QStringList>

class QWidget;
class CAppContext;

// The administrator ("admin", any case) or a user with the system-management right.
bool CanAdminister(const CAppContext& context);
// Shows language text 9250 ("no right") when the user may not administer.
bool CheckAdminister(CAppContext& context);
// A text value for inside quotes in SQL (quotes doubled).
QString SqlText(const QString& value);
// Busy on and off around the call; a failure shows the server's text.
int AdminSelect(CAppContext& context, const QString& sql, CResultSet& result);
bool AdminExec(CAppContext& context, const QString& sql);
// Runs the statements in order and stops at the first failure (shown);
// true when every one succeeded.
bool RunCascade(CAppContext& context, const QStringList& statements);
// The part of a tree item's text before the first '(', trimmed.
QString NamePart(const QString& text);
// The control of a dialog carrying a decimal id as its object name.
template <typename T>
T* ControlById(QWidget* dialog, int id);
// Gives a widget its id as object name (and language id) and returns it.
template <typename T>
T* WithId(T* widget, int id, bool colon = false);

#include "AdminCommon.inl"

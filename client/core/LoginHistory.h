// The login history login.ini: one "server:port:user" line per login.
#pragma once

#include <QString>
#include <QStringList>

// The history lines in file order (trimmed; empty and '#' lines skipped);
// empty for a missing file.
QStringList ReadLoginHistory(const QString& path);
// Adds the entry when no line equals it ignoring case. A missing file keeps
// the history off. Rewriting drops comment and empty lines. true when the
// entry is (now) in the file.
bool AddLoginHistory(const QString& path, const QString& entry);

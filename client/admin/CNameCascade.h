// CNameCascade: the statements that delete or rename a project or a lookup
// value everywhere it is held. Deletes go children first, the parent row
// last; renames change the parent row first (the one a taken name refuses)
// and then every table that refers to it. Run stops at the first failure.
#pragma once

#include <QString>
#include <QStringList>

class CAppContext;

class CNameCascade {
public:
    static QStringList ProjectDelete(const QString& project);
    static QStringList ProjectRename(const QString& oldName, const QString& newName);
    // The value of a list renamed in t_cfg_param, in the defect columns whose
    // REF_LIST names the list (given), and in the tables that hold statuses
    // or project types for those two lists.
    static QStringList ValueRename(const QString& list, const QString& oldValue,
                                   const QString& newValue, const QStringList& refColumns);
    // The defect columns whose REF_LIST is the list (read from the server);
    // false when the query failed (shown).
    static bool RefColumns(CAppContext& context, const QString& list, QStringList& columns);
    // Runs the statements in order, each with the busy indicator; the first
    // failure shows the server's text and ends the run.
    static bool Run(CAppContext& context, const QStringList& statements);
};

// CDefectSave: the save of an existing defect that quick edit and the
// defect editor share. It writes only the fields changed since the form
// loaded the defect, and first reads their stored values: where another
// save changed one of them meanwhile, nothing is written and the conflicts
// are kept for the user. The write itself applies only while the server
// holds the values that read saw, and a second read confirms it: a save
// landing in between is refused as well, never overwritten.
#pragma once

#include "CResultSet.h"
#include "FieldEdit.h"

#include <QHash>
#include <QVector>

class CAppContext;

class CDefectSave {
public:
    enum Result {
        Saved,      // the changed fields were written
        Unchanged,  // nothing to write (nothing changed, or the server holds it already)
        Refused,    // another save changed a field meanwhile: nothing written
        Gone,       // the defect is no longer there: nothing written
        Failed,     // the server refused or could not be reached: Error()
    };

    explicit CDefectSave(CAppContext& context) : m_context(context) {}

    // A written status change gets its t_bug_status row by this user, added
    // before the defect is written and taken back when the write does not
    // apply: status and history move together.
    void SetHistoryUser(const QString& user) { m_historyUser = user; }
    Result Run(int id, const QVector<FieldEdit>& edits);

    const QVector<FieldConflict>& Conflicts() const { return m_conflicts; }
    // The fields the server now holds as the form shows them (after Saved
    // or Unchanged): their values become the form's baselines.
    const QVector<FieldEdit>& Settled() const { return m_settled; }
    bool Wrote(const QString& column) const;
    const QString& Error() const { return m_error; }

    // Shows why the save did not write: the conflicts (caption, the form's
    // and the stored value of each) with the question whether to take the
    // stored values (true), or the failure. Refused gives the answer, the
    // other results false.
    bool Tell(Result result, int id);
    // A value as a message quotes it: long texts cut short.
    static QString Shown(const QString& value);

private:
    // The rows read (-1 with Error(), 0 when the defect is gone).
    int ReadStored(int id, const QVector<FieldEdit>& fields, CResultSet& stored);
    bool Exec(const QString& sql, bool withParams);
    // The history row, the long texts and the update held to m_before.
    bool WriteHeld(int id, const QVector<FieldEdit>& written);
    // What the save wants the server to hold for a field (a computed one:
    // what the read computed).
    static QString Wanted(const FieldEdit& edit, const CResultSet& stored);
    bool AddHistory(int id, const QVector<FieldEdit>& written);
    void RemoveHistory(int id);

    CAppContext& m_context;
    QString m_historyUser;
    QString m_history;  // the statement that takes this save's history row back
    QVector<FieldConflict> m_conflicts;
    QVector<FieldEdit> m_settled;
    QVector<QString> m_written;
    QHash<QString, QString> m_before;
    QString m_error;
};

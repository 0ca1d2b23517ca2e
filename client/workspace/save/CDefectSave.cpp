#include "CDefectSave.h"

#include "CAppContext.h"
#include "CDefectSql.h"
#include "Helpers.h"
#include "LogWriter.h"
#include "QtText.h"
#include "WorkspaceIds.h"

using namespace WorkspaceIds;

QString CDefectSave::Shown(const QString& value)
{
    constexpr int kShownLength = 120;
    QString text = value;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (text.size() > kShownLength) text = text.left(kShownLength) + QChar(0x2026);
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool CDefectSave::Wrote(const QString& column) const
{
    for (const QString& written : m_written)
        if (written.compare(column, Qt::CaseInsensitive) == 0) return true;
    return false;
}

int CDefectSave::ReadStored(int id, const QVector<FieldEdit>& fields, CResultSet& stored)
{
    CListString error;
    m_context.SetBusy(1);
    const int rows = m_context.m_http.Select(CDefectSql::StoredSelect(id, fields).toUtf8().constData(),
                                             stored, error);
    m_context.SetBusy(0);
    if (rows < 0) m_error = ToQt(error);
    return rows;
}

bool CDefectSave::Exec(const QString& sql, bool withParams)
{
    CListString error;
    m_context.SetBusy(1);
    const QByteArray text = sql.toUtf8();
    const bool done = withParams ? m_context.m_http.ExecSqlGo(text.constData(), error)
                                 : m_context.m_http.ExecSql(text.constData(), error);
    m_context.SetBusy(0);
    if (!done) m_error = ToQt(error);
    return done;
}

CDefectSave::Result CDefectSave::Run(int id, const QVector<FieldEdit>& edits)
{
    m_conflicts.clear();
    m_settled.clear();
    m_written.clear();
    m_before.clear();
    m_error.clear();

    QVector<FieldEdit> candidates;
    for (const FieldEdit& edit : edits)
        if (edit.Changed() || edit.derived) candidates << edit;
    if (candidates.isEmpty()) return Unchanged;

    // The stored values of the fields to write, as the server holds them now.
    CResultSet stored;
    int rows = ReadStored(id, candidates, stored);
    // The write applies only while the server holds what this read saw, and
    // a second read confirms it did; one that did not apply is judged
    // again from that read (a retry only when no one else's change is in
    // the way).
    constexpr int kAttempts = 3;
    for (int attempt = 1;; ++attempt) {
        if (rows < 0) return Failed;
        if (rows == 0) return Gone;
        QVector<FieldEdit> written;
        QVector<FieldEdit> settled;
        m_before.clear();
        m_conflicts.clear();
        for (const FieldEdit& edit : candidates) {
            const QString now = ToQt(stored.GetValue(0, edit.column.toUtf8().constData()));
            m_before.insert(edit.column.toUpper(), now);
            if (now == Wanted(edit, stored)) settled << edit;  // the server holds it already
            else if (!edit.derived && now != edit.stored)
                m_conflicts << FieldConflict{edit.column, edit.caption, edit.current, now};
            else written << edit;
        }
        if (!m_conflicts.isEmpty()) return Refused;
        if (written.isEmpty()) {
            m_settled = settled;
            return Unchanged;
        }
        if (!WriteHeld(id, written)) return Failed;

        rows = ReadStored(id, candidates, stored);
        bool applied = rows > 0;
        for (const FieldEdit& edit : written)
            if (applied && ToQt(stored.GetValue(0, edit.column.toUtf8().constData())) !=
                               Wanted(edit, stored))
                applied = false;
        if (applied) {
            for (const FieldEdit& edit : written) m_written << edit.column;
            m_settled = settled + written;
            return Saved;
        }
        if (rows >= 0) RemoveHistory(id);  // the write did not apply
        if (rows > 0 && attempt == kAttempts) {
            // Still changing under this save: refused as a conflict is.
            for (const FieldEdit& edit : written)
                m_conflicts << FieldConflict{edit.column, edit.caption, edit.current,
                                             ToQt(stored.GetValue(0, edit.column.toUtf8().constData()))};
            return Refused;
        }
    }
}

QString CDefectSave::Wanted(const FieldEdit& edit, const CResultSet& stored)
{
    if (edit.kind != FieldKind::Expression) return edit.value;
    return ToQt(stored.GetValue(0, CDefectSql::ComputedName(edit.column).toUtf8().constData()));
}

bool CDefectSave::WriteHeld(int id, const QVector<FieldEdit>& written)
{
    // Long texts travel raw as typed parameters with the stored texts the
    // write compares them to, side by side; a piece that did not arrive
    // must not let a cut text be written.
    std::vector<std::pair<std::string, std::string>> longValues;
    for (const FieldEdit& edit : written) {
        if (edit.kind != FieldKind::LongText) continue;
        longValues.emplace_back(edit.param.toStdString(), edit.value.toStdString());
        const QString held = m_before.value(edit.column.toUpper());
        if (!held.isEmpty())
            longValues.emplace_back(CDefectSql::HeldParam(edit.param).toStdString(), held.toStdString());
    }
    if (!longValues.empty()) {
        CListString error;
        m_context.SetBusy(1);
        const bool sent = m_context.m_http.UploadLongParams(longValues, 1, 3000, error);
        m_context.SetBusy(0);
        if (!sent) {
            m_error = ToQt(error);
            if (m_error.isEmpty()) m_error = QString::fromUtf8(m_context.m_http.GetErrorText());
            return false;
        }
    }
    // The status history goes first: a refused row leaves the defect as it
    // was, and a write that does not apply takes its row away again.
    if (!AddHistory(id, written)) return false;
    if (Exec(CDefectSql::HeldUpdate(id, written, m_before), !longValues.empty())) return true;
    const QString error = m_error;
    RemoveHistory(id);
    m_error = error;
    return false;
}

bool CDefectSave::AddHistory(int id, const QVector<FieldEdit>& written)
{
    m_history.clear();
    if (m_historyUser.isEmpty()) return true;
    for (const FieldEdit& edit : written) {
        if (edit.column.compare(QLatin1String("BG_STATUS"), Qt::CaseInsensitive) != 0) continue;
        // The history runs from the status the defect had before this save.
        const QString from = m_before.value(edit.column.toUpper());
        if (edit.value.compare(from, Qt::CaseInsensitive) == 0) return true;
        const QString when = ToQt(NowText());
        if (!Exec(CDefectSql::StatusHistoryInsert(id, when, from, edit.value, m_historyUser), false))
            return false;
        m_history = CDefectSql::StatusHistoryDelete(id, when, from, edit.value, m_historyUser);
    }
    return true;
}

void CDefectSave::RemoveHistory(int id)
{
    if (m_history.isEmpty()) return;
    if (!Exec(m_history, false))
        LogMessage("defect %d: status history row not taken back: %s\n", id,
                   m_error.toUtf8().constData());
    m_history.clear();
}

bool CDefectSave::Tell(Result result, int id)
{
    switch (result) {
    case Refused: {
        QString text = QStringLiteral("%1 %2: %3\n").arg(m_context.Text(LabelId)).arg(id).arg(
            m_context.Text(MsgNewerSave));
        for (const FieldConflict& c : m_conflicts)
            text += QStringLiteral("\n%1: %2 %3, %4 %5")
                        .arg(c.caption, m_context.Text(MsgYourValue), Shown(c.yours),
                             m_context.Text(MsgStoredValue), Shown(c.stored));
        text += QStringLiteral("\n\n") + m_context.Text(MsgTakeStored);
        return m_context.AskYesNo(text);
    }
    case Gone: m_context.ShowMessage(m_context.Text(MsgDefectGone)); return false;
    case Failed: m_context.ShowMessage(m_error); return false;
    case Saved:
    case Unchanged: return false;
    }
    return false;
}

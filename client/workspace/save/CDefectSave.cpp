#include "CDefectSave.h"

#include "CAppContext.h"
#include "CDefectSql.h"
#include "QtText.h"
#include "WorkspaceIds.h"

using namespace WorkspaceIds;

namespace {

// A value as the conflict message quotes it: long texts cut short.
QString Shown(const QString& value)
{
    constexpr int kShownLength = 120;
    QString text = value;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (text.size() > kShownLength) text = text.left(kShownLength) + QChar(0x2026);
    return QLatin1Char('"') + text + QLatin1Char('"');
}

}  // namespace

bool CDefectSave::Wrote(const QString& column) const
{
    for (const QString& written : m_written)
        if (written.compare(column, Qt::CaseInsensitive) == 0) return true;
    return false;
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
    CHttpDataClient& http = m_context.m_http;
    CResultSet stored;
    CListString error;
    m_context.SetBusy(1);
    const int rows = http.Select(CDefectSql::StoredSelect(id, candidates).toUtf8().constData(),
                                 stored, error);
    m_context.SetBusy(0);
    if (rows < 0) {
        m_error = ToQt(error);
        return Failed;
    }
    if (rows == 0) return Gone;

    QVector<FieldEdit> written;
    QVector<FieldEdit> settled;
    for (const FieldEdit& edit : candidates) {
        const QString now = ToQt(stored.GetValue(0, edit.column.toUtf8().constData()));
        m_before.insert(edit.column.toUpper(), now);
        if (now == edit.value) {
            settled << edit;  // the server holds it already
        } else if (edit.Changed() && now != edit.stored) {
            m_conflicts << FieldConflict{edit.column, edit.caption, edit.current, now};
        } else {
            written << edit;
        }
    }
    if (!m_conflicts.isEmpty()) return Refused;
    if (written.isEmpty()) {
        m_settled = settled;
        return Unchanged;
    }

    // Long texts travel raw as typed parameters, numbered from 1; a piece
    // that did not arrive must not let a cut text be written.
    int number = 0;
    for (const FieldEdit& edit : written) {
        if (edit.kind != FieldKind::LongText) continue;
        if (!http.UploadLongParam(edit.value.toUtf8().constData(), edit.param.toUtf8().constData(),
                                  ++number, 3000)) {
            m_error = QString::fromUtf8(http.GetErrorText());
            if (m_error.isEmpty()) m_error = ToQt(m_context.m_lastError);
            return Failed;
        }
    }
    const QByteArray sql = CDefectSql::ChangedUpdate(id, written).toUtf8();
    m_context.SetBusy(1);
    const bool done =
        number > 0 ? http.ExecSqlGo(sql.constData(), error) : http.ExecSql(sql.constData(), error);
    m_context.SetBusy(0);
    if (!done) {
        m_error = ToQt(error);
        return Failed;
    }
    for (const FieldEdit& edit : written) m_written << edit.column;
    m_settled = settled + written;
    return Saved;
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

#include "CDefectListGrid.h"

#include "CAppContext.h"
#include "CQuickEditDlg.h"
#include "QtText.h"

#include <QTimer>

CDefectListGrid::CDefectListGrid(CAppContext& context, QWidget* parent)
    : CResultGrid(context, parent), m_ctx(context)
{
}

int CDefectListGrid::SelectedBugId() const
{
    return SelectedValue(QStringLiteral("BG_BUG_ID")).trimmed().toInt();
}

int CDefectListGrid::RowOfDefect(int bugId) const
{
    const int column = FieldColumn(QStringLiteral("BG_BUG_ID"));
    for (int row = 0; column >= 0 && row < RowCount(); ++row)
        if (Model()->Text(row, column).trimmed().toInt() == bugId) return row;
    return -1;
}

void CDefectListGrid::OnSelChanged()
{
    if (CurrentRow() < 0) return;
    const int id = SelectedBugId();
    if (id == m_lastBugId || m_quickEditShown == 0 || !m_quickEdit) return;
    if (!m_quickEdit->SaveQuickEdit()) {
        // Back to the defect the panel still shows, once the click that
        // moved the selection has been handled.
        const int shown = m_quickEdit->ShownId();
        QTimer::singleShot(0, this, [this, shown]() { SelectDefect(shown); });
        return;
    }
    m_lastBugId = id;
    LoadQuickEdit(id);
}

bool CDefectListGrid::LoadQuickEdit(int bugId)
{
    CResultSet row;
    const QString sql = QStringLiteral("select BG_STATUS,BG_DESCRIPTION,BG_DEV_COMMENTS,BG_SUMMARY "
                                       "from t_bug where BG_BUG_ID=%1 ")
                            .arg(bugId);
    if (m_ctx.RunSelect(sql.toUtf8().constData(), row) < 0 || row.GetRowCount() == 0) return false;
    m_quickEdit->LoadDefect(bugId, ToQt(row.GetValue(0, "BG_STATUS")),
                            ToQt(row.GetValue(0, "BG_SUMMARY")),
                            ToQt(row.GetValue(0, "BG_DESCRIPTION")),
                            ToQt(row.GetValue(0, "BG_DEV_COMMENTS")));
    return true;
}

void CDefectListGrid::SelectDefect(int bugId)
{
    m_lastBugId = bugId;
    const int row = RowOfDefect(bugId);
    if (row < 0) {
        selectionModel()->clear();
        return;
    }
    SetCurrentRow(row);
}

#include "CDefectListGrid.h"

#include "CAppContext.h"
#include "CQuickEditDlg.h"
#include "QtText.h"

CDefectListGrid::CDefectListGrid(CAppContext& context, QWidget* parent)
    : CResultGrid(context, parent), m_ctx(context)
{
}

int CDefectListGrid::SelectedBugId() const
{
    return SelectedValue(QStringLiteral("BG_BUG_ID")).trimmed().toInt();
}

void CDefectListGrid::OnSelChanged()
{
    if (CurrentRow() < 0) return;
    const int id = SelectedBugId();
    if (id == m_lastBugId || m_quickEditShown == 0 || !m_quickEdit) return;
    m_lastBugId = id;
    m_quickEdit->SaveQuickEdit();

    CResultSet row;
    const QString sql = QStringLiteral("select BG_STATUS,BG_DESCRIPTION,BG_DEV_COMMENTS,BG_SUMMARY "
                                       "from t_bug where BG_BUG_ID=%1 ")
                            .arg(id);
    if (m_ctx.RunSelect(sql.toUtf8().constData(), row) < 0 || row.GetRowCount() == 0) return;
    m_quickEdit->LoadDefect(id, ToQt(row.GetValue(0, "BG_STATUS")),
                            ToQt(row.GetValue(0, "BG_SUMMARY")),
                            ToQt(row.GetValue(0, "BG_DESCRIPTION")),
                            ToQt(row.GetValue(0, "BG_DEV_COMMENTS")));
}

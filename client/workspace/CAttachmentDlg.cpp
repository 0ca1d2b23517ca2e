#include "CAttachmentDlg.h"

#include "CAppContext.h"
#include "CResultGrid.h"
#include "WorkspaceLists.h"

CAttachmentDlg::CAttachmentDlg(CAppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_grid(new CResultGrid(context, this))
{
    m_grid->SetDataClient(&m_context.m_http);
    m_grid->SetRowNumbers(1);
    m_grid->SetStandardLook();
    LoadList();
}

int CAttachmentDlg::RowCount() const
{
    return m_grid->RowCount();
}

void CAttachmentDlg::LoadList()
{
    const QString sql = QStringLiteral("select FILE_NAME,FILE_SIZE,FILE_TIME,UPLOAD_USER from "
                                       "t_bug_attach where BG_BUG_ID=%1 ")
                            .arg(m_context.m_currentBugId);
    m_grid->RunQueryTyped(sql, {240, 80, 100, 100}, {2, 4, 2, 2});
    WorkspaceLists::RenameGridColumns(m_context.m_columns, *m_grid);
    m_grid->viewport()->update();
}

void CAttachmentDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Below the place of the page's tool bar.
    m_grid->setGeometry(0, 27, width(), qMax(0, height() - 27));
}

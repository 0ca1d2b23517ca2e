#include "CStatusHistoryDlg.h"

#include "CAppContext.h"
#include "CDefectSql.h"
#include "CResultGrid.h"
#include "LookupLists.h"

CStatusHistoryDlg::CStatusHistoryDlg(CAppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_grid(new CResultGrid(context, this))
{
    m_grid->SetDataClient(&m_context.m_http);
    m_grid->SetStandardLook();
    m_grid->SetRowNumbers(1);
    m_grid->SetGroupByBox(false);
    m_grid->SetAutoSizeColumns(true);
    Refresh();
}

void CStatusHistoryDlg::Refresh()
{
    m_grid->RunQuery(CDefectSql::StatusHistorySelect(m_context.m_currentBugId));
    LookupLists::RenameGridColumns(m_context.m_columns, *m_grid);
    m_grid->updateGeometry();
}

void CStatusHistoryDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_grid->setGeometry(0, 0, width(), height());
}

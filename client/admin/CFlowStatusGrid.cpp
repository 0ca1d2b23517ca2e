#include "CFlowStatusGrid.h"

#include "CFlowDefineDlg.h"

void CFlowStatusGrid::OnSelChanged()
{
    CResultGrid::OnSelChanged();
    if (m_page && CurrentRow() >= 0) m_page->OnStatusSelected();
}

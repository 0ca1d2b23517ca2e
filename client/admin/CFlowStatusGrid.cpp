#include "CFlowStatusGrid.h"

void CFlowStatusGrid::OnSelChanged()
{
    CResultGrid::OnSelChanged();
    if (CurrentRow() >= 0) emit StatusSelected();
}

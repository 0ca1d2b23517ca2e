#include "CProjectListGrid.h"

void CProjectListGrid::OnSelChanged()
{
    CResultGrid::OnSelChanged();
    const int row = CurrentRow();
    if (row < 0) return;
    const QString first = Model()->index(row, 0).data().toString();
    if (first.compare(m_currentProject, Qt::CaseInsensitive) != 0) m_currentProject = first;
}

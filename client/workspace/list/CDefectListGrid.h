// CDefectListGrid: the defect list's grid; selecting a row loads that
// defect into the quick-edit panel, after saving what the panel showed.
#pragma once

#include "CResultGrid.h"

class CQuickEditDlg;

class CDefectListGrid : public CResultGrid {
    Q_OBJECT
public:
    explicit CDefectListGrid(CAppContext& context, QWidget* parent = nullptr);

    void SetQuickEdit(CQuickEditDlg* panel) { m_quickEdit = panel; }
    int SelectedBugId() const;

    CQuickEditDlg* m_quickEdit = nullptr;
    int m_quickEditShown = 1;
    int m_lastBugId = -1;

protected:
    void OnSelChanged() override;

private:
    CAppContext& m_ctx;
};

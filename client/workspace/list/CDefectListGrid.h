// CDefectListGrid: the defect list's grid; selecting a row loads that
// defect into the quick-edit panel, after saving what the panel showed.
// A save that wrote nothing keeps the panel, and the selection, on the
// defect it shows, with what the user typed.
#pragma once

#include "CResultGrid.h"

class CQuickEditDlg;

class CDefectListGrid : public CResultGrid {
    Q_OBJECT
public:
    explicit CDefectListGrid(CAppContext& context, QWidget* parent = nullptr);

    void SetQuickEdit(CQuickEditDlg* panel) { m_quickEdit = panel; }
    int SelectedBugId() const;
    // The row that shows a defect, -1 when none does.
    int RowOfDefect(int bugId) const;
    // Loads a defect's stored values into the quick-edit panel.
    bool LoadQuickEdit(int bugId);

    CQuickEditDlg* m_quickEdit = nullptr;
    int m_quickEditShown = 1;
    int m_lastBugId = -1;

protected:
    void OnSelChanged() override;

private:
    void SelectDefect(int bugId);

    CAppContext& m_ctx;
};

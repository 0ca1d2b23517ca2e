// CFlowStatusGrid: the workflow page's grid of statuses and their switch;
// a selected row tells the page to show that status's rules.
#pragma once

#include "CResultGrid.h"

class CFlowDefineDlg;

class CFlowStatusGrid : public CResultGrid {
    Q_OBJECT
public:
    explicit CFlowStatusGrid(CAppContext& context, QWidget* parent = nullptr)
        : CResultGrid(context, parent) {}

    CFlowDefineDlg* m_page = nullptr;

protected:
    void OnSelChanged() override;
};

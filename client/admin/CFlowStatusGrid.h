// CFlowStatusGrid: the workflow page's grid of statuses and their switch;
// a selected row is announced, so the page can show that status's rules.
#pragma once

#include "CResultGrid.h"

class CFlowStatusGrid : public CResultGrid {
    Q_OBJECT
public:
    explicit CFlowStatusGrid(CAppContext& context, QWidget* parent = nullptr)
        : CResultGrid(context, parent) {}

signals:
    void StatusSelected();

protected:
    void OnSelChanged() override;
};

// CProjectListGrid: the projects page's grid; follows the selected project.
#pragma once

#include "CResultGrid.h"

class CProjectListGrid : public CResultGrid {
    Q_OBJECT
public:
    explicit CProjectListGrid(CAppContext& context, QWidget* parent = nullptr)
        : CResultGrid(context, parent) {}

    QString m_currentProject;
    int m_loaded = 0;

protected:
    void OnSelChanged() override;
};

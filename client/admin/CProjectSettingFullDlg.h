// CProjectSettingFullDlg: the projects page of the system management sheet:
// a grid of all projects with New, edit ("Save"), Delete and "Version Info".
// A page loads its data the first time it is shown (OnSetActive).
#pragma once

#include "ISheetPage.h"

#include <QDialog>

class QMenu;
class QPushButton;
class CAppContext;
class CProjectListGrid;

class CProjectSettingFullDlg : public QDialog, public ISheetPage {
    Q_OBJECT
public:
    explicit CProjectSettingFullDlg(CAppContext& context, QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }

    void SetButtonFaces();
    void LocalizeControls();
    int LoadProjects();
    // A holder whose one pop-up is the grid's context menu (Delete 2033).
    QMenu* CreateGridMenu();
    // The project of the grid's current row; empty without one.
    QString SelectedProject() const;

    CProjectListGrid* m_grid;
    QPushButton* m_delete;
    QPushButton* m_versions;
    QPushButton* m_new;
    QPushButton* m_edit;

public slots:
    // Fills the page at its first activation (shown, or chosen in the sheet).
    bool OnSetActive() override;
    void OnNew();
    void OnEdit();
    void OnGridDblClk();
    void OnGridRightClick();
    void OnDelete();
    void OnDeleteCommand();
    void OnVersions();

    // Escape inside the sheet closes the sheet, not the page alone.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    CAppContext& m_context;
};

// CSysPropSheet: the system management window: a navigation list on the
// left and one administration page at a time. The pages are given to it
// (StandardSheetPages, and whatever the composition adds); a page fills
// itself the first time it is shown. No OK, Cancel or Apply: each page
// writes the database itself.
#pragma once

#include "ISheetPage.h"

#include <QDialog>
#include <QIcon>

#include <vector>

class QListWidget;
class QStackedWidget;
class CAppContext;
class CFlowDefineDlg;
class CParamSettingDlg;
class CProjectSettingFullDlg;
class CUserManageDlg;

// The four pages of this library, in the order of the navigation list:
// projects, users, lookup lists, workflow.
CSheetPages StandardSheetPages();

class CSysPropSheet : public QDialog {
    Q_OBJECT
public:
    CSysPropSheet(CAppContext& context, const CSheetPages& pages, QWidget* parent = nullptr);

    // Appends a page (owned by the sheet) under its caption.
    void AddPage(ISheetPage* page, const QString& caption);
    int PageCount() const;
    QWidget* Page(int index) const;
    void SetActivePage(int index);
    int ActivePage() const;

    // This library's pages among those given (null when not given).
    CProjectSettingFullDlg* m_projectsPage = nullptr;
    CUserManageDlg* m_usersPage = nullptr;
    CParamSettingDlg* m_listsPage = nullptr;
    CFlowDefineDlg* m_workflowPage = nullptr;
    QIcon m_hIcon;
    QListWidget* m_navigation;
    QStackedWidget* m_pages;

public slots:
    void OnInitDialog();
    void OnPageSelected(int index);

private:
    CAppContext& m_context;
    std::vector<ISheetPage*> m_sheetPages;  // in the order of m_pages
};

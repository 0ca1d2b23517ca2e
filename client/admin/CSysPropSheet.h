// CSysPropSheet: the system management window: a navigation list on the
// left and one administration page at a time. A page fills itself the first
// time it is shown (its slot OnSetActive(), when it has one). No OK,
// Cancel or Apply: each page writes the database itself.
#pragma once

#include <QDialog>
#include <QIcon>

class QListWidget;
class QStackedWidget;
class CAppContext;
class CUserManageDlg;

class CSysPropSheet : public QDialog {
    Q_OBJECT
public:
    explicit CSysPropSheet(CAppContext& context, QWidget* parent = nullptr);

    // Appends a page (owned by the sheet) under its caption.
    void AddPage(QWidget* page, const QString& caption);
    int PageCount() const;
    QWidget* Page(int index) const;
    void SetActivePage(int index);
    int ActivePage() const;

    QWidget* m_projectsPage;
    CUserManageDlg* m_usersPage;
    QWidget* m_listsPage;
    QWidget* m_workflowPage;
    QWidget* m_fieldsPage;
    QIcon m_hIcon;
    QListWidget* m_navigation;
    QStackedWidget* m_pages;

public slots:
    void OnInitDialog();
    void OnPageSelected(int index);

private:
    CAppContext& m_context;
};

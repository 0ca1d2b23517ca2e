// CReportPageDlg: the second page of the interactive query view's tab
// window; its list is never filled.
#pragma once

#include <QWidget>

class QListWidget;

class CReportPageDlg : public QWidget {
    Q_OBJECT
public:
    enum { DialogId = 1063, ListId = 3252 };

    explicit CReportPageDlg(QWidget* parent = nullptr);
    QListWidget* List() const { return m_list; }

private:
    QListWidget* m_list;
};

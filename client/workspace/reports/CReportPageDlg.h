// CReportPageDlg: a page of the interactive query view's tab window: a
// sorted list box over the whole page. The report page itself leaves its
// list empty; the report list fills it.
#pragma once

#include <QWidget>

class QListWidget;

class CReportPageDlg : public QWidget {
    Q_OBJECT
public:
    enum { DialogId = 1063, ListId = 3252 };

    explicit CReportPageDlg(QWidget* parent = nullptr) : CReportPageDlg(DialogId, parent) {}
    QListWidget* List() const { return m_list; }

protected:
    CReportPageDlg(int dialogId, QWidget* parent);

    QListWidget* m_list;
};

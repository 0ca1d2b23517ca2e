// CReportListDlg: the report list page of the interactive query view: the
// predefined report scripts ("*.lua" in report/predefine beside the
// program), each listed by its report_name. A double click picks one.
#pragma once

#include "CReportPageDlg.h"

#include <QString>

class QListWidgetItem;

class CReportListDlg : public CReportPageDlg {
    Q_OBJECT
public:
    enum { DialogId = 1060 };

    explicit CReportListDlg(QWidget* parent = nullptr);

    // Lists the scripts of the folder (empty when it is missing or holds none).
    void LoadReportList();
    // The report_name of a script: "no name" when it cannot be read, "not
    // find" without a name line.
    static QString ReadReportName(const QString& path);
    static QString ScriptFolder();

    // The script of the last pick, empty before the first.
    const QString& PickedPath() const { return m_pickedPath; }
    // The path a list entry stands for (the list sorts its entries).
    static QString PathOf(const QListWidgetItem* item);

signals:
    // A script was picked: its path and its text.
    void ReportPicked(const QString& path, const QString& text);

public slots:
    // The double click: the current entry, unless it was the last pick.
    void OnSelectReport();

private:
    QString m_pickedPath;
};

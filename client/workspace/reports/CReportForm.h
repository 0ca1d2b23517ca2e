// CReportForm: the report view (view 1006), an empty form.
#pragma once

#include <QWidget>

class CReportForm : public QWidget {
    Q_OBJECT
public:
    enum { ViewId = 1006 };
    explicit CReportForm(QWidget* parent = nullptr);
};

// CReportForm: the report view (view 1006), an empty form.
#pragma once

#include "IFrameView.h"

#include <QWidget>

class CReportForm : public QWidget, public IFrameView {
    Q_OBJECT
public:
    enum { ViewId = 1006 };
    explicit CReportForm(QWidget* parent = nullptr);
    QWidget* Widget() override { return this; }
};

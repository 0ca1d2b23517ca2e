#include "CReportForm.h"

CReportForm::CReportForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(ViewId));
}

#include "CReportPageDlg.h"

#include <QListWidget>
#include <QVBoxLayout>

CReportPageDlg::CReportPageDlg(int dialogId, QWidget* parent) : QWidget(parent), m_list(new QListWidget(this)) {
    setObjectName(QString::number(dialogId));
    m_list->setObjectName(QString::number(ListId));
    m_list->setSortingEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
}

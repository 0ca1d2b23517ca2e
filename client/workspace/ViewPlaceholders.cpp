#include "ViewPlaceholders.h"

#include "CAppContext.h"
#include "ClientIds.h"

#include <QLabel>
#include <QVBoxLayout>

CPlaceholderView::CPlaceholderView(CAppContext& context, int viewId, int textId, QWidget* parent)
    : QWidget(parent), m_context(context), m_textId(textId) {
    setObjectName(QString::number(viewId));
    m_caption = new QLabel(this);
    m_caption->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    LocalizeCaptions();
}

void CPlaceholderView::LocalizeCaptions() { m_caption->setText(m_context.Text(m_textId)); }

CDefectListPlaceholder::CDefectListPlaceholder(CAppContext& context, QWidget* parent)
    : CPlaceholderView(context, ids::kViewDefectList, ids::kMsgDefectListPlaceholder, parent) {}

CStatisticsPlaceholder::CStatisticsPlaceholder(CAppContext& context, QWidget* parent)
    : CPlaceholderView(context, ids::kViewStatistics, ids::kMsgStatisticsPlaceholder, parent) {}

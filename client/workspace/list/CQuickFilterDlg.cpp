#include "CQuickFilterDlg.h"

#include "CAppContext.h"
#include "CDefectSql.h"
#include "CLocalizer.h"
#include "DialogHelpers.h"
#include "IDefectListHost.h"
#include "WorkspaceIds.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace WorkspaceIds;

CQuickFilterDlg::CQuickFilterDlg(CAppContext& context, IDefectListHost* view, QWidget* parent)
    : QWidget(parent), m_context(context), m_view(view)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(CLocalizer::Tag(new QLabel(this), LabelFilterStatus));
    const int statusButtons[] = {FilterNew,  FilterOpen, FilterFixed,    FilterClosed,
                                 FilterReOpen, FilterAll, FilterNotClosed};
    const auto add = [this, layout](int id) {
        QPushButton* button = CLocalizer::Tag(new QPushButton(this), id);
        button->setProperty("filterId", id);
        connect(button, &QPushButton::clicked, this, [this, id]() { RunButton(id); });
        layout->addWidget(button);
        m_buttons << button;
    };
    for (int id : statusButtons) add(id);
    layout->addSpacing(8);
    layout->addWidget(CLocalizer::Tag(new QLabel(this), LabelFilterDate));
    add(FilterLastWeekCreate);
    add(FilterLastWeekClose);
    layout->addStretch(1);
    ReCaption();
    Recolour();
}

QPushButton* CQuickFilterDlg::Button(int buttonId) const
{
    for (QPushButton* button : m_buttons)
        if (button->property("filterId").toInt() == buttonId) return button;
    return nullptr;
}

void CQuickFilterDlg::RunButton(int buttonId)
{
    const QString condition = CDefectSql::QuickFilterCondition(buttonId);
    if (condition.isEmpty()) return;
    if (CDefectSql::QuickFilterIsSince(buttonId))
        RunFilterSince(condition, DateTimeToText(QDateTime::currentDateTime().addDays(-7), 1));
    else
        RunFilter(condition);
}

void CQuickFilterDlg::RunFilter(const QString& statusCondition)
{
    if (!m_view) return;
    const QString where =
        CDefectSql::FilterWhere(m_context.m_currentProject, statusCondition, m_context.m_userName);
    m_view->RefreshList(QStringLiteral("select ") + m_view->SelectList() +
                        QStringLiteral(" from t_bug where ") + where);
}

void CQuickFilterDlg::RunFilterSince(const QString& statusCondition, const QString& since)
{
    if (!m_view) return;
    const QString where = CDefectSql::FilterWhereSince(m_context.m_currentProject, statusCondition,
                                                       since, m_context.m_userName);
    m_view->RefreshList(QStringLiteral("select ") + m_view->SelectList() +
                        QStringLiteral(" from t_bug where ") + where);
}

void CQuickFilterDlg::Recolour()
{
    for (QPushButton* button : m_buttons) ApplyButtonFace(m_context, {button});
    update();
}

void CQuickFilterDlg::ReCaption()
{
    CLocalizer::Apply(this, m_context);
}

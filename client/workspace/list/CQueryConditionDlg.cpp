#include "CQueryConditionDlg.h"

#include "CAppContext.h"
#include "CDefectListGrid.h"
#include "CLocalizer.h"
#include "CTreeComboBox.h"
#include "DialogHelpers.h"
#include "IDefectListHost.h"
#include "LookupLists.h"
#include "WorkspaceIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace WorkspaceIds;

namespace {

const char* const kNoChoice = "----------";

}  // namespace

CQueryConditionDlg::CQueryConditionDlg(CAppContext& context, IDefectListHost* view, QWidget* parent)
    : QWidget(parent), m_context(context), m_view(view)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    const auto label = [this, layout](int id) {
        layout->addWidget(CLocalizer::Tag(new QLabel(this), id, true));
    };
    const QDateTime now = QDateTime::currentDateTime();
    label(LabelDetectionDate);
    m_startDate = new QDateTimeEdit(now, this);
    m_startDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_startDate->setCalendarPopup(true);
    layout->addWidget(m_startDate);
    m_closeDate = new QDateTimeEdit(now, this);
    m_closeDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_closeDate->hide();
    label(LabelResponsible);
    m_responsible = new CTreeComboBox(this);
    layout->addWidget(m_responsible);
    label(LabelDetectedBy);
    m_detectedBy = new CTreeComboBox(this);
    layout->addWidget(m_detectedBy);
    label(LabelStatus);
    m_status = new QComboBox(this);
    layout->addWidget(m_status);
    label(LabelSeverity);
    m_severity = new QComboBox(this);
    layout->addWidget(m_severity);
    label(LabelDetectionVersion);
    m_version = new QComboBox(this);
    layout->addWidget(m_version);
    label(LabelSearchText);
    m_search = new QLineEdit(this);
    layout->addWidget(m_search);
    m_attachment = CLocalizer::Tag(new QCheckBox(this), CheckAttachment);
    layout->addWidget(m_attachment);
    m_group = CLocalizer::Tag(new QCheckBox(this), CheckGroup);
    layout->addWidget(m_group);
    auto* buttons = new QHBoxLayout;
    m_query = CLocalizer::Tag(new QPushButton(this), ButtonQuery);
    m_clear = CLocalizer::Tag(new QPushButton(this), ButtonClear);
    buttons->addWidget(m_query);
    buttons->addWidget(m_clear);
    layout->addLayout(buttons);
    m_moreCustom = CLocalizer::Tag(new QPushButton(this), ButtonMoreCustom);
    m_moreCustom->hide();
    layout->addStretch(1);

    connect(m_query, &QPushButton::clicked, this, &CQueryConditionDlg::OnQuery);
    connect(m_clear, &QPushButton::clicked, this, &CQueryConditionDlg::Clear);
    connect(m_group, &QCheckBox::clicked, this, [this](bool on) {
        if (m_view && m_view->Grid()) m_view->Grid()->SetGroupByBox(on);
    });
    Recolour();
    Fill();
    ReCaption();
}

void CQueryConditionDlg::Fill()
{
    FillComboFromResult(m_context.m_statuses, "PARAMETER_NAME", m_status, 1, 0);
    FillComboFromResult(m_context.m_severities, "PARAMETER_NAME", m_severity, 1, 0);
    for (CTreeComboBox* picker : {m_detectedBy, m_responsible}) {
        picker->SetEditable(true);
        LookupLists::FillUserTree(m_context, *picker, true);
    }
    m_version->clear();
    m_context.FillVersionCombo(m_version, m_context.m_currentProject, 1);
    Clear();
}

QDateTime CQueryConditionDlg::MonthBefore(const QDateTime& now)
{
    const QDate today = now.date();
    int year = today.year();
    int month = today.month() - 1;
    if (month < 1) {
        month = 12;
        --year;
    }
    return QDateTime(QDate(year, month, qMin(today.day(), 28)), now.time());
}

void CQueryConditionDlg::Clear()
{
    const QString none = QString::fromLatin1(kNoChoice);
    m_responsible->SelectText(none, 0);
    m_detectedBy->SelectText(none, 0);
    for (QComboBox* combo : {m_status, m_severity, m_version}) SelectComboText(combo, none, 0);
    m_search->clear();
    m_attachment->setChecked(false);
    m_startDate->setDateTime(MonthBefore(QDateTime::currentDateTime()));
}

QueryConditionValues CQueryConditionDlg::Values() const
{
    QueryConditionValues v;
    v.project = m_context.m_currentProject;
    v.startDate = m_startDate->date();
    v.closeDate = m_closeDate->date();
    v.responsible = m_responsible->GetText();
    v.detectedBy = m_detectedBy->GetText();
    v.status = GetComboText(m_status);
    v.searchText = m_search->text();
    v.severity = GetComboText(m_severity);
    v.version = GetComboText(m_version);
    v.attachmentOnly = m_attachment->isChecked();
    return v;
}

QString CQueryConditionDlg::BuildWhere()
{
    return CDefectSql::ConditionWhere(Values());
}

void CQueryConditionDlg::OnQuery()
{
    if (!m_view) return;
    m_lastWhere = BuildWhere();
    m_view->RefreshList(CDefectSql::SelectStatement(m_view->SelectList(), m_lastWhere));
}

void CQueryConditionDlg::Recolour()
{
    ApplyButtonFace(m_context, {m_query, m_clear, m_moreCustom});
    update();
}

void CQueryConditionDlg::ReCaption()
{
    CLocalizer::Apply(this, m_context);
}

#include "CQueryFieldsDlg.h"

#include "CAppContext.h"
#include "CDefectSql.h"
#include "CLocalizer.h"
#include "DialogHelpers.h"
#include "IDefectListHost.h"
#include "LookupLists.h"
#include "QtText.h"
#include "WorkspaceIds.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <memory>

using namespace WorkspaceIds;

namespace {

constexpr int kMaskLength = 64;

bool IsProtected(const QString& column)
{
    for (const char* name : {"BG_BUG_ID", "BG_STATUS", "BG_ATTACHMENT"})
        if (column.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace

CQueryFieldsDlg::CQueryFieldsDlg(CAppContext& context, IDefectListHost* view, QWidget* parent)
    : QWidget(parent), m_context(context), m_view(view)
{
    m_label = CLocalizer::Tag(new QLabel(this), LabelQueryFields, true);
    m_label->setGeometry(2, 2, 80, 21);
    m_refresh = CLocalizer::Tag(new QPushButton(this), ButtonQuery, true);
    m_refresh->setGeometry(84, 1, 76, 23);
    m_shown = new QListWidget(this);
    m_hidden = new QListWidget(this);
    connect(m_refresh, &QPushButton::clicked, this, &CQueryFieldsDlg::OnRefresh);
    connect(m_shown, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { HideField(item->text()); });
    connect(m_hidden, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { ShowField(item->text()); });
    Recolour();
    Fill();
}

QString CQueryFieldsDlg::GetSelectList() const
{
    return CDefectSql::SelectList(m_context.m_queryFields, LookupLists::ColumnNames(m_context));
}

void CQueryFieldsDlg::Fill()
{
    m_shown->clear();
    m_hidden->clear();
    ReCaption();
    const CResultSet& columns = m_context.m_columns;
    const QString& mask = m_context.m_queryFields;
    for (int i = 0; i < 2 && i < columns.GetRowCount(); ++i)
        m_shown->addItem(ToQt(columns.GetValue(i, "USER_LABEL")));
    for (int i = 0; i + 10 < mask.size() - 4 && i < columns.GetRowCount(); ++i) {
        const QString label = ToQt(columns.GetValue(i, "USER_LABEL"));
        if (!m_context.IsColumnUsed(label)) continue;
        if (mask[10 + i] == QLatin1Char('0'))
            m_hidden->addItem(label);
        else if (i > 1)
            m_shown->addItem(label);
    }
}

bool CQueryFieldsDlg::HideField(const QString& label)
{
    if (label.isEmpty() || IsProtected(m_context.GetColumnNameByLabel(label))) return false;
    return StoreField(label, false);
}

bool CQueryFieldsDlg::ShowField(const QString& label)
{
    if (label.isEmpty()) return false;
    return StoreField(label, true);
}

bool CQueryFieldsDlg::StoreField(const QString& label, bool show)
{
    const int k = m_context.GetColumnOrderByLabel(label);
    if (k < 0) return false;
    QString& mask = m_context.m_queryFields;
    if (mask.size() < kMaskLength) mask = mask.leftJustified(kMaskLength, QLatin1Char('0'));
    mask[10 + k] = show ? QLatin1Char('1') : QLatin1Char('0');
    const QString sql = QStringLiteral("update t_cfg_st_user set USER_FIELD_QUERY='%1' where "
                                       "user_name='%2'")
                            .arg(CAppContext::Quoted(mask), CAppContext::Quoted(m_context.m_userName));
    if (!m_context.RunExec(sql.toUtf8().constData())) return false;
    QListWidget* from = show ? m_hidden : m_shown;
    QListWidget* to = show ? m_shown : m_hidden;
    const QList<QListWidgetItem*> items = from->findItems(label, Qt::MatchExactly);
    if (!items.isEmpty()) std::unique_ptr<QListWidgetItem>(from->takeItem(from->row(items.first())));
    to->addItem(label);
    return true;
}

void CQueryFieldsDlg::OnRefresh()
{
    if (!m_view) return;
    m_view->RefreshList(CDefectSql::SelectStatement(GetSelectList(), m_view->LastWhere()));
}

void CQueryFieldsDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int half = (height() - 25) / 2;
    m_shown->setGeometry(0, 25, w, half);
    m_hidden->setGeometry(0, 25 + half, w, half);
}

void CQueryFieldsDlg::Recolour()
{
    ApplyButtonFace(m_context, {m_refresh});
    update();
}

void CQueryFieldsDlg::ReCaption()
{
    CLocalizer::Apply(this, m_context);
}

#include "CFlowDefineDlg.h"

#include "AdminSql.h"
#include "CFlowStatusGrid.h"
#include "DialogHelpers.h"
#include "ProjectAdminIds.h"
#include "QtText.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace ProjectAdminIds;
using AdminSql::Q;

CFlowDefineDlg::CFlowDefineDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("CFlowDefineDlg"));
    setWindowTitle(QStringLiteral("流程定义"));
    auto button = [this](int id, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::number(id));
        return b;
    };
    m_removeAll = button(MoveAllRight, ">>");
    m_remove = button(MoveRight, ">");
    m_addAll = button(MoveAllLeft, "<<");
    m_addOne = button(MoveLeft, "<");
    m_enable = button(ButtonEnable, "Enable");
    m_disable = button(ButtonDisable, "Disable");
    m_grid = new CFlowStatusGrid(context, this);
    m_grid->setObjectName(QString::number(Grid));
    m_cannotChange = new QListWidget(this);
    m_cannotChange->setObjectName(QString::number(ListCannotChange));
    m_canChange = new QListWidget(this);
    m_canChange->setObjectName(QString::number(ListCanChange));
    auto label = [this](int id, const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QString::number(id));
        return l;
    };
    m_statusLabel = label(LabelStatus, "Status:");
    m_canLabel = label(LabelCanChange, "Can change to:");
    m_cannotLabel = label(LabelCannotChange, "Cannot change to:");

    auto* top = new QHBoxLayout;
    top->addWidget(m_statusLabel);
    top->addStretch();
    top->addWidget(m_disable);
    top->addWidget(m_enable);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton* b : {m_addOne, m_addAll, m_remove, m_removeAll}) moves->addWidget(b);
    moves->addStretch();
    auto* lists = new QGridLayout;
    lists->addWidget(m_canLabel, 0, 0);
    lists->addWidget(m_cannotLabel, 0, 2);
    lists->addWidget(m_canChange, 1, 0);
    lists->addLayout(moves, 1, 1);
    lists->addWidget(m_cannotChange, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addLayout(lists, 1);
    resize(560, 520);

    connect(m_addOne, &QPushButton::clicked, this, &CFlowDefineDlg::OnAddRule);
    connect(m_addAll, &QPushButton::clicked, this, &CFlowDefineDlg::OnAddAllRules);
    connect(m_remove, &QPushButton::clicked, this, &CFlowDefineDlg::OnRemoveRule);
    connect(m_removeAll, &QPushButton::clicked, this, &CFlowDefineDlg::OnRemoveAllRules);
    connect(m_disable, &QPushButton::clicked, this, &CFlowDefineDlg::OnDisable);
    connect(m_enable, &QPushButton::clicked, this, &CFlowDefineDlg::OnEnable);
    OnInitDialog();
}

void CFlowDefineDlg::OnInitDialog()
{
    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_removeAll, m_remove, m_addAll, m_addOne});
}

void CFlowDefineDlg::reject()
{
    if (isWindow())
        QDialog::reject();
    else if (QWidget* sheet = window())
        sheet->close();
}

void CFlowDefineDlg::showEvent(QShowEvent* event)
{
    OnSetActive();
    QDialog::showEvent(event);
}

bool CFlowDefineDlg::OnSetActive()
{
    if (m_initialised != 0) return true;
    m_initialised = 1;
    m_statusesChanged = 0;
    ColourButtons();
    connect(m_grid, &CFlowStatusGrid::StatusSelected, this, &CFlowDefineDlg::OnStatusSelected);
    m_grid->SetStandardLook();
    m_grid->SetRowNumbers(0);
    CResultGridModel* model = m_grid->Model();
    model->Reset({QStringLiteral("PARAMETER_NAME"), QStringLiteral("PARAMETER_ENABLE")},
                 {m_context.Text(LabelStatus), m_context.Text(ColumnEnabled)});
    QVector<CResultGridModel::Row> rows;
    for (int row = 0; row < m_context.m_statuses.GetRowCount(); ++row) {
        CResultGridModel::Row r;
        r.cells << ToQt(m_context.m_statuses.GetValue(row, "PARAMETER_NAME"))
                << ToQt(m_context.m_statuses.GetValue(row, "PARAMETER_ENABLE"));
        rows << r;
    }
    model->AppendRows(std::move(rows));
    m_grid->setColumnWidth(0, 200);
    m_grid->setColumnWidth(1, 60);
    m_grid->updateGeometry();
    SetTexts();
    return true;
}

void CFlowDefineDlg::ColourButtons()
{
    ApplyButtonFace(m_context, {m_disable, m_enable});
    update();
}

void CFlowDefineDlg::SetTexts()
{
    const QString title = m_context.Text(FlowDefineDlg);
    if (!title.isEmpty()) setWindowTitle(title);
    for (QLabel* l : {m_statusLabel, m_canLabel, m_cannotLabel}) {
        const QString text = m_context.Text(l->objectName().toInt());
        if (!text.isEmpty()) l->setText(QStringLiteral("%1%2%3").arg(QString(), text, QStringLiteral(":")));
    }
    for (QPushButton* b : {m_disable, m_enable}) {
        const QString text = m_context.Text(b->objectName().toInt());
        if (!text.isEmpty()) b->setText(text);
    }
}

QString CFlowDefineDlg::SelectedStatus() const
{
    const int row = m_grid->CurrentRow();
    return row < 0 ? QString() : m_grid->Model()->Text(row, 0);
}

void CFlowDefineDlg::OnStatusSelected()
{
    const QString from = SelectedStatus();
    if (from.isEmpty()) return;
    m_canChange->clear();
    m_cannotChange->clear();
    CResultSet result;
    if (AdminSql::Select(m_context,
                         QStringLiteral("select TR_RULES_FROM,TR_RULES_TO from T_BUG_TRANS_RULE where "
                                        "COLUMN_NAME='BG_STATUS' and TR_RULES_FROM='%1'")
                             .arg(Q(from)),
                         result) < 0)
        return;
    for (int row = 0; row < result.GetRowCount(); ++row)
        m_canChange->addItem(ToQt(result.GetValue(row, "TR_RULES_TO")));
    FillNotAllowed();
    if (m_canChange->count() > 0) m_canChange->setCurrentRow(0);
    if (m_cannotChange->count() > 0) m_cannotChange->setCurrentRow(0);
}

void CFlowDefineDlg::FillNotAllowed()
{
    for (int row = 0; row < m_grid->RowCount(); ++row) {
        const QString status = m_grid->Model()->Text(row, 0);
        bool allowed = false;
        for (int i = 0; i < m_canChange->count() && !allowed; ++i)
            allowed = m_canChange->item(i)->text().compare(status, Qt::CaseInsensitive) == 0;
        if (!allowed) m_cannotChange->addItem(status);
    }
}

bool CFlowDefineDlg::InsertRule(const QString& from, const QString& to)
{
    return AdminSql::Exec(m_context, QStringLiteral("insert into T_BUG_TRANS_RULE(TR_RULES_FROM,TR_RULES_TO,COLUMN_NAME) "
                                                    "values('%1','%2','BG_STATUS')")
                                         .arg(Q(from), Q(to)));
}

void CFlowDefineDlg::OnAddRule()
{
    const QString from = SelectedStatus();
    QListWidgetItem* item = m_cannotChange->currentItem();
    if (from.isEmpty() || !item) return;
    if (!InsertRule(from, item->text())) return;
    m_rulesChanged = 1;
    OnStatusSelected();
}

void CFlowDefineDlg::OnAddAllRules()
{
    const QString from = SelectedStatus();
    if (from.isEmpty()) return;
    if (!AdminSql::Exec(m_context, QStringLiteral("delete from T_BUG_TRANS_RULE where COLUMN_NAME='BG_STATUS' and "
                                                  "TR_RULES_FROM='%1' ")
                                       .arg(Q(from))))
        return;
    m_rulesChanged = 1;
    for (int row = 0; row < m_grid->RowCount(); ++row)
        if (!InsertRule(from, m_grid->Model()->Text(row, 0))) return;
    OnStatusSelected();
}

void CFlowDefineDlg::OnRemoveRule()
{
    const QString from = SelectedStatus();
    QListWidgetItem* item = m_canChange->currentItem();
    if (from.isEmpty() || !item) return;
    if (!AdminSql::Exec(m_context, QStringLiteral("delete  from  T_BUG_TRANS_RULE where TR_RULES_FROM='%1' and "
                                                  "TR_RULES_TO='%2' and COLUMN_NAME='BG_STATUS' ")
                                       .arg(Q(from), Q(item->text()))))
        return;
    m_rulesChanged = 1;
    OnStatusSelected();
}

void CFlowDefineDlg::OnRemoveAllRules()
{
    const QString from = SelectedStatus();
    if (from.isEmpty()) return;
    if (!AdminSql::Exec(m_context, QStringLiteral("delete from T_BUG_TRANS_RULE where COLUMN_NAME='BG_STATUS' and "
                                                  "TR_RULES_FROM='%1' ")
                                       .arg(Q(from))))
        return;
    m_rulesChanged = 1;
    OnStatusSelected();
}

void CFlowDefineDlg::SetEnabled(int on)
{
    const int row = m_grid->CurrentRow();
    if (row < 0) return;
    const QString status = m_grid->Model()->Text(row, 0);
    if (!AdminSql::Exec(m_context, QStringLiteral("update T_CFG_PARAM set PARAMETER_ENABLE=%1  where "
                                                  "PARAMETER_TYPE_ID='defect_status' and PARAMETER_NAME='%2' ")
                                       .arg(QString::number(on), Q(status))))
        return;
    m_grid->Model()->SetText(row, 1, QString::number(on));
    m_statusesChanged = 1;
}

void CFlowDefineDlg::OnDisable() { SetEnabled(0); }

void CFlowDefineDlg::OnEnable() { SetEnabled(1); }

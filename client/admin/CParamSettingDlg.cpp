#include "CParamSettingDlg.h"

#include "AdminSql.h"
#include "CLocalizer.h"
#include "CNameCascade.h"
#include "CPromptInputDlg.h"
#include "CResultGrid.h"
#include "DialogHelpers.h"
#include "ProjectAdminIds.h"
#include "QtText.h"

#include <QCursor>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

using namespace ProjectAdminIds;
using AdminSql::Q;

namespace {
constexpr int kMaxValueLength = 80;
}

CParamSettingDlg::CParamSettingDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("CParamSettingDlg"));
    CLocalizer::Tag(this, ParamSettingDlg);
    setWindowTitle(QStringLiteral("参数设置"));
    m_types = new QListWidget(this);
    m_types->setObjectName(QString::number(ListTypes));
    m_values = new CResultGrid(context, this);
    m_values->setObjectName(QString::number(Grid));
    m_values->setContextMenuPolicy(Qt::CustomContextMenu);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QString::number(EditValue));
    m_label = new QLabel(QStringLiteral("Name:"), this);
    m_label->setObjectName(QString::number(LabelValue));
    auto button = [this](int id, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::number(id));
        return b;
    };
    m_add = button(ButtonAdd, "Add");
    m_modify = button(ButtonSave, "Modify");
    m_del = button(ButtonDel, "Del");
    m_newList = button(ButtonNewList, "New List");
    m_deleteList = button(ButtonDeleteList, "Delete List");
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_types, 0, 0, 6, 1);
    layout->addWidget(m_values, 0, 1, 6, 1);
    layout->addWidget(m_label, 0, 2);
    layout->addWidget(m_edit, 1, 2);
    layout->addWidget(m_add, 2, 2);
    layout->addWidget(m_modify, 3, 2);
    layout->addWidget(m_del, 4, 2);
    auto* lists = new QHBoxLayout;
    lists->addWidget(m_newList);
    lists->addWidget(m_deleteList);
    lists->addStretch();
    layout->addLayout(lists, 6, 0, 1, 3);
    resize(640, 360);
    connect(m_types, &QListWidget::currentRowChanged, this, &CParamSettingDlg::LoadValues);
    connect(m_values->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CParamSettingDlg::OnValueSelChanged);
    connect(m_values, &QWidget::customContextMenuRequested, this, &CParamSettingDlg::OnGridRightClick);
    connect(m_newList, &QPushButton::clicked, this, [this] { OnNewList(); });
    connect(m_deleteList, &QPushButton::clicked, this, &CParamSettingDlg::OnDeleteList);
    connect(m_add, &QPushButton::clicked, this, &CParamSettingDlg::OnAddValue);
    connect(m_modify, &QPushButton::clicked, this, &CParamSettingDlg::OnModifyValue);
    connect(m_del, &QPushButton::clicked, this, &CParamSettingDlg::OnDel);
    OnInitDialog();
}

void CParamSettingDlg::OnInitDialog()
{
    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_add, m_modify, m_del, m_newList, m_deleteList});
    SetOkIcon(m_add);
    SetCancelIcon(m_del);
    m_values->SetStandardLook();
    m_values->SetDataClient(&m_context.m_http);
    m_values->SetAutoSizeColumns(true);
    m_values->horizontalHeader()->hide();
    m_values->SetRowNumbers(0);
}

void CParamSettingDlg::reject()
{
    if (isWindow())
        QDialog::reject();
    else if (QWidget* sheet = window())
        sheet->close();
}

void CParamSettingDlg::showEvent(QShowEvent* event)
{
    OnSetActive();
    QDialog::showEvent(event);
}

bool CParamSettingDlg::OnSetActive()
{
    if (m_activated != 0) return true;
    m_activated = 1;
    LocalizeControls();
    LoadTypes();
    return true;
}

void CParamSettingDlg::LocalizeControls()
{
    for (QPushButton* b : {m_newList, m_deleteList, m_add, m_modify, m_del}) {
        const QString text = m_context.Text(b->objectName().toInt());
        if (!text.isEmpty()) b->setText(text);
    }
    const QString label = m_context.Text(LabelValue);
    if (!label.isEmpty()) m_label->setText(label + QLatin1Char(':'));
    const QString title = m_context.Text(ParamSettingDlg);
    if (!title.isEmpty()) setWindowTitle(title);
}

void CParamSettingDlg::LoadTypes()
{
    m_types->clear();
    CResultSet result;
    m_context.SetBusy(1);
    const int rows = m_context.m_http.Select(
        "select distinct PARAMETER_TYPE_ID from t_cfg_param  where PARAMETER_TYPE<>'1'  group by "
        "PARAMETER_TYPE_ID  order by  PARAMETER_TYPE_ID",
        result, m_context.m_lastError);
    m_context.SetBusy(0);
    for (int row = 0; row < rows; ++row) m_types->addItem(ToQt(result.GetValueAt(row, 0)));
}

QString CParamSettingDlg::CurrentList() const
{
    QListWidgetItem* item = m_types->currentItem();
    return item ? item->text() : QString();
}

void CParamSettingDlg::LoadValues()
{
    const QString list = CurrentList();
    if (list.isEmpty()) return;
    m_values->RunQueryWidths(QStringLiteral("select PARAMETER_NAME from t_cfg_param where  PARAMETER_TYPE_ID='%1' "
                                            "and PARAMETER_NAME<>'%2' order by PARAMETER_NAME ")
                                 .arg(Q(list), QLatin1String(AdminSql::None())),
                             {185, 100, 185});
    if (m_values->RowCount() > 0) {
        m_values->clearSelection();
        m_values->selectionModel()->clearCurrentIndex();
    }
    m_currentValue.clear();
}

void CParamSettingDlg::OnValueSelChanged()
{
    const int row = m_values->CurrentRow();
    if (row < 0) return;
    const QString value = VariantToText(m_values->Model()->index(row, 0).data());
    if (value.compare(m_currentValue, Qt::CaseInsensitive) == 0) return;
    m_currentValue = value;
    m_edit->setText(value);
    m_currentRow = row;
}

void CParamSettingDlg::OnNewList(const QString& name)
{
    QString list = name;
    if (list.isEmpty()) {
        CPromptInputDlg prompt(m_context, this);
        if (prompt.exec() != QDialog::Accepted) return;
        list = prompt.m_value;
    }
    if (list.isEmpty()) return;
    // A second placeholder would show a hidden list (the statuses) here.
    const long rows = AdminSql::SelectInt(
        m_context, QStringLiteral("select count(*) from t_cfg_param where PARAMETER_TYPE_ID='%1' ").arg(Q(list)));
    if (rows < 0) return;
    if (rows > 0) {
        m_context.ShowMessage(m_context.Text(MsgListExists));
        return;
    }
    const QString sql = QStringLiteral("insert into t_cfg_param(PARAMETER_TYPE_ID,PARAMETER_NAME) \t\t\t\t\tvalues('%1','%2')")
                            .arg(Q(list), QLatin1String(AdminSql::None()));
    if (AdminSql::Exec(m_context, sql)) LoadTypes();
}

void CParamSettingDlg::OnDeleteList()
{
    if (!m_context.AskYesNo(QStringLiteral("你确定想要删除此列表"))) return;
    const QString list = CurrentList();
    if (list.isEmpty()) return;
    if (!AdminSql::Exec(m_context, QStringLiteral("delete from t_cfg_param where PARAMETER_TYPE_ID='%1'").arg(Q(list))))
        return;
    LoadTypes();
    if (m_types->count() > 0) m_types->setCurrentRow(0);
    LoadValues();
}

bool CParamSettingDlg::IsNameLengthOk() const { return m_edit->text().length() <= kMaxValueLength; }

void CParamSettingDlg::OnAddValue()
{
    const QString list = CurrentList();
    if (!IsNameLengthOk() || list.isEmpty()) return;
    const QString value = m_edit->text();
    if (value.isEmpty()) return;
    // The placeholder is no value: taking it would hide the value.
    if (value == QLatin1String(AdminSql::None())) {
        m_context.ShowMessage(m_context.Text(MsgReservedValue));
        return;
    }
    const long count = AdminSql::SelectInt(
        m_context, QStringLiteral("select count(*) from t_cfg_param where PARAMETER_NAME='%1' and PARAMETER_TYPE_ID='%2' ")
                       .arg(Q(value), Q(list)));
    if (count < 0) return;
    if (count > 0) {
        m_context.ShowMessage(QStringLiteral("Please Change the Name to not exist one"));
        return;
    }
    if (AdminSql::Exec(m_context, QStringLiteral("insert into  t_cfg_param (PARAMETER_NAME,PARAMETER_TYPE_ID) values('%1','%2')")
                                      .arg(Q(value), Q(list))))
        LoadValues();
}

void CParamSettingDlg::OnModifyValue()
{
    const QString selected = CurrentList();
    if (!IsNameLengthOk() || m_currentValue.isEmpty() || selected.isEmpty()) return;
    const QString list = m_context.GetNameByAlias(selected);
    const QString value = m_edit->text();
    if (value.isEmpty() || value == m_currentValue) return;
    if (value == QLatin1String(AdminSql::None())) {
        m_context.ShowMessage(m_context.Text(MsgReservedValue));
        return;
    }
    // Two equal values could no longer be told apart (nor deleted one by one).
    const long count = AdminSql::SelectInt(
        m_context, QStringLiteral("select count(*) from t_cfg_param where PARAMETER_NAME='%1' and PARAMETER_TYPE_ID='%2' ")
                       .arg(Q(value), Q(list)));
    if (count < 0) return;
    if (count > 0) {
        m_context.ShowMessage(QStringLiteral("Please Change the Name to not exist one"));
        return;
    }
    QStringList columns;
    if (!CNameCascade::RefColumns(m_context, list, columns)) return;
    CNameCascade::Run(m_context, CNameCascade::ValueRename(list, m_currentValue, value, columns));
    LoadValues();
}

void CParamSettingDlg::OnDel() { OnDeleteValue(); }

void CParamSettingDlg::OnDeleteValue()
{
    const QString list = CurrentList();
    const int row = m_values->CurrentRow();
    if (list.isEmpty() || row < 0) return;
    const QString value = VariantToText(m_values->Model()->index(row, 0).data());
    const long count = AdminSql::SelectInt(
        m_context, QStringLiteral("select count(*) from t_cfg_param where PARAMETER_TYPE_ID='%1' ").arg(Q(list)));
    if (count < 0) return;
    QString sql;
    if (count > 1)
        sql = QStringLiteral("delete from  t_cfg_param where PARAMETER_TYPE_ID='%1' and PARAMETER_NAME='%2'")
                  .arg(Q(list), Q(value));
    else  // the list's last row becomes its placeholder
        sql = QStringLiteral("update  t_cfg_param set PARAMETER_NAME='%1' where  PARAMETER_TYPE_ID='%2' and PARAMETER_NAME='%3'")
                  .arg(QLatin1String(AdminSql::None()), Q(list), Q(value));
    if (!AdminSql::Exec(m_context, sql)) return;
    LoadValues();
    const int rows = m_values->RowCount();
    if (rows > 0) m_values->setCurrentIndex(m_values->Model()->index(m_currentRow < rows ? m_currentRow : rows - 1, 0));
}

QMenu* CParamSettingDlg::CreateGridMenu()
{
    auto* holder = new QMenu(this);
    QMenu* popup = holder->addMenu(QStringLiteral("popup"));
    QAction* remove = CLocalizer::Tag(popup->addAction(QStringLiteral("Delete")), CmdDeleteRow);
    m_context.LocalizeMenu(nullptr);
    m_context.LocalizeMenu(holder);
    connect(remove, &QAction::triggered, this, &CParamSettingDlg::OnDeleteValue);
    return holder;
}

void CParamSettingDlg::OnGridRightClick()
{
    QMenu* holder = CreateGridMenu();
    holder->actions().first()->menu()->exec(QCursor::pos());
    holder->deleteLater();
}

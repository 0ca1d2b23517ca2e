#include "CProjectEditDlg.h"

#include "AdminSql.h"
#include "CLocalizer.h"
#include "CTreeComboBox.h"
#include "ClientIds.h"
#include "DialogHelpers.h"
#include "LookupLists.h"
#include "ProjectAdminIds.h"
#include "QtText.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace ProjectAdminIds;
using AdminSql::Q;

namespace {

template <typename T>
T* Named(T* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

}  // namespace

CProjectEditDlg::CProjectEditDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("CProjectEditDlg"));
    CLocalizer::Tag(this, ProjectEditDlg);
    setWindowTitle(QStringLiteral("项目设置"));
    m_name = Named(new QLineEdit(this), EditProjectName);
    m_contractNo = Named(new QLineEdit(this), EditContractNo);
    m_typeCombo = Named(new QComboBox(this), ComboProjectType);
    m_english = Named(new QLineEdit(this), EditProjectEnglish);
    m_customer = Named(new QLineEdit(this), EditCustomer);
    m_managerCombo = Named(new CTreeComboBox(this), TreeManager);
    m_devEnv = Named(new QLineEdit(this), EditDevEnv);
    m_desc = Named(new QPlainTextEdit(this), EditProjectDesc);
    m_close = Named(CLocalizer::Tag(new QPushButton(QStringLiteral("关闭"), this), ButtonClose), ButtonClose);
    m_new = Named(CLocalizer::Tag(new QPushButton(QStringLiteral("新增"), this), ButtonNew), ButtonNew);
    m_save = Named(CLocalizer::Tag(new QPushButton(QStringLiteral("修改"), this), ButtonSave), ButtonSave);
    m_versions = Named(new QPushButton(QStringLiteral("版本信息"), this), ButtonVersions);
    m_users = Named(new QPushButton(QStringLiteral("选择此项目用户"), this), ButtonProjectUsers);
    m_versions->hide();
    m_users->hide();

    auto* form = new QFormLayout;
    struct Row {
        int label;
        const char* text;
        QWidget* field;
    } rows[] = {
        {LabelProjectName, "项目名称", m_name},       {LabelContractNo, "合同编号", m_contractNo},
        {LabelProjectType, "项目类型", m_typeCombo},  {LabelProjectEnglish, "项目简称", m_english},
        {LabelCustomer, "客户名称", m_customer},      {LabelManager, "项目经理", m_managerCombo},
        {LabelDevEnv, "开发环境", m_devEnv},          {LabelProjectDesc, "项目情况概述", m_desc},
    };
    for (const Row& row : rows)
        form->addRow(CLocalizer::Tag(new QLabel(QString::fromUtf8(row.text), this), row.label, true),
                     row.field);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_new);
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(460, 420);
    connect(m_new, &QPushButton::clicked, this, &CProjectEditDlg::OnNew);
    connect(m_save, &QPushButton::clicked, this, &CProjectEditDlg::OnSave);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
}

int CProjectEditDlg::exec()
{
    OnInitDialog();
    return QDialog::exec();
}

void CProjectEditDlg::OnInitDialog()
{
    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_close, m_new, m_save, m_versions, m_users});
    CLocalizer::Apply(this, m_context);
    CResultSet types;
    m_context.SelectParams("prj_type", types);
    FillComboFromResult(types, "PARAMETER_NAME", m_typeCombo, 0, 0);
    m_managerCombo->ClearNodes();
    LookupLists::FillUserTree(m_context, *m_managerCombo, false);
    SetMode();
}

void CProjectEditDlg::SetMode()
{
    if (m_projectName.isEmpty()) {
        m_save->hide();
        m_new->show();
        m_editMode = 0;
    } else {
        m_new->hide();
        m_save->show();
        m_name->setEnabled(false);
        m_editMode = 1;
        LoadProject();
    }
    m_name->setText(m_projectName);
}

bool CProjectEditDlg::LoadProject()
{
    CResultSet result;
    if (AdminSql::Select(m_context,
                         QStringLiteral("select * from t_prj where prj_name='%1' ").arg(Q(m_projectName)),
                         result) < 0)
        return false;
    if (result.GetRowCount() < 1) return true;
    auto value = [&](const char* field) { return ToQt(result.GetValue(0, field)); };
    m_desc->setPlainText(value("PRJ_DESC"));
    m_name->setText(value("PRJ_NAME"));
    m_english->setText(value("PRJ_ENGLISH"));
    m_customer->setText(value("PRJ_CUSTOMER"));
    m_contractNo->setText(value("CONTRACT_NO"));
    m_devEnv->setText(value("DEV_ENV"));
    SelectComboText(m_typeCombo, value("PRJ_TYPE"), 0);
    // A manager without a full name shows by the plain name, so a save keeps it.
    const QString manager = value("PRJ_MANAGER");
    const QString shown = m_context.FormatUserWithFullName(manager);
    m_managerCombo->SelectText(shown.isEmpty() ? manager : shown, 3);
    return true;
}

QString CProjectEditDlg::Manager() const
{
    return LookupLists::NamePart(m_managerCombo->GetText());
}

void CProjectEditDlg::OnNew()
{
    if (m_name->text().isEmpty()) return;
    const QString sql =
        QStringLiteral("insert into t_prj(prj_name,PRJ_TYPE,PRJ_ENGLISH,PRJ_CUSTOMER,PRJ_MANAGER,"
                       "DEV_ENV,CONTRACT_NO,PRJ_DESC) values('%1','%2','%3','%4','%5','%6','%7','%8')")
            .arg(Q(m_name->text()), Q(GetComboText(m_typeCombo)), Q(m_english->text()),
                 Q(m_customer->text()), Q(Manager()), Q(m_devEnv->text()), Q(m_contractNo->text()),
                 Q(m_desc->toPlainText()));
    if (!AdminSql::Exec(m_context, sql)) return;
    m_context.ShowMessage(m_context.Text(ids::kMsgSuccess));
    accept();
}

void CProjectEditDlg::OnSave()
{
    if (m_name->text().isEmpty()) return;
    const QString sql =
        QStringLiteral("update t_prj set PRJ_DESC='%1',prj_type='%2',prj_customer='%3',PRJ_ENGLISH='%4',"
                       "PRJ_MANAGER='%5',CONTRACT_NO='%6',DEV_ENV='%7' where prj_name='%8'")
            .arg(Q(m_desc->toPlainText()), Q(GetComboText(m_typeCombo)), Q(m_customer->text()),
                 Q(m_english->text()), Q(Manager()), Q(m_contractNo->text()), Q(m_devEnv->text()),
                 Q(m_name->text()));
    if (!AdminSql::Exec(m_context, sql)) return;
    m_context.ShowMessage(m_context.Text(ids::kMsgSuccess));
    accept();
}

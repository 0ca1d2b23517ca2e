#include "CDepartmentDlg.h"

#include "AdminCommon.h"
#include "CAppContext.h"
#include "CLocalizer.h"
#include "CPromptInputDlg.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

CDepartmentDlg::CDepartmentDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_depts(WithId(new QListWidget(this), 3045)), m_name(WithId(new QLineEdit(this), 3047)),
      m_desc(WithId(new QLineEdit(this), 3051)), m_context(context)
{
    CLocalizer::Tag(this, 1010);
    setWindowTitle(QStringLiteral("Department"));
    auto* add = WithId(new QPushButton(QStringLiteral("Add"), this), 3048);
    auto* rename = WithId(new QPushButton(QStringLiteral("Rename"), this), 9252);
    auto* del = WithId(new QPushButton(QStringLiteral("Delete"), this), 4034);
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_depts, 0, 0, 5, 1);
    layout->addWidget(WithId(new QLabel(QStringLiteral("Name:"), this), 3217, true), 0, 1);
    layout->addWidget(m_name, 0, 2);
    layout->addWidget(WithId(new QLabel(QStringLiteral("Description:"), this), 3165, true), 1, 1);
    layout->addWidget(m_desc, 1, 2);
    layout->addWidget(add, 2, 2);
    layout->addWidget(rename, 3, 2);
    layout->addWidget(del, 4, 2);
    connect(add, &QPushButton::clicked, this, &CDepartmentDlg::OnAdd);
    connect(rename, &QPushButton::clicked, this, &CDepartmentDlg::OnRename);
    connect(del, &QPushButton::clicked, this, &CDepartmentDlg::OnDelete);
    connect(m_depts, &QListWidget::itemSelectionChanged, this, &CDepartmentDlg::OnSelChange);
    ApplyDialogLook(this, context);
    LocalizeControls();
    LoadDepartments();
}

void CDepartmentDlg::LocalizeControls() { CLocalizer::Apply(this, m_context); }

void CDepartmentDlg::LoadDepartments()
{
    m_depts->blockSignals(true);
    m_depts->clear();
    CResultSet result;
    CListString error;
    if (m_context.m_http.Select("select DEPT_NAME from t_dept", result, error) >= 0)
        FillListFromResult(result, "DEPT_NAME", m_depts);
    m_depts->blockSignals(false);
}

bool CDepartmentDlg::AddDepartment(const QString& name, const QString& desc)
{
    CListString error;
    const long count = m_context.m_http.SelectInt(
        QStringLiteral("select count(*) from t_dept where DEPT_DESC='%1' and DEPT_NAME='%2'")
            .arg(SqlText(desc), SqlText(name)).toUtf8().constData(), error);
    if (count > 0) return false;
    if (!AdminExec(m_context, QStringLiteral("insert into t_dept(DEPT_NAME,DEPT_DESC) values('%1','%2')")
                                  .arg(SqlText(name), SqlText(desc))))
        return false;
    LoadDepartments();
    return true;
}

bool CDepartmentDlg::RenameDepartment(const QString& oldName, const QString& newName)
{
    if (oldName.isEmpty() || newName.trimmed().isEmpty()) return false;
    const QStringList statements = {
        QStringLiteral("update t_dept set DEPT_NAME='%1' where DEPT_NAME='%2'").arg(SqlText(newName), SqlText(oldName)),
        QStringLiteral("update t_cfg_st_user set DEPT_NAME='%1' where DEPT_NAME='%2'")
            .arg(SqlText(newName), SqlText(oldName))};
    if (!RunCascade(m_context, statements)) return false;
    LoadDepartments();
    return true;
}

bool CDepartmentDlg::DeleteDepartment(const QString& name)
{
    if (!AdminExec(m_context, QStringLiteral("delete from t_dept where dept_name='%1'").arg(SqlText(name)))) return false;
    LoadDepartments();
    return true;
}

void CDepartmentDlg::OnAdd() { AddDepartment(m_name->text(), m_desc->text()); }

void CDepartmentDlg::OnRename()
{
    QListWidgetItem* item = m_depts->currentItem();
    if (!item) return;
    CPromptInputDlg prompt(m_context, this);
    prompt.m_title = item->text();
    prompt.m_initialText = item->text();
    if (prompt.exec() == QDialog::Accepted) RenameDepartment(item->text(), prompt.m_value);
}

void CDepartmentDlg::OnDelete()
{
    if (!m_context.AskYesNo(m_context.Text(4025))) return;
    QListWidgetItem* item = m_depts->currentItem();
    if (!item) return;
    DeleteDepartment(item->text());
}

void CDepartmentDlg::OnSelChange()
{
    QListWidgetItem* item = m_depts->currentItem();
    if (!item) return;
    CResultSet result;
    const int rows = AdminSelect(m_context, QStringLiteral("select dept_name,dept_desc from t_dept where dept_name='%1'")
                                                .arg(SqlText(item->text())), result);
    if (rows < 0) return;
    if (rows == 0) {
        m_context.ShowMessage(QStringLiteral("ERROR:not find this group"));
        return;
    }
    m_name->setText(ToQt(result.GetValueAt(0, 0)));
    m_desc->setText(ToQt(result.GetValueAt(0, 1)));
}

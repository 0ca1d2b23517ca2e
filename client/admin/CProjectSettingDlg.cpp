#include "CProjectSettingDlg.h"

#include "AdminSql.h"
#include "CLocalizer.h"
#include "CNameCascade.h"
#include "CPromptInputDlg.h"
#include "DialogHelpers.h"
#include "ProjectAdminIds.h"
#include "QtText.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace ProjectAdminIds;
using AdminSql::Q;

CProjectSettingDlg::CProjectSettingDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("CProjectSettingDlg"));
    CLocalizer::Tag(this, ProjectSettingDlg);
    setWindowTitle(QStringLiteral("Project Setting"));
    m_projects = new QListWidget(this);
    m_projects->setObjectName(QString::number(ListProjects));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QString::number(EditProjectName));
    m_add = CLocalizer::Tag(new QPushButton(QStringLiteral("Add"), this), ButtonAdd);
    // 3084 is another dialog's caption in the language files: fixed here.
    m_rename = new QPushButton(QStringLiteral("Rename"), this);
    m_delete = CLocalizer::Tag(new QPushButton(QStringLiteral("Delete"), this), ButtonDelete);
    m_add->setObjectName(QString::number(ButtonAdd));
    m_rename->setObjectName(QString::number(ButtonRename));
    m_delete->setObjectName(QString::number(ButtonDelete));
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_projects, 0, 0, 4, 1);
    layout->addWidget(m_name, 0, 1);
    layout->addWidget(m_add, 1, 1);
    layout->addWidget(m_rename, 2, 1);
    layout->addWidget(m_delete, 3, 1);
    connect(m_projects, &QListWidget::currentRowChanged, this, &CProjectSettingDlg::OnSelChange);
    connect(m_add, &QPushButton::clicked, this, &CProjectSettingDlg::OnAdd);
    connect(m_rename, &QPushButton::clicked, this, [this] { OnRename(); });
    connect(m_delete, &QPushButton::clicked, this, &CProjectSettingDlg::OnDelete);
    OnInitDialog();
}

void CProjectSettingDlg::OnInitDialog()
{
    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_add, m_rename, m_delete});
    CLocalizer::Apply(this, m_context);
    LoadProjects();
}

bool CProjectSettingDlg::LoadProjects()
{
    CResultSet result;
    if (AdminSql::Select(m_context, QStringLiteral("select prj_name from t_prj order by prj_name"),
                         result) < 0)
        return false;
    m_projects->clear();
    FillListFromResult(result, "PRJ_NAME", m_projects);
    if (m_projects->count() > 0) m_projects->setCurrentRow(0);
    return true;
}

void CProjectSettingDlg::OnSelChange()
{
    if (QListWidgetItem* item = m_projects->currentItem()) m_name->setText(item->text());
}

bool CProjectSettingDlg::IsListed(const QString& name) const
{
    for (int i = 0; i < m_projects->count(); ++i)
        if (m_projects->item(i)->text().compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

void CProjectSettingDlg::OnAdd()
{
    const QString name = m_name->text();
    if (name.isEmpty() || IsListed(name)) return;
    if (AdminSql::Exec(m_context,
                       QStringLiteral("insert into t_prj(prj_name) values('%1')").arg(Q(name))))
        LoadProjects();
}

void CProjectSettingDlg::OnRename(const QString& newName)
{
    QListWidgetItem* item = m_projects->currentItem();
    if (!item) return;
    const QString oldName = item->text();
    QString name = newName;
    if (name.isEmpty()) {
        CPromptInputDlg prompt(m_context, this);
        prompt.m_title = QStringLiteral("Input New Project Name");
        prompt.m_initialText = QStringLiteral("newprj");
        if (prompt.exec() != QDialog::Accepted) return;
        name = prompt.m_value;
    }
    if (name.isEmpty() || name == oldName) return;
    // Another project's name (a change of letter case only is this project).
    if (name.compare(oldName, Qt::CaseInsensitive) != 0 && IsListed(name)) {
        m_context.ShowMessage(m_context.Text(MsgProjectExists));
        return;
    }
    const bool done = CNameCascade::Run(m_context, CNameCascade::ProjectRename(oldName, name));
    if (done && m_context.m_currentProject.compare(oldName, Qt::CaseInsensitive) == 0) {
        m_context.m_currentProject = name;
        m_context.m_settings.SetValue("default_prj", ToList(name).CStr(), "pstyle");
    }
    LoadProjects();
}

void CProjectSettingDlg::OnDelete()
{
    QListWidgetItem* item = m_projects->currentItem();
    if (!item) return;
    CNameCascade::Run(m_context, CNameCascade::ProjectDelete(item->text()));
    LoadProjects();
}

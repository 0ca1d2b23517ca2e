#include "CVersionsDlg.h"

#include "AdminSql.h"
#include "DialogHelpers.h"
#include "ProjectAdminIds.h"
#include "ProjectCaches.h"
#include "QtText.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace ProjectAdminIds;
using AdminSql::Q;

CVersionsDlg::CVersionsDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("CVersionsDlg"));
    m_versions = new QListWidget(this);
    m_versions->setObjectName(QString::number(ListVersions));
    m_version = new QLineEdit(this);
    m_version->setObjectName(QString::number(EditVersion));
    m_add = new QPushButton(QStringLiteral("Add"), this);
    m_add->setObjectName(QString::number(ButtonAdd));
    m_delete = new QPushButton(QStringLiteral("Delete"), this);
    m_delete->setObjectName(QString::number(ButtonDelete));
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_versions, 0, 0, 3, 1);
    layout->addWidget(m_version, 0, 1);
    layout->addWidget(m_add, 1, 1);
    layout->addWidget(m_delete, 2, 1);
    connect(m_add, &QPushButton::clicked, this, &CVersionsDlg::OnAdd);
    connect(m_delete, &QPushButton::clicked, this, &CVersionsDlg::OnDelete);
}

int CVersionsDlg::exec()
{
    OnInitDialog();
    return QDialog::exec();
}

void CVersionsDlg::OnInitDialog()
{
    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_add, m_delete});
    LocalizeControls();
    LoadVersions();
}

void CVersionsDlg::LocalizeControls()
{
    for (QPushButton* button : {m_add, m_delete}) {
        const QString text = m_context.Text(button->objectName().toInt());
        if (!text.isEmpty()) button->setText(text);
    }
    const QString title = m_context.Text(VersionsDlg);
    setWindowTitle(QStringLiteral("%1 %2").arg(m_projectName, title.isEmpty() ? QStringLiteral("Versions") : title));
}

bool CVersionsDlg::LoadVersions()
{
    m_versions->clear();
    CResultSet result;
    if (AdminSql::Select(m_context,
                         QStringLiteral("select prj_name,version_no  from T_CFG_VERSION where prj_name='%1' ")
                             .arg(Q(m_projectName)),
                         result) < 0)
        return false;
    for (int row = 0; row < result.GetRowCount(); ++row) m_versions->addItem(ToQt(result.GetValueAt(row, 1)));
    return true;
}

void CVersionsDlg::OnAdd()
{
    const QString version = m_version->text();
    if (version.isEmpty()) return;
    for (int i = 0; i < m_versions->count(); ++i)
        if (m_versions->item(i)->text().compare(version, Qt::CaseInsensitive) == 0) return;
    if (AdminSql::Exec(m_context, QStringLiteral("insert into t_cfg_version(prj_name,VERSION_NO) values('%1','%2')")
                                      .arg(Q(m_projectName), Q(version)))) {
        LoadVersions();
        RefreshProjectCaches(m_context);
    }
}

void CVersionsDlg::OnDelete()
{
    QListWidgetItem* item = m_versions->currentItem();
    if (!item) return;
    if (AdminSql::Exec(m_context,
                       QStringLiteral("delete from  t_cfg_version where prj_name='%1' and VERSION_NO='%2' ")
                           .arg(Q(m_projectName), Q(item->text())))) {
        LoadVersions();
        RefreshProjectCaches(m_context);
    }
}

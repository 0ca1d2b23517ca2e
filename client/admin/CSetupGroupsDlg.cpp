#include "CSetupGroupsDlg.h"

#include "AdminCommon.h"
#include "CAppContext.h"
#include "CPromptInputDlg.h"
#include "CSelectGroupPermDlg.h"
#include "CSetupPermissionDlg.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

CSetupGroupsDlg::CSetupGroupsDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_groups(WithId(new QListWidget(this), 3082)), m_context(context)
{
    setWindowTitle(QStringLiteral("Set Up Groups"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Groups"), this), 0, 0);
    layout->addWidget(m_groups, 1, 0, 6, 1);
    struct Entry { int id; const char* text; void (CSetupGroupsDlg::*slot)(); };
    const Entry entries[] = {{3083, "New", &CSetupGroupsDlg::OnNewGroup},
                             {3084, "Rename", &CSetupGroupsDlg::OnRenameGroup},
                             {3085, "Delete", &CSetupGroupsDlg::OnDeleteGroup},
                             {3087, "Change", &CSetupGroupsDlg::OnChangePermission},
                             {3088, "Set As", &CSetupGroupsDlg::OnSetAs}};
    int row = 1;
    for (const Entry& entry : entries) {
        if (entry.id == 3087) layout->addWidget(new QLabel(QStringLiteral("Permissions:"), this), row++, 1);
        auto* button = WithId(new QPushButton(QString::fromLatin1(entry.text), this), entry.id);
        connect(button, &QPushButton::clicked, this, entry.slot);
        layout->addWidget(button, row++, 1);
    }
    connect(m_groups, &QListWidget::currentRowChanged, this, &CSetupGroupsDlg::OnGroupSelChanged);
    ApplyDialogLook(this, context);
    LoadGroups();
}

void CSetupGroupsDlg::LoadGroups()
{
    m_groups->clear();
    CResultSet result;
    CListString error;
    if (m_context.m_http.Select("select group_name from t_group   group by group_name  order by  group_name", result,
                                error) < 0)
        return;
    FillListFromResult(result, "GROUP_NAME", m_groups);
    if (m_groups->count() > 0) m_groups->setCurrentRow(0);
}

QString CSetupGroupsDlg::SelectedGroup() const
{
    QListWidgetItem* item = m_groups->currentItem();
    return item ? item->text() : QString();
}

bool CSetupGroupsDlg::NewGroup(const QString& name)
{
    if (name.trimmed().isEmpty()) return false;
    CListString error;
    const long count = m_context.m_http.SelectInt(
        QStringLiteral("select count(*) from t_group where group_name='%1' ").arg(SqlText(name)).toUtf8().constData(),
        error);
    if (count > 0) {
        m_context.ShowMessage(QStringLiteral("Please Change the Name to not exist one"));
        return false;
    }
    if (!AdminExec(m_context, QStringLiteral("insert into t_group(group_name) values('%1')").arg(SqlText(name))))
        return false;
    LoadGroups();
    return true;
}

bool CSetupGroupsDlg::RenameGroup(const QString& oldName, const QString& newName)
{
    if (oldName.isEmpty() || newName.trimmed().isEmpty()) return false;
    if (newName.compare(oldName, Qt::CaseInsensitive) != 0) {
        CListString error;
        const long count = m_context.m_http.SelectInt(
            QStringLiteral("select count(*) from t_group where group_name='%1' ").arg(SqlText(newName))
                .toUtf8().constData(), error);
        if (count > 0) {
            m_context.ShowMessage(QStringLiteral("Please Change the Name to not exist one"));
            return false;
        }
    }
    const QStringList statements = {
        QStringLiteral("update  t_group set group_name='%1' where group_name='%2' ").arg(SqlText(newName), SqlText(oldName)),
        QStringLiteral("update  t_user_group set group_name='%1' where group_name='%2' ")
            .arg(SqlText(newName), SqlText(oldName))};
    if (!RunCascade(m_context, statements)) return false;
    LoadGroups();
    return true;
}

bool CSetupGroupsDlg::DeleteGroup(const QString& name)
{
    if (name.isEmpty()) return false;
    // Memberships before the group itself.
    const QStringList statements = {
        QStringLiteral("delete from t_user_group  where group_name='%1' ").arg(SqlText(name)),
        QStringLiteral("delete from t_group where group_name='%1' ").arg(SqlText(name))};
    if (!RunCascade(m_context, statements)) return false;
    LoadGroups();
    return true;
}

bool CSetupGroupsDlg::SetRightsFrom(const QString& group, const QString& rights)
{
    if (group.isEmpty()) return false;
    return AdminExec(m_context, QStringLiteral("update t_group set USER_FIELD_RIGHT='%1' where group_name='%2'")
                                    .arg(SqlText(rights), SqlText(group)));
}

void CSetupGroupsDlg::OnNewGroup()
{
    CPromptInputDlg prompt(m_context, this);
    prompt.m_title = QStringLiteral("Input New Group Name");
    prompt.m_initialText = QStringLiteral("newgroup");
    if (prompt.exec() == QDialog::Accepted) NewGroup(prompt.m_value);
}

void CSetupGroupsDlg::OnRenameGroup()
{
    const QString old = SelectedGroup();
    if (old.isEmpty()) return;
    CPromptInputDlg prompt(m_context, this);
    prompt.m_title = QStringLiteral("Input Rename Group Name:(%1)").arg(old);
    prompt.m_initialText = old;
    if (prompt.exec() == QDialog::Accepted) RenameGroup(old, prompt.m_value);
}

void CSetupGroupsDlg::OnDeleteGroup() { DeleteGroup(SelectedGroup()); }

void CSetupGroupsDlg::OnChangePermission()
{
    const QString group = SelectedGroup();
    if (group.isEmpty()) return;
    CSetupPermissionDlg dialog(m_context, this);
    dialog.m_groupName = group;
    dialog.exec();
}

void CSetupGroupsDlg::OnSetAs()
{
    const QString group = SelectedGroup();
    if (group.isEmpty()) return;
    CSelectGroupPermDlg dialog(m_context, this);
    if (dialog.exec() == QDialog::Accepted) SetRightsFrom(group, dialog.m_right);
}

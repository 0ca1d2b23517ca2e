#include "CSetupUserPermissionDlg.h"

#include "AdminCommon.h"
#include "CAppContext.h"
#include "CLocalizer.h"
#include "QtText.h"
#include "RightsString.h"

#include <QCheckBox>
#include <QPushButton>

CSetupUserPermissionDlg::CSetupUserPermissionDlg(CAppContext& context, QWidget* parent)
    : CPermissionBoxes(context, parent)
{
    connect(m_save, &QPushButton::clicked, this, &CSetupUserPermissionDlg::OnSave);
    CLocalizer::Tag(this, 1016);
}

int CSetupUserPermissionDlg::exec()
{
    InitDialog();
    return QDialog::exec();
}

bool CSetupUserPermissionDlg::InitDialog()
{
    CLocalizer::Apply(this, m_context);
    const QString caption = m_context.Text(1016);
    setWindowTitle(caption.isEmpty() ? QStringLiteral("User Permission") : caption);
    return BuildFieldBoxes();
}

QString CSetupUserPermissionDlg::LoadRight(std::vector<QString>& groupRights)
{
    groupRights.clear();
    CResultSet result;
    if (AdminSelect(m_context, QStringLiteral("select USER_FIELD_RIGHT from t_cfg_st_user where user_name='%1'")
                                   .arg(SqlText(m_userName)), result) <= 0)
        return QString();
    const QString own = ToQt(result.GetValueAt(0, 0));
    if (!m_groupList.isEmpty()) {
        CResultSet groups;
        if (AdminSelect(m_context, QStringLiteral("select USER_FIELD_RIGHT from t_group where group_name in(%1) ")
                                       .arg(m_groupList), groups) > 0)
            for (int row = 0; row < groups.GetRowCount(); ++row)
                groupRights.push_back(ToQt(groups.GetValueAt(row, 0)));
    }
    return own;
}

bool CSetupUserPermissionDlg::BuildFieldBoxes()
{
    std::vector<QString> groupRights;
    m_ownRights = LoadRight(groupRights);
    if (m_ownRights.size() < rights::kLength) {
        m_context.ShowMessage(QStringLiteral("error in right size"));
        return false;
    }
    if (!CreateFieldBoxes()) return false;
    ShowDigits(m_ownRights, false);
    // What the groups grant is shown, but is not the user's to change here.
    const std::vector<bool> byGroups = rights::GrantedByAny(groupRights);
    const QString groupTip = QStringLiteral("Granted by a group");
    for (int i = 0; i < 3; ++i)
        if (byGroups[i] && !rights::Granted(m_ownRights, i)) {
            m_commandBoxes[i]->setChecked(true);
            m_commandBoxes[i]->setEnabled(false);
            m_commandBoxes[i]->setToolTip(groupTip);
        }
    for (size_t i = 0; i < m_fieldBoxes.size(); ++i) {
        const size_t position = rights::kFirstField + i;
        if (position < byGroups.size() && byGroups[position] &&
            !rights::Granted(m_ownRights, static_cast<int>(position))) {
            m_fieldBoxes[i]->setChecked(true);
            m_fieldBoxes[i]->setEnabled(false);
            m_fieldBoxes[i]->setToolTip(groupTip);
        }
    }
    if (!m_fieldBoxes.empty()) {
        m_fieldBoxes[0]->setChecked(false);
        m_fieldBoxes[0]->setEnabled(false);
    }
    return true;
}

void CSetupUserPermissionDlg::OnCheckAll()
{
    CPermissionBoxes::OnCheckAll();
    if (!m_fieldBoxes.empty()) {
        m_fieldBoxes[0]->setChecked(false);
        m_fieldBoxes[0]->setEnabled(false);
    }
}

bool CSetupUserPermissionDlg::OnSave()
{
    QString digits = ComposeDigits(m_ownRights);
    if (m_fieldCount > 0) digits[rights::kFirstField] = '0';  // the first field is never changeable
    const bool done = AdminExec(m_context, QStringLiteral("update t_cfg_st_user set USER_FIELD_RIGHT='%1' where user_name='%2'")
                                               .arg(digits, SqlText(m_userName)));
    if (!done) return false;
    m_ownRights = digits;
    if (m_userName.compare(m_context.m_userName, Qt::CaseInsensitive) == 0) {
        const QString effective = m_context.GetUserRights(m_userName);
        if (effective.size() >= 30) m_context.m_rights = effective;
    }
    accept();
    return true;
}

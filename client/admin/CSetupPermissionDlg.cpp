#include "CSetupPermissionDlg.h"

#include "AdminCommon.h"
#include "CAppContext.h"
#include "CResultGrid.h"
#include "QtText.h"
#include "RightsString.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

CSetupPermissionDlg::CSetupPermissionDlg(CAppContext& context, QWidget* parent)
    : CPermissionBoxes(context, parent)
{
    setWindowTitle(QStringLiteral("Set Up Permission "));
    m_viewMode = WithId(new QRadioButton(QStringLiteral("View"), this), 3102);
    m_changeMode = WithId(new QRadioButton(QStringLiteral("Change"), this), 3103);
    m_viewMode->setGeometry(5, 40, 80, 20);
    m_changeMode->setGeometry(90, 40, 80, 20);
    m_fieldLabel = WithId(new QLineEdit(this), 3104);
    m_fieldLabel->setEnabled(false);
    m_fieldLabel->setGeometry(440, 10, 250, 22);
    m_fieldIndex = WithId(new QLabel(QStringLiteral("-1"), this), 3106);
    m_fieldIndex->hide();
    m_ownerOnly = WithId(new QCheckBox(QStringLiteral("Can be modified by owner only"), this), 3096);
    m_ownerOnly->setGeometry(440, 40, 250, 20);
    m_ownerOnly->hide();
    m_rulesGrid = new CResultGrid(context, this);
    m_rulesGrid->setObjectName(QStringLiteral("3097"));
    m_rulesGrid->setGeometry(440, 68, 250, 420);
    m_status = WithId(new QLabel(this), 4003);
    m_status->setGeometry(440, 500, 250, 26);
    setMinimumSize(700, 535);
    connect(m_viewMode, &QRadioButton::clicked, this, &CSetupPermissionDlg::OnViewMode);
    connect(m_changeMode, &QRadioButton::clicked, this, &CSetupPermissionDlg::OnChangeMode);
    connect(m_ownerOnly, &QCheckBox::clicked, this, &CSetupPermissionDlg::OnOwnerOnly);
    connect(m_save, &QPushButton::clicked, this, &CSetupPermissionDlg::OnSave);
}

int CSetupPermissionDlg::exec()
{
    InitDialog();
    return QDialog::exec();
}

void CSetupPermissionDlg::InitDialog()
{
    m_ownerOnly->hide();
    m_fieldIndex->setText(QStringLiteral("-1"));
    setWindowTitle(QStringLiteral("Set Up Permission For '%1'").arg(m_groupName));
    m_rulesGrid->SetDataClient(&m_context.m_http);
    m_rulesGrid->SetStandardLook();
    m_viewMode->setChecked(true);
    BuildFieldBoxes();
}

QString CSetupPermissionDlg::LoadRight(QString& ownerRight)
{
    ownerRight.clear();
    CResultSet result;
    if (AdminSelect(m_context, QStringLiteral("select USER_FIELD_RIGHT,USER_OWNER_RIGHT from t_group where group_name='%1'")
                                   .arg(SqlText(m_groupName)), result) <= 0)
        return QString();
    ownerRight = ToQt(result.GetValueAt(0, 1));
    return ToQt(result.GetValueAt(0, 0));
}

bool CSetupPermissionDlg::BuildFieldBoxes()
{
    m_storedRights = LoadRight(m_ownerRight);
    if (m_storedRights.size() < rights::kLength) {
        m_context.ShowMessage(QStringLiteral("error in right size"));
        ShowDigits(QString(), false);
        return false;
    }
    if (!CreateFieldBoxes()) return false;
    ShowDigits(m_storedRights, false);
    return true;
}

bool CSetupPermissionDlg::ShowRight(bool changeMode)
{
    QString owner;
    const QString stored = LoadRight(owner);
    if (stored.size() < rights::kLength) {
        m_context.ShowMessage(QStringLiteral("error in right size"));
        return false;
    }
    m_storedRights = stored;
    m_ownerRight = owner;
    ShowDigits(stored, changeMode);
    m_ownerOnly->setVisible(changeMode);
    return true;
}

void CSetupPermissionDlg::OnViewMode()
{
    m_viewMode->setChecked(true);
    ShowRight(false);
}

void CSetupPermissionDlg::OnChangeMode()
{
    m_changeMode->setChecked(true);
    ShowRight(true);
}

void CSetupPermissionDlg::OnFieldBox(int index)
{
    if (index < 0 || index >= static_cast<int>(m_fieldBoxes.size())) return;
    const QString label = m_fieldBoxes[index]->text();
    m_fieldLabel->setText(label);
    m_fieldIndex->setText(QString::number(index));
    if (label.compare(m_currentField, Qt::CaseInsensitive) != 0) {
        LoadRules();
        m_currentField = label;
    }
    const int position = rights::kFirstField + index;
    m_ownerOnly->setChecked(position < m_ownerRight.size() && m_ownerRight[position] != '0');
}

void CSetupPermissionDlg::LoadRules()
{
    const QString label = m_fieldLabel->text();
    if (label.isEmpty()) return;
    CResultSet result;
    if (AdminSelect(m_context, QStringLiteral("select column_name from t_cfg_sys_list where USER_LABEL='%1' and TABLE_NAME='T_BUG'  ")
                                   .arg(SqlText(label)), result) <= 0)
        return;
    m_rulesGrid->RunQueryWidths(
        QStringLiteral("select TR_RULES_FROM as tr_from ,TR_RULES_TO as tr_to  from t_bug_trans_rule  where COLUMN_NAME='%1'")
            .arg(SqlText(ToQt(result.GetValueAt(0, 0)))),
        {110, 110});
}

void CSetupPermissionDlg::OnOwnerOnly()
{
    const int index = m_fieldIndex->text().toInt();
    if (index < 0) return;
    const int position = rights::kFirstField + index;
    const QChar digit = m_ownerOnly->isChecked() ? '1' : '0';
    if (m_ownerRight.size() <= position)
        m_ownerRight.append(digit);
    else
        m_ownerRight[position] = digit;
}

bool CSetupPermissionDlg::OnSave()
{
    const QString digits = ComposeDigits(m_storedRights);
    const bool done = AdminExec(m_context,
        QStringLiteral("update t_group set USER_FIELD_RIGHT='%1',USER_OWNER_RIGHT='%2' where group_name='%3'")
            .arg(digits, SqlText(m_ownerRight), SqlText(m_groupName)));
    if (!done) return false;
    m_storedRights = digits;
    m_status->setText(m_context.Text(4003));
    return true;
}

#include "CSelectGroupPermDlg.h"

#include "AdminCommon.h"
#include "CAppContext.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CSelectGroupPermDlg::CSelectGroupPermDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_groups(WithId(new QComboBox(this), 3105)), m_context(context)
{
    setWindowTitle(QStringLiteral("Select Permissions From Group"));
    auto* ok = WithId(new QPushButton(QStringLiteral("OK"), this), 3043);
    auto* cancel = WithId(new QPushButton(QStringLiteral("Cancel"), this), 3063);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_groups);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &CSelectGroupPermDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    SetOkIcon(ok);
    SetCancelIcon(cancel);
    ApplyDialogLook(this, context);
}

int CSelectGroupPermDlg::exec()
{
    InitDialog();
    return QDialog::exec();
}

void CSelectGroupPermDlg::InitDialog()
{
    CResultSet result;
    if (AdminSelect(m_context, QStringLiteral("select group_name from t_group"), result) < 0) return;
    FillComboFromResult(result, "GROUP_NAME", m_groups, 0, 0);
    if (m_groups->count() > 0) m_groups->setCurrentIndex(0);
}

bool CSelectGroupPermDlg::OnOK()
{
    CResultSet result;
    const int rows = AdminSelect(m_context, QStringLiteral("select USER_FIELD_RIGHT from t_group where group_name='%1'")
                                                .arg(SqlText(m_groups->currentText())), result);
    if (rows < 0) return false;
    if (rows == 0) {
        m_context.ShowMessage(QStringLiteral("Query permission failed"));
        return false;
    }
    m_right = ToQt(result.GetValueAt(0, 0));
    accept();
    return true;
}

#include "CModifyPasswordDlg.h"

#include "CAppContext.h"
#include "CLocalizer.h"
#include "CMd5Digest.h"
#include "ClientIds.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* PasswordEdit(QWidget* parent, int id) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QString Stored(const CAppContext& context, const QString& typed) {
    if (!context.m_http.m_usePassEncode) return typed;
    return QString::fromLatin1(CMd5Digest(typed.toUtf8().constData()).GetHexText());
}

}  // namespace

CModifyPasswordDlg::CModifyPasswordDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName("CModifyPasswordDlg");
    CLocalizer::Tag(this, ids::kPasswordDlg);
    m_old = PasswordEdit(this, ids::kPasswordOld);
    m_new = PasswordEdit(this, ids::kPasswordNew);
    m_confirm = PasswordEdit(this, ids::kPasswordConfirm);
    m_ok = CLocalizer::Tag(new QPushButton(this), ids::kOk);
    m_ok->setObjectName(QString::number(ids::kOk));
    m_cancel = CLocalizer::Tag(new QPushButton(this), ids::kCancel);
    m_cancel->setObjectName(QString::number(ids::kCancel));
    m_ok->setDefault(true);
    auto* form = new QFormLayout;
    form->addRow(CLocalizer::Tag(new QLabel(this), ids::kPasswordOldLabel, true), m_old);
    form->addRow(CLocalizer::Tag(new QLabel(this), ids::kPasswordNewLabel, true), m_new);
    form->addRow(CLocalizer::Tag(new QLabel(this), ids::kPasswordConfirmLabel, true), m_confirm);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &CModifyPasswordDlg::OnOK);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_ok, m_cancel});
    SetOkIcon(m_ok);
    SetCancelIcon(m_cancel);
    CLocalizer::Apply(this, m_context);
}

void CModifyPasswordDlg::LocalizeCaptions() { setWindowTitle(m_context.Text(ids::kPasswordDlg)); }

void CModifyPasswordDlg::OnOK() {
    const QString user = m_context.m_userName;
    CListString sql;
    sql.Format("select user_passwd from t_cfg_st_user where user_name='%s'",
               ToList(CAppContext::Quoted(user)).CStr());
    CResultSet stored;
    if (m_context.RunSelect(sql.CStr(), stored) < 0) return;
    if (stored.GetRowCount() < 1) {
        m_context.ShowMessage(QStringLiteral("User Not existed:%1").arg(user));
        return;
    }
    const QString current = ToQt(stored.GetValueAt(0, 0));
    if (Stored(m_context, m_old->text()) != current) {
        m_context.ShowMessage(m_context.Text(ids::kMsgOldPasswordWrong));
        return;
    }
    if (m_new->text() != m_confirm->text()) {
        m_context.ShowMessage(m_context.Text(ids::kMsgPasswordMismatch));
        return;
    }
    // The value goes inside quotes: quotes in a plain password are doubled.
    sql.Format("update t_cfg_st_user set user_passwd='%s' where user_name='%s'",
               ToList(CAppContext::Quoted(Stored(m_context, m_new->text()))).CStr(),
               ToList(CAppContext::Quoted(user)).CStr());
    if (!m_context.RunExec(sql.CStr())) return;
    // A session renewed after this (the server's "deny") logs in with the
    // new password.
    m_context.m_http.SetPassword(m_new->text().toUtf8().constData());
    accept();
}

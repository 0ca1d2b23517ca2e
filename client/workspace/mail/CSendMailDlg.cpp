#include "CSendMailDlg.h"

#include "CAppContext.h"
#include "CLocalizer.h"
#include "CMailUserSelectDlg.h"
#include "CSmtpMail.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char kBodyFormat[] =
    "%1\r\n------------------------------------备注------------------------\r\n:%2";

QPushButton* Button(QWidget* parent, int id, const char* text) {
    auto* button = CLocalizer::Tag(new QPushButton(QString::fromUtf8(text), parent), id);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}

QLineEdit* Edit(QWidget* parent, int id) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    return edit;
}

}  // namespace

CSendMailDlg::CSendMailDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName("CSendMailDlg");
    CLocalizer::Tag(this, kDialog);
    setWindowTitle(QString::fromUtf8("发送邮件"));
    m_cancelButton = Button(this, kCancel, "取消");
    m_sendButton = Button(this, kSend, "发送");
    m_ccButton = Button(this, kCcButton, "抄送");
    m_toButton = Button(this, kToButton, "收件人");
    m_to = Edit(this, kToEdit);
    m_cc = Edit(this, kCcEdit);
    m_subject = Edit(this, kSubjectEdit);
    m_body = new QPlainTextEdit(this);
    m_body->setObjectName(QString::number(kBody));
    // Mails carry no attachments: the box stays off and disabled.
    m_attach = CLocalizer::Tag(new QCheckBox(QString::fromUtf8("包含附件"), this), kAttachCheck);
    m_attach->setObjectName(QString::number(kAttachCheck));
    m_attach->setEnabled(false);
    auto* subjectLabel = CLocalizer::Tag(new QLabel(QString::fromUtf8("主题:"), this), kSubjectLabel, true);
    auto* bodyLabel = CLocalizer::Tag(new QLabel(QString::fromUtf8("备注:"), this), kBodyLabel, true);

    auto* fields = new QGridLayout;
    fields->addWidget(m_toButton, 0, 0);
    fields->addWidget(m_to, 0, 1);
    fields->addWidget(m_ccButton, 1, 0);
    fields->addWidget(m_cc, 1, 1);
    fields->addWidget(subjectLabel, 2, 0);
    fields->addWidget(m_subject, 2, 1);
    fields->addWidget(bodyLabel, 3, 0, Qt::AlignTop);
    fields->addWidget(m_body, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_attach);
    buttons->addStretch();
    buttons->addWidget(m_sendButton);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(560, 420);

    connect(m_toButton, &QPushButton::clicked, this, &CSendMailDlg::OnChooseRecipients);
    connect(m_ccButton, &QPushButton::clicked, this, &CSendMailDlg::OnChooseRecipients);
    connect(m_sendButton, &QPushButton::clicked, this, &CSendMailDlg::OnSend);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_cancelButton, m_sendButton, m_ccButton, m_toButton});
    SetOkIcon(m_sendButton);
    SetCancelIcon(m_cancelButton);
    CLocalizer::Apply(this, m_context);
    FillFromDefect();
}

void CSendMailDlg::LocalizeCaptions() {
    const QString title = m_context.Text(kDialog);
    if (!title.isEmpty()) setWindowTitle(title);
}

void CSendMailDlg::FillFromDefect() {
    CListString sql;
    sql.Format("select BG_RESPONSIBLE,BG_DESCRIPTION,BG_SUMMARY,BG_DEV_COMMENTS from t_bug where "
               "BG_BUG_ID=%d",
               m_context.m_currentBugId);
    CResultSet defect;
    if (m_context.RunSelect(sql.CStr(), defect) < 0 || defect.GetRowCount() < 1) return;
    m_body->setPlainText(QString::fromUtf8(kBodyFormat)
                             .arg(ToQt(defect.GetValue(0, "BG_DESCRIPTION")),
                                  ToQt(defect.GetValue(0, "BG_DEV_COMMENTS"))));
    m_subject->setText(ToQt(defect.GetValue(0, "BG_SUMMARY")));
    const QString responsible = ToQt(defect.GetValue(0, "BG_RESPONSIBLE"));
    for (int row = 0; row < m_context.m_users.GetRowCount(); ++row) {
        if (ToQt(m_context.m_users.GetValue(row, "USER_NAME")).compare(responsible, Qt::CaseInsensitive) == 0) {
            m_to->setText(ToQt(m_context.m_users.GetValue(row, "USER_MAIL")));
            break;
        }
    }
}

QStringList CSendMailDlg::Addresses(const QString& text) {
    QStringList out;
    for (const QString& piece : text.split(';')) {
        const QString address = piece.trimmed();
        if (!address.isEmpty()) out << address;
    }
    return out;
}

QString CSendMailDlg::JoinAddresses(const QStringList& addresses) {
    QString text;
    for (const QString& address : addresses) text += address + ';';
    while (text.endsWith(';')) text.chop(1);
    return text;
}

void CSendMailDlg::OnChooseRecipients() {
    CMailUserSelectDlg chooser(m_context, this);
    // Empty pieces between or after the ";" would show as blank entries.
    chooser.m_to = Addresses(m_to->text());
    chooser.m_cc = Addresses(m_cc->text());
    if (chooser.exec() != QDialog::Accepted) return;
    m_to->setText(JoinAddresses(chooser.m_to));
    m_cc->setText(JoinAddresses(chooser.m_cc));
}

bool CSendMailDlg::FindSenderAddress(QString& address) {
    address.clear();
    CListString sql;
    sql.Format("select USER_MAIL from t_cfg_st_user where user_name='%s'",
               ToList(CAppContext::Quoted(m_context.m_userName)).CStr());
    CResultSet user;
    if (m_context.RunSelect(sql.CStr(), user) < 0) return false;
    if (user.GetRowCount() > 0) address = ToQt(user.GetValueAt(0, 0)).trimmed();
    if (address.isEmpty()) address = m_context.m_mailUser.trimmed();
    return true;
}

void CSendMailDlg::OnSend() {
    const QStringList to = Addresses(m_to->text());
    const QStringList cc = Addresses(m_cc->text());
    if (to.isEmpty()) {
        m_context.ShowMessage(QString::fromUtf8("请软件正确的发送地址"));
        return;
    }
    QString sender;
    if (!FindSenderAddress(sender)) return;
    if (sender.isEmpty()) {
        m_context.ShowMessage(m_context.Text(kMsgNoSender));
        return;
    }

    CSmtpMail mail;
    mail.SetServer(m_context.m_mailServer.trimmed().toStdString());
    mail.SetPort(m_context.m_mailPort);
    for (const QString& address : to) mail.AddRecipient(address.toStdString(), false);
    for (const QString& address : cc) mail.AddRecipient(address.toStdString(), true);
    mail.SetSender(sender.toStdString(), kSenderName);
    mail.SetSubject(m_subject->text().toStdString());
    mail.SetAccount(m_context.m_mailUser.toStdString(), m_context.m_mailPass.toStdString());
    mail.SetAuthType(m_context.m_mailAuthType.trimmed().compare("LOGIN", Qt::CaseInsensitive) == 0
                         ? CSmtpMail::kAuthLogin
                         : CSmtpMail::kAuthPlain);
    mail.SetMessage(m_body->toPlainText().toStdString());

    m_context.SetBusy(1);
    const bool sent = mail.Send();
    m_context.SetBusy(0);
    if (!sent) {
        const QString why = QString::fromStdString(mail.GetErrorText());
        const QString title = m_context.Text(kMsgNotSent);
        m_context.ShowMessage(title.isEmpty() ? why : title + "\n" + why);
        return;
    }
    m_context.ShowMessage(QString::fromStdString(mail.GetResponse()));
    accept();
}

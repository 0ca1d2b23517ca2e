// CSendMailDlg: mails the current defect (CAppContext::m_currentBugId):
// recipients, subject and text filled from the defect, recipients chosen
// from the users, sent over SMTP with the mail account of the server's user
// configuration. A mail the server refused keeps the dialog open.
#pragma once

#include "CLocalizer.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class CAppContext;

class CSendMailDlg : public QDialog, public ILocalizable {
    Q_OBJECT
public:
    // Dialog, control and message ids (language texts).
    static constexpr int kDialog = 1067;
    static constexpr int kToButton = 3263;
    static constexpr int kCcButton = 3264;
    static constexpr int kSubjectLabel = 3265;
    static constexpr int kToEdit = 3266;
    static constexpr int kCcEdit = 3267;
    static constexpr int kAttachCheck = 3268;
    static constexpr int kSubjectEdit = 3269;
    static constexpr int kBodyLabel = 3270;
    static constexpr int kSend = 3271;
    static constexpr int kCancel = 3272;
    static constexpr int kBody = 3079;
    static constexpr int kMsgNotSent = 4960;
    static constexpr int kMsgNoSender = 4961;
    // The sender's name in the From header.
    static constexpr char kSenderName[] = "ZentryZNT";

    explicit CSendMailDlg(CAppContext& context, QWidget* parent = nullptr);

    // Recipient, subject and text from the current defect.
    void FillFromDefect();
    // The sender address: the logged-in user's mail, else mail_user (empty
    // when neither is set); false when the user's row could not be read
    // (shown).
    bool FindSenderAddress(QString& address);
    // The pieces of an address list split at ";", blanks trimmed, empty
    // pieces dropped.
    static QStringList Addresses(const QString& text);
    // The addresses joined with ";" after each, trailing ";" trimmed.
    static QString JoinAddresses(const QStringList& addresses);

    QLineEdit* ToEdit() const { return m_to; }
    QLineEdit* CcEdit() const { return m_cc; }
    QLineEdit* SubjectEdit() const { return m_subject; }
    QPlainTextEdit* BodyEdit() const { return m_body; }
    QPushButton* SendButton() const { return m_sendButton; }

public slots:
    void OnChooseRecipients();
    // Sends; an accepted mail shows the server's answer and closes the
    // dialog, a refused one shows the answer and leaves it open.
    void OnSend();
    void LocalizeCaptions() override;

private:
    CAppContext& m_context;
    QPushButton* m_cancelButton;
    QPushButton* m_sendButton;
    QPushButton* m_ccButton;
    QPushButton* m_toButton;
    QLineEdit* m_to;
    QLineEdit* m_cc;
    QLineEdit* m_subject;
    QPlainTextEdit* m_body;
    QCheckBox* m_attach;
};

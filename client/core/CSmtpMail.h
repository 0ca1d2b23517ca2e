// CSmtpMail: one plain-text mail sent over SMTP with libcurl: server and
// port, To and Cc recipients, sender, subject, account with AUTH LOGIN or
// PLAIN, UTF-8 text. Lives for one Send; texts are UTF-8. The server's last
// answer is kept for the user to see.
#pragma once

#include <string>
#include <vector>

class CSmtpMail {
public:
    enum AuthType { kAuthPlain, kAuthLogin };

    CSmtpMail();

    void SetServer(const std::string& host) { m_host = host; }
    // The low 16 bits of the value (0 stays the default port 25).
    void SetPort(int port);
    // Blank addresses are ignored; others are checked by Send.
    void AddRecipient(const std::string& address, bool cc);
    // The address of the envelope and the From header; the display name
    // goes before it in the header.
    void SetSender(const std::string& address, const std::string& displayName = "");
    void SetSubject(const std::string& subject) { m_subject = subject; }
    // With an empty user no AUTH is tried.
    void SetAccount(const std::string& user, const std::string& password);
    void SetAuthType(AuthType type) { m_authType = type; }
    void SetMessage(const std::string& text) { m_text = text; }

    // Sends the mail; false with GetErrorText saying why (the server's
    // refusal when it answered one, else the connection's failure).
    bool Send();

    // The server's last answer ("250 ..." after an accepted mail); empty
    // when it never answered.
    const std::string& GetResponse() const { return m_response; }
    const std::string& GetErrorText() const { return m_errorText; }
    int Port() const { return m_port; }
    const std::vector<std::string>& To() const { return m_to; }
    const std::vector<std::string>& Cc() const { return m_cc; }

    // Pieces of the message, for the headers.
    // An address fit for the envelope: one '@' with text on both sides, no
    // blanks, controls or the characters <>(),;:"[]\ outside what it needs.
    static bool IsValidAddress(const std::string& address);
    // A header value: line breaks become blanks; a value that is not plain
    // ASCII becomes RFC 2047 encoded words, one per folded line.
    static std::string EncodeHeaderText(const std::string& text);
    // Line ends of any kind as CR LF.
    static std::string NormalizeLineEnds(const std::string& text);
    // "Thu, 10 Dec 2026 15:53:30 +0000" of the current local time.
    static std::string DateHeaderValue();

    // Records the server's answers (libcurl's debug callback).
    void OnServerLine(const char* data, size_t size);

private:
    bool Fail(const std::string& text);

    std::string m_host;
    int m_port = 25;
    std::vector<std::string> m_to;
    std::vector<std::string> m_cc;
    std::string m_sender;
    std::string m_senderName;
    std::string m_subject;
    std::string m_user;
    std::string m_password;
    AuthType m_authType = kAuthPlain;
    std::string m_text;
    std::string m_response;
    std::string m_pending;  // lines of an answer not yet complete
    bool m_recording = false;
    std::string m_errorText;
};

// CLoginDlg: the modal dialog in which the user names the server, port, user
// and password and logs in. The login runs on a worker thread that touches
// no widget; a 30 ms timer animates the progress bar and picks up the result.
#pragma once

#include "CLocalizer.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <atomic>
#include <thread>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class CAppContext;

class CLoginDlg : public QDialog, public ILocalizable {
    Q_OBJECT
public:
    // fromMainWindow: opened by the running main window (re-login).
    CLoginDlg(CAppContext& context, QWidget* parent = nullptr, bool fromMainWindow = false);
    ~CLoginDlg() override;

    int GetLoginState() const { return m_loginState.load(); }
    int GetProgressPosition() const { return m_progressPos; }
    // The text shown after the last failed login.
    const QString& GetLastFailure() const { return m_lastFailure; }
    bool IsFromMainWindow() const { return m_fromMainWindow; }
    // Presses Login once as soon as the dialog is shown (command line);
    // with giveUp a failed login then cancels the dialog.
    void SetAutoLogin(bool on, bool giveUp = false) {
        m_autoLogin = on;
        m_giveUpOnFailure = on && giveUp;
    }

public slots:
    void OnLogin();
    void OnCancel();
    void OnHistorySelChange(int index);
    void LocalizeCaptions() override;
    // Escape and the close box do nothing: only Cancel closes the dialog.
    void reject() override {}
    void accept() override { OnLogin(); }

protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // A click on the banner opens the product's web site.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetIdle();
    void JoinWorker();

    CAppContext& m_context;
    QLabel* m_banner;
    bool m_fromMainWindow;
    bool m_autoLogin;
    bool m_giveUpOnFailure;
    QComboBox* m_history;
    QLineEdit* m_server;
    QLineEdit* m_port;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QProgressBar* m_progress;
    QLabel* m_version;
    QPushButton* m_login;
    QPushButton* m_cancel;
    int m_progressPos;
    int m_timerId;
    std::atomic<int> m_loginState;  // 0 running, 1 success, -1 failure
    QString m_workerError;          // written by the worker before m_loginState
    QString m_lastFailure;
    QString m_historyEntry;
    // The login settings as they were before the running login.
    QStringList m_previous;
    std::thread m_worker;
};

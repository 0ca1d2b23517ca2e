#include "CZentryApp.h"

#include "CAboutDlg.h"
#include "CLocalizer.h"
#include "CLoginDlg.h"
#include "CUpgradeDlg.h"
#include "ClientIds.h"
#include "IMainFrame.h"
#include "LogWriter.h"
#include "QtText.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

namespace {

CZentryApp* g_app = nullptr;  // the one application object

}  // namespace

CZentryApp::CZentryApp() : m_starting(1), m_autoLogin(false), m_exitAfterStart(false) {
    g_app = this;
}

CZentryApp::~CZentryApp() {
    if (g_app == this) g_app = nullptr;
}

CZentryApp* CZentryApp::Instance() { return g_app; }

bool CZentryApp::ParseCommandLine(const QStringList& arguments, QString& error) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == "--autologin") {
            m_autoLogin = true;
        } else if (option == "--exit-after-start") {
            m_exitAfterStart = true;
            m_context.m_unattended = true;
        } else if (option == "--config-dir" || option.startsWith("--config-dir=")) {
            QString dir = option.mid(QStringLiteral("--config-dir=").size());
            if (option == "--config-dir") {
                if (i + 1 >= arguments.size()) {
                    error = "--config-dir needs a folder";
                    return false;
                }
                dir = arguments[++i];
            }
            if (dir.isEmpty()) {
                error = "--config-dir needs a folder";
                return false;
            }
            // Settings, history and temp/ all in that one folder.
            m_context.m_configDir = QDir::cleanPath(QDir(dir).absolutePath());
            m_context.m_cacheDir = m_context.m_configDir;
        } else {
            error = QStringLiteral("unknown option %1 (known: --config-dir DIR, --autologin, "
                                   "--exit-after-start)")
                        .arg(option);
            return false;
        }
    }
    return true;
}

bool CZentryApp::InitInstance(const std::function<QWidget*()>& createMainFrame) {
    if (!m_context.LoadSettings()) return false;

    {
        CLoginDlg login(m_context);
        // Unattended, a failed automatic login ends the start.
        login.SetAutoLogin(m_autoLogin, m_exitAfterStart);
        if (login.exec() != QDialog::Accepted) return false;
    }

    // A failed load still opens the main window with what was loaded.
    m_context.LoadMetadata();

    bool upgrade = false;
    if (m_context.m_serverClientVersion > m_context.m_clientVersion) {
        const QString text = m_context.Text(ids::kMsgUpgradeOffer) +
                             QString::asprintf(" \n%.2f-->%.2f", m_context.m_clientVersion,
                                               m_context.m_serverClientVersion);
        upgrade = m_context.AskYesNo(text);
    }

    QWidget* frame = createMainFrame ? createMainFrame() : nullptr;
    if (!frame) return false;
    m_mainWnd = frame;
    m_context.m_mainWindow = frame;
    m_context.RestoreWindowSize(frame);
    m_context.LoadLanguage(ToQt(m_context.m_settings.GetValue("language", "pstyle")));
    ApplyLanguage();
    m_starting = 0;
    // Yes opens the online upgrade in automatic mode once the loop runs (a
    // finished download then quits that loop).
    if (upgrade) {
        QTimer::singleShot(0, frame, [this] {
            CUpgradeDlg dialog(m_context, m_mainWnd);
            dialog.m_autoMode = true;
            dialog.exec();
        });
    }
    return true;
}

int CZentryApp::ExitInstance() {
    // Only a file that was read is written back: a failed start never
    // replaces the user's settings with an empty file.
    m_context.SaveSettings();
    // The session ends with the program, not at the server's next sweep.
    m_context.m_http.Logout();
    return 0;
}

void CZentryApp::ApplyLanguage() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_context.m_mainFrame) m_context.m_mainFrame->ReloadTexts();
    if (m_mainWnd) m_mainWnd->setWindowTitle(m_context.GetTitleForLanguage(m_context.m_language));
    CLocalizer::ApplyAll(m_context);
    QGuiApplication::restoreOverrideCursor();
}

void CZentryApp::SwitchLanguage(const QString& code) {
    if (m_context.m_language.compare(code, Qt::CaseInsensitive) == 0) return;
    m_context.LoadLanguage(code);
    ApplyLanguage();
    m_context.m_settings.SetValue("language", code.toUtf8().constData(), "pstyle");
    m_context.SaveSettings();
}

void CZentryApp::OnLanguageChinese() { SwitchLanguage("zh_cn"); }
void CZentryApp::OnLanguageBig5() { SwitchLanguage("big5"); }
void CZentryApp::OnLanguageEnglish() { SwitchLanguage("english"); }

void CZentryApp::OnAppAbout() {
    CAboutDlg about(m_context, m_mainWnd);
    about.exec();
}

void CZentryApp::OnAppExit() {
    if (m_mainWnd) m_mainWnd->close();
    else QApplication::quit();
}

void CZentryApp::OnTerminationSignal(int signalNumber) {
    LogMessage("signal %d: ending\n", signalNumber);
    m_endRequested = true;
    // From here on messages go to the log and questions are answered No.
    m_context.m_unattended = true;
    // Open dialogs end as their Close button ends them, innermost first.
    QDialog* last = nullptr;
    while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        if (dialog == last) break;  // one that will not close
        dialog->reject();
        last = dialog;
    }
    if (m_mainWnd) m_mainWnd->close();
    // Every event loop ends, also one a window kept going.
    QCoreApplication::exit(0);
}

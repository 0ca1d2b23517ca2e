#include "CAppContext.h"

#include "CSingleInstance.h"
#include "ClientFolders.h"
#include "ClientIds.h"
#include "IMainFrame.h"
#include "LogWriter.h"
#include "QtText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

// This client's version (the classic string resource 61447).
const char kClientVersionText[] = "1.04";

bool OnUiThread() {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

QWidget* MessageParent(const QPointer<QWidget>& mainWindow) {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    return mainWindow.data();
}

}  // namespace

long CAppContext::LeadingNumber(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    return atol(bytes.constData());
}

CAppContext::CAppContext()
    : m_exeDir(CClientFolders::ProgramDir()),
      m_language("zh_cn"),
      m_clientVersion(0),
      m_serverClientVersion(0),
      m_clientVersionSize(0),
      m_bgColor(192, 192, 192),
      m_currentBugId(-1),
      m_fillBackground(0),
      m_ftpPort(0),
      m_mailPort(0),
      m_menuPopupCount(0),
      m_canSysManage(0),
      m_canAddDefect(0),
      m_canDeleteDefect(0),
      m_configDir(CClientFolders::ConfigDir()),
      m_cacheDir(CClientFolders::CacheDir()),
      m_settingsLoaded(false),
      m_unattended(false) {}

CAppContext::~CAppContext() = default;

QString CAppContext::Text(int id) const { return ToQt(m_langTexts.GetTextById(id, "common")); }

QString CAppContext::Label(int id) const { return Text(id) + QLatin1Char(':'); }

QString CAppContext::GetTitleForLanguage(const QString& code) const {
    if (code.compare("zh_cn", Qt::CaseInsensitive) == 0) return m_titles[1];
    if (code.compare("big5", Qt::CaseInsensitive) == 0) return m_titles[2];
    return m_titles[0];
}

bool CAppContext::ParseRgb(const QString& text, QColor& colour) {
    QString body = text.trimmed();
    if (body.startsWith("RGB(", Qt::CaseInsensitive)) body = body.mid(4);
    if (body.endsWith(')')) body.chop(1);
    const QStringList parts = body.split(',');
    if (parts.size() != 3) {
        colour = QColor(0xC0, 0xC0, 0xC0);  // 12632256
        return false;
    }
    colour = QColor(LeadingNumber(parts[0]) & 0xFF, LeadingNumber(parts[1]) & 0xFF,
                    LeadingNumber(parts[2]) & 0xFF);
    return true;
}

bool CAppContext::GetStatusColour(const QString& status, QColor& colour) const {
    static const struct {
        const char* status;
        const char* key;
    } kColours[] = {{"00-New", "new_color"},
                    {"02-Fixed", "fixed_color"},
                    {"03-Closed", "closed_color"},
                    {"06-Delay", "delay_color"},
                    {"05-Reject", "reject_color"}};
    for (const auto& entry : kColours) {
        if (status.compare(QLatin1String(entry.status), Qt::CaseInsensitive) == 0) {
            ParseRgb(ToQt(m_settings.GetValue(entry.key, "bug")), colour);
            return true;
        }
    }
    return false;
}

bool CAppContext::LoadSettings() {
    m_clientVersion = QString::fromLatin1(kClientVersionText).toFloat();
    m_titles[0] = QString::asprintf("%s  [%.2f]", "Zentry", m_clientVersion);
    m_titles[1] = QString::asprintf("%s  [%.2f]", "Zentry(ZNT)", m_clientVersion);
    m_titles[2] = m_titles[1];

    QString seedError;
    if (!CClientFolders::Seed(m_exeDir, m_configDir, seedError)) LogMessage("%s\n", seedError.toUtf8().constData());
    const QString path = SettingsPath();
    if (!m_settings.Load(QFile::encodeName(path).constData())) {
        ShowMessage(QStringLiteral("配置文件\"%1\" 可能不存在").arg(path));
        return false;
    }
    m_settingsLoaded = true;

    m_fillBackground = static_cast<int>(m_settings.GetInt("fill_background", "pstyle"));
    m_currentProject = ToQt(m_settings.GetValue("default_prj", "pstyle"));
    const QString background = ToQt(m_settings.GetValue("background_color", "pstyle"));
    if (background.contains("RGB") || background.contains("rgb")) {
        ParseRgb(background, m_bgColor);
    } else {
        const unsigned long value = static_cast<unsigned long>(LeadingNumber(background));
        // A colour value is 0x00BBGGRR.
        m_bgColor = QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    }
    m_bgBrush = QBrush(m_bgColor);
    m_language = ToQt(m_settings.GetValue("language", "pstyle"));

    if (!EnsureSingleInstance(m_configDir + "/Zentry.lock", GetTitleForLanguage(m_language),
                              m_instance))
        return false;

    const QString languagePath = LanguagePath(m_language);
    if (m_language.isEmpty() || !QFile::exists(languagePath) ||
        !m_langTexts.Load(QFile::encodeName(languagePath).constData())) {
        ShowMessage(QStringLiteral("配置文件\"%1\" 可能不存在").arg(languagePath));
        return false;
    }
    LoadLanguage(m_language);

    QDir(TempDir()).removeRecursively();
    QDir().mkpath(TempDir());
    QDir().mkpath(m_cacheDir + "/cache");
    return true;
}

bool CAppContext::SaveSettings() {
    if (!m_settingsLoaded) return false;
    const QString path = SettingsPath();
    const bool saved = m_settings.SaveAs(QFile::encodeName(path).constData()) != 0;
    CClientFolders::MakePrivate(path);
    return saved;
}

bool CAppContext::LoadLanguage(const QString& code) {
    // A file that cannot be read leaves no texts: every lookup gives "".
    m_langTexts.Load(QFile::encodeName(LanguagePath(code)).constData());
    m_language = code;
    m_http.SetMessageTexts(m_langTexts.GetTextById(ids::kMsgSessionEnded, "common").CStr(),
                           m_langTexts.GetTextById(ids::kMsgUnexpectedReply, "common").CStr());
    return true;
}

void CAppContext::RestoreWindowSize(QWidget* mainWindow) {
    if (!mainWindow) return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    // "max" is the whole screen, as the screen metrics give it.
    const QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
    const QString x = ToQt(m_settings.GetValue("window_init_x", "pstyle")).trimmed();
    const QString y = ToQt(m_settings.GetValue("window_init_y", "pstyle")).trimmed();
    int width = x.compare("max", Qt::CaseInsensitive) == 0 ? screenSize.width() : static_cast<int>(LeadingNumber(x));
    int height = y.compare("max", Qt::CaseInsensitive) == 0 ? screenSize.height() - 30 : static_cast<int>(LeadingNumber(y));
    if (width < 400) width = 730;
    if (height < 340) height = 570;
    mainWindow->hide();
    mainWindow->resize(width, height);
    if (screen) {
        const QRect area = screen->availableGeometry();
        mainWindow->move(area.center() - QPoint(width / 2, height / 2));
    }
    mainWindow->show();
}

bool CAppContext::Login(CListString& error) {
    const CListString password = m_settings.GetValue("user_passwd", "common");
    const CListString user = m_settings.GetValue("user_name", "common");
    const CListString server = m_settings.GetValue("server", "common");
    const int port = static_cast<int>(m_settings.GetInt("tcp_port", "common"));
    CListString text;
    if (m_http.Login(server.CStr(), port, user.CStr(), password.CStr(), text)) {
        m_userName = ToQt(user);
        return true;
    }
    error = text.IsEmpty() ? m_langTexts.GetTextById(ids::kMsgLoginFailed, "common") : text;
    if (error.IsEmpty()) error.SetText("login failed");
    return false;
}

void CAppContext::SetBusy(int on) {
    if (!OnUiThread() || !m_mainFrame) return;
    m_mainFrame->ShowBusy(on);
}

int CAppContext::RunSelect(const char* sql, CResultSet& result) {
    SetBusy(1);
    const int rows = m_http.Select(sql, result, m_lastError);
    SetBusy(0);
    if (rows < 0) ShowMessage(ToQt(m_lastError));
    return rows;
}

bool CAppContext::RunExec(const char* sql) {
    SetBusy(1);
    const bool done = m_http.ExecSql(sql, m_lastError);
    SetBusy(0);
    if (!done) ShowMessage(ToQt(m_lastError));
    return done;
}

void CAppContext::ShowMessage(const QString& text) {
    m_lastMessage = text;
    if (m_unattended) fprintf(stderr, "Zentry: %s\n", text.toLocal8Bit().constData());
    if (m_unattended || !OnUiThread() || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
        LogMessage("%s\n", text.toUtf8().constData());
        return;
    }
    QMessageBox box(QMessageBox::Information, GetTitleForLanguage(m_language), text,
                    QMessageBox::Ok, MessageParent(m_mainWindow));
    box.exec();
}

bool CAppContext::AskYesNo(const QString& text) {
    m_lastMessage = text;
    if (m_unattended) fprintf(stderr, "Zentry: %s (answered No)\n", text.toLocal8Bit().constData());
    if (m_unattended || !OnUiThread() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    QMessageBox box(QMessageBox::Information, GetTitleForLanguage(m_language), text,
                    QMessageBox::Yes | QMessageBox::No, MessageParent(m_mainWindow));
    return box.exec() == QMessageBox::Yes;
}

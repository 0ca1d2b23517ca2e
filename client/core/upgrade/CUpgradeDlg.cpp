#include "CUpgradeDlg.h"

#include "CAppContext.h"
#include "CLocalizer.h"
#include "DialogHelpers.h"
#include "Helpers.h"
#include "QtText.h"
#include "UpgradeIds.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char kUpgradeProgram[] = "upgrade";
const char kDefaultReleaseFolder[] = "/release";
const char kReleaseNotes[] = "releasenotes.txt";

// Marks the temp file of a download still under way (CFtpSession::GetFile).
const char kPartialMark[] = ".part-";

QPushButton* MakeButton(QWidget* parent, int id, int captionId) {
    auto* button = CLocalizer::Tag(new QPushButton(parent), captionId);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}

class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace

CUpgradeDlg::CUpgradeDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent),
      m_clientFileName(QFileInfo(QCoreApplication::applicationFilePath()).fileName()),
      m_clientPid(QCoreApplication::applicationPid()),
      m_clientArguments(QCoreApplication::arguments().mid(1)),
      m_context(context) {
    m_openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    m_quit = [] { QCoreApplication::quit(); };
    setObjectName(QString::number(ids::kUpgradeDlg));
    CLocalizer::Tag(this, ids::kUpgradeTitle);

    // The version label frames this client's and the server's versions.
    auto* versions = CLocalizer::Tag(new QGroupBox(this), ids::kUpgradeVersionLabel, true);
    m_clientVersion = new QLabel(versions);
    m_clientVersion->setObjectName(QString::number(ids::kUpgradeClientVersion));
    m_serverVersion = new QPlainTextEdit(versions);
    m_serverVersion->setObjectName(QString::number(ids::kUpgradeServerVersion));
    m_serverVersion->setReadOnly(true);
    m_serverVersion->setMinimumSize(360, 120);
    auto* downloadLabel = CLocalizer::Tag(new QLabel(this), ids::kUpgradeDownloadLabel, true);
    m_downloaded = new QLabel(this);
    m_downloaded->setObjectName(QString::number(ids::kUpgradeDownloaded));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QString::number(ids::kUpgradeProgress));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);

    m_auto = MakeButton(this, ids::kUpgradeAuto, ids::kUpgradeAuto);
    m_notes = MakeButton(this, ids::kUpgradeReleaseNotes, ids::kUpgradeReleaseNotes);
    m_manual = MakeButton(this, ids::kUpgradeManual, ids::kUpgradeManual);
    // The manual download looks like a link.
    m_manual->setFlat(true);
    m_manual->setCursor(Qt::PointingHandCursor);
    m_manual->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); text-decoration: underline; }"));
    m_manual->setToolTip(QString::fromUtf8("手动下载"));
    m_check = MakeButton(this, ids::kUpgradeCheck, ids::kUpgradeCheckCaption);
    m_check->setDefault(true);  // Enter checks again
    m_exit = MakeButton(this, ids::kUpgradeExit, ids::kUpgradeExitCaption);
    m_auto->setEnabled(false);
    m_manual->setEnabled(false);

    auto* versionLayout = new QVBoxLayout(versions);
    versionLayout->addWidget(m_clientVersion);
    versionLayout->addWidget(m_serverVersion);
    auto* grid = new QGridLayout;
    grid->addWidget(versions, 0, 0, 1, 2);
    grid->addWidget(downloadLabel, 1, 0);
    grid->addWidget(m_downloaded, 1, 1);
    grid->addWidget(m_progress, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_auto);
    buttons->addWidget(m_notes);
    buttons->addWidget(m_manual);
    buttons->addStretch();
    buttons->addWidget(m_check);
    buttons->addWidget(m_exit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(m_check, &QPushButton::clicked, this, &CUpgradeDlg::OnCheck);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_auto, &QPushButton::clicked, this, &CUpgradeDlg::OnAutoUpgrade);
    connect(m_notes, &QPushButton::clicked, this, &CUpgradeDlg::OnReleaseNotes);
    connect(m_manual, &QPushButton::clicked, this, &CUpgradeDlg::OnManualDownload);
    connect(&m_timer, &QTimer::timeout, this, &CUpgradeDlg::OnTimer);
}

CUpgradeDlg::~CUpgradeDlg() {
    StopDownload();
    m_session.Close();
}

int CUpgradeDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CUpgradeDlg::OnInitDialog() {
    if (m_initialised) return;
    m_initialised = true;
    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_check, m_exit, m_auto, m_notes});
    SetOkIcon(m_check);
    SetCancelIcon(m_exit);
    setWindowIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    CLocalizer::Apply(this, m_context);
    setWindowTitle(m_context.Text(ids::kUpgradeTitle));
    m_clientVersion->setText(ClientVersionText());
    m_manual->setStatusTip(ManualDownloadAddress());
    OnCheck();
    // Without the FTP site the check has said so already; the user may
    // check again from the dialog.
    if (m_autoMode && m_connected) OnAutoUpgrade();
}

QString CUpgradeDlg::VersionText(const QString& label, float version) {
    QString text = label + QString::asprintf(":%f", static_cast<double>(version));
    while (text.endsWith('0')) text.chop(1);
    while (text.endsWith('.')) text.chop(1);
    return text;
}

int CUpgradeDlg::ProgressPercent(qint64 downloadedBytes, int versionSizeKb) {
    const double expected = (versionSizeKb == 0 ? 1000.0 : static_cast<double>(versionSizeKb)) * 1000.0;
    const double percent = static_cast<double>(downloadedBytes) / expected * 100.0;
    return static_cast<int>(qBound(0.0, percent, 100.0));
}

QString CUpgradeDlg::ClientVersionText() const {
    return VersionText(m_context.Text(ids::kUpgradeVersionLabel), m_context.m_clientVersion);
}

QString CUpgradeDlg::ServerText() const { return m_serverVersion->toPlainText(); }
QString CUpgradeDlg::DownloadedText() const { return m_downloaded->text(); }
int CUpgradeDlg::Progress() const { return m_progress->value(); }

QPushButton* CUpgradeDlg::Button(int id) const {
    for (QPushButton* button : {m_auto, m_notes, m_manual, m_check, m_exit})
        if (button->objectName() == QString::number(id)) return button;
    return nullptr;
}

QString CUpgradeDlg::CacheDir() const { return m_context.m_cacheDir + "/cache"; }

QString CUpgradeDlg::ReleaseFolder() const {
    return m_context.m_releasePath.isEmpty() ? QString::fromLatin1(kDefaultReleaseFolder) : m_context.m_releasePath;
}

QString CUpgradeDlg::ManualDownloadAddress() const {
    return QStringLiteral("/version/%1").arg(m_context.m_manuDownloadFile);
}

QString CUpgradeDlg::InstallProblem() const {
    const QString folder = m_context.m_exeDir;
    const std::string blocker = WriteBlocker(QFile::encodeName(folder).constData());
    if (!blocker.empty())
        return m_context.Text(ids::kMsgUpgradeFolderLocked).arg(folder, QString::fromLocal8Bit(blocker.c_str()));
    const QFileInfo program(folder + '/' + kUpgradeProgram);
    if (!program.isFile() || !program.isExecutable())
        return m_context.Text(ids::kMsgUpgradeProgramMissing).arg(program.filePath());
    return QString();
}

int CUpgradeDlg::ConnectFtp() {
    const CListString host = m_context.m_settings.GetValue("server", "common");
    if (m_session.Open(host.CStr(), m_context.m_ftpPort, m_context.m_ftpUser.toUtf8().constData(),
                       m_context.m_ftpPass.toUtf8().constData()) < 0) {
        m_connected = false;
        m_context.ShowMessage(ToQt(m_session.GetErrorText()));
        return 0;
    }
    m_connected = true;
    return 1;
}

QStringList CUpgradeDlg::ListReleaseFiles(const QString& folder, QString* error) {
    std::vector<std::string> names;
    QStringList files;
    if (m_session.List(folder.toUtf8().constData(), names) < 0) {
        if (error) *error = ToQt(m_session.GetErrorText());
        return files;
    }
    for (const std::string& name : names) files << QString::fromStdString(name);
    return files;
}

void CUpgradeDlg::OnCheck() {
    if (m_downloading) return;
    CWaitCursor wait;
    if (!m_connected) ConnectFtp();
    const QString version =
        VersionText(m_context.Text(ids::kUpgradeServerVersionLabel), m_context.m_serverClientVersion);
    m_serverVersion->setPlainText(version);
    repaint();
    if (m_context.m_serverClientVersion > m_context.m_clientVersion) {
        m_auto->setEnabled(true);
        m_manual->setEnabled(true);
        // The folder that is downloaded is the one listed.
        QString error;
        m_releaseFiles = m_connected ? ListReleaseFiles(ReleaseFolder(), &error) : QStringList();
        QString text = version + '\n';
        for (const QString& name : m_releaseFiles) text += name + '\n';
        if (!error.isEmpty()) text += error + '\n';
        const QString problem = InstallProblem();
        if (!problem.isEmpty()) {
            // Said before anything is downloaded; the manual download stays.
            text += problem + '\n';
            m_auto->setEnabled(false);
        }
        m_serverVersion->setPlainText(text);
    } else {
        m_releaseFiles.clear();
        m_auto->setEnabled(false);
    }
}

void CUpgradeDlg::SetBusyButtons(bool busy) {
    m_auto->setEnabled(!busy);
    // Check and the release notes would use the session the download holds.
    m_check->setEnabled(!busy);
    m_notes->setEnabled(!busy);
}

void CUpgradeDlg::OnAutoUpgrade() {
    if (m_downloading) return;
    const QString problem = InstallProblem();
    if (!problem.isEmpty()) {
        m_context.ShowMessage(problem);
        return;
    }
    if (!m_connected && !ConnectFtp()) return;
    SetBusyButtons(true);
    // Only this download's files may end up in the upgrade.
    QDir().mkpath(CacheDir());
    ClearCache();
    m_progress->setValue(0);
    m_downloaded->setText(QString::asprintf("%.1f(KBytes)", 0.0));
    m_downloading = true;
    m_doneFlag = 0;
    m_downloadResult = 0;
    m_downloadError.clear();
    const std::string remote = ReleaseFolder().toUtf8().toStdString();
    const std::string local = QFile::encodeName(CacheDir()).toStdString();
    const QString emptyText = m_context.Text(ids::kMsgUpgradeEmptyRelease).arg(ReleaseFolder());
    // The worker touches only the session and its own results; the timer
    // on the GUI thread picks them up once the done flag is set.
    m_worker = QThread::create([this, remote, local, emptyText] {
        int result = m_session.GetFiles("*", remote.c_str(), local.c_str());
        if (result < 0) m_downloadError = ToQt(m_session.GetErrorText());
        else if (result == 0) {
            result = -1;
            m_downloadError = emptyText;
        }
        m_downloadResult = result;
        m_doneFlag.store(1, std::memory_order_release);
    });
    m_worker->start();
    m_timer.start(400);
}

void CUpgradeDlg::OnTimer() {
    if (!m_downloading) {
        m_timer.stop();
        return;
    }
    const qint64 downloaded = GetFolderSize(CacheDir());
    m_progress->setValue(ProgressPercent(downloaded, m_context.m_clientVersionSize));
    m_downloaded->setText(QString::asprintf("%.1f(KBytes)", static_cast<double>(downloaded) / 1024.0));
    if (m_doneFlag.load(std::memory_order_acquire) == 1) FinishDownload();
}

void CUpgradeDlg::JoinWorker() {
    m_timer.stop();
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
    }
    m_downloading = false;
}

void CUpgradeDlg::FinishDownload() {
    JoinWorker();
    int result = m_downloadResult;
    QString error = m_downloadError;
    if (result > 0) {
        // Whole: every fetched file is there and none is still a part.
        const QStringList present = QDir(CacheDir()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        const bool partial = std::any_of(present.begin(), present.end(),
                                         [](const QString& name) { return name.contains(kPartialMark); });
        if (present.size() != result || partial) {
            result = -1;
            error = m_context.Text(ids::kMsgUpgradeIncomplete);
        }
    }
    if (result > 0 && !StartUpgradeProgram(error)) result = -1;
    if (result < 0) {
        // A broken transfer may have left the connection unusable.
        m_session.Close();
        m_connected = false;
        ClearCache();
        SetBusyButtons(false);
        m_auto->setEnabled(m_context.m_serverClientVersion > m_context.m_clientVersion);
        m_context.ShowMessage(m_context.Text(ids::kMsgUpgradeDownloadFailed) + ' ' + error);
        emit DownloadFinished(result);
        return;
    }
    emit DownloadFinished(result);
    accept();
    if (m_quit) m_quit();
}

bool CUpgradeDlg::StartUpgradeProgram(QString& error) {
    const QString program = m_context.m_exeDir + '/' + kUpgradeProgram;
    QStringList arguments = {m_clientFileName, QStringLiteral("--cache"), CacheDir(), QStringLiteral("--pid"),
                             QString::number(m_clientPid), QStringLiteral("--")};
    arguments += m_clientArguments;
    if (QProcess::startDetached(program, arguments, m_context.m_exeDir)) return true;
    error = m_context.Text(ids::kMsgUpgradeStartFailed).arg(program);
    return false;
}

void CUpgradeDlg::OnReleaseNotes() {
    if (m_downloading) return;
    CWaitCursor wait;
    if (!m_connected) ConnectFtp();
    QDir().mkpath(CacheDir());
    const QString notes = CacheDir() + '/' + kReleaseNotes;
    if (m_session.GetFiles("*.txt", "/", QFile::encodeName(CacheDir()).constData()) < 0) {
        m_context.ShowMessage(ToQt(m_session.GetErrorText()));
        return;
    }
    if (!QFileInfo(notes).isFile()) {
        m_context.ShowMessage(m_context.Text(ids::kMsgUpgradeNoReleaseNotes));
        return;
    }
    if (m_openUrl) m_openUrl(QUrl::fromLocalFile(notes));
}

void CUpgradeDlg::OnManualDownload() {
    const QString host = ToQt(m_context.m_settings.GetValue("server", "common"));
    const long port = m_context.m_settings.GetInt("tcp_port", "common");
    const QUrl url(QStringLiteral("http://%1:%2/version/%3").arg(host).arg(port).arg(m_context.m_manuDownloadFile));
    if (m_openUrl) m_openUrl(url);
}

void CUpgradeDlg::StopDownload() {
    if (!m_downloading) return;
    m_session.Abort();
    JoinWorker();
    m_session.Close();
    m_connected = false;
    ClearCache();
}

void CUpgradeDlg::ClearCache() const {
    for (const QFileInfo& info : QDir(CacheDir()).entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(info.filePath());
}

void CUpgradeDlg::done(int result) {
    StopDownload();
    QDialog::done(result);
}

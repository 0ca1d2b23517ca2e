// CUpgradeDlg: the online upgrade. Compares this client's version with the
// one the server publishes, lists the release on the FTP site, downloads it
// into the user's cache folder on a worker thread while the dialog shows
// the progress, and once the whole release is there starts the upgrade
// program beside the client and ends the client. Also opens the release
// notes and the manual download page.
#pragma once

#include "CFtpSession.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <functional>

class CAppContext;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QThread;

class CUpgradeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CUpgradeDlg(CAppContext& context, QWidget* parent = nullptr);
    ~CUpgradeDlg() override;

    // Set by the opener before exec(): download right after the check.
    bool m_autoMode = false;

    // What the upgrade program is told about the client: its file name in
    // the program folder, its process id and its arguments. This process's
    // own unless changed.
    QString m_clientFileName;
    qint64 m_clientPid;
    QStringList m_clientArguments;
    // Opens the release notes file and the manual download address; the
    // desktop's handler unless replaced.
    std::function<void(const QUrl& url)> m_openUrl;
    // Ends the client once the upgrade program runs; quits the application
    // unless replaced.
    std::function<void()> m_quit;

    int exec() override;
    // Captions, version texts, the first check (and in automatic mode the
    // download); exec() runs it.
    void OnInitDialog();

    int ConnectFtp();
    // The names of the files in a remote folder; empty with the session's
    // error text in error when the folder cannot be listed.
    QStringList ListReleaseFiles(const QString& folder, QString* error = nullptr);
    // The user's cache folder the release is downloaded into.
    QString CacheDir() const;
    // The release folder on the FTP site (release_path, "/release" when the
    // server names none).
    QString ReleaseFolder() const;
    // Why the upgrade cannot replace the program's files (the folder cannot
    // be written, no upgrade program); "" when it can.
    QString InstallProblem() const;
    QString ManualDownloadAddress() const;
    // "label:version" with the zeros and the point at the end dropped
    // ("Version:1.04", "Version:2").
    static QString VersionText(const QString& label, float version);
    // The bar's value: downloaded against the announced size in KB (1000
    // KB when none is announced), at most 100.
    static int ProgressPercent(qint64 downloadedBytes, int versionSizeKb);

    bool IsDownloading() const { return m_downloading; }
    QPushButton* Button(int id) const;
    QString ClientVersionText() const;
    QString ServerText() const;
    QString DownloadedText() const;
    int Progress() const;

public slots:
    void OnCheck();
    void OnAutoUpgrade();
    void OnReleaseNotes();
    void OnManualDownload();
    void OnTimer();

signals:
    // A download has ended: the count of files on success (the upgrade
    // program started), below 0 on failure (shown, nothing started).
    void DownloadFinished(int result);

protected:
    // Closing stops a running download first and leaves no part of it.
    void done(int result) override;

private:
    void StopDownload();
    // Waits for the worker to end; the download no longer runs.
    void JoinWorker();
    void FinishDownload();
    // Every file of the cache folder goes.
    void ClearCache() const;
    bool StartUpgradeProgram(QString& error);
    void SetBusyButtons(bool busy);

    CAppContext& m_context;
    QLabel* m_clientVersion;
    QPlainTextEdit* m_serverVersion;
    QLabel* m_downloaded;
    QProgressBar* m_progress;
    QPushButton* m_auto;
    QPushButton* m_notes;
    QPushButton* m_manual;
    QPushButton* m_check;
    QPushButton* m_exit;
    QStringList m_releaseFiles;
    CFtpSession m_session;
    bool m_connected = false;
    bool m_downloading = false;
    bool m_initialised = false;
    QThread* m_worker = nullptr;
    QTimer m_timer;
    // Written by the worker before it sets m_doneFlag; read after it.
    std::atomic<int> m_doneFlag{0};
    int m_downloadResult = 0;
    QString m_downloadError;
};

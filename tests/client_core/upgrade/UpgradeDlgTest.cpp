// The online upgrade dialog against a real lumenolite publishing the client
// version and a loopback FTP site holding the release; a found release ends
// in the real upgrade program, with a stand-in in the client's place.
#include "CUpgradeDlg.h"
#include "ClientFixtures.h"
#include "FtpServerFixture.h"
#include "UpgradeFolderFixture.h"
#include "UpgradeIds.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Folder = CUpgradeFolderFixture;

struct CReleaseSite {
    std::string clientVersion = "2.5";
    std::string versionSize = "1";
    std::string releasePath = "/release";
    int sendLimit = 0;
};

// The servers, a logged-in context and a program folder with the upgrade
// program and the old stand-in client for one test.
class UpgradeDlgTest : public ::testing::Test {
protected:
    void Start(const CReleaseSite& site = CReleaseSite()) {
        ASSERT_TRUE(CFtpServerFixture::Missing().empty()) << CFtpServerFixture::Missing();
        ftp.SetSendLimit(site.sendLimit);
        ASSERT_TRUE(ftp.Start()) << ftp.Output();
        ASSERT_TRUE(ftp.MakeFolder("release"));
        const std::string config = "ftp_user=zentry\nftp_pass=secret\nftp_port=" + std::to_string(ftp.Port()) +
                                   "\nattach_path=/attach\nrelease_path=" + site.releasePath +
                                   "\nclient_version=" + site.clientVersion +
                                   "\nclient_version_size=" + site.versionSize +
                                   "\nmanu_download_file=zentry-2.5.tar.gz\n";
        ASSERT_TRUE(server.Start(true, "", config.c_str())) << server.server->Output();
        CSettingsValues values;
        values.port = server.Port();
        login = std::make_unique<CTestContext>(values);
        QString why;
        ASSERT_TRUE(login->LogIn(answerer, why)) << why.toStdString();
        context().m_exeDir = QString::fromStdString(folder.ProgramDir());
        // The cache folder's parent gets upgrade.log.
        context().m_cacheDir = QString::fromStdString(folder.Root());
        ASSERT_TRUE(Folder::Copy(UPGRADE_PROGRAM, folder.Program("upgrade"), 0755));
        ASSERT_TRUE(Folder::Copy(STANDIN_V1, folder.Program("standin"), 0755));
    }

    CAppContext& context() { return login->context; }

    // A dialog that hands the stand-in to the upgrade program and records
    // what it opens and whether it ended the client.
    std::unique_ptr<CUpgradeDlg> MakeDialog() {
        auto dlg = std::make_unique<CUpgradeDlg>(context());
        dlg->m_clientFileName = "standin";
        dlg->m_clientPid = folder.StartRunningClient();
        dlg->m_clientArguments = {"--config-dir", "/home/u/zentry settings"};
        dlg->m_openUrl = [this](const QUrl& url) { opened << url; };
        dlg->m_quit = [this] {
            ++quits;
            folder.EndRunningClient();
        };
        return dlg;
    }

    static bool WaitFinished(QSignalSpy& spy, int timeoutMs = 30000) {
        return !spy.isEmpty() || spy.wait(timeoutMs);
    }

    qint64 CacheBytes() const {
        qint64 total = 0;
        for (const QFileInfo& info : QDir(QString::fromStdString(folder.CacheDir())).entryInfoList(QDir::Files | QDir::Hidden))
            total += info.size();
        return total;
    }
    QStringList CacheFiles() const {
        return QDir(QString::fromStdString(folder.CacheDir())).entryList(QDir::Files | QDir::Hidden);
    }

    // Until the download has written something into the cache folder.
    bool WaitForBytes(qint64 bytes, int timeoutMs = 15000) {
        QElapsedTimer clock;
        clock.start();
        while (CacheBytes() < bytes) {
            if (clock.elapsed() > timeoutMs) return false;
            QTest::qWait(20);
        }
        return true;
    }

    CModalAnswerer answerer;
    CFtpServerFixture ftp;
    CDemoServer server;
    std::unique_ptr<CTestContext> login;
    Folder folder;
    QList<QUrl> opened;
    int quits = 0;
};

TEST_F(UpgradeDlgTest, ANewerReleaseIsDownloadedAndTheUpgradeProgramStartsTheNewClient) {
    Start();
    const std::string v2 = Folder::Read(STANDIN_V2);
    ASSERT_TRUE(ftp.WriteFile("release/standin", v2));
    ASSERT_TRUE(ftp.WriteFile("release/notes.dat", std::string(3000, 'n')));
    auto dlg = MakeDialog();
    dlg->OnInitDialog();
    dlg->show();

    EXPECT_EQ(dlg->ClientVersionText(), "Version:1.04");
    const QString listed = dlg->ServerText();
    EXPECT_TRUE(listed.startsWith("Server version:2.5\n")) << listed.toStdString();
    EXPECT_TRUE(listed.contains("\nstandin\n") && listed.contains("\nnotes.dat\n")) << listed.toStdString();
    EXPECT_TRUE(dlg->Button(ids::kUpgradeAuto)->isEnabled());
    EXPECT_TRUE(dlg->Button(ids::kUpgradeManual)->isEnabled());
    EXPECT_EQ(dlg->Button(ids::kUpgradeManual)->toolTip(), QString::fromUtf8("手动下载"));
    EXPECT_TRUE(SaveScreenshot(*dlg, "upgrade-dialog"));

    QSignalSpy finished(dlg.get(), &CUpgradeDlg::DownloadFinished);
    dlg->Button(ids::kUpgradeAuto)->click();
    EXPECT_TRUE(dlg->IsDownloading());
    ASSERT_TRUE(WaitFinished(finished));
    EXPECT_EQ(finished.first().first().toInt(), 2) << answerer.Joined().toStdString();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    // The announced size (1 KB) is passed: the bar stops at 100.
    EXPECT_EQ(dlg->Progress(), 100);
    EXPECT_EQ(dlg->DownloadedText(),
              QString::asprintf("%.1f(KBytes)", static_cast<double>(v2.size() + 3000) / 1024.0));

    // The upgrade program waited for the client, replaced it and started
    // the new one with the client's arguments.
    EXPECT_EQ(folder.WaitForStarted(1), std::vector<std::string>{"2|--config-dir|/home/u/zentry settings"})
        << folder.LogText();
    EXPECT_EQ(Folder::Read(folder.Program("standin")), v2);
    EXPECT_EQ(Folder::Mode(folder.Program("standin")), 0755);
    EXPECT_EQ(Folder::Read(folder.Program("notes.dat")), std::string(3000, 'n'));
    for (int i = 0; i < 250 && !CacheFiles().isEmpty(); ++i) QTest::qWait(20);
    EXPECT_TRUE(CacheFiles().isEmpty()) << CacheFiles().join(' ').toStdString();
    EXPECT_NE(folder.LogText().find("removed the downloaded files"), std::string::npos) << folder.LogText();
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
}

TEST_F(UpgradeDlgTest, AnEqualVersionOffersNothing) {
    CReleaseSite site;
    site.clientVersion = "1.04";
    Start(site);
    ASSERT_TRUE(ftp.WriteFile("release/standin", "new"));
    auto dlg = MakeDialog();
    dlg->OnInitDialog();
    EXPECT_EQ(dlg->ServerText(), "Server version:1.04");
    EXPECT_FALSE(dlg->Button(ids::kUpgradeAuto)->isEnabled());
    EXPECT_FALSE(dlg->Button(ids::kUpgradeManual)->isEnabled());
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
}

TEST_F(UpgradeDlgTest, AnFtpSiteStoppedHalfWayNeverStartsTheUpgrade) {
    CReleaseSite site;
    site.versionSize = "0";  // no size announced: the bar counts against 1000 KB
    site.sendLimit = 64 * 1024;
    Start(site);
    ASSERT_TRUE(ftp.WriteFile("release/standin", std::string(2 * 1024 * 1024, 'x')));
    auto dlg = MakeDialog();
    dlg->OnInitDialog();
    dlg->show();
    QSignalSpy finished(dlg.get(), &CUpgradeDlg::DownloadFinished);
    dlg->Button(ids::kUpgradeAuto)->click();
    ASSERT_TRUE(WaitForBytes(100 * 1024));
    // The dialog shows it live, and Check and the release notes wait.
    QTest::qWait(500);
    EXPECT_NE(dlg->DownloadedText(), "0.0(KBytes)");
    EXPECT_GT(dlg->Progress(), 0);
    EXPECT_LT(dlg->Progress(), 100);
    EXPECT_FALSE(dlg->Button(ids::kUpgradeCheck)->isEnabled());
    EXPECT_FALSE(dlg->Button(ids::kUpgradeReleaseNotes)->isEnabled());
    ASSERT_TRUE(ftp.Stop());

    ASSERT_TRUE(WaitFinished(finished));
    EXPECT_LT(finished.first().first().toInt(), 0);
    ASSERT_EQ(answerer.m_texts.size(), 1);
    EXPECT_TRUE(answerer.m_texts[0].startsWith("The upgrade was not started: ")) << answerer.Joined().toStdString();
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(CacheFiles().isEmpty()) << CacheFiles().join(' ').toStdString();
    EXPECT_TRUE(dlg->Button(ids::kUpgradeAuto)->isEnabled());
    // Nothing ran the upgrade program: no log, the old client untouched.
    usleep(300 * 1000);
    EXPECT_EQ(folder.LogText(), "");
    EXPECT_EQ(Folder::Read(folder.Program("standin")), Folder::Read(STANDIN_V1));
}

TEST_F(UpgradeDlgTest, AMissingFileOrReleaseFolderFailsTheDownloadAndSaysWhy) {
    const struct {
        const char* what;
        const char* releasePath;
        const char* said;  // the end of the message after the common start
    } cases[] = {
        {"a listed file that is gone", "/release", "The file does not exist"},
        {"no release folder", "/no-such-release", ""},
        {"an empty release folder", "/empty", "The release folder /empty on the FTP site holds no files."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CReleaseSite site;
        site.releasePath = c.releasePath;
        answerer.m_texts.clear();
        ftp.Stop();
        Start(site);
        ASSERT_TRUE(ftp.MakeFolder("empty"));
        ASSERT_TRUE(ftp.WriteFile("release/a.dat", "a"));
        unlink((ftp.Root() + "/release/b.dat").c_str());
        ASSERT_EQ(symlink((ftp.Root() + "/nowhere").c_str(), (ftp.Root() + "/release/b.dat").c_str()), 0);
        auto dlg = MakeDialog();
        dlg->OnInitDialog();
        QSignalSpy finished(dlg.get(), &CUpgradeDlg::DownloadFinished);
        dlg->OnAutoUpgrade();
        ASSERT_TRUE(WaitFinished(finished));
        EXPECT_LT(finished.first().first().toInt(), 0);
        ASSERT_EQ(answerer.m_texts.size(), 1) << answerer.Joined().toStdString();
        const QString start = "The upgrade was not started: ";
        EXPECT_TRUE(answerer.m_texts[0].startsWith(start)) << answerer.Joined().toStdString();
        EXPECT_GT(answerer.m_texts[0].size(), start.size());
        EXPECT_TRUE(answerer.m_texts[0].endsWith(c.said)) << answerer.Joined().toStdString();
        EXPECT_EQ(quits, 0);
        EXPECT_TRUE(CacheFiles().isEmpty()) << CacheFiles().join(' ').toStdString();
        EXPECT_EQ(folder.LogText(), "");
    }
}

TEST_F(UpgradeDlgTest, AProgramFolderThatCannotBeWrittenIsSaidBeforeDownloading) {
    Start();
    ASSERT_TRUE(ftp.WriteFile("release/standin", "new"));
    ASSERT_EQ(chmod(folder.ProgramDir().c_str(), 0555), 0);
    auto dlg = MakeDialog();
    dlg->m_autoMode = true;
    dlg->OnInitDialog();
    chmod(folder.ProgramDir().c_str(), 0755);
    EXPECT_TRUE(dlg->ServerText().contains("cannot be written")) << dlg->ServerText().toStdString();
    EXPECT_FALSE(dlg->Button(ids::kUpgradeAuto)->isEnabled());
    EXPECT_TRUE(dlg->Button(ids::kUpgradeManual)->isEnabled());
    // Automatic mode tried, said so, and fetched nothing.
    ASSERT_EQ(answerer.m_texts.size(), 1);
    EXPECT_TRUE(answerer.m_texts[0].contains("cannot be written")) << answerer.Joined().toStdString();
    EXPECT_FALSE(dlg->IsDownloading());
    EXPECT_TRUE(CacheFiles().isEmpty());
    EXPECT_EQ(quits, 0);
}

TEST_F(UpgradeDlgTest, AutomaticModeWithoutTheFtpSiteSaysSoOnceAndDownloadsNothing) {
    Start();
    ASSERT_TRUE(ftp.Stop());
    auto dlg = MakeDialog();
    dlg->m_autoMode = true;
    dlg->OnInitDialog();
    ASSERT_EQ(answerer.m_texts.size(), 1) << answerer.Joined().toStdString();
    EXPECT_TRUE(answerer.m_texts[0].startsWith("Cannot open host: ")) << answerer.Joined().toStdString();
    EXPECT_FALSE(dlg->IsDownloading());
    EXPECT_TRUE(dlg->Button(ids::kUpgradeCheck)->isEnabled());
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(folder.LogText(), "");
}

TEST_F(UpgradeDlgTest, ClosingDuringTheDownloadStopsItAndLeavesNoPartOfIt) {
    CReleaseSite site;
    site.sendLimit = 64 * 1024;
    Start(site);
    ASSERT_TRUE(ftp.WriteFile("release/a.dat", std::string(1000, 'a')));
    ASSERT_TRUE(ftp.WriteFile("release/standin", std::string(2 * 1024 * 1024, 'x')));
    auto dlg = MakeDialog();
    dlg->OnInitDialog();
    dlg->show();
    QSignalSpy finished(dlg.get(), &CUpgradeDlg::DownloadFinished);
    dlg->OnAutoUpgrade();
    ASSERT_TRUE(WaitForBytes(1000 + 64 * 1024));
    QElapsedTimer clock;
    clock.start();
    dlg->reject();
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(dlg->IsDownloading());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_TRUE(CacheFiles().isEmpty()) << CacheFiles().join(' ').toStdString();
    QTest::qWait(500);
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(folder.LogText(), "");
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
}

TEST_F(UpgradeDlgTest, ReleaseNotesAndManualDownloadOpenWhatTheServerNames) {
    Start();
    ASSERT_TRUE(ftp.WriteFile("releasenotes.txt", "what is new"));
    ASSERT_TRUE(ftp.WriteFile("readme.txt", "other"));
    auto dlg = MakeDialog();
    dlg->OnInitDialog();
    dlg->Button(ids::kUpgradeReleaseNotes)->click();
    ASSERT_EQ(opened.size(), 1) << answerer.Joined().toStdString();
    const QString notes = QString::fromStdString(folder.Cached("releasenotes.txt"));
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(notes));
    EXPECT_EQ(Folder::Read(notes.toStdString()), "what is new");

    // The server's address with its configured port.
    dlg->Button(ids::kUpgradeManual)->click();
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[1].toString(),
              QString("http://127.0.0.1:%1/version/zentry-2.5.tar.gz").arg(server.Port()));
    EXPECT_EQ(dlg->ManualDownloadAddress(), "/version/zentry-2.5.tar.gz");

    // Without the notes on the site nothing opens and the user is told.
    ASSERT_EQ(unlink((ftp.Root() + "/releasenotes.txt").c_str()), 0);
    QFile::remove(notes);
    dlg->Button(ids::kUpgradeReleaseNotes)->click();
    EXPECT_EQ(opened.size(), 2);
    ASSERT_EQ(answerer.m_texts.size(), 1);
    EXPECT_TRUE(answerer.m_texts[0].contains("releasenotes.txt")) << answerer.Joined().toStdString();
}

TEST(UpgradeDlgTexts, VersionsDropTheirTrailingZerosAndTheBarStopsAtAHundred) {
    EXPECT_EQ(CUpgradeDlg::VersionText("Version", 1.04f), "Version:1.04");
    EXPECT_EQ(CUpgradeDlg::VersionText("Version", 2.0f), "Version:2");
    EXPECT_EQ(CUpgradeDlg::VersionText("Version", 1.5f), "Version:1.5");
    EXPECT_EQ(CUpgradeDlg::VersionText("Version", 10.0f), "Version:10");
    const struct {
        qint64 bytes;
        int sizeKb;
        int percent;
    } cases[] = {
        {0, 100, 0}, {50000, 100, 50}, {100000, 100, 100}, {250000, 100, 100},
        // Nothing announced: against 1000 KB.
        {500000, 0, 50}, {2000000, 0, 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CUpgradeDlg::ProgressPercent(c.bytes, c.sizeKb), c.percent) << c.bytes << " " << c.sizeKb;
}

}  // namespace

// The Zentry program itself, started as its own process offscreen against a
// real lumenolite: automatic login to the main window, a refused second
// copy, bad options, the end by a termination signal.
#include "ClientFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <string>

namespace {

QString ProgramPath() { return QString::fromStdString(CServerFixture::BinDir()) + "/Zentry"; }

void Prepare(QProcess& process) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("ZENTRY_CONFIG_DIR");
    env.remove("ZENTRY_CACHE_DIR");
    process.setProcessEnvironment(env);
}

}  // namespace

class Program : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(); }

    void SetUp() override {
        CSettingsValues values;
        values.port = s_server->Port();
        values.windowX = "640";
        values.windowY = "max";
        ASSERT_TRUE(WriteText(m_dir.path() + "/korvandix.ini", SettingsText(values)));
        ASSERT_TRUE(WriteText(m_dir.path() + "/login.ini", "# history\n"));
    }

    // Sessions the server holds now.
    static int Sessions() { return std::stoi(s_server->server->Command("session_count")); }

    QTemporaryDir m_dir;
};

TEST_F(Program, LogsInAutomaticallyAndShowsTheMainWindow) {
    const int sessions = Sessions();
    QProcess zentry;
    Prepare(zentry);
    zentry.start(ProgramPath(), {"--config-dir", m_dir.path(), "--autologin", "--exit-after-start"});
    ASSERT_TRUE(zentry.waitForFinished(30000)) << zentry.readAllStandardError().toStdString();
    const QString out = QString::fromLocal8Bit(zentry.readAllStandardOutput());
    EXPECT_EQ(zentry.exitCode(), 0) << zentry.readAllStandardError().toStdString();
    EXPECT_TRUE(out.startsWith("main window shown after ")) << out.toStdString();
    // The login went into the history; closing saved the window size.
    EXPECT_EQ(ReadText(m_dir.path() + "/login.ini"), "127.0.0.1:" + std::to_string(s_server->Port()) + ":admin\n");
    const std::string settings = ReadText(m_dir.path() + "/korvandix.ini");
    // The size comes back as it was given; "max" is written as the number.
    EXPECT_NE(settings.find("window_init_x=640\n"), std::string::npos) << settings;
    EXPECT_EQ(settings.find("window_init_y=max"), std::string::npos) << settings;
    EXPECT_NE(settings.find("window_init_y="), std::string::npos);
    EXPECT_TRUE(QFileInfo(m_dir.path() + "/temp").isDir());
    EXPECT_EQ(Sessions(), sessions);  // the session ended with the program
}

TEST_F(Program, ASecondCopyEndsAtOnce) {
    QProcess first;
    Prepare(first);
    first.start(ProgramPath(), {"--config-dir", m_dir.path(), "--autologin"});
    ASSERT_TRUE(first.waitForStarted(10000));
    // The first copy is up once its login is in the history.
    QTRY_VERIFY_WITH_TIMEOUT(ReadText(m_dir.path() + "/login.ini").find(":admin") != std::string::npos, 20000);
    QTest::qWait(300);

    QProcess second;
    Prepare(second);
    second.start(ProgramPath(), {"--config-dir", m_dir.path(), "--autologin", "--exit-after-start"});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_NE(second.exitCode(), 0);
    EXPECT_FALSE(second.readAllStandardOutput().contains("main window shown"));
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished(10000);
}

TEST_F(Program, BadOptionsAreRefused) {
    QProcess zentry;
    Prepare(zentry);
    zentry.start(ProgramPath(), {"--config-dir", m_dir.path(), "--no-such-option"});
    ASSERT_TRUE(zentry.waitForFinished(10000));
    EXPECT_EQ(zentry.exitCode(), 2);
    EXPECT_TRUE(zentry.readAllStandardError().contains("unknown option --no-such-option"));
}

TEST_F(Program, AnUnattendedStartEndsWhenTheLoginFails) {
    CSettingsValues values;
    values.port = s_server->Port();
    values.password = "wrong";
    ASSERT_TRUE(WriteText(m_dir.path() + "/korvandix.ini", SettingsText(values)));
    QProcess zentry;
    Prepare(zentry);
    zentry.start(ProgramPath(), {"--config-dir", m_dir.path(), "--autologin", "--exit-after-start"});
    ASSERT_TRUE(zentry.waitForFinished(30000));
    EXPECT_EQ(zentry.exitCode(), 1);
    const QByteArray errors = zentry.readAllStandardError();
    EXPECT_TRUE(errors.contains("Authentication fails")) << errors.toStdString();
    EXPECT_FALSE(zentry.readAllStandardOutput().contains("main window shown"));
    // Settings that were read are written back, with what the dialog had.
    EXPECT_NE(ReadText(m_dir.path() + "/korvandix.ini").find("user_passwd=wrong"), std::string::npos);
}

TEST_F(Program, TheLogIsWrittenInTheUsersFolders) {
    // The failed login is logged; the program's own folder gets nothing.
    const QString programLog = QString::fromStdString(CServerFixture::BinDir()) + "/Zentry.log";
    const qint64 programLogSize = QFileInfo(programLog).size();
    CSettingsValues values;
    values.port = s_server->Port();
    values.password = "wrong";
    QTemporaryDir xdg;
    const QString configDir = xdg.path() + "/config/korvandix/Zentry";
    ASSERT_TRUE(QDir().mkpath(configDir));
    ASSERT_TRUE(WriteText(configDir + "/korvandix.ini", SettingsText(values)));
    ASSERT_TRUE(WriteText(m_dir.path() + "/korvandix.ini", SettingsText(values)));
    const struct {
        QStringList folderOptions;
        QString log;
    } cases[] = {
        {{"--config-dir", m_dir.path()}, m_dir.path() + "/Zentry.log"},
        {{}, xdg.path() + "/cache/korvandix/Zentry/Zentry.log"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log.toStdString());
        QProcess zentry;
        Prepare(zentry);
        QProcessEnvironment env = zentry.processEnvironment();
        env.insert("XDG_CONFIG_HOME", xdg.path() + "/config");
        env.insert("XDG_CACHE_HOME", xdg.path() + "/cache");
        zentry.setProcessEnvironment(env);
        zentry.start(ProgramPath(), c.folderOptions + QStringList{"--autologin", "--exit-after-start"});
        ASSERT_TRUE(zentry.waitForFinished(30000));
        EXPECT_EQ(zentry.exitCode(), 1);
        EXPECT_NE(ReadText(c.log).find("Authentication fails"), std::string::npos)
            << zentry.readAllStandardError().toStdString();
    }
    EXPECT_EQ(QFileInfo(programLog).size(), programLogSize);
}

TEST_F(Program, ATerminationSignalEndsItAsClosingTheWindowDoes) {
    for (const int number : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(number);
        CSettingsValues values;
        values.port = s_server->Port();
        values.windowY = "max";
        ASSERT_TRUE(WriteText(m_dir.path() + "/korvandix.ini", SettingsText(values)));
        const int sessions = Sessions();
        QProcess zentry;
        Prepare(zentry);
        zentry.start(ProgramPath(), {"--config-dir", m_dir.path(), "--autologin"});
        ASSERT_TRUE(zentry.waitForStarted(10000));
        QTRY_COMPARE_WITH_TIMEOUT(Sessions(), sessions + 1, 20000);
        QTest::qWait(500);  // the main window comes up after the login
        ASSERT_EQ(zentry.state(), QProcess::Running);

        ASSERT_EQ(kill(static_cast<pid_t>(zentry.processId()), number), 0);
        ASSERT_TRUE(zentry.waitForFinished(20000));
        EXPECT_EQ(zentry.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(zentry.exitCode(), 0) << zentry.readAllStandardError().toStdString();
        // The window's close wrote its size and the settings were saved.
        const std::string settings = ReadText(m_dir.path() + "/korvandix.ini");
        EXPECT_EQ(settings.find("window_init_y=max"), std::string::npos) << settings;
        EXPECT_NE(settings.find("window_init_y="), std::string::npos) << settings;
        // The session was left, not left to the server's sweep.
        EXPECT_EQ(Sessions(), sessions);
    }
}

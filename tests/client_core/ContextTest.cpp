// The application context and the application object without a server:
// settings and language files, colours, window size, the temp folder, the
// single-instance guard, the login history and the language switch.
#include "CAboutDlg.h"
#include "CSingleInstance.h"
#include "CZentryApp.h"
#include "ClientFixtures.h"
#include "ClientFolders.h"
#include "ClientIds.h"
#include "LoginHistory.h"
#include "QtText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sys/stat.h>

namespace {

int Mode(const QString& path) {
    struct stat info;
    if (stat(QFile::encodeName(path).constData(), &info) != 0) return -1;
    return info.st_mode & 0777;
}

}  // namespace

TEST(Settings, LoadSaveRoundTrip) {
    CModalAnswerer answerer;
    CSettingsValues values;
    values.defaultProject = "Zentry演示";
    values.background = "rgb(192,219,255)";
    values.language = "zh_cn";
    CTestContext test(values);
    CAppContext& context = test.context;
    ASSERT_TRUE(context.LoadSettings()) << answerer.Joined().toStdString();
    EXPECT_TRUE(answerer.m_texts.isEmpty());
    EXPECT_EQ(context.m_currentProject, QStringLiteral("Zentry演示"));
    EXPECT_EQ(context.m_bgColor, QColor(192, 219, 255));
    EXPECT_EQ(context.m_language, "zh_cn");
    EXPECT_FLOAT_EQ(context.m_clientVersion, 1.04f);
    EXPECT_EQ(context.Text(ids::kLoginButton), QStringLiteral("登录"));
    EXPECT_EQ(context.Label(ids::kLoginServerLabel), QStringLiteral("服务器:"));

    // A changed value is written back with the fixed first line, mode 0600.
    context.m_settings.SetValue("user_passwd", "new pass&=#", "common");
    context.m_settings.SetValue("no_such_key", "x", "common");  // never added
    ASSERT_TRUE(context.SaveSettings());
    const std::string saved = ReadText(context.SettingsPath());
    EXPECT_EQ(saved.rfind("#Zentry配置管理工具", 0), 0u);
    EXPECT_EQ(saved.find("no_such_key"), std::string::npos);
    EXPECT_EQ(Mode(context.SettingsPath()), 0600);

    CAppContext again;
    again.m_configDir = again.m_cacheDir = test.Dir();
    ASSERT_TRUE(again.m_settings.Load(QFile::encodeName(again.SettingsPath()).constData()));
    EXPECT_STREQ(again.m_settings.GetValue("user_passwd", "common").CStr(), "new pass&=#");
    EXPECT_STREQ(again.m_settings.GetValue("default_prj", "pstyle").CStr(), "Zentry演示");
    EXPECT_STREQ(again.m_settings.GetValue("new_color", "bug").CStr(), "RGB(200,0,0)");
}

TEST(Settings, MissingFilesStopTheStartWithTheirPath) {
    CModalAnswerer answerer;
    {
        CTestContext test(CSettingsValues{});
        QFile::remove(test.context.SettingsPath());
        // A missing program default cannot be seeded either.
        test.context.m_exeDir = test.Dir() + "/nowhere";
        EXPECT_FALSE(test.context.LoadSettings());
        ASSERT_EQ(answerer.m_texts.size(), 1);
        EXPECT_EQ(answerer.m_texts[0],
                  QStringLiteral("配置文件\"%1\" 可能不存在").arg(test.context.SettingsPath()));
        // Never loaded, never written: nothing replaces the user's file.
        EXPECT_FALSE(test.context.SaveSettings());
        EXPECT_FALSE(QFile::exists(test.context.SettingsPath()));
    }
    answerer.m_texts.clear();
    for (const char* language : {"klingon", ""}) {
        CSettingsValues values;
        values.language = language;
        CTestContext test(values);
        EXPECT_FALSE(test.context.LoadSettings()) << language;
        ASSERT_EQ(answerer.m_texts.size(), 1) << language;
        EXPECT_TRUE(answerer.m_texts[0].contains(test.context.LanguagePath(language)));
        answerer.m_texts.clear();
    }
}

TEST(Settings, SeededFromTheProgramFolderWithPrivateModes) {
    QTemporaryDir dir;
    const QString config = dir.path() + "/config/deeper";
    QString error;
    ASSERT_TRUE(CClientFolders::Seed(CClientFolders::ProgramDir(), config, error)) << error.toStdString();
    EXPECT_TRUE(QFile::exists(config + "/korvandix.ini"));
    EXPECT_EQ(Mode(config + "/korvandix.ini"), 0600);
    EXPECT_EQ(Mode(config + "/login.ini"), 0600);
    // An existing file is kept.
    WriteText(config + "/korvandix.ini", "[common]\nserver=mine\n");
    ASSERT_TRUE(CClientFolders::Seed(CClientFolders::ProgramDir(), config, error));
    EXPECT_EQ(ReadText(config + "/korvandix.ini"), "[common]\nserver=mine\n");
}

TEST(Settings, BackgroundColours) {
    const struct {
        const char* text;
        QColor colour;
    } cases[] = {
        {"RGB(255,0,0)", QColor(255, 0, 0)},
        {"rgb(255,0,0)", QColor(255, 0, 0)},
        {"RGB(1,2)", QColor(0xC0, 0xC0, 0xC0)},
        {"RGB(256,300,-1)", QColor(0, 44, 255)},
        {"RGB( 10 , 20 , 30 )", QColor(10, 20, 30)},
        // Without the prefix the text is a colour value 0x00BBGGRR.
        {"255,0,0", QColor(255, 0, 0)},
        {"13160660", QColor(0xD4, 0xD0, 0xC8)},
        {"", QColor(0, 0, 0)},
    };
    CModalAnswerer answerer;
    for (const auto& c : cases) {
        CSettingsValues values;
        values.background = c.text;
        CTestContext test(values);
        ASSERT_TRUE(test.context.LoadSettings());
        EXPECT_EQ(test.context.m_bgColor, c.colour) << c.text;
        EXPECT_EQ(test.context.m_bgBrush.color(), c.colour) << c.text;
    }
    const struct {
        const char* text;
        bool ok;
        QColor colour;
    } parsed[] = {{"RGB(255,0,0)", true, QColor(255, 0, 0)},
                  {"255,0,0", true, QColor(255, 0, 0)},
                  {"RGB(1,2)", false, QColor(0xC0, 0xC0, 0xC0)},
                  {"13160660", false, QColor(0xC0, 0xC0, 0xC0)},
                  {"RGB(1,2,3,4)", false, QColor(0xC0, 0xC0, 0xC0)}};
    for (const auto& c : parsed) {
        QColor colour;
        EXPECT_EQ(CAppContext::ParseRgb(c.text, colour), c.ok) << c.text;
        EXPECT_EQ(colour, c.colour) << c.text;
    }
}

TEST(Settings, StatusColoursIgnoreCase) {
    CModalAnswerer answerer;
    CTestContext test(CSettingsValues{});
    ASSERT_TRUE(test.context.LoadSettings());
    QColor colour;
    ASSERT_TRUE(test.context.GetStatusColour("03-closed", colour));
    EXPECT_EQ(colour, QColor(128, 128, 128));
    ASSERT_TRUE(test.context.GetStatusColour("00-NEW", colour));
    EXPECT_EQ(colour, QColor(200, 0, 0));
    EXPECT_FALSE(test.context.GetStatusColour("01-Open", colour));
    EXPECT_FALSE(test.context.GetStatusColour("04-ReOpen", colour));
}

TEST(Settings, WindowSize) {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const struct {
        const char* x;
        const char* y;
        QSize size;
    } cases[] = {{"max", "MAX", QSize(screen.width(), screen.height() - 30)},
                 {"300", "200", QSize(730, 570)},
                 {"400", "340", QSize(400, 340)},
                 {"", "", QSize(730, 570)},
                 {"500px", "abc", QSize(500, 570)}};
    CModalAnswerer answerer;
    for (const auto& c : cases) {
        CSettingsValues values;
        values.windowX = c.x;
        values.windowY = c.y;
        CTestContext test(values);
        ASSERT_TRUE(test.context.LoadSettings());
        QWidget window;
        test.context.RestoreWindowSize(&window);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.size(), c.size) << c.x << " x " << c.y;
    }
}

TEST(Settings, TitlesAndTempFolder) {
    CModalAnswerer answerer;
    CTestContext test(CSettingsValues{});
    const QString temp = test.context.TempDir();
    ASSERT_TRUE(QDir().mkpath(temp + "/sub"));
    WriteText(temp + "/left.txt", "old");
    WriteText(temp + "/sub/deep.txt", "old");
    ASSERT_TRUE(test.context.LoadSettings());
    EXPECT_TRUE(QFileInfo(temp).isDir());
    EXPECT_TRUE(QDir(temp).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    EXPECT_EQ(test.context.GetTitleForLanguage("english"), "Zentry  [1.04]");
    EXPECT_EQ(test.context.GetTitleForLanguage("ZH_CN"), "Zentry(ZNT)  [1.04]");
    EXPECT_EQ(test.context.GetTitleForLanguage("big5"), "Zentry(ZNT)  [1.04]");
    EXPECT_EQ(test.context.GetTitleForLanguage("other"), "Zentry  [1.04]");
}

TEST(Settings, SecondInstanceIsRefusedAndRaisesTheFirst) {
    CModalAnswerer answerer;
    CTestContext first(CSettingsValues{});
    ASSERT_TRUE(first.context.LoadSettings());
    QWidget window;
    window.setWindowTitle(first.context.GetTitleForLanguage("english"));
    window.showMinimized();
    QTest::qWait(20);

    CAppContext second;
    second.m_configDir = second.m_cacheDir = first.Dir();
    EXPECT_FALSE(second.LoadSettings());
    EXPECT_TRUE(answerer.m_texts.isEmpty());  // no message for a second copy
    QTRY_VERIFY_WITH_TIMEOUT(!(window.windowState() & Qt::WindowMinimized), 3000);

    // Another folder is another installation: both may run.
    CTestContext other(CSettingsValues{});
    EXPECT_TRUE(other.context.LoadSettings());
}

TEST(LoginHistoryFile, ReadAndAdd) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/login.ini";
    // No file, no history: nothing is created.
    EXPECT_TRUE(ReadLoginHistory(path).isEmpty());
    EXPECT_FALSE(AddLoginHistory(path, "h:1:u"));
    EXPECT_FALSE(QFile::exists(path));

    WriteText(path, "# servers\n  10.0.0.1:8090:admin  \n\n#old\n127.0.0.1:8090:zhang\n");
    EXPECT_EQ(ReadLoginHistory(path), QStringList({"10.0.0.1:8090:admin", "127.0.0.1:8090:zhang"}));
    // The same entry in other letter case adds nothing and keeps the file.
    EXPECT_TRUE(AddLoginHistory(path, "10.0.0.1:8090:ADMIN"));
    EXPECT_NE(ReadText(path).find("# servers"), std::string::npos);
    // A new one is appended; comments and blank lines go.
    EXPECT_TRUE(AddLoginHistory(path, "zentry.example.org:80:li"));
    EXPECT_EQ(ReadText(path), "10.0.0.1:8090:admin\n127.0.0.1:8090:zhang\nzentry.example.org:80:li\n");
    EXPECT_EQ(Mode(path), 0600);
}

TEST(LanguageSwitch, SameLanguageChangesNothingOtherRewritesAtOnce) {
    CModalAnswerer answerer;
    CZentryApp app;
    app.m_context.m_configDir = app.m_context.m_cacheDir =
        QDir::tempPath() + "/zentry-lang-" + QString::number(QCoreApplication::applicationPid());
    QDir(app.m_context.m_configDir).removeRecursively();
    QDir().mkpath(app.m_context.m_configDir);
    WriteText(app.m_context.SettingsPath(), SettingsText(CSettingsValues{}));
    ASSERT_TRUE(app.m_context.LoadSettings());
    QWidget window;
    window.show();
    app.m_mainWnd = &window;

    // The file is replaced behind the client's back: a no-op switch must
    // not write it.
    WriteText(app.m_context.SettingsPath(), "marker");
    app.OnLanguageEnglish();
    EXPECT_EQ(ReadText(app.m_context.SettingsPath()), "marker");

    app.OnLanguageBig5();
    EXPECT_EQ(app.m_context.m_language, "big5");
    EXPECT_EQ(app.m_context.Text(ids::kLoginButton), QStringLiteral("登入"));
    EXPECT_EQ(window.windowTitle(), "Zentry(ZNT)  [1.04]");
    const std::string saved = ReadText(app.m_context.SettingsPath());
    EXPECT_NE(saved.find("language=big5"), std::string::npos) << saved;
    app.OnLanguageChinese();
    EXPECT_EQ(app.m_context.Text(ids::kLoginButton), QStringLiteral("登录"));
    EXPECT_NE(ReadText(app.m_context.SettingsPath()).find("language=zh_cn"), std::string::npos);
    // A language without a file leaves no texts at all, and no message.
    answerer.m_texts.clear();
    EXPECT_TRUE(app.m_context.LoadLanguage("klingon"));
    EXPECT_EQ(app.m_context.m_language, "klingon");
    EXPECT_TRUE(app.m_context.Text(ids::kLoginButton).isEmpty());
    EXPECT_TRUE(app.m_context.Text(ids::kMenuFile).isEmpty());
    EXPECT_TRUE(answerer.m_texts.isEmpty());
    app.m_mainWnd = nullptr;
    QDir(app.m_context.m_configDir).removeRecursively();
}

TEST(LanguageFiles, EveryIdInAllThreeLanguages) {
    // The same ids, each with a text, in the three files.
    std::map<std::string, std::set<int>> ids;
    for (const char* code : {"zh_cn", "english", "big5"}) {
        CConfigFile file;
        const QString path = CClientFolders::ProgramDir() + "/lang/" + code + ".ini";
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
        for (const QByteArray& raw : in.readAll().split('\n')) {
            const QByteArray line = raw.trimmed();
            const int equals = line.indexOf('=');
            if (line.isEmpty() || line.startsWith('#') || line.startsWith('[') || equals < 1) continue;
            bool number = false;
            const int id = line.left(equals).toInt(&number);
            ASSERT_TRUE(number) << code << ": " << line.toStdString();
            EXPECT_FALSE(line.mid(equals + 1).trimmed().isEmpty()) << code << ": " << id;
            ids[code].insert(id);
        }
    }
    EXPECT_EQ(ids["zh_cn"], ids["english"]);
    EXPECT_EQ(ids["zh_cn"], ids["big5"]);
    for (int id : {ids::kLoginButton, ids::kPasswordDlg, ids::kMsgLoginFailed, ids::kMenuFile,
                   ids::kCmdModifyPassword, ids::kCmdToolBar, ids::kMsgSessionEnded})
        EXPECT_TRUE(ids["english"].count(id)) << id;
}

TEST(CommandLine, Options) {
    CZentryApp app;
    QString error;
    EXPECT_TRUE(app.ParseCommandLine({"Zentry"}, error));
    EXPECT_FALSE(app.m_autoLogin);
    EXPECT_TRUE(app.ParseCommandLine({"Zentry", "--autologin", "--config-dir", "/tmp/x/../y",
                                      "--exit-after-start"},
                                     error));
    EXPECT_TRUE(app.m_autoLogin);
    EXPECT_TRUE(app.m_exitAfterStart);
    EXPECT_TRUE(app.m_context.m_unattended);  // no boxes without a user
    EXPECT_EQ(app.m_context.m_configDir, "/tmp/y");
    EXPECT_EQ(app.m_context.m_cacheDir, "/tmp/y");
    EXPECT_EQ(app.m_context.SettingsPath(), "/tmp/y/korvandix.ini");
    EXPECT_TRUE(app.ParseCommandLine({"Zentry", "--config-dir=/tmp/z"}, error));
    EXPECT_EQ(app.m_context.m_configDir, "/tmp/z");
    for (const QStringList& bad : {QStringList{"Zentry", "--config-dir"},
                                   QStringList{"Zentry", "--config-dir="},
                                   QStringList{"Zentry", "--bogus"}}) {
        error.clear();
        EXPECT_FALSE(app.ParseCommandLine(bad, error)) << bad.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(StartUp, FailedStartSavesNothingItDidNotLoad) {
    CModalAnswerer answerer;
    QTemporaryDir dir;
    {
        CZentryApp app;
        app.m_context.m_configDir = app.m_context.m_cacheDir = dir.path();
        app.m_context.m_exeDir = dir.path();  // no default settings to seed
        bool frameMade = false;
        EXPECT_FALSE(app.InitInstance([&]() -> QWidget* {
            frameMade = true;
            return nullptr;
        }));
        EXPECT_FALSE(frameMade);
        EXPECT_EQ(app.m_starting, 1);
        app.ExitInstance();
    }
    EXPECT_FALSE(QFile::exists(dir.path() + "/korvandix.ini"));
}

TEST(Captions, MenusAndTheAboutBox) {
    CModalAnswerer answerer;
    CTestContext test(CSettingsValues{});
    ASSERT_TRUE(test.context.LoadSettings());
    CAppContext& c = test.context;
    QMenu bar;
    QMenu* file = bar.addMenu("File");
    QMenu* view = bar.addMenu("View");
    QAction* login = file->addAction("resource login");
    login->setProperty("langId", ids::kCmdLogin);
    file->addSeparator();
    QAction* unknown = file->addAction("kept");
    unknown->setProperty("langId", 65000);
    QAction* luna = view->addAction("luna");
    luna->setProperty("langId", ids::kCmdStyleLuna);
    c.LocalizeMenu(nullptr);
    EXPECT_EQ(c.m_menuPopupCount, 0);
    c.LocalizeMenu(&bar);
    // Only the first pop-up after a reset takes text 166.
    EXPECT_EQ(file->menuAction()->text(), "File(&F)");
    EXPECT_EQ(view->menuAction()->text(), "View");
    EXPECT_EQ(c.m_menuPopupCount, 2);
    EXPECT_EQ(login->text(), "&Login...");
    EXPECT_EQ(unknown->text(), "kept");
    EXPECT_EQ(luna->text(), "Office 2007 Luna\t(&L)");

    CAboutDlg about(c);
    EXPECT_EQ(about.windowTitle(), "Zentry  [1.04]");
    QStringList buttons;
    for (QPushButton* button : about.findChildren<QPushButton*>())
        if (button->isVisibleTo(&about)) buttons << button->text();
    EXPECT_TRUE(buttons.contains("Release Notes")) << buttons.join('|').toStdString();
    EXPECT_TRUE(buttons.contains("OK"));
    EXPECT_FALSE(buttons.contains("Gen Lang"));
}

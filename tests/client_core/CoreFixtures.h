// Shared pieces of the client-core tests: an answerer for the message boxes
// the code under test opens, a real lumenolite with the demo database, and
// client contexts set up in their own temp folders.
#pragma once

#include "CAppContext.h"
#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <string>

// Answers every modal message box (Yes or No for questions, OK otherwise)
// and keeps their texts.
class CModalAnswerer : public QObject {
public:
    CModalAnswerer();
    void SetAnswerYes(bool yes) { m_yes = yes; }
    QString Joined() const { return m_texts.join(" | "); }
    QStringList m_texts;

private:
    void Poll();
    QTimer m_timer;
    bool m_yes = true;
};

struct CSettingsValues {
    std::string server = "127.0.0.1";
    int port = 0;
    std::string user = "admin";
    std::string password = "admin";
    std::string language = "english";
    std::string defaultProject = "";
    std::string guiStyle = "3";
    std::string windowX = "1024";
    std::string windowY = "720";
    std::string background = "RGB(208,212,221)";
};
// A complete korvandix.ini (every key of the three sections).
std::string SettingsText(const CSettingsValues& values);
bool WriteText(const QString& path, const std::string& text);
std::string ReadText(const QString& path);

class CDemoServer {
public:
    // A lumenolite with the demo database on a free port: the client's
    // separators, auth 1, password coding as given; extraSql runs on the
    // database first; userConfig, when not null, becomes user_config.ini.
    bool Start(bool passEncode = true, const std::string& extraSql = "",
               const char* userConfig = "ftp_user=zentry\nftp_pass=secret\nftp_port=2121\n"
                                        "attach_path=/attach\nclient_version=1.0\n");
    int Port() const { return server ? server->Port() : 0; }
    bool Restart();
    // One value through the server (first column of the first row).
    std::string Value(const std::string& sql);

    std::unique_ptr<CServerFixture> server;
};

// A suite sharing one demo server; SetUpTestSuite calls StartServer.
class CDemoServerTest : public ::testing::Test {
protected:
    static void StartServer(bool passEncode = true, const std::string& extraSql = "",
                            const char* userConfig = nullptr) {
        s_server = std::make_unique<CDemoServer>();
        const bool started = userConfig ? s_server->Start(passEncode, extraSql, userConfig)
                                        : s_server->Start(passEncode, extraSql);
        ASSERT_TRUE(started) << s_server->server->Output();
    }
    static void TearDownTestSuite() { s_server.reset(); }

    static std::unique_ptr<CDemoServer> s_server;
};

// A context whose writable folders are a fresh temp folder; the settings
// file there holds the values given. LoadSettings is left to the caller.
class CTestContext {
public:
    explicit CTestContext(const CSettingsValues& values);
    QString Dir() const { return m_dir.path(); }
    // LoadSettings, Login and LoadMetadata; false with the messages shown.
    bool LogIn(CModalAnswerer& answerer, QString& why);

    CAppContext context;

private:
    QTemporaryDir m_dir;
};

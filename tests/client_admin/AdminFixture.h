// A real lumenolite with the demo database and a client context logged in
// to it as admin, for the administration tests; message boxes the code
// under test opens are answered and recorded.
#pragma once

#include "CAppContext.h"
#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTimer>

#include <memory>
#include <string>

// Answers every modal message box (Yes or No for questions, OK otherwise)
// and keeps their texts.
class CModalAnswerer : public QObject {
public:
    CModalAnswerer();
    void SetAnswerYes(bool yes) { m_yes = yes; }
    QStringList m_texts;

private:
    void Poll();
    QTimer m_timer;
    bool m_yes = true;
};

class CAdminServer {
public:
    // extraSql runs on the demo database before the server starts.
    bool Start(const std::string& extraSql = "");
    // Logs the context in (admin unless another user is given), metadata loaded.
    bool Login(CAppContext& context, const char* user = "admin", const char* password = "admin");
    QString Value(CAppContext& context, const QString& sql);
    int Count(CAppContext& context, const QString& sql) { return Value(context, sql).toInt(); }

    std::unique_ptr<CServerFixture> server;
    std::string settingsPath;
};

// One server for the suite; each test gets a fresh logged-in context.
class AdminTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite() { s_server.reset(); }
    void SetUp() override;
    int Count(const QString& sql) { return s_server->Count(m_context, sql); }
    QString Value(const QString& sql) { return s_server->Value(m_context, sql); }
    // Runs a statement directly (setting up a case).
    bool Exec(const QString& sql);
    // Saves a widget's picture as <build>/screenshots/<name>.png.
    static bool SaveShot(QWidget* widget, const QString& name);

    static std::unique_ptr<CAdminServer> s_server;
    CAppContext m_context;
    CModalAnswerer m_answerer;
};

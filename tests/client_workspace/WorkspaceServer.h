// A real lumenolite with the demo database, and a client context logged in
// to it with its metadata loaded, for the workspace's tests. Message boxes
// that the code under test opens are answered and recorded.
#pragma once

#include "CAppContext.h"
#include "ServerFixture.h"

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

class CWorkspaceServer {
public:
    // extraSql runs on the demo database before the server starts.
    bool Start(const std::string& extraSql = "");
    // A fresh context logged in as admin with the metadata loaded.
    bool Login(CAppContext& context);
    // First value of the first row, through the server.
    QString Value(CAppContext& context, const QString& sql);
    int Count(CAppContext& context, const QString& sql) { return Value(context, sql).toInt(); }

    std::unique_ptr<CServerFixture> server;
    std::string settingsPath;
};

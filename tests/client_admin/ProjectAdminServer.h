// A real lumenolite with the demo database and a client context logged in
// to it, for the project, lookup-list and workflow dialogs' tests; message
// boxes the code under test opens are answered and recorded.
#pragma once

#include "CAppContext.h"
#include "QtText.h"
#include "ServerFixture.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace projectadmin {

// Answers every modal message box (Yes or No for questions, OK otherwise)
// and keeps their texts.
class CBoxAnswerer : public QObject {
public:
    CBoxAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            m_texts << box->text();
            if (box->standardButtons() & QMessageBox::Yes)
                box->done(m_yes ? QMessageBox::Yes : QMessageBox::No);
            else
                box->done(QMessageBox::Ok);
        });
        m_timer.start(10);
    }
    bool m_yes = true;
    QStringList m_texts;

private:
    QTimer m_timer;
};

class CServer {
public:
    bool Start(const std::string& extraSql = "")
    {
        server = std::make_unique<CServerFixture>("lumenolite");
        server->SetIni("common", "sep", "\\x01");
        server->SetIni("common", "line_sep", "\\x02");
        server->SetIni("common", "auth", "1");
        server->SetIni("common", "use_pass_encode", "1");
        if (!server->Prepare()) return false;
        const std::string make = std::string(ZENTRY_SOURCE_DIR) + "/scripts/make-db '" +
                                 server->DatabasePath() + "' --demo >/dev/null 2>&1";
        if (system(make.c_str()) != 0) return false;
        if (!extraSql.empty() && !server->RunSql(extraSql)) return false;
        std::ofstream(server->Dir() + "/user_config.ini")
            << "ftp_user=zentry!ftp_pass=zentry!ftp_port=21!attach_path=/attach\n";
        settingsPath = server->Dir() + "/korvandix.ini";
        std::ofstream(settingsPath) << "[common]\nuser_name=admin\nuser_passwd=admin\nserver=127.0.0.1\n"
                                       "tcp_port="
                                    << server->Port() << "\n[pstyle]\nfill_background=0\nlanguage=english\ndefault_prj=Demo\n";
        return server->Start();
    }
    bool Login(CAppContext& context, const char* user = "admin", const char* password = "admin")
    {
        context.m_settings.Load(settingsPath.c_str());
        // The loader reads the user's rights by the settings' user name.
        context.m_settings.SetValue("user_name", user, "common");
        context.m_settings.SetValue("user_passwd", password, "common");
        context.m_langTexts.Load((CServerFixture::BinDir() + "/lang/english.ini").c_str());
        CListString error;
        if (!context.m_http.Login("127.0.0.1", server->Port(), user, password, error)) return false;
        context.m_userName = QString::fromUtf8(user);
        return context.LoadMetadata() == 1;
    }
    // The rows of a query read back through the server, "a|b" per row.
    static QStringList Rows(CAppContext& context, const QString& sql)
    {
        CResultSet result;
        CListString error;
        QStringList rows;
        if (context.m_http.Select(sql.toUtf8().constData(), result, error) < 0)
            return {QStringLiteral("ERROR ") + ToQt(error)};
        for (int row = 0; row < result.GetRowCount(); ++row) {
            QStringList cells;
            for (int field = 0; field < result.GetFieldCount(); ++field)
                cells << ToQt(result.GetValueAt(row, field));
            rows << cells.join('|');
        }
        return rows;
    }
    static int Count(CAppContext& context, const QString& sql)
    {
        const QStringList rows = Rows(context, sql);
        return rows.isEmpty() ? -1 : rows.first().toInt();
    }

    std::unique_ptr<CServerFixture> server;
    std::string settingsPath;
};

// Saves a window's picture as <build>/screenshots/<name>.png.
inline bool SaveScreenshot(QWidget& widget, const QString& name)
{
    const QString dir = QStringLiteral(ZENTRY_TEST_OUT_DIR);
    QDir().mkpath(dir);
    widget.show();
    QApplication::processEvents();
    return widget.grab().save(dir + "/" + name + ".png");
}

// A logged-in admin context on a fresh demo database per test.
class ProjectAdminTest : public ::testing::Test {
protected:
    void StartWith(const std::string& extraSql)
    {
        ASSERT_TRUE(s.Start(extraSql)) << (s.server ? s.server->Output() : std::string());
        ASSERT_TRUE(s.Login(ctx));
    }
    void SetUp() override
    {
        if (!CServerFixture::Missing("lumenolite").empty()) GTEST_SKIP() << CServerFixture::Missing("lumenolite");
    }
    QStringList Rows(const QString& sql) { return CServer::Rows(ctx, sql); }
    int Count(const QString& sql) { return CServer::Count(ctx, sql); }

    CServer s;
    CAppContext ctx;
    CBoxAnswerer answers;
};

}  // namespace projectadmin

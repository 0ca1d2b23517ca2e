#include "AdminFixture.h"

#include "QtText.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>
#include <fstream>

std::unique_ptr<CAdminServer> AdminTest::s_server;

CModalAnswerer::CModalAnswerer()
{
    connect(&m_timer, &QTimer::timeout, this, &CModalAnswerer::Poll);
    m_timer.start(20);
}

void CModalAnswerer::Poll()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    m_texts << box->text();
    if (box->standardButtons() & QMessageBox::Yes)
        box->done(m_yes ? QMessageBox::Yes : QMessageBox::No);
    else
        box->done(QMessageBox::Ok);
}

bool CAdminServer::Start(const std::string& extraSql)
{
    server = std::make_unique<CServerFixture>("lumenolite");
    server->SetIni("common", "sep", "\\x01");
    server->SetIni("common", "line_sep", "\\x02");
    server->SetIni("common", "auth", "1");
    server->SetIni("common", "use_pass_encode", "1");
    if (!server->Prepare()) return false;
    const std::string make = std::string(ZENTRY_SOURCE_DIR) + "/scripts/make-db '" + server->DatabasePath() +
                             "' --demo >/dev/null 2>&1";
    if (system(make.c_str()) != 0) return false;
    if (!extraSql.empty() && !server->RunSql(extraSql)) return false;
    std::ofstream(server->Dir() + "/user_config.ini")
        << "ftp_user=zentry!ftp_pass=zentry!ftp_port=21!attach_path=/attach\n";
    settingsPath = server->Dir() + "/korvandix.ini";
    std::ofstream(settingsPath) << "[common]\nuser_name=admin\nuser_passwd=admin\nserver=127.0.0.1\ntcp_port="
                                << server->Port() << "\n[pstyle]\nfill_background=0\nlanguage=english\n";
    return server->Start();
}

bool CAdminServer::Login(CAppContext& context, const char* user, const char* password)
{
    context.m_settings.Load(settingsPath.c_str());
    context.m_settings.SetValue("user_name", user, "common");
    context.m_settings.SetValue("user_passwd", password, "common");
    context.m_langTexts.Load((CServerFixture::BinDir() + "/lang/english.ini").c_str());
    CListString error;
    if (!context.m_http.Login("127.0.0.1", server->Port(), user, password, error)) return false;
    context.m_userName = QString::fromUtf8(user);
    return context.LoadMetadata() == 1;
}

QString CAdminServer::Value(CAppContext& context, const QString& sql)
{
    CResultSet result;
    CListString error;
    if (context.m_http.Select(sql.toUtf8().constData(), result, error) < 1) return QString();
    return ToQt(result.GetValueAt(0, 0));
}

void AdminTest::SetUpTestSuite()
{
    s_server = std::make_unique<CAdminServer>();
    ASSERT_TRUE(s_server->Start()) << s_server->server->Output();
}

void AdminTest::SetUp()
{
    ASSERT_TRUE(s_server && s_server->Login(m_context)) << s_server->server->Output();
}

bool AdminTest::Exec(const QString& sql)
{
    CListString error;
    return m_context.m_http.ExecSql(sql.toUtf8().constData(), error);
}

bool AdminTest::SaveShot(QWidget* widget, const QString& name)
{
    QDir().mkpath(QStringLiteral(ZENTRY_TEST_OUT_DIR));
    return widget->grab().save(QStringLiteral(ZENTRY_TEST_OUT_DIR "/") + name + ".png");
}

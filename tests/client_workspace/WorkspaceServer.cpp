#include "WorkspaceServer.h"

#include "QtText.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdlib>
#include <fstream>

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

bool CWorkspaceServer::Start(const std::string& extraSql)
{
    server = std::make_unique<CServerFixture>("lumenolite");
    server->SetIni("common", "sep", "\\x01");
    server->SetIni("common", "line_sep", "\\x02");
    server->SetIni("common", "auth", "1");
    server->SetIni("common", "use_pass_encode", "1");
    server->SetIni("common", "one_fetch_count", "1000");
    if (!server->Prepare()) return false;
    const std::string make = std::string(ZENTRY_SOURCE_DIR) + "/scripts/make-db '" +
                             server->DatabasePath() + "' --demo >/dev/null 2>&1";
    if (system(make.c_str()) != 0) return false;
    if (!extraSql.empty() && !server->RunSql(extraSql)) return false;
    std::ofstream(server->Dir() + "/user_config.ini")
        << "ftp_user=zentry!ftp_pass=zentry!ftp_port=21!attach_path=/attach\n";
    settingsPath = server->Dir() + "/korvandix.ini";
    std::ofstream(settingsPath) << "[common]\nuser_name=admin\nuser_passwd=admin\n"
                                   "server=127.0.0.1\ntcp_port="
                                << server->Port()
                                << "\n[pstyle]\nfill_background=0\nlanguage=english\n"
                                   "[bug]\nnew_color=RGB(0,0,255)\nfixed_color=RGB(0,128,0)\n"
                                   "closed_color=RGB(128,128,128)\ndelay_color=RGB(255,128,0)\n"
                                   "reject_color=RGB(255,0,0)\n";
    return server->Start();
}

bool CWorkspaceServer::Login(CAppContext& context)
{
    context.m_settings.Load(settingsPath.c_str());
    context.m_langTexts.Load((CServerFixture::BinDir() + "/lang/english.ini").c_str());
    CListString error;
    if (!context.m_http.Login("127.0.0.1", server->Port(), "admin", "admin", error)) return false;
    context.m_userName = QStringLiteral("admin");
    return context.LoadMetadata() == 1;
}

QString CWorkspaceServer::Value(CAppContext& context, const QString& sql)
{
    CResultSet result;
    CListString error;
    if (context.m_http.Select(sql.toUtf8().constData(), result, error) < 1) return QString();
    return ToQt(result.GetValueAt(0, 0));
}

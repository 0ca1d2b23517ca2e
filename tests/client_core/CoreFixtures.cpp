#include "CoreFixtures.h"

#include "QtText.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

#include <cstdlib>
#include <fstream>

CModalAnswerer::CModalAnswerer() {
    connect(&m_timer, &QTimer::timeout, this, &CModalAnswerer::Poll);
    m_timer.start(10);
}

void CModalAnswerer::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    m_texts << box->text();
    if (box->standardButtons() & QMessageBox::Yes)
        box->done(m_yes ? QMessageBox::Yes : QMessageBox::No);
    else
        box->done(QMessageBox::Ok);
}

std::string SettingsText(const CSettingsValues& v) {
    return "#Zentry配置管理工具\n[pstyle]\nwindow_init_x=" + v.windowX + "\nwindow_init_y=" + v.windowY +
           "\nlanguage=" + v.language + "\nbackground_color=" + v.background +
           "\nfill_background=0\ndefault_prj=" + v.defaultProject + "\ngui_style=" + v.guiStyle +
           "\n\n[common]\nserver=" + v.server + "\ntcp_port=" + std::to_string(v.port) +
           "\nuser_name=" + v.user + "\nuser_passwd=" + v.password +
           "\n\n[bug]\nnew_color=RGB(200,0,0)\nfixed_color=RGB(0,128,0)\nclosed_color=RGB(128,128,128)\n"
           "delay_color=RGB(160,96,0)\nreject_color=RGB(0,0,192)\n";
}

bool WriteText(const QString& path, const std::string& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
}

std::string ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::string();
    return file.readAll().toStdString();
}

std::unique_ptr<CDemoServer> CDemoServerTest::s_server;

bool CDemoServer::Start(bool passEncode, const std::string& extraSql, const char* userConfig) {
    server = std::make_unique<CServerFixture>("lumenolite");
    server->SetIni("common", "sep", "\\x01");
    server->SetIni("common", "line_sep", "\\x02");
    server->SetIni("common", "auth", "1");
    server->SetIni("common", "use_pass_encode", passEncode ? "1" : "0");
    server->SetIni("common", "web_form_root", "/Lumeno");
    if (!server->Prepare()) return false;
    const std::string make = std::string(ZENTRY_SOURCE_DIR) + "/scripts/make-db '" +
                             server->DatabasePath() + "' --demo >/dev/null 2>&1";
    if (system(make.c_str()) != 0) return false;
    if (!extraSql.empty() && !server->RunSql(extraSql)) return false;
    if (userConfig) std::ofstream(server->Dir() + "/user_config.ini") << userConfig;
    return server->Start();
}

bool CDemoServer::Restart() {
    return server && server->Stop() && server->Start();
}

std::string CDemoServer::Value(const std::string& sql) {
    CHttpDataClient client;
    CListString error;
    if (!client.Login("127.0.0.1", Port(), "admin", "admin", error)) return "login failed";
    CResultSet result;
    if (client.Select(sql.c_str(), result, error) < 1) return std::string();
    return result.GetValueAt(0, 0).StdString();
}

CTestContext::CTestContext(const CSettingsValues& values) {
    context.m_configDir = m_dir.path();
    context.m_cacheDir = m_dir.path();
    WriteText(context.SettingsPath(), SettingsText(values));
}

bool CTestContext::LogIn(CModalAnswerer& answerer, QString& why) {
    if (!context.LoadSettings()) {
        why = "settings: " + answerer.Joined() + context.m_lastMessage;
        return false;
    }
    CListString error;
    if (!context.Login(error)) {
        why = "login: " + ToQt(error);
        return false;
    }
    if (context.LoadMetadata() != 1) {
        why = "metadata: " + answerer.Joined();
        return false;
    }
    return true;
}

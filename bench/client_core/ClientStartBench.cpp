// Client start-up against a local lumenolite with 100 000 defects and 200
// users. Prints, best and median of several runs:
//  - the program Zentry from its start to its main window shown after an
//    automatic login (target under 1 s), and beside it the same program
//    stopped by a bad option right after Qt came up (the floor of any start);
//  - CAppContext::LoadMetadata alone (target under 300 ms), and beside it the
//    same selects and get_user_config sent by plain libcurl.
#include "CAppContext.h"
#include "CMd5Digest.h"
#include "ParamCoding.h"
#include "ServerFixture.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

const int kDefects = 100000;
const int kUsers = 200;
const int kRounds = 7;

typedef std::chrono::steady_clock Clock;

double Ms(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
    double best;
    double median;
};

Figures Measure(const std::function<double()>& run) {
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) times.push_back(run());
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

std::string SeedSql() {
    std::string sql = "BEGIN;";
    sql += "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" + std::to_string(kUsers) +
           ") INSERT INTO t_cfg_st_user (USER_NAME,USER_PASSWD,USER_FULLNAME,USER_MAIL,DEPT_NAME,"
           "USER_FIELD_RIGHT,USER_FIELD_QUERY) SELECT 'user'||i,'" + CMd5Digest("pw").GetHexText() +
           "','User '||i,'user'||i||'@example.com',CASE i%2 WHEN 0 THEN '研发部' ELSE '测试部' END,"
           "'1000000000111111111111111111111111100000000000000000000000000000',"
           "'0000000000111110011000000000000000000000000000000000000000000000' FROM n;";
    sql += "INSERT INTO t_user_prj (USER_NAME,PRJ_NAME) SELECT USER_NAME,'Demo' FROM t_cfg_st_user "
           "WHERE USER_NAME LIKE 'user%';";
    sql += "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" + std::to_string(kDefects) +
           ") INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,BG_SEVERITY,BG_PRIORITY,BG_RESPONSIBLE,"
           "BG_DETECTED_BY,BG_DETECTION_DATE,BG_DETECTION_VERSION,BG_DESCRIPTION) SELECT 1000+i,"
           "CASE i%7 WHEN 0 THEN '00-New' WHEN 1 THEN '01-Open' WHEN 2 THEN '02-Fixed' WHEN 3 THEN '03-Closed' "
           "WHEN 4 THEN '04-ReOpen' WHEN 5 THEN '05-Reject' ELSE '06-Delay' END,"
           "CASE i%2 WHEN 0 THEN 'Demo' ELSE 'Zentry演示' END,'defect number '||i,'01-中','02-低',"
           "'user'||(i%200+1),'user'||((i+7)%200+1),'2008-01-01 09:00:00','1.0','steps to reproduce '||i FROM n;";
    sql += "UPDATE T_CFG_SEQ SET SEQ_VALUE=" + std::to_string(kDefects + 1001) + ";COMMIT;";
    return sql;
}

size_t Collect(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// One GET with its own libcurl handle (as the client makes them), the
// reply body in out.
bool Get(const std::string& url, std::string& out) {
    out.clear();
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &out);
    const bool ok = curl_easy_perform(curl) == CURLE_OK;
    curl_easy_cleanup(curl);
    return ok;
}

std::string Escape(CURL* curl, const std::string& text) {
    char* escaped = curl_easy_escape(curl, text.c_str(), static_cast<int>(text.size()));
    std::string result = escaped ? escaped : "";
    curl_free(escaped);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ZENTRY_PROGRAM_DIR", CServerFixture::BinDir().c_str());
    QApplication application(argc, argv);

    CServerFixture server("lumenolite");
    server.SetIni("common", "sep", "\\x01");
    server.SetIni("common", "line_sep", "\\x02");
    server.SetIni("common", "auth", "1");
    server.SetIni("common", "use_pass_encode", "1");
    server.SetIni("common", "web_form_root", "/Lumeno");
    if (!server.Prepare()) {
        fprintf(stderr, "cannot prepare the server folder\n");
        return 1;
    }
    const std::string make = std::string(ZENTRY_SOURCE_DIR) + "/scripts/make-db '" + server.DatabasePath() +
                             "' --demo >/dev/null 2>&1";
    if (system(make.c_str()) != 0 || !server.RunSql(SeedSql())) {
        fprintf(stderr, "cannot build the database\n");
        return 1;
    }
    std::ofstream(server.Dir() + "/user_config.ini")
        << "ftp_user=zentry\nftp_pass=zentry\nftp_port=2121\nattach_path=/attach\nrelease_path=/release\n"
           "client_version=1.0\nmail_server=127.0.0.1\nmail_port=2525\n";
    if (!server.Start()) {
        fprintf(stderr, "the server did not start:\n%s\n", server.Output().c_str());
        return 1;
    }
    printf("lumenolite with %d defects and %d users on port %d\n", kDefects, kUsers, server.Port());

    QTemporaryDir config;
    const std::string settings =
        "#Zentry配置管理工具\n[pstyle]\nwindow_init_x=1024\nwindow_init_y=720\nlanguage=zh_cn\n"
        "background_color=RGB(208,212,221)\nfill_background=0\ndefault_prj=Demo\ngui_style=3\n\n"
        "[common]\nserver=127.0.0.1\ntcp_port=" + std::to_string(server.Port()) +
        "\nuser_name=admin\nuser_passwd=admin\n\n[bug]\nnew_color=RGB(200,0,0)\n";
    {
        QFile file(config.path() + "/korvandix.ini");
        file.open(QIODevice::WriteOnly);
        file.write(settings.data(), static_cast<qint64>(settings.size()));
    }

    // The program, started as users start it.
    const QString program = QString::fromStdString(CServerFixture::BinDir()) + "/Zentry";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    bool failed = false;
    auto start = [&](const QStringList& arguments, bool expectWindow) {
        QProcess zentry;
        zentry.setProcessEnvironment(env);
        const Clock::time_point begin = Clock::now();
        zentry.start(program, arguments);
        double shown = -1;
        while (zentry.state() != QProcess::NotRunning || zentry.bytesAvailable()) {
            zentry.waitForReadyRead(50);
            if (zentry.readAllStandardOutput().contains("main window shown")) {
                shown = Ms(begin);
                break;
            }
            if (zentry.state() == QProcess::NotRunning) break;
        }
        zentry.waitForFinished(30000);
        if (expectWindow && shown < 0) {
            fprintf(stderr, "Zentry did not show its main window: %s\n",
                    zentry.readAllStandardError().constData());
            failed = true;
        }
        return expectWindow ? shown : Ms(begin);
    };
    const QStringList autologin = {"--config-dir", config.path(), "--autologin", "--exit-after-start"};
    start(autologin, true);  // warm the file cache
    const Figures program_ = Measure([&] { return start(autologin, true); });
    const Figures floor = Measure([&] { return start({"--config-dir", config.path(), "--bogus"}, false); });
    printf("start to main window (automatic login): best %.1f ms, median %.1f ms (target < 1000 ms)\n",
           program_.best, program_.median);
    printf("  a start that ends right after Qt is up: best %.1f ms, median %.1f ms; ratio %.2f\n", floor.best,
           floor.median, program_.best / floor.best);

    // The metadata load alone, in this process.
    CAppContext context;
    context.m_configDir = context.m_cacheDir = config.path();
    if (!context.LoadSettings()) {
        fprintf(stderr, "settings: %s\n", context.m_lastMessage.toUtf8().constData());
        return 1;
    }
    CListString error;
    if (!context.Login(error)) {
        fprintf(stderr, "login: %s\n", error.CStr());
        return 1;
    }
    const Figures metadata = Measure([&] {
        const Clock::time_point begin = Clock::now();
        if (context.LoadMetadata() != 1) {
            fprintf(stderr, "metadata: %s\n", context.m_lastMessage.toUtf8().constData());
            failed = true;
        }
        return Ms(begin);
    });
    printf("metadata load: best %.1f ms, median %.1f ms (target < 300 ms); %d users, %d lookup rows\n",
           metadata.best, metadata.median, context.m_users.GetRowCount(), context.m_params.GetRowCount());

    // Reference: the same requests by plain libcurl, a handle each.
    const char* const selects[] = {
        "select distinct prj_name from t_user_prj where user_name='admin' ",
        "select USER_FIELD_RIGHT from t_cfg_st_user where user_name='admin'",
        "select user_name,group_name from t_user_group where user_name='admin'",
        "select PARAMETER_TYPE_ID,PARAMETER_NAME,PARAMETER_ENABLE from T_CFG_PARAM where "
        "parameter_name<>'----------'  order by parameter_name",
        "select COLUMN_NAME,USER_LABEL,COLUMN_ORDER,IS_USED,REF_LIST,EDIT_STYLE,HEIGHT,WIDTH,LSIZE from "
        "t_cfg_sys_list  order by COLUMN_ORDER",
        "select distinct user_name,user_fullname,dept_name,USER_FIELD_QUERY,USER_MAIL from t_cfg_st_user "
        "where user_name <> 'admin'  order by user_name ",
        "select distinct dept_name,dept_desc from t_dept",
        "select distinct prj_name,version_no from t_cfg_version",
        "select distinct TR_RULES_FROM,TR_RULES_TO from T_BUG_TRANS_RULE where COLUMN_NAME='BG_STATUS' ",
        "select distinct name,alias from t_alias ",
        "select PRJ_CUSTOM_FIELD from t_prj where prj_name='Demo' "};
    CURL* curl = curl_easy_init();
    const std::string base = "http://127.0.0.1:" + std::to_string(server.Port()) + "/Lumeno/";
    const std::string session = context.m_http.GetSessionId();
    const Figures raw = Measure([&] {
        const Clock::time_point begin = Clock::now();
        std::string reply;
        for (const char* sql : selects) {
            const std::string params = std::string("maxcount=1000&sql=") + EncodeParam(sql).CStr();
            Get(base + "select2?" + Escape(curl, params) + "&session_id=" + session, reply);
        }
        Get(base + "get_user_config?session_id=" + session, reply);
        return Ms(begin);
    });
    curl_easy_cleanup(curl);  // used for escaping only
    printf("  the same requests by plain libcurl: best %.1f ms, median %.1f ms; ratio %.2f\n", raw.best,
           raw.median, metadata.best / raw.best);

    const bool met = !failed && program_.median < 1000 && metadata.median < 300;
    printf("%s\n", met ? "targets met" : "TARGETS MISSED");
    return met ? 0 : 1;
}

#include "CServerConfig.h"

#include "CSessionTable.h"
#include "ReadIniValue.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace {

const char* const kBlock = "Lumeno";

#ifdef ZENTRY_DB_SQLITE
// The file server must find its own database file: the default names one
// beside the program.
const char* const kDefaultDatabase = "db_type=SQLite\n"
                                     "db_user=korvandix\n"
                                     "db_passwd=plumtree7\n"
                                     "db_server=lumenolite.db\n";
#else
const char* const kDefaultDatabase = "db_type=Access\n"
                                     "db_user=korvandix\n"
                                     "db_passwd=plumtree7\n"
                                     "db_server=korvandix\n";
#endif

const char* const kDefaultHead =
    "[common]\n"
    "#TCP服务端口号\n"
    "tcp_port=8780\n"
    "\n"
    "#最大返回行数\n"
    "max_count=4000\n"
    "#数据据自动提交类型,0代表非自动,1代表自动\n"
    "commit_type=1\n"
    "#查询返回时的时间格式0=yyyy-mm-dd hh:mi:ss,1=yyyymmddhh24miss \n"
    "date_format=0\n"
    "#是否去掉取的左右空格,0代表不去掉,1代表去掉\n"
    "trim_space=0\n"
    "#如果分批取数据时，指定每次取数据的条数,就是说使用selectNext命令时有效\n"
    "one_fetch_count=10\n"
    "#返回时字段间的分割符\n"
    "#\\r\\n代表windows上的换行,\\n代表是unix类型的换行,另外\\t代表tab\n"
    "#\\x方式不能与上面的方式混用,windows上代表换行\\xd\\xa,unix上则用\\xa\n"
    "sep=|\n"
    "#返回时行的分割符,如果是特殊字符有两个输入方法\n"
    "line_sep=\\n\n"
    "#查询语句至现在为止的超时时间,以秒为单位\n"
    "query_timeout=10\n"
    "#是否记录SQL语句至日志文件,0代表不记录,1代表记录\n"
    "log_sql=1\n"
    "#是否使用用户认证\n"
    "auth=0\n"
    "\n"
    "[database]\n"
    "#数据库类型\n";

const char* const kDefaultTail =
    "\n"
    "[plugin]\n"
    "#插件动态联结库的名称，必须放到plugin目录下\n"
    "user_plugin=kelv_plugin.dll\n"
    "\n"
    "#check函数的执行间隔,以秒为单位\n"
    "user_plugin_checktime=2\n";

// Replaces every occurrence, continuing after the inserted text.
void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

}  // namespace

std::string DecodeSeparatorEscapes(const std::string& input) {
    std::string text = input;
    static const struct {
        const char* from;
        char to;
    } kEscapes[] = {{"\\a", '\a'}, {"\\b", '\b'}, {"\\f", '\f'},  {"\\n", '\n'},
                    {"\\r", '\r'}, {"\\t", '\t'}, {"\\v", '\v'},  {"\\\\", '\\'},
                    {"\\'", '\''}, {"\\\"", '"'}};
    for (const auto& e : kEscapes) ReplaceAll(text, e.from, std::string(1, e.to));
    if (text.find("\\x") == std::string::npos) return text;
    // Hex form: every piece between backslashes and x's is one character code.
    std::string result;
    std::string piece;
    auto flush = [&]() {
        unsigned int code = 0;
        if (sscanf(piece.c_str(), "%x", &code) != 1) code = 0;
        char c = static_cast<char>(code & 0xFF);
        if (c != 0) result.push_back(c);
        piece.clear();
    };
    for (char c : text) {
        if (c == '\\' || c == 'x') {
            flush();
        } else {
            piece.push_back(c);
        }
    }
    flush();
    return result;
}

std::string CServerConfig::IniPath() const {
    return programDir + "/" + baseName + ".ini";
}

bool CServerConfig::WriteDefaultFile() {
    const std::string path = IniPath();
    if (FILE* existing = fopen(path.c_str(), "rb")) {
        fclose(existing);
        return false;
    }
    // Written beside the final name and renamed, so a reader never sees half.
    const std::string temp = path + ".tmp";
    FILE* file = fopen(temp.c_str(), "wb");
    if (!file) return false;
    std::string text = std::string("{$") + kBlock + "}\n" + kDefaultHead + kDefaultDatabase +
                       kDefaultTail;
    bool ok = fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = (fclose(file) == 0) && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

bool CServerConfig::Load(const std::string& dir, const std::string& base, CDbConnection& db,
                         CSessionTable& sessions) {
    programDir = dir;
    baseName = base;
    WriteDefaultFile();
    const std::string path = IniPath();
    auto readText = [&](const char* section, const char* key, std::string& field) {
        std::string value;
        if (ReadIniValue(path.c_str(), kBlock, section, key, value) == 1) field = value;
    };
    auto readNumber = [&](const char* section, const char* key) -> int {
        std::string value;
        if (ReadIniValue(path.c_str(), kBlock, section, key, value) != 1) return 0;
        return static_cast<int>(atol(value.c_str()));
    };
    maxCount = readNumber("common", "max_count");
    auth = readNumber("common", "auth");
    tcpPort = readNumber("common", "tcp_port");
    queryTimeout = readNumber("common", "query_timeout");
    commitType = readNumber("common", "commit_type");
    dateFormat = readNumber("common", "date_format");
    trimSpace = readNumber("common", "trim_space");
    usePassEncode = readNumber("common", "use_pass_encode");
    oneFetchCount = readNumber("common", "one_fetch_count");
    logSql = readNumber("common", "log_sql");
    readText("common", "sep", sep);
    readText("common", "line_sep", lineSep);
    readText("database", "db_type", dbType);
    readText("database", "db_user", dbUser);
    readText("database", "db_passwd", dbPasswd);
    readText("database", "db_server", dbServer);
    readText("database", "db_file", dbFile);
    readText("common", "web_form_root", webFormRoot);
    readText("plugin", "user_plugin", userPlugin);
    enablePlugin = readNumber("plugin", "enable_plugin");
    sessionLifetime = readNumber("common", "user_plugin_checktime");
    enableExecCommand = readNumber("common", "enable_exec_command") == 1 ? 1 : 0;
    enableSetTime = readNumber("common", "enable_set_time") == 1 ? 1 : 0;
    sweepPasses = readNumber("common", "sweep_passes");
    readText("common", "bind_address", bindAddress);
    // A missing or unusable limit keeps its default.
    auto readLimit = [&](const char* key, int& field, int low, int high) {
        const int value = readNumber("common", key);
        if (value >= low && value <= high) field = value;
    };
    readLimit("num_threads", numThreads, 1, 16384);
    readLimit("connection_queue", connectionQueue, 1, 65536);
    readLimit("request_timeout_ms", requestTimeoutMs, 100, 3600000);
    readLimit("keep_alive_timeout_ms", keepAliveTimeoutMs, 100, 3600000);
    readLimit("max_request_kb", maxRequestKb, 16, 1024 * 1024);
    std::string readers;
    if (ReadIniValue(path.c_str(), kBlock, "common", "read_connections", readers) == 1)
        readConnections = std::max(0, std::min(atoi(readers.c_str()), kMostReadConnections));
    else
        readConnections = DefaultReadConnections();

    if (queryTimeout < 1) queryTimeout = 600;
    if (sessionLifetime < 1) sessionLifetime = 1800;
    if (enablePlugin > 0) enablePlugin = 1;
    if (sweepPasses < 1) sweepPasses = 5000;

    DecodeEscapes(0);
    DecodeEscapes(1);
    PushDbOptions(db);
    sessions.SetLifetime(sessionLifetime);
    return true;
}

void CServerConfig::DecodeEscapes(int which) {
    std::string& field = which == 0 ? sep : lineSep;
    field = DecodeSeparatorEscapes(field);
}

void CServerConfig::PushDbOptions(CDbConnection& db) const {
    db.SetOption(1, std::to_string(maxCount).c_str());
    db.SetOption(2, std::to_string(commitType).c_str());
    db.SetOption(3, std::to_string(dateFormat).c_str());
    db.SetOption(5, std::to_string(oneFetchCount).c_str());
    db.SetOption(6, sep.c_str());
    db.SetOption(8, lineSep.c_str());
    db.SetOption(7, std::to_string(queryTimeout).c_str());
    // Every statement, not only an idle paged query, is held to query_timeout.
    db.SetStatementTimeout(queryTimeout);
    db.SetReadConnections(readConnections);
}

int CServerConfig::DefaultReadConnections() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::max(2u, std::min(cores, 8u)));
}

bool CServerConfig::ConnectDb(CDbConnection& db, const char* user, const char* password,
                              const char* server) const {
    return db.Connect(user, password, server, "");
}

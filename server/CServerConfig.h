// CServerConfig: the settings of the data-service server, read once at
// start-up from "<program dir>/<base name>.ini" (block "Lumeno").
#pragma once

#include "DbConnection.h"

#include <string>

class CSessionTable;

class CServerConfig {
public:
    // Writes the default file when there is none, reads every key, applies
    // the floors, decodes the separators, pushes the query options to the
    // database object and sets the session lifetime. Always true.
    bool Load(const std::string& programDir, const std::string& baseName, CDbConnection& db,
              CSessionTable& sessions);
    bool WriteDefaultFile();
    // 0: the separator, 1: the line separator.
    void DecodeEscapes(int which);
    void PushDbOptions(CDbConnection& db) const;
    bool ConnectDb(CDbConnection& db, const char* user, const char* password,
                   const char* server) const;

    std::string IniPath() const;

    int queryTimeout = 0;
    int maxCount = 0;
    int commitType = 0;
    int dateFormat = 0;
    int trimSpace = 0;
    int oneFetchCount = 0;
    std::string sep;
    std::string lineSep;
    int logSql = 0;
    int auth = 0;
    int tcpPort = 0;
    int sessionLifetime = 0;
    int usePassEncode = 0;
    std::string dbType;
    std::string dbUser;
    std::string dbPasswd;
    std::string dbServer;
    std::string dbFile;
    int enablePlugin = 0;
    std::string userPlugin;
    std::string programDir;
    std::string baseName;
    std::string webFormRoot;
    // Our own keys: exec_command and set_time are off unless enabled; the
    // sweep runs every sweepPasses loop passes; bindAddress limits the
    // listening address.
    int enableExecCommand = 0;
    int enableSetTime = 0;
    int sweepPasses = 5000;
    std::string bindAddress;
    // The web server's limits: worker threads (each serves one connection at
    // a time), accepted connections waiting for one, how long a request may
    // take to arrive and a kept-alive connection may sit idle, and the
    // largest request (URL and headers, or body) in KiB.
    int numThreads = kDefaultNumThreads;
    int connectionQueue = kDefaultConnectionQueue;
    int requestTimeoutMs = kDefaultRequestTimeoutMs;
    int keepAliveTimeoutMs = kDefaultKeepAliveTimeoutMs;
    int maxRequestKb = kDefaultMaxRequestKb;

    static const int kDefaultNumThreads = 1536;
    static const int kDefaultConnectionQueue = 256;
    static const int kDefaultRequestTimeoutMs = 5000;
    static const int kDefaultKeepAliveTimeoutMs = 1000;
    static const int kDefaultMaxRequestKb = 2048;
    // Queries run on this many reader connections beside each other while
    // commit_type is not 0 (read_connections; missing: the machine's cores,
    // from 2 to 8; 0: all on the one connection).
    int readConnections = 0;
    static constexpr int kMostReadConnections = 64;
    static int DefaultReadConnections();
};

// Decodes the escape sequences of a separator value (\n, \t, \x01, ...).
std::string DecodeSeparatorEscapes(const std::string& text);

// CServerState: the server's process-wide objects (configuration, database
// object, session table, plug-in manager) and the one mutex that serialises
// every command handler and the loop's sweeps.
#pragma once

#include "CPluginManager.h"
#include "CServerConfig.h"
#include "CSessionTable.h"
#include "DbConnection.h"

#include <cstdio>
#include <memory>
#include <mutex>

struct CServerState {
    struct FileCloser {
        void operator()(FILE* f) const { fclose(f); }
    };

    CServerConfig config;
    CDbConnection db;
    CSessionTable sessions{1000};
    CPluginManager plugins;
    std::mutex mutex;
    // remote_info.txt of send_mymessage, opened on first use.
    std::unique_ptr<FILE, FileCloser> messageFile;

    // The sweep of the event loop: idle paged queries and expired sessions.
    void Sweep();
    // Database commands run outside the mutex, queries on reader
    // connections several at once. With a commit type of 0 a session's
    // uncommitted work stays on the one connection and everything runs one
    // request at a time.
    bool DatabaseBesideCommands() const { return config.commitType != 0; }
};

// Entry of the data-service server (Lumeno over ODBC, lumenolite over an
// SQLite file): command line, single instance, configuration, database,
// plug-in, web server, then the event loop until SIGINT or SIGTERM.
#include "CInstanceLock.h"
#include "CServerState.h"
#include "CServiceManager.h"
#include "CWebServer.h"
#include "CommandHandlers.h"
#include "CommandLine.h"
#include "Helpers.h"
#include "LogWriter.h"
#include "ServiceNotify.h"

#include <civetweb.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <malloc.h>
#include <strings.h>
#include <ctime>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const int kPortRetries = 5;
const long kPassNanoseconds = 20 * 1000 * 1000;

bool FileExists(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    fclose(f);
    return true;
}

bool CheckSingleInstance(CInstanceLock& lock, const std::string& dir, const std::string& base) {
    switch (lock.Acquire(dir + "/" + base + ".lock")) {
    case CInstanceLock::LOCK_TAKEN:
        break;
    case CInstanceLock::LOCK_HELD_ELSEWHERE:
        LogMessage("You have to close  the same Embedded　Web Server\n");
        LogMessage(" Press any key to exit the system!!\n");
        WaitForKey();
        return false;
    case CInstanceLock::LOCK_FAILED:
        LogMessage("%s\n", lock.GetErrorText().c_str());
        return false;
    }
    // The service's own process passes: it counts as running only once it
    // has told systemd it is ready.
    CServiceManager services;
    if (services.IsServiceRunning(base) == 1) {
        LogMessage("You have started the Embedded　Web Server!!!\n");
        LogMessage("Press any key to exit the system\n");
        WaitForKey();
        return false;
    }
    return true;
}

bool OpenDatabase(CServerState& state) {
    const CServerConfig& c = state.config;
    bool ok;
    if (strcasecmp(c.dbType.c_str(), "SQLite") == 0) {
        const std::string path = c.programDir + "/" + c.dbServer;
        if (c.dbServer.empty() || !FileExists(path)) {
            LogMessage("Database file %s Not Exsist\n", path.c_str());
            return false;
        }
        ok = c.ConnectDb(state.db, path.c_str(), "", "");
    } else {
        ok = c.ConnectDb(state.db, c.dbUser.c_str(), c.dbPasswd.c_str(), c.dbServer.c_str());
    }
    if (!ok) {
        std::string error = state.db.GetErrorText().StdString();
        LogMessage("%s\n", error.empty() ? "cannot open the database" : error.c_str());
        return false;
    }
    // What the server needs of the data source, told before anything runs.
    std::string problem;
    if (!state.db.CheckSetup(problem)) {
        LogMessage("%s\n", problem.c_str());
        return false;
    }
    return true;
}

void LoadPluginAtStart(CServerState& state) {
    if (state.config.enablePlugin > 0 && !LoadConfiguredPlugin(state)) {
        LogMessage("plug-in not loaded: %s\n", state.plugins.GetErrorText().c_str());
    }
}

// Passes of at most 20 ms; every sweepPasses passes the sweep. SIGINT and
// SIGTERM end the loop; SIGUSR1 pauses the commands (the loop holds the
// server mutex) and SIGUSR2 lets them continue.
void EventLoop(CServerState& state, const sigset_t& signals) {
    int passes = 0;
    std::unique_lock<std::mutex> pauseLock(state.mutex, std::defer_lock);
    while (true) {
        const struct timespec timeout = {0, kPassNanoseconds};
        const int sig = sigtimedwait(&signals, nullptr, &timeout);
        if (sig == SIGINT || sig == SIGTERM) break;
        if (sig == SIGUSR1 && !pauseLock.owns_lock()) {
            pauseLock.lock();
            LogMessage("paused\n");
        } else if (sig == SIGUSR2 && pauseLock.owns_lock()) {
            pauseLock.unlock();
            LogMessage("continued\n");
        }
        if (pauseLock.owns_lock()) continue;
        if (++passes >= state.config.sweepPasses) {
            state.Sweep();
            passes = 0;
        }
    }
}

// Every connection, idle or not, holds a descriptor: the soft limit (often
// 1024) is raised as far as the hard limit allows, so the worker threads
// and the connection queue can all be used.
void RaiseDescriptorLimit(const CServerConfig& config) {
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
    const rlim_t wanted = static_cast<rlim_t>(config.numThreads + config.connectionQueue) + 256;
    if (limit.rlim_cur >= wanted) return;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY || limit.rlim_max > wanted ? wanted : limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) LogMessage("cannot raise the open file limit\n");
}

// Each request frees what it allocated (its result set, its reply, the
// driver's rows); with glibc's defaults a worker thread's heap then gives
// the freed top back to the system every time (madvise), which flushes
// every core's TLB and faults the pages in again on the next request: a
// quarter of a 300-row query's time. Freed memory up to these sizes stays.
// Each worker thread would also get a heap of its own (up to eight per
// core), each keeping what it freed: paging through the whole defect list
// left 16-28 MiB behind. One heap per core, from 2 to 8, keeps concurrent
// requests apart and bounds what stays (measured in bench/server_host).
void KeepFreedMemory() {
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 4 * 1024 * 1024);
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    mallopt(M_ARENA_MAX, static_cast<int>(std::clamp(cores, 2L, 8L)));
}

int RunServer(int mode) {
    const std::string dir = GetModulePathPart(0).StdString();
    const std::string base = GetModulePathPart(3).StdString();
    CInstanceLock lock;
    if (!CheckSingleInstance(lock, dir, base)) return -1;

    // Worker threads inherit this mask: only the loop takes the signals.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    sigaddset(&signals, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    auto state = std::make_unique<CServerState>();
    state->config.Load(dir, base, state->db, state->sessions);
    RaiseDescriptorLimit(state->config);
    if (!OpenDatabase(*state)) return -1;
    LoadPluginAtStart(*state);

    mg_init_library(0);
    int result = 0;
    {
        CWebServer web(*state);
        if (!web.Start(dir + "/web", state->config.tcpPort, kPortRetries)) {
            LogMessage("%s\n", web.GetErrorText().c_str());
            fprintf(stderr, "%s\n", web.GetErrorText().c_str());
            result = 1;
        } else {
            LogMessage("Lumeno listening on port %d\n", web.GetPort());
            if (mode == RUN_SERVICE) SetLogLevel(2);
            NotifyServiceManager("READY=1");
            EventLoop(*state, signals);
            NotifyServiceManager("STOPPING=1");
            LogMessage("Lumeno stopping\n");
            web.Stop();
        }
    }
    mg_exit_library();
    {
        std::lock_guard<std::mutex> guard(state->mutex);
        state->plugins.Unload();
        state->db.Close();
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const int mode = ParseCommandLine(argc, argv);
    if (mode == RUN_NOTHING) return -1;
    KeepFreedMemory();
    try {
        return RunServer(mode);
    } catch (const std::exception& e) {
        LogMessage("fatal: %s\n", e.what());
    }
    return 1;
}

#include "CommandLine.h"

#include "CServiceManager.h"
#include "Helpers.h"
#include "LogWriter.h"

#include <cstdio>
#include <string>
#include <strings.h>
#include <unistd.h>

namespace {

const char kVersion[] = "2.01";
const char kDisplayName[] = "Lumeno Server";
const char kDescription[] =
    "Lumeno Server,The platform is positioned to reduce access to the database to provide a "
    "more convenient and flexible manner, while application developers to increase the ease of "
    "system development";
}  // namespace

void WaitForKey() {
    if (isatty(STDIN_FILENO)) getchar();
}

void PrintUsage() {
    LogMessage("Lumeno Server: Lumeno %s \n", kVersion);
    LogMessage("Official Version\n");
    LogMessage("Start Time:%s\n", NowText().CStr());
    LogMessage("\nParameters note:\n");
    LogMessage("\t-d Running in debug command-line mode\n");
    LogMessage("\t-s To run under the service  way\n");
    LogMessage("\t-i Install as service，Only windows\n");
    LogMessage("\t-u Remove service，Only windows\n");
    LogMessage("---Press any key to exit\n");
}

int ParseCommandLine(int argc, char** argv) {
    if (argc != 2) {
        PrintUsage();
        WaitForKey();
        return RUN_NOTHING;
    }
    const char* option = argv[1];
    // The service is named after the program, so the two servers can both
    // be installed.
    const std::string name = GetModulePathPart(3).StdString();
    if (strcasecmp(option, "-i") == 0) {
        CServiceManager manager;
        // The log and the lock file, which the service writes as the
        // folder's owner.
        manager.InstallService(name, kDisplayName, kDescription,
                               UnitWord(GetModulePathPart(1).StdString()) + " -s",
                               GetModulePathPart(0).StdString(), {name + ".log", name + ".lock"});
        return RUN_NOTHING;
    }
    if (strcasecmp(option, "-u") == 0) {
        CServiceManager manager;
        manager.RemoveService(name);
        return RUN_NOTHING;
    }
    if (strcasecmp(option, "-d") == 0) {
        LogMessage("Lumeno Server %s  \n", kVersion);
        LogMessage("Start Time:%s\n", NowText().CStr());
        return RUN_CONSOLE;
    }
    if (strcasecmp(option, "-s") == 0) {
        SetLogLevel(2);
        // systemd keeps a service's standard error in its journal.
        SetLogCopyToStderr(true);
        return RUN_SERVICE;
    }
    return RUN_NOTHING;
}

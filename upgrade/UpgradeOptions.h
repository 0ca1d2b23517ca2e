// The command line of the upgrade program:
//   upgrade CLIENT_FILE_NAME --cache DIR --pid PID [-- ARG...]
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct UpgradeOptions {
    std::string clientFileName;             // a plain file name in the program folder
    std::string cacheDir;                   // the folder that holds the downloaded release
    pid_t pid = 0;                          // the client process to wait for
    std::vector<std::string> clientArgs;    // what follows "--", passed on as it is
};

// false with a text for a command line that does not have this shape.
bool ParseUpgradeOptions(const std::vector<std::string>& args, UpgradeOptions& options,
                         std::string& error);

extern const char kUpgradeUsage[];

#include "UpgradeOptions.h"

#include <cerrno>
#include <cstdlib>

const char kUpgradeUsage[] = "usage: upgrade CLIENT_FILE_NAME --cache DIR --pid PID [-- ARG...]";

namespace {

bool IsPlainName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c == '/' || c < 0x20 || c == 0x7f) return false;
    return true;
}

}  // namespace

bool ParseUpgradeOptions(const std::vector<std::string>& args, UpgradeOptions& options,
                         std::string& error) {
    options = UpgradeOptions();
    bool havePid = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            options.clientArgs.assign(args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (arg == "--cache" || arg == "--pid") {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            const std::string& value = args[++i];
            if (arg == "--cache") {
                options.cacheDir = value;
                continue;
            }
            errno = 0;
            char* end = nullptr;
            const long pid = strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || errno || pid <= 1 || static_cast<pid_t>(pid) != pid) {
                error = "not a process id: " + value;
                return false;
            }
            options.pid = static_cast<pid_t>(pid);
            havePid = true;
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (options.clientFileName.empty()) {
            if (!IsPlainName(arg)) {
                error = "the client must be named by a plain file name: " + arg;
                return false;
            }
            options.clientFileName = arg;
        } else {
            error = "unexpected argument " + arg;
            return false;
        }
    }
    if (options.clientFileName.empty()) error = "no client file name";
    else if (options.cacheDir.empty()) error = "no --cache folder";
    else if (!havePid) error = "no --pid";
    else return true;
    return false;
}

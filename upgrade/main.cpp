// upgrade: started by the client after it has downloaded a release into its
// cache folder, with the client's file name, that folder, the client's
// process id and the client's own arguments. It waits for the client to
// end, installs the release into the folder this program lies in (all or
// nothing), starts the client again and removes the downloaded files.
// Every step goes to upgrade.log in the cache folder's parent.
//
// Exit codes: 0 installed and started; 1 not installed (the old client was
// started, or still runs); 2 a bad command line; 3 the client could not be
// started.
#include "CReleaseInstaller.h"
#include "Helpers.h"
#include "LogWriter.h"
#include "ProcessControl.h"
#include "UpgradeOptions.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// How long the client may take to end after starting us.
const int kClientEndTimeoutMs = 60 * 1000;

std::string ParentFolder(const std::string& path) {
    char resolved[PATH_MAX];
    std::string full = realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    while (full.size() > 1 && full.back() == '/') full.pop_back();
    const size_t slash = full.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : full.substr(0, slash);
}

std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    UpgradeOptions options;
    std::string error;
    const bool parsed = ParseUpgradeOptions(args, options, error);
    if (!options.cacheDir.empty()) {
        SetLogFileName((ParentFolder(options.cacheDir) + "/upgrade.log").c_str());
        SetLogLevel(LOG_LEVEL_FILE);
    } else {
        SetLogLevel(LOG_LEVEL_OFF);
    }
    if (!parsed) {
        fprintf(stderr, "upgrade: %s\n%s\n", error.c_str(), kUpgradeUsage);
        LogMessage("%s upgrade: %s\n", NowText().CStr(), error.c_str());
        return 2;
    }

    const std::string programDir = GetModulePathPart(0).StdString();
    const std::string client = programDir + "/" + options.clientFileName;
    LogMessage("%s upgrade: %s from %s, waiting for process %d to end\n", NowText().CStr(), client.c_str(),
               options.cacheDir.c_str(), static_cast<int>(options.pid));
    if (!WaitForProcessEnd(options.pid, kClientEndTimeoutMs)) {
        LogMessage("%s upgrade: failed: process %d still runs after %d s; nothing was installed\n",
                   NowText().CStr(), static_cast<int>(options.pid), kClientEndTimeoutMs / 1000);
        return 1;
    }

    CReleaseInstaller installer(options.cacheDir, programDir);
    const bool installed = installer.Install();
    if (installed)
        LogMessage("%s upgrade: installed %s into %s\n", NowText().CStr(), Joined(installer.Names()).c_str(),
                   programDir.c_str());
    else
        LogMessage("%s upgrade: failed: %s; the old installation stays and the downloaded files stay in %s\n",
                   NowText().CStr(), installer.GetErrorText().c_str(), options.cacheDir.c_str());

    const bool started = StartDetached(client, options.clientArgs, programDir, error);
    if (started)
        LogMessage("%s upgrade: started %s%s%s\n", NowText().CStr(), client.c_str(),
                   options.clientArgs.empty() ? "" : " ", Joined(options.clientArgs).c_str());
    else
        LogMessage("%s upgrade: failed: cannot start %s\n", NowText().CStr(), error.c_str());

    if (installed) {
        installer.RemoveDownloads();
        LogMessage("%s upgrade: removed the downloaded files from %s\n", NowText().CStr(),
                   options.cacheDir.c_str());
    }
    if (!started) return 3;
    return installed ? 0 : 1;
}

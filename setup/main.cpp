// lumenosetup: without an argument registers the "Lumeno" data source,
// writes the FTP server's configuration and makes the menu entries; with any
// argument removes the data source and the menu entries. Prints nothing but
// a start-up failure; the steps' results do not change the exit code.
#include "DataSource.h"
#include "FtpServerConfig.h"
#include "ProgramDir.h"
#include "Shortcut.h"

#include <clocale>
#include <cstdio>
#include <unistd.h>

namespace {

const char kDataSourceName[] = "Lumeno";
const char kDescription[] = "Database for Zentry";
const char kMenuFolder[] = "ZNT";
const char* const kShortcutTargets[3] = {"start.sh", "stop.sh", "releasenotes.txt"};
const char* const kShortcutNames[3] = {"start.desktop", "stop.desktop", "release notes.desktop"};

CListString MenuFolder() {
    const CListString applications = GetApplicationsDir();
    if (applications.IsEmpty()) return CListString();
    return ProgramPath(applications, kMenuFolder);
}

void Install(const CListString& programDir) {
    RegisterDataSource(kDataSourceName, ProgramPath(programDir, "Lumeno.db").CStr(), kDescription);
    WriteFtpServerConfig();
    const CListString folder = MenuFolder();
    if (folder.IsEmpty() || !MakeFolders(folder.CStr())) return;
    for (int i = 0; i < 3; ++i)
        CreateShortcut(ProgramPath(programDir, kShortcutTargets[i]).CStr(),
                       ProgramPath(folder, kShortcutNames[i]).CStr());
}

void Remove() {
    RemoveDataSource(kDataSourceName);
    const CListString folder = MenuFolder();
    if (folder.IsEmpty()) return;
    for (const char* name : kShortcutNames) unlink(ProgramPath(folder, name).CStr());
    rmdir(folder.CStr());  // stays when it holds other files
}

}  // namespace

int main(int argc, char**) {
    // Start-up: the locale's code set for the template text, and the
    // program directory every path is formed from. Without that directory
    // nothing can be placed, so nothing is done.
    setlocale(LC_ALL, "");
    const CListString programDir = GetProgramDir();
    if (programDir.IsEmpty()) {
        fprintf(stderr, "Fatal Error: MFC initialization failed\n");
        return 1;
    }
    if (argc > 1)
        Remove();
    else
        Install(programDir);
    return 0;
}

// taverixrun: runs a report script on a data file, or exports a query named
// in an ini file and runs that file's script on the result.
#include "CConfigFile.h"
#include "CReportRunner.h"

#include <cstdio>
#include <unistd.h>

namespace {

int Usage() {
    printf("example:\ntaverixrun config.lua  dbout.txt\n");
    printf("press any key to exit\n");
    fflush(stdout);
    // Only a person at a terminal can press a key.
    if (isatty(STDIN_FILENO)) getchar();
    // Wrong arguments are a failure, whoever called.
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    CReportRunner runner;
    if (argc == 3) return runner.RunReportScript(argv[1], argv[2]) ? 0 : -1;
    if (argc != 2) return Usage();

    CConfigFile config;
    config.Load(argv[1]);
    const char* section = "common";
    if (!runner.ExportQuery(config.GetValue("user", section).CStr(),
                            config.GetValue("pass", section).CStr(),
                            config.GetValue("server", section).CStr(),
                            config.GetValue("sql", section).CStr(), "dbout.txt"))
        return -1;
    return runner.RunReportScript(config.GetValue("lua_file", section).CStr(), "dbout.txt") ? 0 : -1;
}

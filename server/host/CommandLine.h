// The server's command line: -i install the service, -u remove it, -d run
// in the console, -s run as the service; anything else prints the usage.
#pragma once

enum RunMode { RUN_NOTHING = 0, RUN_CONSOLE = 1, RUN_SERVICE = 2 };

int ParseCommandLine(int argc, char** argv);
void PrintUsage();
// Waits for one character, only when standard input is a terminal.
void WaitForKey();

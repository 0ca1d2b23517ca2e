// The program's log writer: printf-style lines to "<program folder>/<base
// name>.log" and/or standard output, by log level. Every write is flushed.
// Safe to call from several threads.
#pragma once

#include "CListString.h"

// Log levels.
enum {
    LOG_LEVEL_OFF = 0,
    LOG_LEVEL_STDOUT = 1,
    LOG_LEVEL_FILE = 2,
    LOG_LEVEL_FILE_AND_STDOUT = 3  // the level at start
};

// Writes the formatted text (callers put "\n" in their formats) by the log
// level; returns 0 at level 0, else the length of the formatted text.
int LogMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
void SetLogLevel(int level);
int GetLogLevel();
// Sends the log to another file from the next write on (an empty or null
// path returns to the default name).
void SetLogFileName(const char* path);
// The file the log goes to (the default name once the first write set it).
CListString GetLogFileName();
// Also copies every line to standard error at levels 1 to 3 (a service's
// standard error is its journal); a log file that cannot be opened is then
// reported there once.
void SetLogCopyToStderr(bool copy);

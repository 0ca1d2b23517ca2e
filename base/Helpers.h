// General helpers: line reading, text splitting, date texts, trimming, the
// program's own path and file sizes.
#pragma once

#include "CListString.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Closes a FILE* held by a std::unique_ptr.
struct FileCloser {
    void operator()(FILE* file) const {
        if (file) fclose(file);
    }
};
typedef std::unique_ptr<FILE, FileCloser> FilePtr;

// Closes a file descriptor (when not negative) as it leaves scope.
struct FdCloser {
    int fd;
    ~FdCloser();
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
};

// Reads one line into buffer (maximum + 1 bytes): returns its length, -1 at
// end of file with nothing read, -2 on a read error. A line ends at a line
// feed or NUL (not stored), after a form feed or Ctrl-Z (stored) or after
// maximum bytes (the rest comes as the next line). Carriage returns are
// dropped.
int ReadLine(FILE* file, char* buffer, int maximum);
// Up to maxLines lines of a text file, each followed by a line feed; the text
// "-1" when the file cannot be opened.
CListString ReadTextLines(const char* path, int maxLines);
// Appends the pieces of text between any of the delimiter characters to
// pieces; empty pieces are dropped or appended as filler. Returns the list's
// size (0 without touching it for an empty text or delimiter set).
int SplitText(const char* text, std::vector<std::string>& pieces, const char* delimiters,
              bool dropEmpty, const char* filler);
CListString NowText();    // "YYYY-MM-DD hh:mm:ss", local time
CListString TodayText();  // "YYYY-MM-DD", local time
void PrevMonth(int year, int month, int& outYear, int& outMonth);
// Removes the runs of c at both ends in place; returns text (null for null).
char* StripChar(char* text, char c);
// Part of the program's own path: 0 folder (no trailing '/'), 1 full path,
// 2 file name, 3 base name (file name up to its first '.'); else empty.
CListString GetModulePathPart(int part);
// Size in bytes, -1 when the file cannot be opened.
long long FileSizeOf(const char* path);
// fopen(path, "a+"), but a file it creates gets mode 0640 (less the umask):
// logs and messages are not for every local user. Null on failure.
FILE* OpenAppendPrivate(const char* path);
// Why this user may not write the file or folder ("read-only" for one
// without any write bit, which even root leaves alone, else the system's
// reason); "" when it may.
std::string WriteBlocker(const char* path);

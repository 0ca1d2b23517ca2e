// Whole-file reading and replacing for lumenosetup.
#pragma once

#include "CListString.h"

#include <string>

// Up to maxLines lines of the file (all of them when maxLines <= 0), each
// followed by a line feed; lines of any length are kept whole. "-1" when
// the file cannot be opened or a read fails.
CListString ReadTextFile(const char* path, int maxLines);

// Writes bytes to a temp file beside path and renames it over path, so path
// holds either its old content or all of the new one. A replaced file keeps
// its permission bits. False (and error set) on any failure.
bool ReplaceFileContent(const char* path, const std::string& bytes, std::string& error);

// ReadIniValue: reads one key of the server's block ini file
// ("{$block}" line, then "[section]" lines, then "key = value" lines).
#pragma once

#include <string>

// 1 when found (value in out), 0 when not found, -1 when the file cannot be
// opened. Only the first block and the first section of the name are searched.
int ReadIniValue(const char* path, const char* block, const char* section, const char* key,
                 std::string& out);

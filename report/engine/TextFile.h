// Reading a data file whole as text, the way the report readers want it:
// carriage returns dropped, every line ended by a line feed.
#pragma once

#include <string>

// The text "-1" when the file cannot be opened (or the path is null).
std::string ReadWholeText(const char* path);

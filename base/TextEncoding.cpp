#include "TextEncoding.h"

int AnsiToUtf8(const char*, int, char* output) { output[0] = 0; return 0; }
int Utf8Length(const char16_t*, int) { return 0; }
int Utf8Encode(const char16_t*, int, char* output, int) { output[0] = 0; return 0; }

// Text-encoding conversion: texts of the locale's code set to UTF-8, and
// UTF-16 units to UTF-8.
#pragma once

// Converts the first byteCount bytes of text from the locale's code set
// (UTF-8 when no locale is set) into output (3 * byteCount + 1 bytes) with a
// NUL; returns the UTF-8 length. An incomplete character at the end of the
// count is left out; an invalid byte becomes U+FFFD.
int AnsiToUtf8(const char* text, int byteCount, char* output);
// UTF-8 bytes the units need (1, 2 or 3 per unit), stopping at a unit 0.
int Utf8Length(const char16_t* units, int count);
// Writes the UTF-8 bytes of the units (each unit by itself, stopping at a
// unit 0), never more than length bytes and never part of a character, then a
// NUL at the end of what was written (at length when everything fits).
// Returns the number of bytes written.
int Utf8Encode(const char16_t* units, int count, char* output, int length);

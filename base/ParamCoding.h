// ParamBase64: Base64 with '_' for each '=' pad and '|' for '+', broken into
// lines of 8000 characters by CR LF. Codes SQL texts and long parameter
// values inside a request's query string.
#pragma once

#include "CListString.h"

#include <cstddef>
#include <string>

// Characters Base64Encode writes for inputLength bytes (line breaks included,
// NUL excluded).
size_t Base64EncodedSize(size_t inputLength, size_t lineLength);
// Base64 with '_' pads and a CR LF after every lineLength characters of full
// groups ('+' still written as '+'); writes a NUL and returns the number of
// characters before it. output holds Base64EncodedSize() + 1 bytes.
// A lineLength of 0 writes no line breaks.
size_t Base64Encode(const unsigned char* input, char* output, size_t inputLength,
                    size_t lineLength);

// ParamBase64 of the text's bytes (without its NUL).
CListString EncodeParam(const char* text);
// ParamBase64 of any byte string.
std::string EncodeParamBytes(const void* bytes, size_t length);
// The same into coded, reusing its storage (for long values sent often).
void EncodeParamBytes(const void* bytes, size_t length, std::string& coded);

// Decodes ParamBase64 (also plain Base64: '+' and '=' are read as well) of
// any length; carriage returns and line feeds are skipped. A last group of
// two or three characters without pads is accepted. Returns false for coded
// text that is not valid (a character outside the alphabet, a pad before the
// end, a lone last character); bytes is then empty.
bool DecodeParamBytes(const char* coded, size_t length, std::string& bytes);
// DecodeParamBytes as a text, cut at its first zero byte.
bool DecodeParam(const char* coded, CListString& text);

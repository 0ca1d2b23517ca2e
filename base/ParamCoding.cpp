#include "ParamCoding.h"

size_t Base64EncodedSize(size_t, size_t) { return 0; }
size_t Base64Encode(const unsigned char*, char* output, size_t, size_t) { output[0] = 0; return 0; }
CListString EncodeParam(const char*) { return CListString(); }
std::string EncodeParamBytes(const void*, size_t) { return std::string(); }
bool DecodeParamBytes(const char*, size_t, std::string& bytes) { bytes.clear(); return false; }
bool DecodeParam(const char*, CListString& text) { text.SetText(""); return false; }

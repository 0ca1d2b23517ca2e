#include "CMd5Digest.h"

CMd5Digest::CMd5Digest() { m_hexText[0] = 0; }
CMd5Digest::CMd5Digest(const char*) { m_hexText[0] = 0; }
CMd5Digest::~CMd5Digest() = default;
void CMd5Digest::Compute(const void*, size_t) {}

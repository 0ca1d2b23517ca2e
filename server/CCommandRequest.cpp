#include "CCommandRequest.h"

#include <cstring>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void Decode(const char* text, size_t length, bool plusIsBlank, std::string& out) {
    out.clear();
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (c == '+' && plusIsBlank) {
            out.push_back(' ');
        } else if (c == '%' && i + 2 < length && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
}

// The pieces are read in place and decoded straight into the variables, so
// a long value is copied no more than it must be.
void SplitPairs(const std::string& text, CCommandRequest& request) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t amp = text.find('&', start);
        if (amp == std::string::npos) amp = text.size();
        if (amp > start) {
            // The first '=' separates; the value keeps any further '='.
            const void* found = memchr(text.data() + start, '=', amp - start);
            const size_t eq = found ? static_cast<const char*>(found) - text.data() : amp;
            std::string name, value;
            Decode(text.data() + start, eq - start, true, name);
            if (eq < amp) Decode(text.data() + eq + 1, amp - eq - 1, true, value);
            if (!name.empty()) request.AddVariable(std::move(name), std::move(value));
        }
        start = amp + 1;
    }
}

}  // namespace

void CCommandRequest::AddVariable(std::string name, std::string value) {
    if (name.find('\0') != std::string::npos || value.find('\0') != std::string::npos)
        m_hasNul = true;
    auto it = m_variables.find(name);
    if (it == m_variables.end()) {
        m_variables.emplace(std::move(name), std::move(value));
    } else {
        it->second += ' ';
        it->second += value;
    }
}

std::string CCommandRequest::Get(const char* name, const char* fallback) const {
    auto it = m_variables.find(name);
    return it == m_variables.end() ? std::string(fallback) : it->second;
}

bool CCommandRequest::Has(const char* name) const {
    return m_variables.count(name) != 0;
}

std::string UrlDecode(const std::string& text) {
    std::string out;
    Decode(text.data(), text.size(), true, out);
    return out;
}

std::string PercentDecode(const std::string& text) {
    std::string out;
    Decode(text.data(), text.size(), false, out);
    return out;
}

void ParseQueryVariables(const std::string& rawQuery, CCommandRequest& request) {
    SplitPairs(UrlDecode(rawQuery), request);
}

void ParseFormBody(const std::string& body, CCommandRequest& request) {
    SplitPairs(body, request);
}

#include "CCommandRequest.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void SplitPairs(const std::string& text, bool decodePieces, CCommandRequest& request) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t amp = text.find('&', start);
        if (amp == std::string::npos) amp = text.size();
        std::string pair = text.substr(start, amp - start);
        if (!pair.empty()) {
            size_t eq = pair.find('=');
            std::string name = pair.substr(0, eq);
            std::string value;
            // The first '=' separates; the value keeps any further '='.
            if (eq != std::string::npos) value = pair.substr(eq + 1);
            if (decodePieces) {
                name = UrlDecode(name);
                value = UrlDecode(value);
            }
            if (!name.empty()) request.AddVariable(name, value);
        }
        start = amp + 1;
    }
}

}  // namespace

void CCommandRequest::AddVariable(const std::string& name, const std::string& value) {
    auto it = m_variables.find(name);
    if (it == m_variables.end()) {
        m_variables.emplace(name, value);
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
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            out.push_back(' ');
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

void ParseQueryVariables(const std::string& rawQuery, CCommandRequest& request) {
    SplitPairs(UrlDecode(rawQuery), true, request);
}

void ParseFormBody(const std::string& body, CCommandRequest& request) {
    SplitPairs(body, true, request);
}

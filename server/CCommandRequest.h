// CCommandRequest: the variables of one command request and the reply text
// its handler builds.
#pragma once

#include <map>
#include <string>
#include <utility>

class CCommandRequest {
public:
    // A variable given twice holds the first value, a blank and the second.
    void AddVariable(std::string name, std::string value);
    // True when a decoded name or value held a NUL character (a C text would
    // end there, so such a request is refused rather than read cut).
    bool HasNul() const { return m_hasNul; }
    std::string Get(const char* name, const char* fallback = "") const;
    bool Has(const char* name) const;

    void Write(const std::string& text) { m_reply += text; }
    // A first write takes the text's storage.
    void Write(std::string&& text) {
        if (m_reply.empty()) m_reply = std::move(text);
        else m_reply += text;
    }
    const std::string& GetReply() const { return m_reply; }
    void ClearReply() { m_reply.clear(); }

private:
    std::map<std::string, std::string> m_variables;
    std::string m_reply;
    bool m_hasNul = false;
};

// Percent escapes and '+' as a blank; a malformed escape stays as it is.
std::string UrlDecode(const std::string& text);
// Percent escapes only ('+' stays): the decoding of a URL's path.
std::string PercentDecode(const std::string& text);
// A GET query: decoded as a whole, split at '&' and '=', each piece decoded
// again (the client escapes its whole parameter text once).
void ParseQueryVariables(const std::string& rawQuery, CCommandRequest& request);
// A form body: split at '&' and '=', each piece decoded once.
void ParseFormBody(const std::string& body, CCommandRequest& request);

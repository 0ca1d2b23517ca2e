#include "CListString.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

CListString::CListString() = default;
CListString::CListString(const CListString& other) = default;
CListString::CListString(CListString&& other) noexcept : m_text(std::move(other.m_text)) {
    other.m_text.clear();
}

CListString::CListString(const char* text) {
    if (text) m_text = text;
}

CListString::CListString(const char* text, int count) {
    AppendText(text, count);
}

CListString::CListString(std::string&& text) : m_text(std::move(text)) {
    const size_t nul = m_text.find('\0');
    if (nul != std::string::npos) m_text.resize(nul);
}

CListString::CListString(int value) {
    if (value >= 0) m_text = std::to_string(value);
}

CListString::~CListString() = default;

CListString& CListString::operator=(const CListString& other) {
    if (this != &other) m_text = other.m_text;
    return *this;
}

CListString& CListString::operator=(CListString&& other) noexcept {
    if (this != &other) {
        m_text = std::move(other.m_text);
        other.m_text.clear();
    }
    return *this;
}

CListString& CListString::operator=(const char* text) {
    SetText(text);
    return *this;
}

void CListString::Assign(const CListString& other) {
    *this = other;
}

void CListString::SetText(const char* text) {
    if (text)
        m_text.assign(text);  // assign copes with text inside our own buffer
    else
        m_text.clear();
}

void CListString::AssignChar(char c) {
    m_text.clear();
    if (c) m_text.push_back(c);
}

int CListString::GetLength() const {
    return static_cast<int>(m_text.size());
}

bool CListString::IsEmpty() const {
    return m_text.empty();
}

char CListString::GetAt(int index) const {
    if (index < 0 || index >= GetLength()) return 0;
    return m_text[index];
}

char* CListString::GetPtrAt(int index) {
    if (index < 0 || index >= GetLength()) return nullptr;
    return &m_text[index];
}

const char* CListString::GetPtrAt(int index) const {
    if (index < 0 || index >= GetLength()) return nullptr;
    return &m_text[index];
}

char* CListString::GetBuffer(int minimum) {
    if (minimum > 0 && static_cast<size_t>(minimum) > m_text.capacity())
        m_text.reserve(minimum);
    return &m_text[0];
}

const char* CListString::CStr() const {
    return m_text.c_str();
}

std::unique_ptr<char[]> CListString::CopySubstring(int start, int count) const {
    const int length = GetLength();
    if (start < 0 || start >= length || count == 0) return nullptr;
    int n = length - start;
    if (count > 0 && count < n) n = count;
    std::unique_ptr<char[]> copy(new char[n + 1]);
    memcpy(copy.get(), m_text.data() + start, n);
    copy[n] = 0;
    return copy;
}

CListString CListString::Mid(int start, int count) const {
    CListString result;
    if (start < 0) start = 0;
    const int length = GetLength();
    if (start >= length || count <= 0) return result;
    result.m_text = m_text.substr(start, count);
    return result;
}

CListString CListString::Left(int count) const {
    CListString result;
    if (count > 0) result.m_text = m_text.substr(0, count);
    return result;
}

CListString CListString::Right(int count) const {
    CListString result;
    if (count <= 0) return result;
    const int length = GetLength();
    if (count >= length)
        result.m_text = m_text;
    else
        result.m_text = m_text.substr(length - count);
    return result;
}

int CListString::Compare(const char* text) const {
    if (!text) text = "";
    return strcmp(m_text.c_str(), text) == 0 ? 0 : 1;
}

int CListString::CompareNoCase(const char* text) const {
    if (!text) text = "";
    const size_t n = strlen(text);
    if (n != m_text.size()) return 1;
    for (size_t i = 0; i < n; ++i) {
        if (FoldAscii(m_text[i]) != FoldAscii(text[i])) return 1;
    }
    return 0;
}

int CListString::FindChar(char c, int start) const {
    if (start < 0 || start >= GetLength() || c == 0) return -1;
    const size_t pos = m_text.find(c, start);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CListString::Find(const char* text, int start) const {
    if (!text || !*text || start < 0 || start >= GetLength()) return -1;
    const size_t pos = m_text.find(text, start);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CListString::ReverseFindChar(char c) const {
    if (c == 0) return -1;
    const size_t pos = m_text.rfind(c);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CListString::ReverseFind(const char* text) const {
    if (!text || !*text) return -1;
    if (strlen(text) > m_text.size()) return -1;
    const size_t pos = m_text.rfind(text);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

void CListString::Append(const CListString& other) {
    m_text.append(other.m_text);
}

void CListString::AppendText(const char* text) {
    if (text) m_text.append(text);
}

void CListString::AppendText(const char* text, int count) {
    if (!text || count <= 0) return;
    const void* nul = memchr(text, 0, count);
    const size_t n = nul ? static_cast<const char*>(nul) - text : static_cast<size_t>(count);
    m_text.append(text, n);
}

void CListString::AppendChar(char c) {
    if (c) m_text.push_back(c);
}

int CListString::InsertChar(int position, char c) {
    if (position < 0) return -1;
    if (c) {
        if (position > GetLength()) position = GetLength();
        m_text.insert(m_text.begin() + position, c);
    }
    return GetLength();
}

int CListString::Insert(int position, const char* text) {
    if (position < 0) return -1;
    if (position > GetLength()) position = GetLength();
    if (text) m_text.insert(position, std::string(text));
    return GetLength();
}

void CListString::Delete(int position, int count) {
    const int length = GetLength();
    if (length == 0 || position < 0 || position > length || count < 1) return;
    m_text.erase(position, count);
}

int CListString::ReplaceChar(char from, char to) {
    if (from == 0) return 0;
    int n = 0;
    for (char& c : m_text) {
        if (c == from) {
            c = to;
            ++n;
        }
    }
    // The character 0 is never stored: replacing by it removes.
    if (to == 0 && n > 0) m_text.erase(std::remove(m_text.begin(), m_text.end(), '\0'), m_text.end());
    return n;
}

int CListString::Replace(const char* oldText, const char* newText) {
    if (m_text.empty() || !oldText || !*oldText || !newText || !*newText) return 0;
    const size_t oldLength = strlen(oldText);
    size_t pos = m_text.find(oldText);
    if (pos == std::string::npos) return 0;
    // One pass into a new buffer; the text after a replacement is searched
    // from just after it, so inserted text is never searched again.
    std::string result;
    result.reserve(m_text.size());
    size_t from = 0;
    int n = 0;
    while (pos != std::string::npos) {
        result.append(m_text, from, pos - from);
        result.append(newText);
        from = pos + oldLength;
        ++n;
        pos = m_text.find(oldText, from);
    }
    result.append(m_text, from, std::string::npos);
    m_text.swap(result);
    return n;
}

void CListString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CListString::FormatV(const char* format, va_list args) {
    if (!format) {
        m_text.clear();
        return;
    }
    char scratch[2048];
    va_list copy;
    va_copy(copy, args);
    const int n = vsnprintf(scratch, sizeof scratch, format, copy);
    va_end(copy);
    if (n < 0) {
        m_text.clear();
        return;
    }
    std::string result;
    if (static_cast<size_t>(n) < sizeof scratch) {
        result.assign(scratch, n);
    } else {
        result.resize(n);
        vsnprintf(&result[0], n + 1, format, args);
    }
    // A %c of 0 must not put the character 0 into the string.
    if (result.find('\0') != std::string::npos)
        result.erase(std::remove(result.begin(), result.end(), '\0'), result.end());
    m_text.swap(result);
}

void CListString::TrimLeftChar(char c) {
    const size_t pos = m_text.find_first_not_of(c);
    m_text.erase(0, pos == std::string::npos ? m_text.size() : pos);
}

void CListString::TrimRightChar(char c) {
    const size_t pos = m_text.find_last_not_of(c);
    m_text.erase(pos == std::string::npos ? 0 : pos + 1);
}

void CListString::TrimLeft() {
    TrimLeftChar(' ');
    TrimLeftChar('\t');
    TrimLeftChar('\n');
}

void CListString::TrimRight() {
    TrimRightChar(' ');
    TrimRightChar('\t');
    TrimRightChar('\n');
}

void CListString::Trim() {
    TrimLeft();
    TrimRight();
}

void CListString::TrimLeftText(const char* text) {
    if (!text || !*text) return;
    const size_t n = strlen(text);
    if (n > m_text.size()) return;
    size_t pos = 0;
    while (pos + n <= m_text.size() && m_text.compare(pos, n, text) == 0) pos += n;
    m_text.erase(0, pos);
}

void CListString::TrimRightText(const char* text) {
    if (!text || !*text) return;
    const size_t n = strlen(text);
    if (n > m_text.size()) return;
    size_t end = m_text.size();
    while (end >= n && m_text.compare(end - n, n, text) == 0) end -= n;
    m_text.erase(end);
}

void CListString::Reverse() {
    std::reverse(m_text.begin(), m_text.end());
}

void CListString::MakeLower() {
    for (char& c : m_text) c = FoldAscii(c);
}

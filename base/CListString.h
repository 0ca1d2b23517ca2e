// CListString: the system's own string type, an 8-bit text that never holds
// the character 0.
//
// Storage is one contiguous buffer (not one heap node per character): the
// server builds every reply with this type, so appends must be cheap. The
// observable behaviour of the node model is kept:
//  - GetBuffer/CStr return a NUL-terminated text owned by the string; the
//    pointer stays valid and unchanged until the next change of the string.
//    Callers only read through it (writing would change the string itself).
//  - GetPtrAt returns a pointer to one character, valid until the next change.
// Positions are 0-based byte indexes; lengths count bytes.
#pragma once

#include <cstdarg>
#include <memory>
#include <string>

class CListString {
public:
    CListString();
    CListString(const CListString& other);
    CListString(CListString&& other) noexcept;
    CListString(const char* text);  // null or empty gives an empty string
    CListString(const char* text, int count);  // at most count bytes, up to a NUL
    explicit CListString(std::string&& text);  // takes the storage; cut at a NUL
    // Decimal text of a non-negative value ('0' for 0); a negative value
    // gives an empty string.
    explicit CListString(int value);
    ~CListString();

    CListString& operator=(const CListString& other);
    CListString& operator=(CListString&& other) noexcept;
    CListString& operator=(const char* text);

    void Assign(const CListString& other);
    void SetText(const char* text);
    void AssignChar(char c);

    // Reading
    int GetLength() const;
    bool IsEmpty() const;
    char GetAt(int index) const;        // 0 out of range
    char* GetPtrAt(int index);          // null out of range
    const char* GetPtrAt(int index) const;
    // The text with room for at least minimum characters; see the note above.
    char* GetBuffer(int minimum);
    const char* CStr() const;
    // A copy the caller owns: null when start < 0, start >= length or
    // count == 0; count < 0 takes everything from start.
    std::unique_ptr<char[]> CopySubstring(int start, int count) const;
    CListString Mid(int start, int count) const;
    CListString Left(int count) const;
    CListString Right(int count) const;
    const std::string& StdString() const { return m_text; }

    // Comparing: 0 when equal, non-zero otherwise (sign carries no meaning).
    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;  // folds ASCII letters only

    // Searching: -1 when not found.
    int FindChar(char c, int start = 0) const;
    int Find(const char* text, int start = 0) const;
    int ReverseFindChar(char c) const;
    int ReverseFind(const char* text) const;

    // Changing
    void Append(const CListString& other);
    void AppendText(const char* text);
    void AppendText(const char* text, int count);  // at most count bytes, up to a NUL
    void AppendChar(char c);                       // the character 0 is ignored
    int InsertChar(int position, char c);          // new length, -1 for position < 0
    int Insert(int position, const char* text);    // new length, -1 for position < 0
    void Delete(int position, int count);
    int ReplaceChar(char from, char to);                  // number replaced
    int Replace(const char* oldText, const char* newText);  // number replaced
    // printf-style; the result is never cut, however long.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);
    void TrimLeftChar(char c);
    void TrimRightChar(char c);
    void TrimLeft();   // blank, tab, line feed (not carriage return)
    void TrimRight();
    void Trim();
    void TrimLeftText(const char* text);   // repeated whole occurrences
    void TrimRightText(const char* text);
    void Reverse();
    void MakeLower();  // ASCII letters only

    bool operator==(const CListString& other) const { return m_text == other.m_text; }
    bool operator!=(const CListString& other) const { return m_text != other.m_text; }
    bool operator<(const CListString& other) const { return m_text < other.m_text; }

private:
    std::string m_text;
};

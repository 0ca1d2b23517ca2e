// CListStringVector: a growable array of CListString values with an
// add-if-absent operation.
#pragma once

#include "CListString.h"

#include <vector>

class CListStringVector {
public:
    int size() const { return static_cast<int>(m_items.size()); }
    bool empty() const { return m_items.empty(); }
    CListString& operator[](int index) { return m_items[index]; }
    const CListString& operator[](int index) const { return m_items[index]; }
    void push_back(const CListString& value) { m_items.push_back(value); }
    void clear() { m_items.clear(); }
    std::vector<CListString>::iterator begin() { return m_items.begin(); }
    std::vector<CListString>::iterator end() { return m_items.end(); }
    std::vector<CListString>::const_iterator begin() const { return m_items.begin(); }
    std::vector<CListString>::const_iterator end() const { return m_items.end(); }

    // Appends the text unless an element already equals it exactly (case
    // matters); returns the index of the equal or the new element.
    int AddUnique(const char* text);

private:
    std::vector<CListString> m_items;
};

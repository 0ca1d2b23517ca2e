// CListStringList: an ordered list of CListString values that it owns.
// Element pointers from ElementAt stay valid until that element is removed.
#pragma once

#include "CListString.h"

#include <memory>
#include <vector>

class CListStringList {
public:
    CListStringList();
    CListStringList(const CListStringList& other);
    CListStringList(CListStringList&& other) noexcept;
    CListStringList& operator=(const CListStringList& other);
    CListStringList& operator=(CListStringList&& other) noexcept;
    ~CListStringList();

    int GetCount() const;
    int GetUpperBound() const;  // count - 1
    int Add(const CListString& value);  // returns the new upper bound
    // count copies at position; a position beyond the end pads with empty
    // strings first. Nothing for count <= 0 or position < 0.
    void InsertAt(int position, const CListString& value, int count = 1);
    CListString GetCopyAt(int index) const;  // empty out of range
    CListString* ElementAt(int index);       // null out of range
    const CListString* ElementAt(int index) const;
    void RemoveAll();

private:
    std::vector<std::unique_ptr<CListString>> m_items;
};

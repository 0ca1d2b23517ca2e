#include "CListStringVector.h"

int CListStringVector::AddUnique(const char* text) {
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].Compare(text) == 0) return static_cast<int>(i);
    }
    m_items.emplace_back(text);
    return static_cast<int>(m_items.size()) - 1;
}

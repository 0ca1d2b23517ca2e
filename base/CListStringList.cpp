#include "CListStringList.h"

CListStringList::CListStringList() = default;

CListStringList::CListStringList(const CListStringList& other) {
    *this = other;
}

CListStringList::CListStringList(CListStringList&& other) noexcept = default;

CListStringList& CListStringList::operator=(const CListStringList& other) {
    if (this == &other) return *this;
    std::vector<std::unique_ptr<CListString>> items;
    items.reserve(other.m_items.size());
    for (const auto& item : other.m_items) items.push_back(std::make_unique<CListString>(*item));
    m_items.swap(items);
    return *this;
}

CListStringList& CListStringList::operator=(CListStringList&& other) noexcept = default;

CListStringList::~CListStringList() = default;

int CListStringList::GetCount() const {
    return static_cast<int>(m_items.size());
}

int CListStringList::GetUpperBound() const {
    return GetCount() - 1;
}

int CListStringList::Add(const CListString& value) {
    m_items.push_back(std::make_unique<CListString>(value));
    return GetUpperBound();
}

void CListStringList::InsertAt(int position, const CListString& value, int count) {
    if (count <= 0 || position < 0) return;
    while (GetCount() < position) m_items.push_back(std::make_unique<CListString>());
    std::vector<std::unique_ptr<CListString>> copies;
    copies.reserve(count);
    for (int i = 0; i < count; ++i) copies.push_back(std::make_unique<CListString>(value));
    m_items.insert(m_items.begin() + position, std::make_move_iterator(copies.begin()),
                   std::make_move_iterator(copies.end()));
}

CListString CListStringList::GetCopyAt(int index) const {
    if (index < 0 || index >= GetCount()) return CListString();
    return *m_items[index];
}

CListString* CListStringList::ElementAt(int index) {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_items[index].get();
}

const CListString* CListStringList::ElementAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_items[index].get();
}

void CListStringList::RemoveAll() {
    m_items.clear();
}

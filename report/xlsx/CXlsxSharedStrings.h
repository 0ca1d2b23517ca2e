// The workbook's shared-string table: texts by index as the template holds
// them (rich-text items keep their runs), and an open-addressing hash from
// plain text to index so a repeated text is stored once. Indexes never change once given, so
// sheets that were not rewritten stay valid.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CXlsxSharedStrings
{
public:
    bool Load(const std::string& xml, std::string& error);
    void Clear();

    std::uint32_t Count() const { return static_cast<std::uint32_t>(m_texts.size()); }
    const std::string& Text(std::uint32_t index) const;
    bool IsRich(std::uint32_t index) const;
    std::uint32_t Add(std::string_view text);      // index of this plain text, added when new
    // Starts loading the lookup slot of text, so that an Add of it soon
    // after does not wait for memory. Changes nothing.
    void Prefetch(std::string_view text) const;
    // Rich item with key replaced inside its runs: the new item's index, or
    // false when key spans runs (the caller then stores plain text).
    bool ReplaceInRuns(std::uint32_t index, const std::string& key, const std::string& value, std::uint32_t& result);

    bool IsChanged() const { return m_changed; }
    std::string Serialize() const;

private:
    std::uint32_t AddRich(std::string text, std::string raw);
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    std::uint32_t Find(std::string_view text, std::uint32_t hash) const; // kNone when absent
    void Insert(std::uint32_t hash, std::uint32_t index);
    void Place(std::uint64_t slot);
    void Grow();

    std::deque<std::string> m_texts;               // deque: growing never moves a text
    std::unordered_map<std::uint32_t, std::string> m_rich; // index -> inner XML of <si>
    // Lookup of plain items: a slot holds 32 bits of the text's hash in its
    // upper half and index + 1 in its lower half, 0 when free. Linear
    // probing, at most half full, the size a power of two.
    std::vector<std::uint64_t> m_slots;
    std::uint32_t m_used = 0;
    std::string m_prefix;                          // namespace prefix of the table ("" or "x:")
    std::string m_rootOpen;                        // start tag of <sst> as loaded, without counts
    bool m_changed = false;
};

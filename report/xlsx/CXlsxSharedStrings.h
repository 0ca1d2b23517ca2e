// The workbook's shared-string table: texts by index as the template holds
// them (rich-text items keep their runs), and a hash from plain text to index
// so a repeated text is stored once. Indexes never change once given, so
// sheets that were not rewritten stay valid.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

class CXlsxSharedStrings
{
public:
    bool Load(const std::string& xml, std::string& error);
    void Clear();

    std::uint32_t Count() const { return static_cast<std::uint32_t>(m_texts.size()); }
    const std::string& Text(std::uint32_t index) const;
    bool IsRich(std::uint32_t index) const;
    std::uint32_t Add(std::string_view text);      // index of this plain text, added when new
    // Rich item with key replaced inside its runs: the new item's index, or
    // false when key spans runs (the caller then stores plain text).
    bool ReplaceInRuns(std::uint32_t index, const std::string& key, const std::string& value, std::uint32_t& result);

    bool IsChanged() const { return m_changed; }
    std::string Serialize() const;

private:
    std::uint32_t AddRich(std::string text, std::string raw);

    std::deque<std::string> m_texts;               // deque: views into it stay valid
    std::unordered_map<std::uint32_t, std::string> m_rich; // index -> inner XML of <si>
    std::unordered_map<std::string_view, std::uint32_t> m_lookup; // plain items only
    std::string m_prefix;                          // namespace prefix of the table ("" or "x:")
    std::string m_rootOpen;                        // start tag of <sst> as loaded, without counts
    bool m_changed = false;
};

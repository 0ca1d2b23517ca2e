#include "CXlsxSharedStrings.h"

#include "CXlsxXml.h"

#include <cstring>

namespace {
const char* const kDefaultRoot = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";

// 32 bits of the text's hash: they pick the first slot and, kept in the
// slot, let growing rehash without reading the texts again.
std::uint32_t HashOf(std::string_view text)
{
    std::uint64_t h = std::hash<std::string_view>()(text);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}
// Text written as it is: printable ASCII without markup, '_' (which may
// start an escape) or spaces at either end.
bool IsPlain(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c >= 0x7F || c == '&' || c == '<' || c == '>' || c == '_')
            return false;
    return !XlsxXml::NeedsPreserve(text);
}

char* Put(char* at, std::string_view text)
{
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

} // namespace

void CXlsxSharedStrings::Clear()
{
    m_texts.clear();
    m_rich.clear();
    m_slots.clear();
    m_used = 0;
    m_prefix.clear();
    m_rootOpen = kDefaultRoot;
    m_changed = false;
}

bool CXlsxSharedStrings::Load(const std::string& xml, std::string& error)
{
    Clear();
    pugi::xml_document doc;
    pugi::xml_parse_result res = doc.load_buffer(xml.data(), xml.size(), XlsxXml::ParseFlags);
    if (!res) {
        error = std::string("shared strings: ") + res.description();
        return false;
    }
    pugi::xml_node root = doc.document_element();
    m_prefix = XlsxXml::PrefixOf(root);
    m_rootOpen = "<" + std::string(root.name());
    for (pugi::xml_attribute a = root.first_attribute(); a; a = a.next_attribute()) {
        if (std::strcmp(a.name(), "count") == 0 || std::strcmp(a.name(), "uniqueCount") == 0)
            continue;
        m_rootOpen += " ";
        m_rootOpen += a.name();
        m_rootOpen += "=\"";
        XlsxXml::AppendAttr(m_rootOpen, a.value());
        m_rootOpen += "\"";
    }
    for (pugi::xml_node si = XlsxXml::Child(root, "si"); si; si = XlsxXml::NextSibling(si, "si")) {
        bool plain = true;
        int elements = 0;
        for (pugi::xml_node c = si.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element)
                continue;
            ++elements;
            if (std::strcmp(XlsxXml::LocalName(c.name()), "t") != 0)
                plain = false;
        }
        std::string text = XlsxXml::ItemText(si);
        if (plain && elements <= 1) {
            // a repeated text keeps finding its first item
            std::uint32_t index = Count();
            std::uint32_t hash = HashOf(text);
            if (Find(text, hash) == kNone)
                Insert(hash, index);
            m_texts.push_back(std::move(text));
        } else {
            std::string raw;
            for (pugi::xml_node c = si.first_child(); c; c = c.next_sibling())
                raw += XlsxXml::NodeText(c);
            AddRich(std::move(text), std::move(raw));
        }
    }
    m_changed = false;
    return true;
}

const std::string& CXlsxSharedStrings::Text(std::uint32_t index) const
{
    static const std::string empty;
    return index < m_texts.size() ? m_texts[index] : empty;
}

bool CXlsxSharedStrings::IsRich(std::uint32_t index) const
{
    return m_rich.count(index) != 0;
}

std::uint32_t CXlsxSharedStrings::Find(std::string_view text, std::uint32_t hash) const
{
    if (m_slots.empty())
        return kNone;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        std::uint64_t slot = m_slots[i];
        if (slot == 0)
            return kNone;
        if (static_cast<std::uint32_t>(slot >> 32) == hash) {
            std::uint32_t index = static_cast<std::uint32_t>(slot) - 1;
            if (m_texts[index] == text)
                return index;
        }
    }
}

void CXlsxSharedStrings::Insert(std::uint32_t hash, std::uint32_t index)
{
    if ((static_cast<size_t>(m_used) + 1) * 2 > m_slots.size())
        Grow();
    Place((static_cast<std::uint64_t>(hash) << 32) | (static_cast<std::uint64_t>(index) + 1));
    ++m_used;
}

void CXlsxSharedStrings::Place(std::uint64_t slot)
{
    const size_t mask = m_slots.size() - 1;
    size_t i = static_cast<std::uint32_t>(slot >> 32) & mask;
    while (m_slots[i] != 0)
        i = (i + 1) & mask;
    m_slots[i] = slot;
}

void CXlsxSharedStrings::Grow()
{
    std::vector<std::uint64_t> old;
    old.swap(m_slots);
    m_slots.assign(old.empty() ? 1024 : old.size() * 2, 0);
    for (std::uint64_t slot : old)
        if (slot != 0)
            Place(slot);
}

void CXlsxSharedStrings::Prefetch(std::string_view text) const
{
    if (!m_slots.empty())
        __builtin_prefetch(&m_slots[HashOf(text) & (m_slots.size() - 1)]);
}

std::uint32_t CXlsxSharedStrings::Add(std::string_view text)
{
    std::uint32_t hash = HashOf(text);
    std::uint32_t found = Find(text, hash);
    if (found != kNone)
        return found;
    std::uint32_t index = Count();
    m_texts.emplace_back(text);
    Insert(hash, index);
    m_changed = true;
    return index;
}

std::uint32_t CXlsxSharedStrings::AddRich(std::string text, std::string raw)
{
    std::uint32_t index = Count();
    m_texts.push_back(std::move(text));
    m_rich.emplace(index, std::move(raw));
    return index;
}

bool CXlsxSharedStrings::ReplaceInRuns(std::uint32_t index, const std::string& key, const std::string& value,
                                       std::uint32_t& result)
{
    auto it = m_rich.find(index);
    if (it == m_rich.end() || key.empty())
        return false;
    std::string wrapped = "<si>" + it->second + "</si>";
    pugi::xml_document doc;
    if (!doc.load_buffer(wrapped.data(), wrapped.size(), XlsxXml::ParseFlags))
        return false;
    pugi::xml_node si = doc.document_element();
    bool any = false;
    for (pugi::xml_node c = si.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        const char* ln = XlsxXml::LocalName(c.name());
        pugi::xml_node t = std::strcmp(ln, "t") == 0 ? c : std::strcmp(ln, "r") == 0 ? XlsxXml::Child(c, "t") : pugi::xml_node();
        if (!t)
            continue;
        std::string run = XlsxXml::DecodeEscapes(t.text().get());
        size_t pos = 0;
        bool changed = false;
        while ((pos = run.find(key, pos)) != std::string::npos) {
            run.replace(pos, key.size(), value);
            pos += value.size();
            changed = true;
        }
        if (changed) {
            t.text().set(XlsxXml::EncodeEscapes(run).c_str());
            if (XlsxXml::NeedsPreserve(run) && !t.attribute("xml:space"))
                t.append_attribute("xml:space") = "preserve";
            any = true;
        }
    }
    std::string text = XlsxXml::ItemText(si);
    if (!any || text.find(key) != std::string::npos)
        return false; // key spans runs (or was not there at all)
    std::string raw;
    for (pugi::xml_node c = si.first_child(); c; c = c.next_sibling())
        raw += XlsxXml::NodeText(c);
    result = AddRich(std::move(text), std::move(raw));
    m_changed = true;
    return true;
}

std::string CXlsxSharedStrings::Serialize() const
{
    std::string out;
    size_t estimate = 200;
    for (const std::string& t : m_texts)
        estimate += t.size() + 16;
    out.reserve(estimate);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    out += m_rootOpen.empty() ? kDefaultRoot : m_rootOpen;
    out += " uniqueCount=\"";
    XlsxXml::AppendUInt(out, m_texts.size());
    out += "\">";
    const std::string si = "<" + m_prefix + "si>", siEnd = "</" + m_prefix + "si>";
    const std::string t = "<" + m_prefix + "t>", tp = "<" + m_prefix + "t xml:space=\"preserve\">", tEnd = "</" + m_prefix + "t>";
    // Short texts that need no escapes (most of them) go out in one piece.
    const bool fast = m_prefix.size() <= 16;
    char item[400]; // 256 text bytes and four tags of at most 21
    std::uint32_t i = 0;
    for (auto text = m_texts.begin(); text != m_texts.end(); ++text, ++i) {
        auto rich = m_rich.empty() ? m_rich.end() : m_rich.find(i);
        if (fast && rich == m_rich.end() && text->size() <= 256 && IsPlain(*text)) {
            char* at = Put(Put(item, si), t);
            at = Put(Put(Put(at, *text), tEnd), siEnd);
            out.append(item, at);
            continue;
        }
        out += si;
        if (rich != m_rich.end()) {
            out += rich->second;
        } else {
            out += XlsxXml::NeedsPreserve(*text) ? tp : t;
            XlsxXml::AppendText(out, *text);
            out += tEnd;
        }
        out += siEnd;
    }
    out += "</" + m_prefix + "sst>";
    return out;
}

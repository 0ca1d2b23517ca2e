#include "CXlsxXml.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace XlsxXml {

void AppendEscaped(std::string& out, std::string_view s, bool markup);

namespace {

// Length of the valid UTF-8 sequence at s[i], 0 when invalid.
size_t Utf8Length(std::string_view s, size_t i)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n;
    std::uint32_t cp;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    if (cp == 0xFFFE || cp == 0xFFFF)
        return 0;
    return n;
}

bool IsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool LooksEscaped(std::string_view s, size_t i)
{
    return i + 7 <= s.size() && s[i] == '_' && s[i + 1] == 'x' && IsHex(s[i + 2]) && IsHex(s[i + 3])
        && IsHex(s[i + 4]) && IsHex(s[i + 5]) && s[i + 6] == '_';
}

void AppendHexEscape(std::string& out, unsigned value)
{
    static const char digits[] = "0123456789ABCDEF";
    char buf[7] = { '_', 'x', digits[(value >> 12) & 15], digits[(value >> 8) & 15], digits[(value >> 4) & 15],
                    digits[value & 15], '_' };
    out.append(buf, 7);
}

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

void AppendEscaped(std::string& out, std::string_view s, bool markup)
{
    size_t plain = 0; // start of the run not yet copied
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        const char* rep = nullptr;
        size_t step = 1;
        if (markup && c == '&')
            rep = "&amp;";
        else if (markup && c == '<')
            rep = "&lt;";
        else if (markup && c == '>')
            rep = "&gt;";
        else if ((c < 0x20 && c != '\t' && c != '\n') || c == '_' || c >= 0x80) {
            if (c == '_' && !LooksEscaped(s, i)) {
                ++i;
                continue;
            }
            if (c >= 0x80) {
                step = Utf8Length(s, i);
                if (step != 0) {
                    i += step;
                    continue;
                }
                step = 1;
            }
            out.append(s.data() + plain, i - plain);
            if (c == '_')
                AppendHexEscape(out, '_');
            else if (c < 0x20)
                AppendHexEscape(out, c);
            else
                out.append("\xEF\xBF\xBD"); // a stray byte becomes U+FFFD
            i += step; // after "_" the "x...._" that follows is copied as it is
            plain = i;
            continue;
        } else {
            ++i;
            continue;
        }
        out.append(s.data() + plain, i - plain);
        out.append(rep);
        ++i;
        plain = i;
    }
    out.append(s.data() + plain, s.size() - plain);
}

void AppendText(std::string& out, std::string_view s)
{
    AppendEscaped(out, s, true);
}

std::string EncodeEscapes(std::string_view s)
{
    std::string out;
    AppendEscaped(out, s, false);
    return out;
}

void AppendAttr(std::string& out, std::string_view s)
{
    size_t plain = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const char* rep = nullptr;
        switch (s[i]) {
        case '&': rep = "&amp;"; break;
        case '<': rep = "&lt;"; break;
        case '>': rep = "&gt;"; break;
        case '"': rep = "&quot;"; break;
        case '\t': rep = "&#9;"; break;
        case '\n': rep = "&#10;"; break;
        case '\r': rep = "&#13;"; break;
        default:
            if (static_cast<unsigned char>(s[i]) < 0x20)
                rep = ""; // not representable in XML 1.0
            break;
        }
        if (rep) {
            out.append(s.data() + plain, i - plain);
            out.append(rep);
            plain = i + 1;
        }
    }
    out.append(s.data() + plain, s.size() - plain);
}

char* WriteNumber(char* at, double value)
{
    if (value == 0)
        value = 0; // no "-0"
    return std::to_chars(at, at + kNumberRoom, value).ptr;
}

void AppendNumber(std::string& out, double value)
{
    char buf[kNumberRoom];
    out.append(buf, WriteNumber(buf, value));
}

void AppendUInt(std::string& out, std::uint64_t value)
{
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

std::string DecodeEscapes(std::string_view s)
{
    if (s.find("_x") == std::string_view::npos)
        return std::string(s);
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (LooksEscaped(s, i)) {
            std::uint32_t cp = static_cast<std::uint32_t>(std::strtoul(std::string(s.substr(i + 2, 4)).c_str(), nullptr, 16));
            AppendUtf8(out, cp);
            i += 7;
        } else {
            out += s[i++];
        }
    }
    return out;
}

bool NeedsPreserve(std::string_view s)
{
    if (s.empty())
        return false;
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return space(s.front()) || space(s.back());
}

const char* LocalName(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

std::string PrefixOf(pugi::xml_node node)
{
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    return colon ? std::string(name, colon - name + 1) : std::string();
}

pugi::xml_node Child(pugi::xml_node parent, const char* localName)
{
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && std::strcmp(LocalName(c.name()), localName) == 0)
            return c;
    return {};
}

pugi::xml_node NextSibling(pugi::xml_node node, const char* localName)
{
    for (pugi::xml_node c = node.next_sibling(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && std::strcmp(LocalName(c.name()), localName) == 0)
            return c;
    return {};
}

pugi::xml_attribute RelId(pugi::xml_node node)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        const char* colon = std::strchr(name, ':');
        if (!colon || std::strcmp(colon + 1, "id") != 0)
            continue;
        // the prefix must be bound to a relationships namespace somewhere up the tree
        std::string decl = "xmlns:" + std::string(name, colon - name);
        for (pugi::xml_node n = node; n; n = n.parent()) {
            pugi::xml_attribute ns = n.attribute(decl.c_str());
            if (ns) {
                if (std::strstr(ns.value(), "relationships"))
                    return a;
                break;
            }
        }
    }
    return {};
}

pugi::xml_node InsertInOrder(pugi::xml_node parent, const char* localName, const char* const* order, size_t count)
{
    size_t rank = count;
    for (size_t i = 0; i < count; ++i)
        if (std::strcmp(order[i], localName) == 0)
            rank = i;
    std::string name = PrefixOf(parent) + localName;
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        const char* ln = LocalName(c.name());
        for (size_t i = rank + 1; i < count; ++i)
            if (std::strcmp(order[i], ln) == 0)
                return parent.insert_child_before(name.c_str(), c);
    }
    return parent.append_child(name.c_str());
}

namespace {
struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};
} // namespace

std::string NodeText(pugi::xml_node node)
{
    StringWriter w;
    node.print(w, "", pugi::format_raw | pugi::format_no_declaration);
    return std::move(w.text);
}

std::string DocumentText(const pugi::xml_document& doc)
{
    StringWriter w;
    bool hasDecl = doc.first_child().type() == pugi::node_declaration;
    doc.save(w, "", pugi::format_raw | (hasDecl ? pugi::format_no_declaration : 0u), pugi::encoding_utf8);
    // pugixml writes no line break after a declaration it keeps in raw mode;
    // Excel does not care, so the text stays as it is.
    return std::move(w.text);
}

std::string ItemText(pugi::xml_node item)
{
    std::string text;
    for (pugi::xml_node c = item.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        const char* ln = LocalName(c.name());
        if (std::strcmp(ln, "t") == 0) {
            text += c.text().get();
        } else if (std::strcmp(ln, "r") == 0) {
            pugi::xml_node t = Child(c, "t");
            if (t)
                text += t.text().get();
        }
    }
    return DecodeEscapes(text);
}

bool ParseBool(const char* text, bool absentValue)
{
    if (!text || !*text)
        return absentValue;
    return !(std::strcmp(text, "0") == 0 || std::strcmp(text, "false") == 0);
}

} // namespace XlsxXml

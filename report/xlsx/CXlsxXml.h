// XML helpers of the workbook layer: escaping for the fast writers, the
// OOXML "_xHHHH_" character escapes, namespace-prefix tolerant lookups over
// pugixml and serialising nodes to text.
#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace XlsxXml {

// Parse flags that keep every character of text content.
constexpr unsigned ParseFlags = pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_declaration;

// Element text: escapes markup, writes control characters (and a literal
// "_xHHHH_" sequence) in the "_xHHHH_" form Excel uses, mends invalid UTF-8.
void AppendText(std::string& out, std::string_view text);
// The same "_xHHHH_" escaping without the markup escapes (for text that
// pugixml will escape when it writes it).
std::string EncodeEscapes(std::string_view text);
// Attribute value in double quotes' content.
void AppendAttr(std::string& out, std::string_view text);
// Shortest text that reads back as the same double.
void AppendNumber(std::string& out, double value);
// The same into at, which has room for kNumberRoom characters; returns the end.
constexpr size_t kNumberRoom = 32;
char* WriteNumber(char* at, double value);
void AppendUInt(std::string& out, std::uint64_t value);
// "_x000D_" and the like back to the characters they stand for.
std::string DecodeEscapes(std::string_view text);
// True when text needs xml:space="preserve" to keep its spaces.
bool NeedsPreserve(std::string_view text);

// The name without its namespace prefix.
const char* LocalName(const char* name);
// "x:" when the element's name carries a prefix, else "".
std::string PrefixOf(pugi::xml_node node);
pugi::xml_node Child(pugi::xml_node parent, const char* localName);
pugi::xml_node NextSibling(pugi::xml_node node, const char* localName);
// The attribute that is "id" in the relationships namespace (r:id).
pugi::xml_attribute RelId(pugi::xml_node node);

// Inserts an element named prefix+localName into parent at the place a
// schema sequence gives it (order lists the local names in order).
pugi::xml_node InsertInOrder(pugi::xml_node parent, const char* localName, const char* const* order, size_t count);

std::string NodeText(pugi::xml_node node);            // raw, no declaration
std::string DocumentText(const pugi::xml_document& doc); // raw, declaration kept

// Text of a <t>-bearing string item (plain <t> or rich runs <r><t>), with
// escapes decoded; phonetic runs left out.
std::string ItemText(pugi::xml_node item);

bool ParseBool(const char* text, bool absentValue);

} // namespace XlsxXml

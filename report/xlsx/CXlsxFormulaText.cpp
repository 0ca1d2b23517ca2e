#include "CXlsxFormulaText.h"

#include "CXlsxRef.h"

#include <cctype>
#include <vector>
#include <strings.h>

namespace XlsxFormulaText {

namespace {

bool IsNameChar(unsigned char c, bool first)
{
    if (std::isalpha(c) || c == '_' || c == '\\' || c >= 0x80)
        return true;
    return !first && (std::isdigit(c) || c == '.');
}

// "R1C1", "R", "C12" look like R1C1 references and must be quoted.
bool LooksR1C1(const std::string& name)
{
    size_t i = 0;
    auto part = [&](char letter) {
        if (i < name.size() && std::toupper(static_cast<unsigned char>(name[i])) == letter) {
            ++i;
            while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])))
                ++i;
            return true;
        }
        return false;
    };
    bool any = part('R');
    any = part('C') || any;
    return any && i == name.size();
}

// One piece of a reference: "$A$1", "B7", "$C", "12"; kind 'c' cell,
// 'l' letters only (a column), 'd' digits only (a row).
struct SRefPart {
    char m_kind = 0;
    bool m_absColumn = false, m_absRow = false;
    int m_column = 0, m_row = 0;
};

bool ParsePart(const std::string& text, SRefPart& part)
{
    size_t i = 0, n = text.size();
    part = SRefPart();
    if (i < n && text[i] == '$') {
        part.m_absColumn = true;
        ++i;
    }
    size_t letters = 0;
    while (i < n && std::isalpha(static_cast<unsigned char>(text[i])) && letters < 4) {
        part.m_column = part.m_column * 26 + (std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 1);
        ++i;
        ++letters;
    }
    if (letters > 3)
        return false;
    bool dollar = false;
    if (i < n && text[i] == '$') {
        dollar = true;
        ++i;
    }
    size_t digits = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 8) {
        part.m_row = part.m_row * 10 + (text[i] - '0');
        ++i;
        ++digits;
    }
    if (i != n || (letters == 0 && digits == 0))
        return false;
    if (letters && digits) {
        part.m_kind = 'c';
        part.m_absRow = dollar;
    } else if (letters) {
        if (dollar)
            return false;
        part.m_kind = 'l';
    } else {
        if (part.m_absColumn && dollar)
            return false;
        part.m_kind = 'd';
        part.m_absRow = part.m_absColumn || dollar;
        part.m_absColumn = false;
    }
    return part.m_column <= CXlsxRef::MaxColumn && part.m_row <= CXlsxRef::MaxRow
        && (part.m_kind == 'l' || part.m_row >= 1);
}

// The part moved; false when it left the sheet.
bool ShiftPart(SRefPart& part, int rows, int columns, std::string& out)
{
    if (part.m_kind != 'd' && !part.m_absColumn)
        part.m_column += columns;
    if (part.m_kind != 'l' && !part.m_absRow)
        part.m_row += rows;
    if ((part.m_kind != 'd' && (part.m_column < 1 || part.m_column > CXlsxRef::MaxColumn))
        || (part.m_kind != 'l' && (part.m_row < 1 || part.m_row > CXlsxRef::MaxRow)))
        return false;
    if (part.m_kind != 'd') {
        if (part.m_absColumn)
            out += '$';
        out += CXlsxRef::ColumnName(part.m_column);
    }
    if (part.m_kind != 'l') {
        if (part.m_absRow)
            out += '$';
        out += std::to_string(part.m_row);
    }
    return true;
}

// The run of reference characters (a cell, "A1:B2", "A:C", "1:3") moved,
// or false when it is no reference.
bool ShiftRun(const std::string& run, int rows, int columns, std::string& out)
{
    std::vector<SRefPart> parts;
    size_t start = 0;
    while (true) {
        size_t colon = run.find(':', start);
        SRefPart part;
        if (!ParsePart(run.substr(start, colon == std::string::npos ? std::string::npos : colon - start), part))
            return false;
        if (!parts.empty() && part.m_kind != parts[0].m_kind)
            return false;
        parts.push_back(part);
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    // A lone column or row is a name or a number, not a reference.
    if (parts.size() > 2 || (parts[0].m_kind != 'c' && parts.size() != 2))
        return false;
    std::string moved;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            moved += ':';
        if (!ShiftPart(parts[i], rows, columns, moved)) {
            out += "#REF!";
            return true;
        }
    }
    out += moved;
    return true;
}

} // namespace

std::string ShiftReferences(const std::string& formula, int rows, int columns)
{
    const std::string& f = formula;
    std::string out;
    out.reserve(f.size() + 8);
    size_t i = 0, n = f.size();
    auto quoted = [&](char quote) {
        size_t j = i + 1;
        while (j < n) {
            if (f[j] == quote) {
                if (j + 1 < n && f[j + 1] == quote) {
                    j += 2;
                    continue;
                }
                break;
            }
            ++j;
        }
        j = j < n ? j + 1 : n;
        out.append(f, i, j - i);
        i = j;
    };
    auto isRunChar = [](unsigned char c) {
        return std::isalnum(c) || c == '$' || c == ':' || c == '_' || c == '.' || c == '\\' || c >= 0x80;
    };
    while (i < n) {
        char c = f[i];
        if (c == '"' || c == '\'') {
            quoted(c);
            continue;
        }
        if (c == '[') {
            // structured and external references: copied as they are
            size_t j = i, depth = 0;
            do {
                if (f[j] == '[')
                    ++depth;
                else if (f[j] == ']')
                    --depth;
                ++j;
            } while (j < n && depth > 0);
            out.append(f, i, j - i);
            i = j;
            continue;
        }
        if (isRunChar(static_cast<unsigned char>(c))) {
            size_t j = i;
            while (j < n && isRunChar(static_cast<unsigned char>(f[j])))
                ++j;
            std::string run = f.substr(i, j - i);
            bool name = j < n && (f[j] == '(' || f[j] == '!' || f[j] == '[');
            if (name || !ShiftRun(run, rows, columns, out))
                out += run;
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

bool SameSheetName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

std::string QuoteSheetName(const std::string& name)
{
    bool plain = !name.empty();
    for (size_t i = 0; plain && i < name.size(); ++i)
        plain = IsNameChar(static_cast<unsigned char>(name[i]), i == 0) && name[i] != '\\';
    int row = 0, column = 0;
    if (plain && (CXlsxRef::ParseCell(name, row, column) || LooksR1C1(name)))
        plain = false;
    if (plain)
        return name;
    std::string quoted = "'";
    for (char c : name) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted + "'";
}

bool RenameSheet(std::string& formula, const std::string& oldName, const std::string& newName)
{
    std::string out;
    out.reserve(formula.size() + newName.size());
    bool changed = false;
    const std::string& f = formula;
    size_t i = 0, n = f.size();
    while (i < n) {
        char c = f[i];
        if (c == '"') {
            size_t j = i + 1;
            while (j < n) {
                if (f[j] == '"') {
                    if (j + 1 < n && f[j + 1] == '"') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = j < n ? j + 1 : n;
            out.append(f, i, j - i);
            i = j;
            continue;
        }
        bool external = i > 0 && f[i - 1] == ']';
        if (c == '\'') {
            std::string name;
            size_t j = i + 1;
            while (j < n) {
                if (f[j] == '\'') {
                    if (j + 1 < n && f[j + 1] == '\'') {
                        name += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                name += f[j++];
            }
            if (j < n && j + 1 < n && f[j + 1] == '!' && SameSheetName(name, oldName)) {
                out += QuoteSheetName(newName);
                changed = true;
            } else {
                out.append(f, i, (j < n ? j + 1 : n) - i);
            }
            i = j < n ? j + 1 : n;
            continue;
        }
        bool boundary = i == 0 || !IsNameChar(static_cast<unsigned char>(f[i - 1]), false);
        if (boundary && !external && IsNameChar(static_cast<unsigned char>(c), true)) {
            size_t j = i;
            while (j < n && IsNameChar(static_cast<unsigned char>(f[j]), false))
                ++j;
            std::string name = f.substr(i, j - i);
            if (j < n && f[j] == '!' && SameSheetName(name, oldName)) {
                out += QuoteSheetName(newName);
                changed = true;
            } else {
                out += name;
            }
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    if (changed)
        formula = std::move(out);
    return changed;
}

} // namespace XlsxFormulaText

#include "CXlsxFormulaText.h"

#include "CXlsxRef.h"

#include <cctype>
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

} // namespace

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

#include "CGridSortKey.h"

#include <cmath>
#include <cstdlib>

namespace {

// A decimal number ("12", "-3.5", "1e6", blanks around allowed) without the
// cost of QString::toDouble on every cell of a long column.
bool ReadNumber(const QString& text, double& value)
{
    const int size = text.size();
    if (size == 0 || size > 60) return false;
    char buffer[64];
    int n = 0;
    bool digits = false;
    for (int i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E' && c != ' ')
            return false;
        buffer[n++] = static_cast<char>(c);
    }
    if (!digits) return false;
    buffer[n] = 0;
    char* end = nullptr;
    value = std::strtod(buffer, &end);
    while (end && *end == ' ') ++end;
    return end && *end == 0 && buffer[0] != 0 && std::isfinite(value);
}

// The text compared without case; plain lower-case ASCII is used as it is.
QString FoldedKey(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 || (u >= 'A' && u <= 'Z')) return text.toCaseFolded();
    }
    return text;
}

}  // namespace

CGridSortKey CGridSortKey::Of(const QString& cell)
{
    CGridSortKey key;
    double number = 0;
    if (ReadNumber(cell, number)) {
        key.number = number;
    } else {
        key.text = true;
        key.folded = FoldedKey(cell);
    }
    return key;
}

int CGridSortKey::Compare(const CGridSortKey& other) const
{
    if (text != other.text) return text ? 1 : -1;
    if (!text) return number < other.number ? -1 : (other.number < number ? 1 : 0);
    const int c = folded.compare(other.folded);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

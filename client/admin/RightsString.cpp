#include "RightsString.h"

namespace rights {

bool Granted(const QString& digits, int position)
{
    if (position < 0 || position >= digits.size()) return false;
    const QChar digit = digits[position];
    return digit == '1' || digit == '3';
}

static void Put(QString& text, int position, int state)
{
    if (state < 0) return;
    if (state && text[position] == '3') return;
    text[position] = state ? '1' : '0';
}

QString Compose(const QString& stored, const int commands[3], const std::vector<int>& fields)
{
    const int length = std::max<int>(kLength, kFirstField + static_cast<int>(fields.size()));
    QString text(length, '0');
    for (int i = 0; i < stored.size() && i < length; ++i)
        if (stored[i] >= '0' && stored[i] <= '9') text[i] = stored[i];
    for (int i = 0; i < 3; ++i) Put(text, i, commands[i]);
    for (size_t i = 0; i < fields.size(); ++i) Put(text, kFirstField + static_cast<int>(i), fields[i]);
    return text;
}

std::vector<bool> GrantedByAny(const std::vector<QString>& strings)
{
    std::vector<bool> granted(kLength, false);
    for (const QString& digits : strings) {
        if (static_cast<int>(granted.size()) < digits.size()) granted.resize(digits.size(), false);
        for (int i = 0; i < digits.size(); ++i)
            if (Granted(digits, i)) granted[i] = true;
    }
    return granted;
}

}  // namespace rights

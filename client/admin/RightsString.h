// The 64-digit rights string of a user or group: digits 0-2 the commands
// (add defect, delete defect, system management), 3-9 reserved, 10+i the
// defect field i, '0' filling up to 64.
#pragma once

#include <QString>
#include <vector>

namespace rights {

constexpr int kLength = 64;
constexpr int kFirstField = 10;

// Digit 1 or 3 grants (the reading of the permission dialogs).
bool Granted(const QString& digits, int position);
// The string to store: the stored digits (padded with '0' to 64, anything
// but a digit read as '0'), with the three command digits and the field
// digits replaced by the states given. A state of -1 keeps the stored digit;
// a ticked state keeps a stored '3'.
QString Compose(const QString& stored, const int commands[3], const std::vector<int>& fields);
// For each position, whether any of the strings grants it.
std::vector<bool> GrantedByAny(const std::vector<QString>& strings);

}  // namespace rights

#include "DateText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string FormatDate(const CDateTime& v, int dateFormat) {
    if (v.year <= 0) return std::string();
    char buffer[64];
    bool midnight = v.hour <= 0 && v.minute <= 0 && v.second <= 0;
    if (dateFormat == DATE_FORMAT_DIGITS) {
        if (midnight)
            snprintf(buffer, sizeof buffer, "%04d%02d%02d", v.year, v.month, v.day);
        else
            snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d%02d", v.year, v.month, v.day,
                     v.hour, v.minute, v.second);
    } else {
        if (midnight)
            snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", v.year, v.month, v.day);
        else
            snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", v.year, v.month,
                     v.day, v.hour, v.minute, v.second);
    }
    return buffer;
}

int ParseDate(const char* text, CDateTime& v, int dateFormat) {
    if (!text || !*text) return 0;
    if (dateFormat != DATE_FORMAT_DASHES && dateFormat != DATE_FORMAT_DIGITS) return 0;
    v = CDateTime();
    size_t length = strlen(text);
    const char* layout = nullptr;
    if (dateFormat == DATE_FORMAT_DIGITS) {
        switch (length) {
        case 6: layout = "%04d%02d"; break;
        case 8: layout = "%04d%02d%02d"; break;
        case 10: layout = "%04d%02d%02d%02d"; break;
        case 12: layout = "%04d%02d%02d%02d%02d"; break;
        case 14: layout = "%04d%02d%02d%02d%02d%02d"; break;
        default: break;
        }
    } else {
        switch (length) {
        case 7: layout = "%04d-%02d"; break;
        case 10: layout = "%04d-%02d-%02d"; break;
        case 13: layout = "%04d-%02d-%02d %02d"; break;
        case 16: layout = "%04d-%02d-%02d %02d:%02d"; break;
        case 19: layout = "%04d-%02d-%02d %02d:%02d:%02d"; break;
        default: break;
        }
    }
    if (length == 4) {
        v.year = atoi(text);
        v.month = 1;
        v.day = 1;
        return 1;
    }
    if (!layout) return 0;
    if (length == 6 || length == 7) v.day = 1;
    sscanf(text, layout, &v.year, &v.month, &v.day, &v.hour, &v.minute, &v.second);
    return 1;
}

namespace {

template <class T>
std::string ShortestText(T value) {
    char buffer[64];
    std::to_chars_result r;
    double magnitude = std::fabs(static_cast<double>(value));
    if (std::isfinite(magnitude) && (magnitude == 0 || (magnitude >= 1e-5 && magnitude < 1e16)))
        r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    else
        r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

}  // namespace

std::string FormatDouble(double value) { return ShortestText(value); }
std::string FormatFloat(float value) { return ShortestText(value); }

std::string TrimDecimal(const std::string& text) {
    if (text.find('.') == std::string::npos || text.find_first_of("eE") != std::string::npos)
        return text;
    size_t end = text.find_last_not_of('0');
    std::string out = text.substr(0, end + 1);
    if (!out.empty() && out.back() == '.') out.pop_back();
    if (out.empty() || out == "-") out = "0";
    if (out == "-0") out = "0";
    return out;
}

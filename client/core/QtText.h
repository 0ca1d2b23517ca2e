// Conversions between the base library's UTF-8 CListString and QString.
#pragma once

#include "CListString.h"

#include <QString>

inline QString ToQt(const CListString& text) { return QString::fromUtf8(text.CStr(), text.GetLength()); }
inline QString ToQt(const char* text) { return QString::fromUtf8(text ? text : ""); }
inline CListString ToList(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return CListString(bytes.constData(), static_cast<int>(bytes.size()));
}

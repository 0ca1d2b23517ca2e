// CGridSortKey: how a grid orders its texts: numbers (by value) before
// texts (without case); read once per cell, compared many times.
#pragma once

#include <QString>

struct CGridSortKey {
    bool text = false;
    double number = 0;
    QString folded;

    static CGridSortKey Of(const QString& cell);
    // -1, 0 or 1 as this key orders before, with or after other.
    int Compare(const CGridSortKey& other) const;
};

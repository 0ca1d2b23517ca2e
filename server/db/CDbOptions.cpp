#include "CDbOptions.h"

#include <cstdlib>

void CDbOptions::Set(int option, const char* value) {
    const char* text = value ? value : "";
    switch (option) {
    case 1: rowLimit = atoi(text); break;
    case 2: commitType = atoi(text); break;
    case 3: dateFormat = atoi(text); break;
    case 4: option4 = atoi(text); break;
    case 5: fetchCount = atoi(text); break;
    case 6: columnSep = text; break;
    case 7: idleSeconds = atoi(text); break;
    case 8: lineSep = text; break;
    case 9: header = atoi(text); break;
    default: break;
    }
}

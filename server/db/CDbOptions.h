// CDbOptions: the nine numbered options of a database object, set from
// texts with SetOption.
#pragma once

#include <string>

struct CDbOptions {
    int rowLimit = 4000;         // 1: rows of Query
    int commitType = 1;          // 2: not 0 commits after each statement
    int dateFormat = 0;          // 3: 0 dashes, 1 digits only
    int option4 = 0;             // 4: no effect
    int fetchCount = 1000;       // 5: rows per SelectNext
    std::string columnSep = "|"; // 6
    int idleSeconds = 1800;      // 7: idle time of a paged query
    std::string lineSep = "\n";  // 8
    int header = 1;              // 9: header line of QueryToText / SelectNext

    // Options 1-9 from a text (numbers read like atoi); others do nothing.
    void Set(int option, const char* value);
};

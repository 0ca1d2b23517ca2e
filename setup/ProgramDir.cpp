#include "ProgramDir.h"

#include "Helpers.h"

CListString GetProgramDir() {
    return GetModulePathPart(0);
}

CListString ProgramPath(const CListString& programDir, const char* name) {
    CListString path(programDir);
    path.AppendChar('/');
    path.AppendText(name);
    return path;
}

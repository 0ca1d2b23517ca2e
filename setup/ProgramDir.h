// The program directory of lumenosetup and the paths it forms from it.
#pragma once

#include "CListString.h"

// The folder of the running program, without a trailing '/'; empty when it
// cannot be found.
CListString GetProgramDir();
// programDir + "/" + name.
CListString ProgramPath(const CListString& programDir, const char* name);

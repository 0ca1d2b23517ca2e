// Menu entries: freedesktop .desktop files in a folder of the applications
// menu.
#pragma once

#include "CListString.h"

// The applications menu folder: $ZENTRY_APPLICATIONS_DIR when set, else
// /usr/share/applications for root, else $XDG_DATA_HOME/applications or
// ~/.local/share/applications. Empty when none can be found.
CListString GetApplicationsDir();
// Makes the folder and its missing parents; true when it exists afterwards.
bool MakeFolders(const char* path);
// Writes a .desktop file at shortcutPath that runs the target (a ".sh"
// script) or opens it with xdg-open (anything else). 1 when saved, 0 when
// not (a path that cannot be written into the entry, or a write failure).
int CreateShortcut(const char* targetPath, const char* shortcutPath);

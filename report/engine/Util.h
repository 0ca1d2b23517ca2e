// Util: what report scripts may ask of the host program: its own path, and
// opening a file with the desktop's default program.
#pragma once

#include <string>

class Util {
public:
    Util() = default;
    // 0 folder, 1 full path, 2 file name, 3 base name of the host program.
    std::string GetExePath(int kind) const;
    // Hands the path to xdg-open without waiting for it; false for a null
    // path or when the opener cannot be started.
    bool Run(const char* path) const;
};

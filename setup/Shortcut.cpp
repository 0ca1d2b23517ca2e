#include "Shortcut.h"

#include "TextFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool EndsWith(const std::string& text, const char* tail) {
    const size_t n = strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

bool HasControl(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

// A value of type string: backslashes doubled, a leading blank escaped.
std::string EscapeString(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\')
            out += "\\\\";
        else if (c == ' ' && i == 0)
            out += "\\s";
        else
            out.push_back(c);
    }
    return out;
}

// One quoted argument of Exec: ", `, $ and \ escaped inside the quotes, %
// doubled (field codes), then the string escaping of the value.
std::string ExecArgument(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted.push_back('\\');
        if (c == '%') quoted.push_back('%');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    std::string out;
    for (char c : quoted) {
        if (c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

CListString GetApplicationsDir() {
    const char* forced = getenv("ZENTRY_APPLICATIONS_DIR");
    if (forced && *forced) return CListString(forced);
    if (geteuid() == 0) return CListString("/usr/share/applications");
    const char* dataHome = getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/') return CListString((std::string(dataHome) + "/applications").c_str());
    std::string home;
    const char* envHome = getenv("HOME");
    if (envHome && envHome[0] == '/') {
        home = envHome;
    } else {
        const struct passwd* user = getpwuid(geteuid());
        if (user && user->pw_dir && user->pw_dir[0] == '/') home = user->pw_dir;
    }
    if (home.empty()) return CListString();
    return CListString((home + "/.local/share/applications").c_str());
}

bool MakeFolders(const char* path) {
    if (!path || !*path) return false;
    std::string folder(path);
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i < folder.size() && folder[i] != '/') continue;
        const std::string part = folder.substr(0, i);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

int CreateShortcut(const char* targetPath, const char* shortcutPath) {
    if (!targetPath || !*targetPath || !shortcutPath || !*shortcutPath) return 0;
    const std::string target(targetPath), shortcut(shortcutPath);
    if (HasControl(target) || HasControl(shortcut)) return 0;

    std::string name = BaseName(shortcut);
    if (EndsWith(name, ".desktop")) name.resize(name.size() - strlen(".desktop"));
    const bool script = EndsWith(target, ".sh");
    std::string entry = "[Desktop Entry]\n"
                        "Type=Application\n"
                        "Version=1.0\n";
    entry += "Name=" + EscapeString(name) + "\n";
    entry += "Exec=" + std::string(script ? "" : "xdg-open ") + ExecArgument(target) + "\n";
    entry += "Path=" + EscapeString(FolderOf(target)) + "\n";
    entry += "Terminal=false\n";
    std::string error;
    return ReplaceFileContent(shortcutPath, entry, error) ? 1 : 0;
}

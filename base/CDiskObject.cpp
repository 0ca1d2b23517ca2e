#include "CDiskObject.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fnmatch.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const {
        if (dir) closedir(dir);
    }
};

void ToSlashes(CListString& path) {
    path.ReplaceChar('\\', '/');
}

}  // namespace

CDiskObject::CDiskObject() = default;
CDiskObject::~CDiskObject() = default;

int CDiskObject::ListFilesMatching(const char* mask, const char* folder, CListStringList& list,
                                   int fullPath) {
    ClearError();
    CListString dir(folder);
    NormaliseFolder(dir);
    // "*.*" takes every name, with or without a dot.
    const char* pattern = (!mask || !*mask || strcmp(mask, "*.*") == 0) ? "*" : mask;
    CListString searched(dir);
    searched.AppendText(mask ? mask : "");

    std::unique_ptr<DIR, DirCloser> handle(opendir(dir.CStr()));
    if (!handle) {
        SetErrorFromSystem(errno, searched.CStr());
        return 0;
    }
    // The folder's own entries count as matches, as a search for "*" finds them.
    bool matched = fnmatch(pattern, ".", FNM_CASEFOLD) == 0;
    while (const dirent* entry = readdir(handle.get())) {
        const char* name = entry->d_name;
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) continue;
        if (fnmatch(pattern, name, FNM_CASEFOLD) != 0) continue;
        matched = true;
        CListString path(dir);
        path.AppendText(name);
        struct stat st;
        if (stat(path.CStr(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
        list.Add(fullPath == 1 ? path : CListString(name));
    }
    if (!matched) {
        SetErrorFromSystem(ENOENT, searched.CStr());
        return 0;
    }
    return 1;
}

int CDiskObject::ListFiles(const char* folder, CListStringList& list, int fullPath) {
    return ListFilesMatching("*.*", folder, list, fullPath);
}

int CDiskObject::DeleteAllFiles(const char* folder) {
    ClearError();
    CListStringList files;
    if (!ListFiles(folder, files, 1)) return 0;
    for (int i = 0; i < files.GetCount(); ++i) {
        const CListString* path = files.ElementAt(i);
        if (unlink(path->CStr()) != 0) {
            SetErrorFromSystem(errno, path->CStr());
            return 0;
        }
    }
    return 1;
}

int CDiskObject::DeleteFolder(const char* folder) {
    ClearError();
    if (!folder || !*folder) {
        SetInternalError();
        return 0;
    }
    if (!DeleteAllFiles(folder)) return 0;
    CListString dir(folder);
    NormaliseFolder(dir);
    if (rmdir(dir.CStr()) != 0) {
        SetErrorFromSystem(errno, dir.CStr());
        return 0;
    }
    return 1;
}

void CDiskObject::ClearError() {
    m_error.SetText("");
}

void CDiskObject::SetInternalError() {
    m_error.SetText("CDiskObject internal error");
}

void CDiskObject::SetErrorFromSystem(int code, const char* path) {
    char buffer[256];
    // The GNU strerror_r returns the message, which may not be in buffer.
    const char* message = strerror_r(code, buffer, sizeof buffer);
    m_error.SetText(message);
    m_error.Trim();
    if (path && *path) {
        m_error.AppendChar(' ');
        m_error.AppendText(path);
    }
}

void CDiskObject::NormaliseFolder(CListString& path) {
    ToSlashes(path);
    if (!path.IsEmpty() && path.GetAt(path.GetLength() - 1) != '/') path.AppendChar('/');
    if (path.Left(2).Compare("//") == 0) return;
    MakeAbsolutePath(path);
}

void CDiskObject::MakeAbsolutePath(CListString& path) {
    ToSlashes(path);
    if (path.GetAt(0) == '/') return;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return;
    std::string base(cwd);
    CListString rest(path);
    // Each leading "../" takes the base one folder up, computed on the text
    // so the working directory of the process is never touched.
    const int folderEnd = rest.ReverseFindChar('/');
    if (folderEnd >= 2 && rest.Left(3).Compare("../") == 0) {
        while (rest.Left(3).Compare("../") == 0) {
            rest.Delete(0, 3);
            const size_t slash = base.rfind('/');
            base.erase(slash == 0 || slash == std::string::npos ? 1 : slash);
        }
    }
    CListString result(base.c_str());
    if (result.GetAt(result.GetLength() - 1) != '/') result.AppendChar('/');
    result.Append(rest);
    path = result;
}

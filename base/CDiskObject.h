// CDiskObject: folder operations (list files, delete files, delete a folder,
// normalise a folder path). Every operation clears and then possibly sets
// the last error text. Paths use '/'; a '\' given is read as '/'.
#pragma once

#include "CListString.h"
#include "CListStringList.h"

class CDiskObject {
public:
    CDiskObject();
    ~CDiskObject();

    // Appends the names of the folder's files that match the mask (sub-folders
    // left out), each preceded by the normalised folder when fullPath is 1.
    // 0 when the folder cannot be read or nothing matches the mask.
    int ListFilesMatching(const char* mask, const char* folder, CListStringList& list,
                          int fullPath);
    int ListFiles(const char* folder, CListStringList& list, int fullPath);  // mask "*.*"
    int DeleteAllFiles(const char* folder);  // files only, sub-folders stay
    int DeleteFolder(const char* folder);

    const CListString& GetErrorMessage() const { return m_error; }
    void ClearError();
    void SetInternalError();  // "CDiskObject internal error"
    // strerror(code), then a blank and the path when there is one.
    void SetErrorFromSystem(int code, const char* path);

    // Ends the path with '/' and makes it absolute; a "//" network-style path
    // is kept as it is.
    void NormaliseFolder(CListString& path);
    // Puts the working directory in front of a relative path, resolving
    // leading "../" parts; the working directory itself never changes.
    void MakeAbsolutePath(CListString& path);

private:
    CListString m_error;
};

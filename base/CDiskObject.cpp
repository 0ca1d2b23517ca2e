#include "CDiskObject.h"

CDiskObject::CDiskObject() = default;
CDiskObject::~CDiskObject() = default;
int CDiskObject::ListFilesMatching(const char*, const char*, CListStringList&, int) { return 0; }
int CDiskObject::ListFiles(const char* folder, CListStringList& list, int fullPath) { return ListFilesMatching("*.*", folder, list, fullPath); }
int CDiskObject::DeleteAllFiles(const char*) { return 0; }
int CDiskObject::DeleteFolder(const char*) { return 0; }
void CDiskObject::ClearError() { m_error.SetText(""); }
void CDiskObject::SetInternalError() { m_error.SetText("CDiskObject internal error"); }
void CDiskObject::SetErrorFromSystem(int, const char*) {}
void CDiskObject::NormaliseFolder(CListString&) {}
void CDiskObject::MakeAbsolutePath(CListString&) {}

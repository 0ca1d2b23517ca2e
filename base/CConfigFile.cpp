#include "CConfigFile.h"

CConfigFile::CConfigFile() = default;
CConfigFile::~CConfigFile() = default;
int CConfigFile::Load(const char* path) { m_path = path; m_entries.clear(); return 0; }
CListString CConfigFile::GetValue(const char*, const char*) const { return CListString(); }
long CConfigFile::GetInt(const char*, const char*) const { return 0; }
CListString CConfigFile::GetTextById(int, const char*) const { return CListString(); }
int CConfigFile::SetValue(const char*, const char*, const char*) { return 1; }
int CConfigFile::SetInt(const char*, int, const char*) { return 1; }
int CConfigFile::GetKeys(CListStringList& list, const char*) const { list.RemoveAll(); return 0; }
int CConfigFile::SaveAs(const char*) { return 0; }
int CConfigFile::Save() { return 0; }
int CConfigFile::ImportDefines(const char*, const char*) { return 0; }

// Names of attachment files: a user's file name reduced to a plain name,
// and the remote path "<attach path>/<defect id>_<name>" of the FTP site.
#pragma once

#include <string>

// The plain file name of a path or name: the part after the last '/' or
// '\', without control characters, '*' and '?' replaced by '_', blanks at
// both ends trimmed. "" when nothing usable is left ("", ".", "..").
std::string PlainFileName(const std::string& name);
// True when the name is already a plain file name.
bool IsPlainFileName(const std::string& name);
// "%s/%d_%s" of the attach path (one trailing '/' dropped), the id and the
// name; "" when the name is not plain (a stored name never leads the path
// out of the attach folder).
std::string AttachmentRemotePath(const std::string& attachPath, int bugId, const std::string& fileName);
// "%d_%s": the name of an attachment's file on the FTP site.
std::string AttachmentRemoteName(int bugId, const std::string& fileName);

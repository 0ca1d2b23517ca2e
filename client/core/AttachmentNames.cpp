#include "AttachmentNames.h"

std::string PlainFileName(const std::string& name) {
    const size_t cut = name.find_last_of("/\\");
    const std::string last = cut == std::string::npos ? name : name.substr(cut + 1);
    std::string plain;
    plain.reserve(last.size());
    for (const char c : last) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) continue;
        plain += (c == '*' || c == '?') ? '_' : c;
    }
    const size_t first = plain.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    plain = plain.substr(first, plain.find_last_not_of(' ') - first + 1);
    if (plain == "." || plain == "..") return std::string();
    return plain;
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && PlainFileName(name) == name;
}

std::string AttachmentRemoteName(int bugId, const std::string& fileName) {
    return std::to_string(bugId) + "_" + fileName;
}

std::string AttachmentRemotePath(const std::string& attachPath, int bugId, const std::string& fileName) {
    if (!IsPlainFileName(fileName)) return std::string();
    std::string folder = attachPath;
    if (!folder.empty() && folder.back() == '/') folder.pop_back();
    return folder + "/" + AttachmentRemoteName(bugId, fileName);
}

#include "FtpServerConfig.h"

#include "ProgramDir.h"
#include "TextEncoding.h"
#include "TextFile.h"

#include <memory>
#include <string>

namespace {

const char kBom[] = "\xEF\xBB\xBF";

// The text with every line feed written as CR LF.
std::string WithCrLf(const char* text, int length) {
    std::string out;
    out.reserve(static_cast<size_t>(length) + static_cast<size_t>(length) / 16 + 8);
    for (int i = 0; i < length; ++i) {
        if (text[i] == '\n') out.push_back('\r');
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace

bool WriteFtpServerConfig() {
    const CListString programDir = GetProgramDir();
    if (programDir.IsEmpty()) return false;
    const CListString templatePath = ProgramPath(programDir, "ftp_tmp.xml");
    const CListString configPath = ProgramPath(programDir, "FileZilla Server.xml");
    const CListString documentRoot = ProgramPath(programDir, "web");

    // Every line read ends with a line feed, so "-1" only ever means failure.
    CListString text = ReadTextFile(templatePath.CStr(), 0);
    if (text.Compare("-1") == 0) return false;
    text.Replace("$INSTALL_PATH", documentRoot.CStr());

    const int length = text.GetLength();
    std::unique_ptr<char[]> utf8(new char[3 * static_cast<size_t>(length) + 1]);
    int utf8Length = AnsiToUtf8(text.CStr(), length, utf8.get());
    const char* start = utf8.get();
    // A template saved with its own mark would otherwise start with two.
    if (utf8Length >= 3 && std::string(start, 3) == kBom) {
        start += 3;
        utf8Length -= 3;
    }

    std::string bytes(kBom);
    bytes += WithCrLf(start, utf8Length);
    std::string error;
    return ReplaceFileContent(configPath.CStr(), bytes, error);
}

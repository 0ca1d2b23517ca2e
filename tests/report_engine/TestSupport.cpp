#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TempDir::TempDir() {
    char pattern[] = "/tmp/zreport-XXXXXX";
    const char* made = mkdtemp(pattern);
    m_path = made ? made : "/tmp";
}

TempDir::~TempDir() {
    if (m_path.rfind("/tmp/zreport-", 0) == 0) {
        const std::string command = "rm -rf '" + m_path + "'";
        if (system(command.c_str()) != 0) fprintf(stderr, "could not remove %s\n", m_path.c_str());
    }
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

namespace {

int RunShell(const std::string& command, std::string* output) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1000;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    const int status = pclose(pipe);
    if (output) *output = text;
    if (status == -1 || !WIFEXITED(status)) return -1000;
    return WEXITSTATUS(status);
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

}  // namespace

int RunPython(const std::string& code, std::string* output) {
    char path[] = "/tmp/zreport-py-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return -1000;
    close(fd);
    WriteFile(path, code);
    const int rc = RunShell(std::string("/usr/bin/python3 ") + path + " </dev/null", output);
    unlink(path);
    return rc;
}

int RunProgram(const std::string& program, const std::string& arguments, const std::string& folder,
               std::string* output) {
    return RunShell("cd " + Quote(folder) + " && " + Quote(program) + " " + arguments + " </dev/null",
                    output);
}

std::string SetUpSqliteDsn(const TempDir& dir) {
    const std::string db = dir.File("report.sqlite");
    WriteFile(dir.File("odbcinst.ini"),
              "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n");
    WriteFile(dir.File("odbc.ini"), "[ztest]\nDriver=SQLite3\nDatabase=" + db + "\n");
    setenv("ODBCSYSINI", dir.Path().c_str(), 1);
    setenv("ODBCINI", dir.File("odbc.ini").c_str(), 1);
    return db;
}

#include "SetupRun.h"

#include "FolderNames.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const char kDriver[] = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

void RemoveTree(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        chmod(path.c_str(), 0700);
        for (const std::string& name : SetupRun::ListFolder(path)) RemoveTree(path + "/" + name);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

// Runs file with argv and the environment; output of both streams caught.
SetupResult Spawn(const std::string& file, const std::vector<std::string>& argv,
                  const std::vector<std::pair<std::string, std::string>>& overrides) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string key = entry.substr(0, entry.find('='));
        const bool replaced = std::any_of(overrides.begin(), overrides.end(),
                                          [&](const auto& kv) { return kv.first == key; });
        if (!replaced) env.push_back(entry);
    }
    for (const auto& kv : overrides) env.push_back(kv.first + "=" + kv.second);
    std::vector<char*> envp, args;
    for (auto& e : env) envp.push_back(&e[0]);
    envp.push_back(nullptr);
    std::vector<std::string> argCopy(argv);
    for (auto& a : argCopy) args.push_back(&a[0]);
    args.push_back(nullptr);

    SetupResult result;
    int fds[2];
    if (pipe(fds) != 0) return result;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        execve(file.c_str(), args.data(), envp.data());
        _exit(127);
    }
    close(fds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, n);
    close(fds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

}  // namespace

SetupRun::SetupRun(const std::string& programFolder) {
    char pattern[] = "/tmp/zsetup-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    m_root = made ? made : "/nonexistent";
    m_programDir = m_root + "/" + programFolder;
    m_systemDir = m_root + "/sys";
    m_userDir = m_root + "/user";
    mkdir(m_programDir.c_str(), 0755);
    mkdir(m_systemDir.c_str(), 0755);
    mkdir(m_userDir.c_str(), 0755);
    mkdir((m_root + "/home").c_str(), 0755);
    const std::string program = ProgramFile("lumenosetup");
    WriteFile(program, ReadFile(LUMENOSETUP));
    chmod(program.c_str(), 0755);
    WriteFile(OdbcInstIni(), std::string("[SQLite3]\nDriver=") + kDriver + "\n\n");
}

SetupRun::~SetupRun() {
    if (m_root != "/nonexistent") RemoveTree(m_root);
}

std::vector<std::pair<std::string, std::string>> SetupRun::Environment() const {
    return {{"ODBCSYSINI", m_systemDir},
            {"ODBCINI", UserIni()},
            {"ZENTRY_APPLICATIONS_DIR", ApplicationsDir()},
            {"HOME", m_root + "/home"}};
}

void SetupRun::ApplyOdbcEnvironment() const {
    setenv("ODBCSYSINI", m_systemDir.c_str(), 1);
    setenv("ODBCINI", UserIni().c_str(), 1);
}

SetupResult SetupRun::Run(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv{ProgramFile("lumenosetup")};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return Spawn(argv[0], argv, Environment());
}

bool SetupRun::MakeDatabase() const {
    const std::string db = ProgramFile("Lumeno.db");
    const SetupResult made = Spawn("/bin/bash", {"bash", ZENTRY_SOURCE_DIR "/scripts/make-db", db}, {});
    return made.exitCode == 0 && Exists(db);
}

bool SetupRun::WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

std::string SetupRun::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool SetupRun::Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> SetupRun::ListFolder(const std::string& path) {
    return SortedFolderNames(path);
}

IniSections SetupRun::ReadIni(const std::string& path) {
    IniSections sections;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const std::string text = Trim(line);
        if (text.empty() || text[0] == '#' || text[0] == ';') continue;
        if (text.front() == '[' && text.back() == ']') {
            sections.push_back({text.substr(1, text.size() - 2), {}});
            continue;
        }
        const size_t eq = text.find('=');
        if (eq == std::string::npos || sections.empty()) continue;
        sections.back().second.push_back({Trim(text.substr(0, eq)), Trim(text.substr(eq + 1))});
    }
    return sections;
}

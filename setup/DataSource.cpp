#include "DataSource.h"

#include <sql.h>
#include <odbcinst.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

const char kDataSourceDriver[] = "SQLite3";

// libodbcinst's own answers to where the system files live (ODBCSYSINI,
// else its configured folder) and which file is the user's odbc.ini
// (ODBCINI, else ~/.odbc.ini); both are exported but have no public header.
extern "C" char* odbcinst_system_file_path(char* buffer);
extern "C" BOOL _odbcinst_UserINI(char* fileName, BOOL verify);

namespace {

const char kOdbcIni[] = "odbc.ini";

// Sets the installer's configuration mode and puts the old one back.
class ConfigModeScope {
public:
    explicit ConfigModeScope(UWORD mode) {
        m_saved = SQLGetConfigMode(&m_old);
        SQLSetConfigMode(mode);
    }
    ~ConfigModeScope() { SQLSetConfigMode(m_saved ? m_old : ODBC_BOTH_DSN); }
    ConfigModeScope(const ConfigModeScope&) = delete;
    ConfigModeScope& operator=(const ConfigModeScope&) = delete;

private:
    UWORD m_old = ODBC_BOTH_DSN;
    BOOL m_saved = 0;
};

// A value odbc.ini keeps as given: one line, not blank at either end.
bool StorableValue(const std::string& value) {
    if (value.empty()) return false;
    for (unsigned char c : value)
        if (c < 0x20 || c == 0x7F) return false;
    return value.front() != ' ' && value.back() != ' ';
}

std::string SystemFile(const char* name) {
    char folder[FILENAME_MAX + 1] = {0};
    const char* path = odbcinst_system_file_path(folder);
    return path && *path ? std::string(path) + "/" + name : std::string();
}

std::string UserIniFile() {
    char file[FILENAME_MAX + 1] = {0};
    return _odbcinst_UserINI(file, 0) ? std::string(file) : std::string();
}

// unixODBC makes an empty file of any ini it is asked about: it is asked
// only about files that are there.
bool FileExists(const std::string& path) {
    return !path.empty() && access(path.c_str(), F_OK) == 0;
}

bool DriverInstalled(const char* driver) {
    if (!FileExists(SystemFile("odbcinst.ini"))) return false;
    // A list of names, each ended by a NUL, the list by a second NUL.
    std::vector<char> names(1 << 16, 0);
    WORD used = 0;
    if (!SQLGetInstalledDrivers(names.data(), static_cast<WORD>(names.size() - 2), &used))
        return false;
    for (const char* p = names.data(); *p; p += strlen(p) + 1)
        if (strcmp(p, driver) == 0) return true;
    return false;
}

// unixODBC refuses to write a data source into a system odbc.ini that did
// not exist when the process first looked at it, so it is made (empty)
// before the first look.
void EnsureSystemIniExists() {
    const std::string file = SystemFile(kOdbcIni);
    if (file.empty()) return;
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) close(fd);
}

void RemoveIn(UWORD mode, const char* name) {
    ConfigModeScope scope(mode);
    SQLRemoveDSNFromIni(name);
}

}  // namespace

void RemoveDataSource(const char* name) {
    if (!name || !*name) return;
    if (FileExists(SystemFile(kOdbcIni))) RemoveIn(ODBC_SYSTEM_DSN, name);
    if (FileExists(UserIniFile())) RemoveIn(ODBC_USER_DSN, name);
}

bool RegisterDataSource(const char* name, const char* databasePath, const char* description) {
    if (!name || !databasePath || !description) return false;
    const std::vector<std::pair<const char*, std::string>> attributes = {
        {"DESCRIPTION", description},
        {"Database", databasePath},
        {"Timeout", "10000"},
        {"SyncPragma", "FULL"},
        {"JournalMode", "WAL"},
        {"BigInt", "1"},
        {"LongNames", "0"},
        {"StepAPI", "1"},  // step through results, not read them whole at execute
    };
    if (!StorableValue(name) || strpbrk(name, "[]=;") != nullptr) return false;
    for (const auto& attribute : attributes)
        if (!StorableValue(attribute.second)) return false;
    if (!DriverInstalled(kDataSourceDriver)) return false;

    EnsureSystemIniExists();
    RemoveDataSource(name);
    ConfigModeScope scope(ODBC_SYSTEM_DSN);
    bool written = SQLWriteDSNToIni(name, kDataSourceDriver) != 0;
    for (size_t i = 0; written && i < attributes.size(); ++i)
        written = SQLWritePrivateProfileString(name, attributes[i].first,
                                               attributes[i].second.c_str(), kOdbcIni) != 0;
    if (!written) SQLRemoveDSNFromIni(name);  // no half-made data source
    return written;
}

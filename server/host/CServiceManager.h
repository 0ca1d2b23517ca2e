// CServiceManager: installs, removes and queries the server as a systemd
// service. ZENTRY_SYSTEMD_UNIT_DIR redirects the unit folder and
// ZENTRY_SYSTEMCTL the systemctl program (tests use both).
#pragma once

#include <string>
#include <vector>

// A path as one word of a unit file's value (ExecStart=, ReadWritePaths=):
// '%' doubled, quoted when it holds a blank, quote or backslash.
std::string UnitWord(const std::string& path);

class CServiceManager {
public:
    CServiceManager();
    virtual ~CServiceManager() = default;

    // 1 when the unit was written and enabled, 0 otherwise. The service runs
    // as the owner of programDir (never root), which is all it may write;
    // ownFiles (names in programDir the service writes, such as its log) are
    // created when missing and given to that account first, since -i runs
    // as root. A unit that cannot be enabled is removed again.
    int InstallService(const std::string& name, const std::string& displayName,
                       const std::string& description, const std::string& commandLine,
                       const std::string& programDir, const std::vector<std::string>& ownFiles);
    // Not 0 when the unit was disabled and removed.
    int RemoveService(const std::string& name);
    // 1 running, 0 installed but not running, -1 absent.
    int IsServiceRunning(const std::string& name);

    std::string UnitPath(const std::string& name) const;

private:
    // Runs systemctl with the arguments; true when it exits 0.
    bool RunSystemctl(const std::string& verb, const std::string& unit, bool quiet = false);

    std::string m_unitDir;
    std::string m_systemctl;
};

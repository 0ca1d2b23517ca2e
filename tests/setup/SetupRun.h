// A temp installation for lumenosetup: the program copied into a program
// folder, odbcinst.ini naming the SQLite3 driver, separate system and user
// odbc.ini files and an applications folder, all under one temp folder that
// goes with the object.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

struct SetupResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error
};

// The sections of an ini file in order, each with its key/value lines.
typedef std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> IniSections;

class SetupRun {
public:
    // programFolder: the name of the program folder inside the temp folder.
    explicit SetupRun(const std::string& programFolder = "zentry $erver? 1");
    ~SetupRun();
    SetupRun(const SetupRun&) = delete;
    SetupRun& operator=(const SetupRun&) = delete;

    // Runs the program with these arguments and the private environment.
    SetupResult Run(const std::vector<std::string>& arguments = {}) const;

    const std::string& Root() const { return m_root; }
    const std::string& ProgramDir() const { return m_programDir; }
    std::string ProgramFile(const std::string& name) const { return m_programDir + "/" + name; }
    std::string SystemIni() const { return m_systemDir + "/odbc.ini"; }
    std::string UserIni() const { return m_userDir + "/odbc.ini"; }
    std::string OdbcInstIni() const { return m_systemDir + "/odbcinst.ini"; }
    std::string ApplicationsDir() const { return m_root + "/share/applications"; }
    std::string MenuFolder() const { return ApplicationsDir() + "/ZNT"; }
    // ODBCSYSINI, ODBCINI, ZENTRY_APPLICATIONS_DIR and HOME for the runs.
    std::vector<std::pair<std::string, std::string>> Environment() const;
    // Sets the ODBC variables in this process.
    void ApplyOdbcEnvironment() const;
    // scripts/make-db into the program folder's "Lumeno.db".
    bool MakeDatabase() const;

    static bool WriteFile(const std::string& path, const std::string& bytes);
    static std::string ReadFile(const std::string& path);
    static bool Exists(const std::string& path);
    static std::vector<std::string> ListFolder(const std::string& path);  // sorted names
    static IniSections ReadIni(const std::string& path);

private:
    std::string m_root, m_programDir, m_systemDir, m_userDir;
};

// Helpers of the report tests: a temporary folder, files, running
// /usr/bin/python3 (openpyxl) and programs, a SQLite ODBC data source.
#pragma once

#include <string>

// A fresh folder under /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

bool WriteFile(const std::string& path, const std::string& text);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// Runs the code with /usr/bin/python3; the exit code, output in output
// (stdout and stderr together). The code starts with "import openpyxl".
int RunPython(const std::string& code, std::string* output = nullptr);
// Runs a program with arguments in a folder, stdin from /dev/null; the exit
// code (-1000 when it could not run), output in output.
int RunProgram(const std::string& program, const std::string& arguments, const std::string& folder,
               std::string* output = nullptr);

// An ODBC data source "ztest" over a SQLite file in dir, through ini files
// that ODBCSYSINI and ODBCINI point at. Returns the database file's path.
std::string SetUpSqliteDsn(const TempDir& dir);

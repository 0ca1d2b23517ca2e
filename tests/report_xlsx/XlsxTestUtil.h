// Helpers of the workbook layer tests: a temp folder per test, running
// /usr/bin/python3 (openpyxl makes templates and checks results) and
// comparing zip parts.
#pragma once

#include <string>

class CTempDir
{
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    std::string Path(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Root() const { return m_path; }

private:
    std::string m_path;
};

// Runs a python script (openpyxl imported, sys.argv[1:] = args); returns its
// exit code and leaves stdout+stderr in output.
int RunPython(const std::string& script, const std::string& args, std::string& output);

// Runs checks on a saved workbook with openpyxl: the body sees wb (the
// workbook), eq(actual, expected) and near(actual, expected); the result is
// "OK" or the failed checks, one a line.
std::string CheckWorkbook(const std::string& path, const std::string& body);

// Runs body (sys.argv[1] is path) to make a template; "OK" or the failure.
std::string MakeWithPython(const std::string& path, const std::string& body);

// Makes a one-sheet template whose A1, A2 and A3 point at items a0, a1, a2
// of a hand-written shared-string table (sst is the whole sst element);
// openpyxl itself writes no rich text. "OK" or the failure.
std::string MakeWithStringTable(const std::string& path, const std::string& sst,
                                int a0, int a1, int a2);

// "OK" when every entry of a is in b with the same bytes, except the names
// listed (comma-separated); otherwise what differs.
std::string SameParts(const std::string& a, const std::string& b, const std::string& except);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& data);

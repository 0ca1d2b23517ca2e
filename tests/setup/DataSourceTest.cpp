// The "Lumeno" data source: written to the system odbc.ini, replaced on a
// second install, removed with any argument, and usable through unixODBC.
#include "SetupRun.h"

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>

namespace {

int CountSections(const IniSections& sections, const std::string& name) {
    return static_cast<int>(std::count_if(sections.begin(), sections.end(),
                                          [&](const auto& s) { return s.first == name; }));
}

const std::vector<std::pair<std::string, std::string>>* Section(const IniSections& sections,
                                                                const std::string& name) {
    for (const auto& s : sections)
        if (s.first == name) return &s.second;
    return nullptr;
}

// The data source names unixODBC lists, starting with SQL_FETCH_FIRST_SYSTEM
// or SQL_FETCH_FIRST_USER.
std::vector<std::string> DataSourceNames(SQLUSMALLINT first) {
    std::vector<std::string> names;
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return names;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLCHAR name[256], description[256];
    SQLSMALLINT nameLength = 0, descriptionLength = 0;
    for (SQLUSMALLINT direction = first;
         SQL_SUCCEEDED(SQLDataSources(env, direction, name, sizeof name, &nameLength, description,
                                      sizeof description, &descriptionLength));
         direction = SQL_FETCH_NEXT)
        names.emplace_back(reinterpret_cast<const char*>(name));
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return names;
}

// The first value of "select count(*) ..." over the data source; -1 when the
// data source does not connect or the query fails.
long CountThroughDataSource(const char* dsn, const char* sql) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    long value = -1;
    if (SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)) &&
        SQL_SUCCEEDED(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0)) &&
        SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)) &&
        SQL_SUCCEEDED(SQLConnect(dbc, (SQLCHAR*)dsn, SQL_NTS, nullptr, 0, nullptr, 0))) {
        SQLINTEGER n = 0;
        SQLLEN indicator = 0;
        if (SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)) &&
            SQL_SUCCEEDED(SQLExecDirect(stmt, (SQLCHAR*)sql, SQL_NTS)) &&
            SQL_SUCCEEDED(SQLFetch(stmt)) &&
            SQL_SUCCEEDED(SQLGetData(stmt, 1, SQL_C_SLONG, &n, 0, &indicator)))
            value = n;
        if (stmt != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
    }
    if (dbc != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
    return value;
}

TEST(SetupDataSource, InstallTwiceLeavesOneSystemDataSourceThatOpensTheDatabase) {
    SetupRun run;
    ASSERT_TRUE(run.MakeDatabase());
    // A user data source of the same name goes; other data sources stay.
    ASSERT_TRUE(SetupRun::WriteFile(run.UserIni(), "[Lumeno]\nDriver=SQLite3\nDatabase=/nowhere.db\n\n"
                                                   "[Other]\nDriver=SQLite3\nDatabase=/other.db\n"));
    for (int i = 0; i < 2; ++i) {
        const SetupResult result = run.Run();
        EXPECT_EQ(0, result.exitCode);
        EXPECT_EQ("", result.output);
    }

    const IniSections system = SetupRun::ReadIni(run.SystemIni());
    ASSERT_EQ(1, CountSections(system, "Lumeno")) << SetupRun::ReadFile(run.SystemIni());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Driver", "SQLite3"},
        {"DESCRIPTION", "Database for Zentry"},
        {"Database", run.ProgramFile("Lumeno.db")},  // the '?' and '$' of the folder kept
        {"Timeout", "10000"},
        {"SyncPragma", "FULL"},
        {"JournalMode", "WAL"},
        {"BigInt", "1"},
        {"LongNames", "0"},
        {"StepAPI", "1"},
    };
    EXPECT_EQ(expected, *Section(system, "Lumeno"));

    const IniSections user = SetupRun::ReadIni(run.UserIni());
    EXPECT_EQ(0, CountSections(user, "Lumeno"));
    EXPECT_EQ(1, CountSections(user, "Other"));

    // unixODBC's own view: one system data source, the user's other one.
    run.ApplyOdbcEnvironment();
    EXPECT_EQ(std::vector<std::string>{"Lumeno"}, DataSourceNames(SQL_FETCH_FIRST_SYSTEM));
    EXPECT_EQ(std::vector<std::string>{"Other"}, DataSourceNames(SQL_FETCH_FIRST_USER));
    EXPECT_EQ(1, CountThroughDataSource("Lumeno", "select count(*) from t_cfg_st_user where USER_NAME='admin'"));
}

TEST(SetupDataSource, AnyArgumentRemovesTheSystemAndUserDataSources) {
    for (const std::string argument : {"-u", "remove", ""}) {
        SetupRun run;
        ASSERT_EQ(0, run.Run().exitCode);
        ASSERT_EQ(1, CountSections(SetupRun::ReadIni(run.SystemIni()), "Lumeno"));
        ASSERT_TRUE(SetupRun::WriteFile(run.UserIni(), "[Lumeno]\nDriver=SQLite3\nDatabase=/u.db\n"));

        const SetupResult result = run.Run({argument});
        EXPECT_EQ(0, result.exitCode) << argument;
        EXPECT_EQ("", result.output) << argument;
        EXPECT_EQ(0, CountSections(SetupRun::ReadIni(run.SystemIni()), "Lumeno")) << argument;
        EXPECT_EQ(0, CountSections(SetupRun::ReadIni(run.UserIni()), "Lumeno")) << argument;
    }
}

TEST(SetupDataSource, WithoutTheSQLiteDriverAnExistingDataSourceStays) {
    SetupRun run;
    ASSERT_TRUE(SetupRun::WriteFile(run.OdbcInstIni(), "[Other driver]\nDriver=/nowhere.so\n"));
    const std::string old = "[Lumeno]\nDriver=SQLite3\nDatabase=/kept.db\n";
    ASSERT_TRUE(SetupRun::WriteFile(run.SystemIni(), old));

    const SetupResult result = run.Run();
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("", result.output);
    EXPECT_EQ(old, SetupRun::ReadFile(run.SystemIni()));
}

TEST(SetupDataSource, WithoutTheDriverNoOdbcFileAppears) {
    // No odbcinst.ini, so no driver; no odbc.ini, no template: install and
    // remove have nothing to write to the ODBC files or the program folder.
    SetupRun run;
    ASSERT_EQ(0, unlink(run.OdbcInstIni().c_str()));
    const std::string systemDir = run.OdbcInstIni().substr(0, run.OdbcInstIni().rfind('/'));
    const std::string userDir = run.UserIni().substr(0, run.UserIni().rfind('/'));
    const std::vector<std::string> program = SetupRun::ListFolder(run.ProgramDir());
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{}, {"-u"}}) {
        const SetupResult result = run.Run(arguments);
        EXPECT_EQ(0, result.exitCode);
        EXPECT_EQ("", result.output);
        EXPECT_EQ(std::vector<std::string>{}, SetupRun::ListFolder(systemDir));
        EXPECT_EQ(std::vector<std::string>{}, SetupRun::ListFolder(userDir));
        EXPECT_EQ(std::vector<std::string>{}, SetupRun::ListFolder(run.Root() + "/home"));
        EXPECT_EQ(program, SetupRun::ListFolder(run.ProgramDir()));
    }
}

}  // namespace

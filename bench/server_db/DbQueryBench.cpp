// Reads 20 000 rows of six columns into a table of texts, and stores a long
// value through a bound parameter, with the database objects and with plain
// loops over sqlite3 and ODBC written here for reference; prints the time
// ratios (target: each object within 2x of its reference).
#include "COdbcConnection.h"
#include "CSqliteConnection.h"

#include "CListString.h"
#include "CResultSet.h"
#include "CSqlStatement.h"
#include "OdbcIniFixture.h"

#include <sqlite3.h>
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

const int kRows = 20000;
const int kRounds = 5;
const char kQuery[] = "select id, name, amount, ratio, note, created from tb order by id";

double Seconds(const std::function<void()>& run) {
    double best = 1e9;
    for (int i = 0; i < kRounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
        if (d.count() < best) best = d.count();
    }
    return best;
}

void MakeTable(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db,
                 "create table tb (id integer primary key, name varchar(100), amount numeric(10,2),"
                 " ratio double, note text, created varchar(30));"
                 "create table tl (id integer primary key, note text);",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "insert into tb values (?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
    for (int i = 0; i < kRows; ++i) {
        std::string name = "缺陷 " + std::to_string(i);
        std::string note(100 + i % 200, 'x');
        sqlite3_bind_int(st, 1, i);
        sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 3, i * 0.25);
        sqlite3_bind_double(st, 4, i / 7.0);
        sqlite3_bind_text(st, 5, note.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 6, "2008-05-06 09:00:00", -1, SQLITE_STATIC);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

size_t ReferenceSqlite(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &st, nullptr);
    std::vector<std::vector<std::string>> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<std::string> row(6);
        for (int c = 0; c < 6; ++c) {
            const unsigned char* t = sqlite3_column_text(st, c);
            if (t) row[c].assign(reinterpret_cast<const char*>(t), sqlite3_column_bytes(st, c));
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows.size();
}

size_t ReferenceOdbc() {
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SQLConnect(dbc, (SQLCHAR*)"Bench", SQL_NTS, (SQLCHAR*)"", SQL_NTS, (SQLCHAR*)"", SQL_NTS);
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    SQLExecDirect(st, (SQLCHAR*)kQuery, SQL_NTS);
    std::vector<std::vector<std::string>> rows;
    char buffer[65536];
    while (SQLFetch(st) == SQL_SUCCESS) {
        std::vector<std::string> row(6);
        for (SQLUSMALLINT c = 1; c <= 6; ++c) {
            SQLLEN ind = 0;
            SQLGetData(st, c, SQL_C_CHAR, buffer, sizeof buffer, &ind);
            if (ind > 0) row[c - 1].assign(buffer, static_cast<size_t>(ind));
        }
        rows.push_back(std::move(row));
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return rows.size();
}

template <class Conn>
size_t ObjectQuery(Conn& db) {
    CResultSet rs;
    CListString error;
    return static_cast<size_t>(db.Query(kQuery, rs, error));
}

void ReferenceLongInsert(const std::string& path, const std::string& value) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "insert or replace into tl values (1, ?)", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_finalize(st);
    sqlite3_close(db);
}

void Report(const char* what, double reference, double ours) {
    printf("%-40s reference %8.2f ms  ours %8.2f ms  ratio %.2f\n", what, reference * 1e3,
           ours * 1e3, ours / reference);
}

}  // namespace

int main() {
    char pattern[] = "/tmp/zbench-db-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    std::string dir = pattern;
    std::string path = dir + "/bench.db";
    MakeTable(path);
    OdbcIniFixture ini(dir + "/odbc");
    ini.AddSqliteDsn("Bench", path);
    ini.Apply();

    CSqliteConnection lite;
    COdbcConnection odbc;
    if (!lite.Connect(path.c_str()) || !odbc.Connect("", "", "Bench")) {
        fprintf(stderr, "cannot open the bench database\n");
        return 1;
    }
    lite.SetOption(1, std::to_string(kRows).c_str());
    odbc.SetOption(1, std::to_string(kRows).c_str());

    Report("20000 rows, CSqliteConnection::Query", Seconds([&] { ReferenceSqlite(path); }),
           Seconds([&] { ObjectQuery(lite); }));
    Report("20000 rows, COdbcConnection::Query", Seconds([&] { ReferenceOdbc(); }),
           Seconds([&] { ObjectQuery(odbc); }));

    std::string value;
    while (value.size() < 1000000) value += "长文本描述";
    Report("1 MB bound value, CSqliteConnection", Seconds([&] { ReferenceLongInsert(path, value); }),
           Seconds([&] {
               CSqlStatement st("insert or replace into tl values (1, :clDesc<varchar_long>)");
               st.AddParam(SQL_PARAM_LONG_TEXT, value.c_str(), "clDesc");
               lite.ExecuteWithParams(st);
           }));

    lite.Close();
    odbc.Close();
    std::string command = "rm -rf '" + dir + "'";
    return system(command.c_str()) == 0 ? 0 : 1;
}

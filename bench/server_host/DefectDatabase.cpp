#include "DefectDatabase.h"

#include "ServerFixture.h"

#include <sqlite3.h>

#include <fstream>
#include <sstream>

const char kBenchProject[] = "Bench";

namespace {

bool ReadText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

struct CDbCloser {
    sqlite3* db = nullptr;
    ~CDbCloser() { sqlite3_close(db); }
};

bool Exec(sqlite3* db, const std::string& sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

// Defects with texts of the usual lengths: statuses, severities and people
// rotate, every tenth defect has a long description. The same rows in
// SQLite's or PostgreSQL's words.
std::string DefectInsert(int defects, bool postgres) {
    auto two = [](const char* expression) {
        return std::string("lpad((") + expression + ")::text, 2, '0')";
    };
    const std::string detected =
        postgres ? "'2024-' || " + two("1 + i % 12") + " || '-' || " + two("1 + i % 28") +
                       " || ' ' || " + two("i % 24") + " || ':' || " + two("i % 60") + " || ':00'"
                 : "printf('2024-%02d-%02d %02d:%02d:00', 1 + i % 12, 1 + i % 28, i % 24, i % 60)";
    const std::string closed =
        postgres ? "'2025-' || " + two("1 + i % 12") + " || '-' || " + two("1 + i % 28")
                 : "printf('2025-%02d-%02d', 1 + i % 12, 1 + i % 28)";
    std::ostringstream sql;
    if (!postgres)
        sql << "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
            << defects << ") ";
    sql << "INSERT INTO t_bug (BG_BUG_ID, BG_STATUS, PRJ_NAME, BG_SUMMARY, BG_SEVERITY,"
           " BG_PRIORITY, BG_RESPONSIBLE, BG_DETECTED_BY, BG_DETECTION_DATE, BG_CLOSING_DATE,"
           " BG_DETECTION_VERSION, BG_CLOSING_VERSION, BG_DESCRIPTION, BG_DEV_COMMENTS,"
           " BG_ATTACHMENT) SELECT i,"
           " CASE i % 5 WHEN 0 THEN '00-New' WHEN 1 THEN '01-Open' WHEN 2 THEN '02-Fixed'"
           " WHEN 3 THEN '03-Closed' ELSE '04-ReOpen' END,"
           " '" << kBenchProject << "',"
           " 'Defect ' || i || ': the list loses its selection after a refresh of page ' || (i % 97),"
           " CASE i % 3 WHEN 0 THEN '1-Critical' WHEN 1 THEN '2-Major' ELSE '3-Minor' END,"
           " CASE i % 4 WHEN 0 THEN '1-High' WHEN 1 THEN '2-Normal' ELSE '3-Low' END,"
           " 'dev' || (i % 17), 'tester' || (i % 11), "
        << detected << ", CASE i % 5 WHEN 3 THEN " << closed << " ELSE NULL END,"
           " 'v1.' || (i % 9), NULL,"
           " 'Steps: open the project, choose a filter, press Query. Expected: the list keeps"
           " the selected defect. Actual: the first row is selected.'"
           " || CASE WHEN i % 10 = 0 THEN ' ' || "
        << (postgres ? "repeat('00', 600)" : "hex(zeroblob(600))") << " ELSE '' END,"
           " CASE i % 4 WHEN 0 THEN 'Looked at it; see the log of build ' || i ELSE NULL END,"
           " CASE WHEN i % 7 = 0 THEN 1 ELSE 0 END FROM ";
    if (postgres)
        sql << "generate_series(1, " << defects << ") AS i; ANALYZE;";
    else
        sql << "n;";
    return sql.str();
}

}  // namespace

bool MakePgDefectDatabase(CServerFixture& server, int defects, std::string& error) {
    const std::string dbDir = std::string(ZENTRY_SOURCE_DIR) + "/db/";
    if (!server.RunSqlFile(dbDir + "postgresql/schema.sql") || !server.RunSqlFile(dbDir + "seed.sql") ||
        !server.RunSql(std::string("INSERT INTO t_prj (PRJ_NAME) VALUES ('") + kBenchProject + "');") ||
        !server.RunSql(DefectInsert(defects, true))) {
        error = "cannot load the defects into PostgreSQL";
        return false;
    }
    return true;
}

bool MakeDefectDatabase(const std::string& path, int defects, std::string& error) {
    std::string schema, seed;
    const std::string dbDir = std::string(ZENTRY_SOURCE_DIR) + "/db/";
    if (!ReadText(dbDir + "sqlite/schema.sql", schema) || !ReadText(dbDir + "seed.sql", seed)) {
        error = "cannot read the schema in " + dbDir;
        return false;
    }
    CDbCloser db;
    if (sqlite3_open(path.c_str(), &db.db) != SQLITE_OK) {
        error = db.db ? sqlite3_errmsg(db.db) : "cannot open " + path;
        return false;
    }
    const std::string project = std::string("INSERT INTO t_prj (PRJ_NAME) VALUES ('") +
                                kBenchProject + "');";
    return Exec(db.db, "PRAGMA journal_mode=WAL; BEGIN;", error) &&
           Exec(db.db, schema, error) && Exec(db.db, seed, error) &&
           Exec(db.db, project, error) && Exec(db.db, DefectInsert(defects, false), error) &&
           Exec(db.db, "COMMIT;", error);
}

// The connection string a session logs on with: connection strings read and
// written with braces, the account added, and the options of the SQLite
// driver put over what the data source holds.
#include "OdbcConnectText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(OdbcConnectTextTest, ConnectStringsReadAndWriteBraces) {
    const COdbcConnectPairs pairs = ParseConnectString("DSN=a; UID = u ;PWD={p;w}}d};;Empty=;junk");
    const COdbcConnectPairs expected = {{"DSN", "a"}, {"UID", "u"}, {"PWD", "p;w}d"}, {"Empty", ""}};
    EXPECT_EQ(pairs, expected);
    EXPECT_EQ(JoinConnectString(pairs), "DSN=a;UID=u;PWD={p;w}}d};Empty=");
    const struct {
        const char* server;
        const char* user;
        const char* password;
        const char* text;
    } cases[] = {
        {"Lumeno", "", "", "DSN=Lumeno"},
        {"Lumeno", "sa", "p;1", "DSN=Lumeno;UID=sa;PWD={p;1}"},
        {"DRIVER=SQLite3;DATABASE=/srv/a.db", "", "", "DRIVER=SQLite3;DATABASE=/srv/a.db"},
        {"DSN=pg;UID=old", "new", " x", "DSN=pg;UID=new;PWD={ x}"},
    };
    for (const auto& c : cases) EXPECT_EQ(BaseConnectText(c.server, c.user, c.password), c.text) << c.server;
}

TEST(OdbcConnectTextTest, DriversAreKnownByTheirDatabaseAndName) {
    EXPECT_EQ(DriverKindOf("SQLite", "libsqlite3odbc.so"), OdbcDriverKind::kSqlite);
    EXPECT_EQ(DriverKindOf("PostgreSQL", "psqlodbca.so"), OdbcDriverKind::kPsql);
    EXPECT_EQ(DriverKindOf("PostgreSQL", "psqlodbcw.so"), OdbcDriverKind::kPsql);
    EXPECT_EQ(DriverKindOf("PostgreSQL", "libother.so"), OdbcDriverKind::kOther);
    EXPECT_EQ(DriverKindOf("MySQL", "libsqlite3odbc.so"), OdbcDriverKind::kOther);
}

TEST(OdbcConnectTextTest, SqliteOptionsGoOverTheDataSource) {
    const std::string sqlite = "StepAPI=1;LongNames=0;BigInt=1;JournalMode=WAL;SyncPragma=FULL";
    const struct {
        const char* base;
        OdbcDriverKind kind;
        std::string text;
    } cases[] = {
        {"DSN=plain", OdbcDriverKind::kSqlite, "DSN=plain;" + sqlite + ";Timeout=10000"},
        // A connection string's own busy timeout stays; its other values
        // give way.
        {"DRIVER=SQLite3;DATABASE=/a.db;stepapi=0;Timeout=5", OdbcDriverKind::kSqlite,
         "DRIVER=SQLite3;DATABASE=/a.db;stepapi=1;Timeout=5;LongNames=0;BigInt=1;JournalMode=WAL;SyncPragma=FULL"},
        {"DSN=p;PWD={a;b}", OdbcDriverKind::kSqlite, "DSN=p;PWD={a;b};" + sqlite + ";Timeout=10000"},
        // Other drivers are left as they are.
        {"DSN=pg;UID=u", OdbcDriverKind::kPsql, "DSN=pg;UID=u"},
        {"DSN=plain", OdbcDriverKind::kOther, "DSN=plain"},
    };
    for (const auto& c : cases) EXPECT_EQ(WithDriverOptions(c.base, c.kind), c.text) << c.base;
}

}  // namespace

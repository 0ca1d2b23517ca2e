// CDbConnection: the database object the server is built over, chosen at
// compile time (lumenolite: SQLite file, Lumeno: ODBC data source).
#pragma once

#ifdef ZENTRY_DB_SQLITE
#include "CSqliteConnection.h"
using CDbConnection = CSqliteConnection;
#else
#include "COdbcConnection.h"
using CDbConnection = COdbcConnection;
#endif

// The system ODBC data source of the server's database, kept with
// unixODBC's installer API (the system odbc.ini is the one ODBCSYSINI names).
#pragma once

// The driver the data source uses, as named in odbcinst.ini.
extern const char kDataSourceDriver[];

// Replaces any data source of that name by a system data source over the
// SQLite3 driver on the database file. False, with nothing changed, when the
// driver is not installed or a value cannot be stored in odbc.ini; false
// with no data source left when writing fails half way.
bool RegisterDataSource(const char* name, const char* databasePath, const char* description);
// Removes the system and the user data source of that name.
void RemoveDataSource(const char* name);

// The benchmark's database: the schema and seed rows of db/ and a number of
// generated defects in one project, the same rows in a SQLite file or in a
// PostgreSQL database.
#pragma once

#include <string>

class CServerFixture;

// The project that holds every generated defect.
extern const char kBenchProject[];

// Creates the file at path (WAL mode) with defects rows numbered 1..defects;
// false with the reason in error.
bool MakeDefectDatabase(const std::string& path, int defects, std::string& error);
// Loads the same into the PostgreSQL database of a "LumenoPg" fixture
// (prepared, not started); false with the reason in error.
bool MakePgDefectDatabase(CServerFixture& server, int defects, std::string& error);

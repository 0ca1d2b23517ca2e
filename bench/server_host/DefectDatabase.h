// The benchmark's database: the schema and seed rows of db/ and a number of
// generated defects in one project, written in one transaction.
#pragma once

#include <string>

// The project that holds every generated defect.
extern const char kBenchProject[];

// Creates the file at path (WAL mode) with defects rows numbered 1..defects;
// false with the reason in error.
bool MakeDefectDatabase(const std::string& path, int defects, std::string& error);

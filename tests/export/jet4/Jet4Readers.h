// Reads .mdb files back with two independent readers for the Access
// writer's round-trip tests: Debian's mdbtools (mdb-tables, mdb-export,
// mdb-schema) and the npm package mdb-reader (installed by setup.sh next to
// this file). Each reader's quirks are folded into what the tests expect
// from it (Expect* below), so the tests compare every cell exactly.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "export/ExportTable.h"

namespace jet4test {

using zyl::exporting::Column;
using zyl::exporting::Value;

enum class Reader { MdbTools, MdbReader };
const char* ReaderName(Reader reader);

// Why the reader cannot run here, or nullopt when it can.
std::optional<std::string> MissingReader(Reader reader);

struct ReadTable {
  std::string name;
  long rowCount = -1;                          // as the reader reports it (-1: not reported)
  std::vector<std::string> columnNames;        // UTF-8
  std::vector<std::string> columnTypes;        // mdb-schema's or mdb-reader's type names
  std::vector<std::vector<std::string>> rows;  // cells in the reader's own notation
};

struct ReadDatabase {
  std::vector<std::string> tables;  // user tables as the reader lists them
  std::map<std::string, ReadTable> byName;
};

// Reads every user table of `path`. Throws std::runtime_error when the reader fails.
ReadDatabase ReadDatabaseWith(Reader reader, const std::string& path);

// mdb-tables -S: every table, the system tables included.
std::vector<std::string> MdbToolsAllTables(const std::string& path);

// Empty when `got` is what `reader` shows for `value` in a column defined
// as `column`; otherwise a description of the difference.
std::string CompareCell(Reader reader, const Column& column, const Value& value,
                        const std::string& got);

// Days since 1899-12-30 for a civil date and time (the OLE date).
double OleDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace jet4test

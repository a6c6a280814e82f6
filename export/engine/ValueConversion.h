// Converts the literal values of an INSERT statement into the types of the
// columns they go to, the way a database engine converts what it is sent:
//
//   integers     numbers and numeric text (blanks around, "1,234" grouping),
//                rounded half to even; outside the column's range: refused
//   Double       numbers and numeric text; the texts INF, -INF and NAN
//                (any letter case) give the non-finite doubles
//   Currency     numbers and numeric text, exact to 4 decimals (half to even)
//   Date         text by the session's date patterns first (the host's
//                regional formats), then the common forms dd.mm.yyyy[ hh:nn[:ss]],
//                yyyy-mm-dd[ hh:nn:ss], mm/dd/yyyy, hh:nn[:ss]; a number
//                counts days since 30.12.1899; years 1 to 9999 (the .mdb
//                file keeps Jet's years 100 to 9999, JetStorage.h)
//   Boolean      True/Yes/On, False/No/Off (any letter case, as words or
//                text), numbers (0 is False, anything else True)
//   text         strings as they are, numbers as written, booleans as
//                "True"/"False"; longer than a declared size: refused
//   binary       the bytes of the text; longer than a declared size: refused
//
// True and False count as -1 and 0 where a number is wanted. A value that
// does not convert raises EOleException naming the column and the value.
#pragma once

#include <string>
#include <vector>

#include "export/ExportTable.h"
#include "export/engine/SqlParser.h"

namespace zyl::exporting {

// What a session is told by its host: the regional formats the engine
// reads dates with before the common forms (TryParseDateTime patterns such
// as "dd.mm.yyyy"), and whether INSERT keeps every row (the export's
// choice): then a value that does not convert is stored as NULL and counted
// (JetDatabase::Substituted), text that is not valid UTF-8 gets "?" for each
// bad byte, and a text column grows to hold a longer value than its
// declared size, an integer column to a wider integer type (up to BigInt),
// instead of refusing the value.
struct SessionSettings {
  std::vector<std::string> datePatterns;
  bool keepEveryRow = false;
  // Tables keep their rows past the first kRowsInMemory in a temporary
  // file (export/TableRows.h) instead of memory.
  bool spillRows = false;
  // The database file only stages rows for a SELECT INTO: it stays the
  // empty database Create wrote (its rows never reach the .mdb).
  bool stagingOnly = false;
};

// `literal` converted for `column`. NULL gives monostate (the caller decides
// whether the column takes it).
Value ConvertLiteral(const sql::Literal& literal, const Column& column,
                     const SessionSettings& settings);

// Name of a column type for messages ("Text(20)", "Currency", "Date").
std::string TypeName(const Column& column);

// Length of UTF-8 text in UTF-16 code units (what text sizes count);
// invalid bytes count one each.
std::size_t TextLength(const std::string& utf8);

}  // namespace zyl::exporting

// Converts the literal values of an INSERT statement into the types of the
// columns they go to, the way a database engine converts what it is sent:
//
//   integers     numbers and numeric text (blanks around, "1,234" grouping),
//                rounded half to even; outside the column's range: refused
//   Double       numbers and numeric text
//   Currency     numbers and numeric text, exact to 4 decimals (half to even)
//   Date         text by the session's date patterns first (the host's
//                regional formats), then the common forms dd.mm.yyyy[ hh:nn[:ss]],
//                yyyy-mm-dd[ hh:nn:ss], mm/dd/yyyy, hh:nn[:ss]; a number
//                counts days since 30.12.1899; years 100 to 9999
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

// The host's regional formats the engine reads dates with before the
// common forms (TryParseDateTime patterns such as "dd.mm.yyyy").
struct RegionalSettings {
  std::vector<std::string> datePatterns;
};

// `literal` converted for `column`. NULL gives monostate (the caller decides
// whether the column takes it).
Value ConvertLiteral(const sql::Literal& literal, const Column& column,
                     const RegionalSettings& settings);

// Name of a column type for messages ("Text(20)", "Currency", "Date").
std::string TypeName(const Column& column);

// Length of UTF-8 text in UTF-16 code units (what text sizes count);
// invalid bytes count one each.
std::size_t TextLength(const std::string& utf8);

}  // namespace zyl::exporting

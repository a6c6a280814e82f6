// The SQL front end of the export engine: the statement forms the export
// issues, and nothing else.
//
//   INSERT INTO <name> [(<name>, ...)] VALUES (<value>, ...) [;]
//   SELECT * INTO <name> IN <string><[connect]> FROM <name> [;]
//
// <name> is a bracketed name or a word; keywords ignore letter case. A
// <value> is NULL, a string, a number with an optional sign, or a word
// (True, False, Yes, No, On, Off: the boolean forms the engine knows; other
// words are kept for the engine to refuse by column). The connect text in
// brackets names the external format ("Excel 8.0;", "dBase 5.0;",
// "Paradox 7.X;"). Anything else raises EOleException with the database
// engine's wording: "Syntax error in INSERT INTO statement." and its kin.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zyl::exporting::sql {

struct Literal {
  enum class Kind { Null, String, Number, Word };
  Kind kind = Kind::Null;
  std::string text;  // string value, number text with its sign ("-1.5"), or the word
};

struct InsertStatement {
  std::string table;
  std::vector<std::string> columns;  // empty: every column of the table, in order
  std::vector<Literal> values;
};

struct SelectIntoStatement {
  std::string target;    // table name in the external database ("report.dbf")
  std::string database;  // the IN path: a workbook, or a directory for dBase and Paradox
  std::string connect;   // the bracketed connect text ("dBase 5.0;")
  std::string source;    // table copied from
};

using Statement = std::variant<InsertStatement, SelectIntoStatement>;

// Parses one command text. Throws EOleException for anything outside the
// forms above.
Statement ParseStatement(std::string_view command);

}  // namespace zyl::exporting::sql

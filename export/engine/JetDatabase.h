// One database of the export engine: its tables live in memory while they
// are defined and rows are inserted, and the .mdb file at its path is
// rewritten from them (with WriteJet4Database, through an atomic sink)
// before a SELECT INTO copies a table out and when a connection closes.
//
// Statements run as a database engine runs them:
//   INSERT INTO   the named columns (all, in order, when none are named)
//                 get the converted values (ValueConversion.h); the others
//                 NULL. A NULL in a Boolean column is kept (the .mdb file
//                 stores it as No, as Yes/No columns hold no NULL, while the
//                 external formats get a blank); a NULL in another column
//                 that is not nullable is refused. One row, or none if
//                 anything fails. A session that keeps every row
//                 (SessionSettings) substitutes instead of refusing values.
//   SELECT INTO   copies every row of a table to an external file
//                 (IsamTargets.h).
// Table and column names ignore letter case.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/ExportTable.h"
#include "export/engine/ValueConversion.h"

namespace zyl::exporting {

class JetDatabase {
 public:
  // A database at `path`; nothing is written until WriteFile or Flush. A
  // `stagingOnly` database writes no rows: Flush leaves its file alone.
  explicit JetDatabase(std::string path, bool stagingOnly = false);

  const std::string& Path() const { return path_; }

  // Writes the file with every table (an empty database when there is none).
  void WriteFile();
  // Writes the file when tables or rows were added since it was last written.
  void Flush();

  // Adds a table (columns; its rows are kept); the file follows at the next
  // Flush. Throws EOleException for a name in use or a definition the
  // database refuses.
  void AddTable(Table table);
  std::size_t TableCount() const { return tables_.size(); }
  // The table of that name, or null.
  const Table* FindTable(std::string_view name) const;

  // Runs one command text; returns the number of records affected. Throws
  // EOleException for SQL, name and conversion errors.
  long Execute(std::string_view command, const SessionSettings& settings);

  // The values substituted so far: by INSERTs and in the file written
  // last (the .mdb file, or the external file of the last SELECT INTO).
  Substitutions Substituted() const;

 private:
  Table* Find(std::string_view name);
  long Insert(const sql::InsertStatement& st, const SessionSettings& settings);
  long SelectInto(const sql::SelectIntoStatement& st);

  std::string path_;
  std::vector<Table> tables_;
  bool stagingOnly_ = false;
  bool changed_ = false;  // tables or rows added since the file was written
  Substitutions inserted_;
  Substitutions lastFile_;
};

}  // namespace zyl::exporting

// Writes Microsoft Access databases in the Jet 4.0 format (.mdb, Access
// 2000 and later) by hand, without the Jet engine. The file layout, the
// system catalog it reproduces and the type mapping are written up in
// docs/formats/jet4-mdb.md.
//
// A database holds the four system tables the engine creates for an empty
// database and one user table per exported table (no indexes, no
// properties). The whole file is built first (in memory, a large one with
// the pages its writers are done with in a temporary file); nothing reaches
// the sink unless every name, type and value was accepted.
#pragma once

#include <optional>
#include <span>

#include "export/ExportTable.h"
#include "platform/ByteSink.h"

namespace zyl::exporting {

struct Jet4WriteOptions {
  // DateCreate/DateUpdate of the user tables as an OLE date (days since
  // 30 December 1899); the local time of the call when not set.
  std::optional<double> created;
};

// Writes a new database with `tables` to `sink`, which it does not own. An
// empty span writes an empty database, as creating a catalog does. Throws
// zyl::Exception ("Access writer: ...") for a table Access would not accept
// (see ValidateJet4Table) or a value that does not fit its column, before
// anything is written; errors of the sink propagate.
void WriteJet4Database(std::span<const Table> tables, ByteSink& sink);
void WriteJet4Database(std::span<const Table> tables, ByteSink& sink,
                       const Jet4WriteOptions& options);

// Checks one table's definition: a table name Access allows and the writer
// can put into the catalog index (ASCII letters, digits, blanks and most
// punctuation; not "MSys..."), 1-255 columns with names Access allows
// (1-64 characters, no leading blank, no control characters, none of
// . ! ` [ ], unique regardless of case; blanks and non-ASCII letters are
// kept), a Jet 4 type for every column (BigInt, Empty and Error have none),
// at most 27 memo/OLE columns, and one value per column in every row.
// Throws zyl::Exception naming the table and column.
void ValidateJet4Table(const Table& table);

// ValidateJet4Table for each table, plus table names unique regardless of case.
void ValidateJet4Tables(std::span<const Table> tables);

}  // namespace zyl::exporting

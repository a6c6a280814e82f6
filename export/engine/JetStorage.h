// How the engine's own database file (.mdb, written by WriteJet4Database)
// stores a table whose types Jet 4 lacks or whose values outgrow the type:
//
//   BigInt        Jet 4 has no 64-bit integer. Stored as Double when every
//                 value is exact in a double (|v| <= 2^53), otherwise as
//                 Text holding the decimal digits, so no value is changed.
//   text without  a declared size holds any length in the engine; it is
//   a size        stored as Text(255), or as Memo once a value is longer.
//   binary        likewise: Binary(510), or OLE once a value is longer.
//
//   values       a non-finite double or a date outside Access's years 100
//   Access lacks to 9999 is stored as NULL (noted as substituted).
//
// Everything else is stored as defined. The engine keeps the table in its
// defined types in memory, so the external formats get the exact values.
#pragma once

#include "export/ExportTable.h"

namespace zyl::exporting {

// The form of `table` that goes into the .mdb file (spilled when `table`
// is); the values stored as NULL are noted in `noted` (may be null).
Table JetStorageTable(const Table& table, Substitutions* noted = nullptr);

// Checks a table definition (columns only) as the database would take it:
// ValidateJet4Table on its storage form. Throws EOleException
// "Jet engine: cannot create table '<name>': ...".
void ValidateTableDefinition(const Table& definition);

}  // namespace zyl::exporting

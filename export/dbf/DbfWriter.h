// Writes an export table as a dBase table (.dbf): dBase III+ layout
// (version byte 0x03, read by dBase III+ to 5, FoxPro, Excel, LibreOffice
// and the common libraries), text in code page 1252 with its language
// driver byte. The layout and the choices made are written up in
// docs/formats/dbase-dbf.md.
#pragma once

#include "export/ExportTable.h"
#include "export/dbf/CivilDate.h"
#include "platform/ByteSink.h"

namespace zyl::exporting {

// Writes `table` as one .dbf file to `sink` (which it does not own), with
// today's date as the date of last update. A value that fits no dBase field
// (DbfUnstorable) is written blank and noted in `noted` (may be null).
// Every value is checked before the first byte is written: a column type
// that has no dBase field or a value of another type than its column
// throws zyl::Exception naming the column and the value, and nothing is
// written. Sink errors pass through. The table's name is not stored.
void WriteDbf(const Table& table, ByteSink& sink, Substitutions* noted = nullptr);

// The same with a given date of last update (years 1900-2155).
void WriteDbf(const Table& table, ByteSink& sink, const CivilDate& lastUpdate,
              Substitutions* noted = nullptr);

}  // namespace zyl::exporting

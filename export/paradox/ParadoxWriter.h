// Writes an export table as a Paradox 7 table file (.db): unkeyed, code page
// 1252 with the "ANSII850" language driver, no .MB companion file. The file
// layout and the choices made for it are described in docs/formats/paradox.md.
//
// Column mapping: text -> alpha of the declared size (255 when none is given
// or it is larger; longer values are cut, characters code page 1252 lacks
// become '?'); 16/32/64-bit integers -> short/long/number, widened when a
// value does not fit (up to BCD for integers beyond 2^53); double -> number;
// currency -> money; boolean -> logical; date -> date, time or timestamp by
// the values; binary -> bytes (cut at 255). Memo and long binary columns are
// skipped. Empty and error columns are refused.
#pragma once

#include <cstdint>
#include <optional>

#include "export/ExportTable.h"
#include "platform/ByteSink.h"

namespace zyl::exporting {

struct ParadoxOptions {
  // Stored as the table's last update time (seconds since 1970); the current
  // time when not given. Set it for byte-identical output.
  std::optional<std::uint32_t> updateTime;
  // Where the values written blank because Paradox has no form for them
  // (ParadoxUnstorable: NaN, infinities, dates outside the years 1 to
  // 9999) are noted; not owned, may be null.
  Substitutions* substitutions = nullptr;
};

// Writes `table` as a Paradox table to `sink`, which it does not own.
// Throws EConvertError for a table or value that cannot be written (the
// message names the column and row), and passes on the sink's errors; the
// sink may then hold a partial file, so callers use an atomic sink.
void WriteParadox(const Table& table, ByteSink& sink);
void WriteParadox(const Table& table, ByteSink& sink, const ParadoxOptions& options);

}  // namespace zyl::exporting

// Packs one table row in the Jet 4 row layout: column count, fixed area,
// variable data, variable-offset table (reversed), and the null mask, in
// which Yes/No columns keep their value.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "export/ExportTable.h"
#include "export/jet4/Jet4Columns.h"
#include "export/jet4/Jet4LongValues.h"

namespace zyl::exporting::jet4 {

class RowPacker {
 public:
  // Does not take ownership of `layout`, which must outlive the packer.
  // `tableName` is used in messages only.
  RowPacker(const TableLayout& layout, std::string tableName);

  // Encodes `values` (one per column, in column order) into `out`, replacing
  // its content. Memo and OLE values go through `longValues`, which may be
  // null when the table has none. Throws with the table, the 1-based row
  // number `rowNumber` and the column when a value does not fit its column.
  void Pack(std::span<const Value> values, std::size_t rowNumber, LongValueStore* longValues,
            ByteVector& out);

 private:
  [[noreturn]] void FailValue(std::size_t rowNumber, const JetColumn& column,
                              const std::string& what) const;
  [[noreturn]] void FailKind(std::size_t rowNumber, const JetColumn& column,
                             const Value& value) const;
  void PutFixed(const JetColumn& column, const Value& value, std::size_t rowNumber,
                std::uint8_t* at) const;
  void AppendVariable(const JetColumn& column, const Value& value, std::size_t rowNumber,
                      LongValueStore* longValues, ByteVector& out);

  const TableLayout& layout_;
  std::string tableName_;
  std::size_t trailer_;                 // bytes after the variable data
  std::vector<std::uint8_t> mask_;      // null mask of the row being packed
  std::vector<std::uint16_t> offsets_;  // variable-column starts of that row
  ByteVector scratch_;                  // a long value before it is stored
};

}  // namespace zyl::exporting::jet4

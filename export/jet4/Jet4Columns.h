// Columns of a Jet 4 table: the mapping from the export's ADO type codes,
// the name rules that Access enforces, and the row layout (column numbers,
// fixed offsets, variable-column indexes) shared by the table definition
// and the rows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/ExportTable.h"
#include "export/jet4/Jet4Format.h"

namespace zyl::exporting::jet4 {

struct JetColumn {
  std::string name;  // UTF-8
  JetType type = JetType::Text;
  bool nullable = true;
  int maxLength = 0;  // Text: characters (UTF-16 units); Binary: bytes; others 0

  // Set by TableLayout.
  std::uint16_t number = 0;       // column number and bit in the null mask
  std::uint16_t varIndex = 0;     // slot in the variable-offset table
  std::uint16_t fixedOffset = 0;  // offset in the fixed area (fixed columns)
};

// Size in the fixed area of a row, or -1 for variable-length columns.
// Boolean columns are fixed with 0 bytes: their value is the null-mask bit.
int FixedSize(JetType type);
inline bool IsFixed(JetType type) {
  return FixedSize(type) >= 0;
}
inline bool IsLongValue(JetType type) {
  return type == JetType::Memo || type == JetType::Ole;
}
// The length field of a column descriptor: fixed size, text maximum in bytes,
// binary maximum, 0 for memo, OLE and Boolean.
std::uint16_t DescriptorLength(const JetColumn& column);
// A readable type name for messages ("Text(40)", "Memo").
std::string TypeName(const JetColumn& column);

// The Jet column that an export column becomes:
//   VarWChar/Char -> Text(size, 255 when 0); a size over 255 -> Memo
//   LongVarWChar -> Memo, SmallInt -> Integer, Integer -> Long Integer,
//   Double, Currency, Date -> Date/Time, Boolean -> Yes/No (never NULL),
//   Binary/VarBinary -> Binary(size, 510 when 0); a size over 510 -> OLE Object,
//   LongVarBinary -> OLE Object.
// Throws for BigInt, Empty, Error and unknown codes, which Jet 4 has no type for.
// `where` names the column in messages.
JetColumn ColumnFromExport(const Column& column, const std::string& where);

// Throws unless `name` is a name Access accepts: 1-64 characters, no leading
// space, no control characters, none of . ! ` [ ]. `what` starts the message.
void CheckObjectName(std::string_view name, const std::string& what);

// Column numbering and offsets of one table, in column order.
class TableLayout {
 public:
  explicit TableLayout(std::vector<JetColumn> columns);
  const std::vector<JetColumn>& Columns() const { return columns_; }
  std::size_t FixedLength() const { return fixedLength_; }
  std::size_t VariableCount() const { return variableCount_; }
  std::size_t MaskLength() const { return (columns_.size() + 7) / 8; }

 private:
  std::vector<JetColumn> columns_;
  std::size_t fixedLength_ = 0;
  std::size_t variableCount_ = 0;
};

}  // namespace zyl::exporting::jet4

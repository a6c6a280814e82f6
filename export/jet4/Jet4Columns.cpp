#include "export/jet4/Jet4Columns.h"

#include "export/jet4/Jet4Text.h"

namespace zyl::exporting::jet4 {

int FixedSize(JetType type) {
  switch (type) {
    case JetType::Boolean:
      return 0;
    case JetType::Byte:
      return 1;
    case JetType::Integer:
      return 2;
    case JetType::Long:
      return 4;
    case JetType::Single:
      return 4;
    case JetType::Currency:
    case JetType::Double:
    case JetType::DateTime:
      return 8;
    case JetType::Binary:
    case JetType::Text:
    case JetType::Ole:
    case JetType::Memo:
      return -1;
  }
  return -1;
}

std::uint16_t DescriptorLength(const JetColumn& column) {
  switch (column.type) {
    case JetType::Text:
      return static_cast<std::uint16_t>(2 * column.maxLength);
    case JetType::Binary:
      return static_cast<std::uint16_t>(column.maxLength);
    case JetType::Ole:
    case JetType::Memo:
    case JetType::Boolean:
      return 0;
    default:
      return static_cast<std::uint16_t>(FixedSize(column.type));
  }
}

std::string TypeName(const JetColumn& column) {
  switch (column.type) {
    case JetType::Boolean:
      return "Yes/No";
    case JetType::Byte:
      return "Byte";
    case JetType::Integer:
      return "Integer";
    case JetType::Long:
      return "Long Integer";
    case JetType::Currency:
      return "Currency";
    case JetType::Single:
      return "Single";
    case JetType::Double:
      return "Double";
    case JetType::DateTime:
      return "Date/Time";
    case JetType::Binary:
      return "Binary(" + std::to_string(column.maxLength) + ")";
    case JetType::Text:
      return "Text(" + std::to_string(column.maxLength) + ")";
    case JetType::Ole:
      return "OLE Object";
    case JetType::Memo:
      return "Memo";
  }
  return "?";
}

JetColumn ColumnFromExport(const Column& column, const std::string& where) {
  JetColumn jet;
  jet.name = column.name;
  jet.nullable = column.nullable;
  if (column.size < 0) Fail(where + ": negative size " + std::to_string(column.size));
  switch (column.type) {
    case AdoType::VarWChar:
    case AdoType::Char:
      // Jet has no ANSI text type; fixed-width ANSI text is stored as Unicode text.
      if (column.size > kMaxTextChars) {
        jet.type = JetType::Memo;
      } else {
        jet.type = JetType::Text;
        jet.maxLength = column.size == 0 ? kMaxTextChars : column.size;
      }
      break;
    case AdoType::LongVarWChar:
      jet.type = JetType::Memo;
      break;
    case AdoType::SmallInt:
      jet.type = JetType::Integer;
      break;
    case AdoType::Integer:
      jet.type = JetType::Long;
      break;
    case AdoType::Double:
      jet.type = JetType::Double;
      break;
    case AdoType::Currency:
      jet.type = JetType::Currency;
      break;
    case AdoType::Date:
      jet.type = JetType::DateTime;
      break;
    case AdoType::Boolean:
      jet.type = JetType::Boolean;
      jet.nullable = false;  // Yes/No cannot hold NULL; a NULL is stored as No
      break;
    case AdoType::Binary:
    case AdoType::VarBinary:
      if (column.size > kMaxBinaryBytes) {
        jet.type = JetType::Ole;
      } else {
        jet.type = JetType::Binary;
        jet.maxLength = column.size == 0 ? kMaxBinaryBytes : column.size;
      }
      break;
    case AdoType::LongVarBinary:
      jet.type = JetType::Ole;
      break;
    case AdoType::BigInt:
      Fail(where + ": type BigInt (20) has no Jet 4 column type; Jet 4 has no 64-bit integer");
    case AdoType::Empty:
      Fail(where + ": type Empty (0) is not a column type");
    case AdoType::Error:
      Fail(where + ": type Error (10) is not a column type");
    default:
      Fail(where + ": unknown ADO type code " + std::to_string(static_cast<int>(column.type)));
  }
  return jet;
}

void CheckObjectName(std::string_view name, const std::string& what) {
  const auto length = Utf16Length(name);
  if (!length) Fail(what + " is not valid UTF-8");
  if (*length == 0) Fail(what + " is empty");
  if (*length > kMaxNameChars) {
    Fail(what + " is longer than " + std::to_string(kMaxNameChars) + " characters");
  }
  if (name.front() == ' ') Fail(what + " starts with a space");
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) Fail(what + " contains a control character");
    if (c == '.' || c == '!' || c == '`' || c == '[' || c == ']') {
      Fail(what + " contains '" + std::string(1, c) + "', which Access does not allow in names");
    }
  }
}

TableLayout::TableLayout(std::vector<JetColumn> columns) : columns_(std::move(columns)) {
  std::size_t fixedOffset = 0;
  std::size_t varIndex = 0;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    JetColumn& c = columns_[i];
    c.number = static_cast<std::uint16_t>(i);
    // Jet writes the number of variable columns so far into fixed columns too.
    c.varIndex = static_cast<std::uint16_t>(varIndex);
    const int size = FixedSize(c.type);
    if (size >= 0) {
      c.fixedOffset = static_cast<std::uint16_t>(fixedOffset);
      fixedOffset += static_cast<std::size_t>(size);
    } else {
      c.fixedOffset = 0;
      ++varIndex;
    }
  }
  fixedLength_ = fixedOffset;
  variableCount_ = varIndex;
}

}  // namespace zyl::exporting::jet4

#include "export/jet4/Jet4Rows.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "export/jet4/Jet4Text.h"

namespace zyl::exporting::jet4 {

namespace {

// Date/Time values Access accepts: 1 January 100 up to the end of 31 December 9999.
constexpr double kFirstDate = -657434.0;
constexpr double kDateLimit = 2958466.0;

const char* KindName(const Value& value) {
  switch (value.index()) {
    case 0:
      return "NULL";
    case 1:
      return "a Boolean";
    case 2:
      return "an integer";
    case 3:
      return "a floating-point number";
    case 4:
      return "a currency amount";
    case 5:
      return "a date";
    case 6:
      return "a text";
    default:
      return "binary data";
  }
}

const char* ExpectedKind(JetType type) {
  switch (type) {
    case JetType::Boolean:
      return "a Boolean";
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long:
      return "an integer";
    case JetType::Single:
    case JetType::Double:
      return "a floating-point number";
    case JetType::Currency:
      return "a currency amount";
    case JetType::DateTime:
      return "a date";
    case JetType::Text:
    case JetType::Memo:
      return "a text";
    case JetType::Binary:
    case JetType::Ole:
      return "binary data";
  }
  return "?";
}

}  // namespace

RowPacker::RowPacker(const TableLayout& layout, std::string tableName)
    : layout_(layout),
      tableName_(std::move(tableName)),
      trailer_(layout.VariableCount() == 0 ? layout.MaskLength()
                                           : 4 + 2 * layout.VariableCount() + layout.MaskLength()),
      mask_(layout.MaskLength()) {
  offsets_.reserve(layout.VariableCount());
}

void RowPacker::FailValue(std::size_t rowNumber, const JetColumn& column,
                          const std::string& what) const {
  Fail("table '" + tableName_ + "' row " + std::to_string(rowNumber) + " column '" + column.name +
       "': " + what);
}

void RowPacker::FailKind(std::size_t rowNumber, const JetColumn& column, const Value& value) const {
  FailValue(rowNumber, column,
            std::string("expects ") + ExpectedKind(column.type) + ", got " + KindName(value));
}

void RowPacker::Pack(std::span<const Value> values, std::size_t rowNumber,
                     LongValueStore* longValues, ByteVector& out) {
  const std::vector<JetColumn>& columns = layout_.Columns();
  if (values.size() != columns.size()) {
    Fail("table '" + tableName_ + "' row " + std::to_string(rowNumber) + " has " +
         std::to_string(values.size()) + " values for " + std::to_string(columns.size()) +
         " columns");
  }
  out.assign(2 + layout_.FixedLength(), 0);
  PutU16(out.data(), static_cast<std::uint32_t>(columns.size()));
  std::fill(mask_.begin(), mask_.end(), std::uint8_t{0});
  offsets_.clear();

  for (std::size_t i = 0; i < columns.size(); ++i) {
    const JetColumn& column = columns[i];
    const Value& value = values[i];
    const bool isNull = std::holds_alternative<std::monostate>(value);
    const auto bit = static_cast<std::uint8_t>(1u << (column.number % 8));
    if (column.type == JetType::Boolean) {
      // The null-mask bit is the value; a NULL is stored as No.
      if (!isNull && !std::holds_alternative<bool>(value)) FailKind(rowNumber, column, value);
      if (!isNull && std::get<bool>(value)) mask_[column.number / 8] |= bit;
      continue;
    }
    if (isNull && !column.nullable) FailValue(rowNumber, column, "does not accept NULL");
    if (!isNull) mask_[column.number / 8] |= bit;
    if (IsFixed(column.type)) {
      if (!isNull) PutFixed(column, value, rowNumber, out.data() + 2 + column.fixedOffset);
      continue;
    }
    offsets_.push_back(static_cast<std::uint16_t>(std::min<std::size_t>(out.size(), 0xFFFF)));
    if (!isNull) AppendVariable(column, value, rowNumber, longValues, out);
  }

  if (out.size() + trailer_ > kMaxRowSize) {
    Fail("table '" + tableName_ + "' row " + std::to_string(rowNumber) + " needs " +
         std::to_string(out.size() + trailer_) + " bytes; a Jet 4 row holds at most " +
         std::to_string(kMaxRowSize));
  }
  if (layout_.VariableCount() > 0) {
    AppendU16(out, static_cast<std::uint32_t>(out.size()));
    for (auto it = offsets_.rbegin(); it != offsets_.rend(); ++it) AppendU16(out, *it);
    AppendU16(out, static_cast<std::uint32_t>(layout_.VariableCount()));
  }
  out.insert(out.end(), mask_.begin(), mask_.end());
}

void RowPacker::PutFixed(const JetColumn& column, const Value& value, std::size_t rowNumber,
                         std::uint8_t* at) const {
  auto integer = [&](std::int64_t lo, std::int64_t hi) {
    const auto* v = std::get_if<std::int64_t>(&value);
    if (v == nullptr) FailKind(rowNumber, column, value);
    if (*v < lo || *v > hi) {
      FailValue(rowNumber, column,
                "value " + std::to_string(*v) + " does not fit " + TypeName(column) + " (" +
                    std::to_string(lo) + " to " + std::to_string(hi) + ")");
    }
    return static_cast<std::uint64_t>(*v);
  };
  auto floating = [&] {
    const auto* v = std::get_if<double>(&value);
    if (v == nullptr) FailKind(rowNumber, column, value);
    if (!std::isfinite(*v)) FailValue(rowNumber, column, "value is not a finite number");
    return *v;
  };
  switch (column.type) {
    case JetType::Byte:
      at[0] = static_cast<std::uint8_t>(integer(0, 255));
      break;
    case JetType::Integer:
      PutU16(at, static_cast<std::uint32_t>(integer(-32768, 32767)));
      break;
    case JetType::Long:
      PutU32(at, static_cast<std::uint32_t>(integer(std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max())));
      break;
    case JetType::Single: {
      const double v = floating();
      if (std::fabs(v) > std::numeric_limits<float>::max()) {
        FailValue(rowNumber, column, "value does not fit Single");
      }
      PutU32(at, std::bit_cast<std::uint32_t>(static_cast<float>(v)));
      break;
    }
    case JetType::Double:
      PutU64(at, std::bit_cast<std::uint64_t>(floating()));
      break;
    case JetType::Currency: {
      const auto* v = std::get_if<CurrencyValue>(&value);
      if (v == nullptr) FailKind(rowNumber, column, value);
      PutU64(at, static_cast<std::uint64_t>(v->scaled));
      break;
    }
    case JetType::DateTime: {
      const auto* v = std::get_if<DateTimeValue>(&value);
      if (v == nullptr) FailKind(rowNumber, column, value);
      if (!(v->days >= kFirstDate && v->days < kDateLimit)) {
        FailValue(rowNumber, column, "date is outside the years 100 to 9999 that Access stores");
      }
      PutU64(at, std::bit_cast<std::uint64_t>(v->days));
      break;
    }
    default:
      FailKind(rowNumber, column, value);
  }
}

void RowPacker::AppendVariable(const JetColumn& column, const Value& value, std::size_t rowNumber,
                               LongValueStore* longValues, ByteVector& out) {
  const bool isText = column.type == JetType::Text || column.type == JetType::Memo;
  const std::string* text = std::get_if<std::string>(&value);
  const Bytes* bytes = std::get_if<Bytes>(&value);
  if (isText ? text == nullptr : bytes == nullptr) FailKind(rowNumber, column, value);
  if (column.type == JetType::Text) {
    const auto units = AppendUtf16Le(*text, out);
    if (!units) FailValue(rowNumber, column, "text is not valid UTF-8");
    if (*units > static_cast<std::size_t>(column.maxLength)) {
      FailValue(
          rowNumber, column,
          "text of " + std::to_string(*units) + " characters does not fit " + TypeName(column));
    }
    return;
  }
  if (column.type == JetType::Binary) {
    if (bytes->size() > static_cast<std::size_t>(column.maxLength)) {
      FailValue(rowNumber, column,
                std::to_string(bytes->size()) + " bytes do not fit " + TypeName(column));
    }
    out.insert(out.end(), bytes->begin(), bytes->end());
    return;
  }
  // Memo and OLE object.
  std::span<const std::uint8_t> data;
  if (text != nullptr) {
    scratch_.clear();
    if (!AppendUtf16Le(*text, scratch_)) FailValue(rowNumber, column, "text is not valid UTF-8");
    data = scratch_;
  } else {
    data = *bytes;
  }
  if (data.size() >= kLongValueLimit) {
    FailValue(
        rowNumber, column,
        "value of " + std::to_string(data.size()) + " bytes exceeds the 16 MB the writer allows");
  }
  if (longValues == nullptr) FailValue(rowNumber, column, "no long-value storage");
  const std::size_t used = out.size() + trailer_;
  const std::size_t room = used < kMaxRowSize ? kMaxRowSize - used : 0;
  longValues->AppendReference(column.number, data, room, out);
}

}  // namespace zyl::exporting::jet4

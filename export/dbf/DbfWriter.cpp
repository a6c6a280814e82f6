#include "export/dbf/DbfWriter.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "export/TableRows.h"
#include "export/dbf/DbfFieldPlan.h"
#include "export/dbf/DecimalText.h"
#include "platform/Exception.h"
#include "platform/Utf8.h"

namespace zyl::exporting {
namespace {

constexpr std::uint8_t kVersionNoMemo = 0x03;
constexpr std::uint8_t kLanguageDriver1252 = 0x57;
constexpr std::uint8_t kEndOfDescriptors = 0x0D;
constexpr std::uint8_t kEndOfFile = 0x1A;
constexpr char kRecordValid = ' ';
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kFlushSize = 64 * 1024;

// 255 fields of 254 bytes plus the deletion flag stay within the 16-bit
// record length, so the record length needs no check of its own.
static_assert(kDbfMaxFields * kDbfMaxCharLength + 1 <= 0xFFFF);

void PutUint16(std::string& out, std::size_t offset, std::size_t value) {
  out[offset] = static_cast<char>(value & 0xFF);
  out[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutUint32(std::string& out, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Header(const std::vector<DbfField>& fields, std::size_t rowCount,
                   const CivilDate& lastUpdate) {
  std::size_t recordLength = 1;
  for (const DbfField& field : fields) recordLength += static_cast<std::size_t>(field.length);
  const std::size_t headerLength = kHeaderSize + kDescriptorSize * fields.size() + 1;

  std::string out(headerLength, '\0');
  out[0] = static_cast<char>(kVersionNoMemo);
  out[1] = static_cast<char>(std::clamp(lastUpdate.year - 1900, 0, 255));
  out[2] = static_cast<char>(lastUpdate.month);
  out[3] = static_cast<char>(lastUpdate.day);
  PutUint32(out, 4, static_cast<std::uint32_t>(rowCount));
  PutUint16(out, 8, headerLength);
  PutUint16(out, 10, recordLength);
  out[29] = static_cast<char>(kLanguageDriver1252);

  std::size_t at = kHeaderSize;
  for (const DbfField& field : fields) {
    out.replace(at, field.name.size(), field.name);  // NUL-padded to 11 bytes
    out[at + 11] = field.type;
    out[at + 16] = static_cast<char>(field.length);
    out[at + 17] = static_cast<char>(field.decimals);
    at += kDescriptorSize;
  }
  out[at] = static_cast<char>(kEndOfDescriptors);
  return out;
}

// Appends `text` right-aligned in a field of `length` bytes.
void AppendRight(std::string& record, const std::string& text, int length) {
  if (static_cast<int>(text.size()) > length) {
    // Planning sized the field for every value; reaching this is a bug.
    throw Exception("dBase writer: internal error: '" + text + "' is wider than its field");
  }
  record.append(static_cast<std::size_t>(length) - text.size(), ' ');
  record += text;
}

// Appends a non-negative number as exactly `count` digits, zero-padded.
void AppendDigits(std::string& record, int number, int count) {
  std::string digits(static_cast<std::size_t>(count), '0');
  for (int i = count - 1; i >= 0 && number > 0; --i, number /= 10) {
    digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + number % 10);
  }
  record += digits;
}

// Appends the field bytes of one value; null is all blanks in every type.
void AppendValue(std::string& record, const DbfField& field, const Value& value) {
  const auto length = static_cast<std::size_t>(field.length);
  if (const auto* text = std::get_if<std::string>(&value)) {
    std::string bytes = Utf8ToCp1252(*text);
    if (bytes.size() > length) bytes.resize(length);
    record += bytes;
    record.append(length - bytes.size(), ' ');
  } else if (const auto* integer = std::get_if<std::int64_t>(&value)) {
    AppendRight(record, std::to_string(*integer), field.length);
  } else if (const auto* real = std::get_if<double>(&value)) {
    AppendRight(record, FixedText(ShortestDecimal(*real), field.decimals), field.length);
  } else if (const auto* currency = std::get_if<CurrencyValue>(&value)) {
    AppendRight(record, FixedText(ScaledDecimal(currency->scaled, field.decimals), field.decimals),
                field.length);
  } else if (const auto* date = std::get_if<DateTimeValue>(&value)) {
    const CivilDate day = DateOfValue(*date).value();  // range checked by planning
    AppendDigits(record, day.year, 4);
    AppendDigits(record, day.month, 2);
    AppendDigits(record, day.day, 2);
  } else if (const auto* logical = std::get_if<bool>(&value)) {
    record += *logical ? 'T' : 'F';
  } else {
    record.append(length, ' ');
  }
}

}  // namespace

void WriteDbf(const Table& table, ByteSink& sink, Substitutions* noted) {
  WriteDbf(table, sink, TodayLocal(), noted);
}

void WriteDbf(const Table& whole, ByteSink& sink, const CivilDate& lastUpdate,
              Substitutions* noted) {
  Table copy;
  const Table& table = WithBlanks(whole, copy, DbfUnstorable, noted);
  const std::vector<DbfField> fields = PlanDbfFields(table);

  std::string buffer = Header(fields, RowCount(table), lastUpdate);
  buffer.reserve(kFlushSize + 70'000);
  ForEachRow(table, [&](const std::vector<Value>& row, std::size_t) {
    buffer += kRecordValid;
    for (std::size_t i = 0; i < fields.size(); ++i) AppendValue(buffer, fields[i], row[i]);
    if (buffer.size() >= kFlushSize) {
      sink.Write(buffer);
      buffer.clear();
    }
  });
  buffer += static_cast<char>(kEndOfFile);
  sink.Write(buffer);
}

}  // namespace zyl::exporting

#include "export/paradox/ParadoxValues.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <variant>

#include "platform/Exception.h"
#include "platform/Utf8.h"

namespace zyl::exporting::paradox {

namespace {

// Shortest text that reads back as the same double, without an exponent
// for values of ordinary size.
std::string DoubleText(double d) {
  std::array<char, 64> buf{};
  const bool plain = d == 0 || (std::fabs(d) >= 1e-4 && std::fabs(d) < 1e15);
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), d,
                                 plain ? std::chars_format::fixed : std::chars_format::general);
  return res.ec == std::errc() ? std::string(buf.data(), res.ptr) : std::string("?");
}

void PutBigEndian(std::uint64_t bits, int bytes, std::uint8_t* out) {
  for (int i = bytes - 1; i >= 0; --i) {
    out[i] = static_cast<std::uint8_t>(bits & 0xFFu);
    bits >>= 8;
  }
}

// Short, Long, Date and Time: two's complement, big-endian, first bit flipped.
void PutFlippedInteger(std::int64_t value, int bytes, std::uint8_t* out) {
  PutBigEndian(static_cast<std::uint64_t>(value), bytes, out);
  out[0] ^= 0x80u;
}

// Number, Money and Timestamp: IEEE double, big-endian; non-negative values
// get the sign bit set, negative values have every bit inverted.
void PutFlippedDouble(double value, std::uint8_t* out) {
  if (value == 0) value = 0.0;  // never -0.0
  auto bits = std::bit_cast<std::uint64_t>(value);
  bits = value < 0 ? ~bits : bits ^ (std::uint64_t{1} << 63);
  PutBigEndian(bits, 8, out);
}

// BCD with 0 decimals: sign/flag byte, then 32 digit nibbles, one's
// complement for negative values.
void PutBcdInteger(std::int64_t value, std::uint8_t* out) {
  const bool negative = value < 0;
  std::uint64_t mag =
      negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::array<std::uint8_t, 32> nibbles{};
  for (int i = 31; i >= 0 && mag != 0; --i) {
    nibbles[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(mag % 10);
    mag /= 10;
  }
  out[0] = negative ? 0x40 : 0xC0;
  for (std::size_t i = 0; i < 16; ++i) {
    auto hi = nibbles[2 * i];
    auto lo = nibbles[2 * i + 1];
    if (negative) hi = static_cast<std::uint8_t>(15 - hi), lo = static_cast<std::uint8_t>(15 - lo);
    out[1 + i] = static_cast<std::uint8_t>(hi << 4 | lo);
  }
}

const char* KindName(const Value& value) {
  static constexpr const char* kNames[] = {
      "NULL",        "a boolean", "an integer", "a number", "a currency amount",
      "a date-time", "text",      "bytes"};
  return kNames[value.index()];
}

const char* FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::Alpha:
      return "alpha";
    case FieldType::Date:
      return "date";
    case FieldType::Short:
      return "short";
    case FieldType::Long:
      return "long";
    case FieldType::Money:
      return "money";
    case FieldType::Number:
      return "number";
    case FieldType::Logical:
      return "logical";
    case FieldType::Time:
      return "time";
    case FieldType::Timestamp:
      return "timestamp";
    case FieldType::Bcd:
      return "BCD";
    case FieldType::Bytes:
      return "bytes";
  }
  return "unknown";
}

template <typename T>
const T& Expect(const FieldPlan& field, const Value& value) {
  if (const auto* v = std::get_if<T>(&value)) return *v;
  throw EConvertError(std::string(KindName(value)) + " cannot be stored in a " +
                      FieldTypeName(field.type) + " field");
}

void CheckRange(std::int64_t v, std::int64_t limit, const FieldPlan& field) {
  if (v < -limit || v > limit) {
    throw EConvertError(std::to_string(v) + " does not fit a " + FieldTypeName(field.type) +
                        " field (-" + std::to_string(limit) + ".." + std::to_string(limit) + ")");
  }
}

void PutAlpha(const std::string& utf8, int length, std::uint8_t* out) {
  std::string text = Utf8ToCp1252(utf8);
  // A NUL would end the value for every reader.
  for (char& c : text) {
    if (c == '\0') c = '?';
  }
  std::memcpy(out, text.data(), std::min(text.size(), static_cast<std::size_t>(length)));
}

}  // namespace

SplitDateTime SplitDays(DateTimeValue value) {
  const double days = value.days;
  // One day of slack on each side; the exact check follows on the date number.
  constexpr double kLow = 1.0 - kEpochDateNumber - 1.0;
  constexpr double kHigh = static_cast<double>(kLastDateNumber - kEpochDateNumber) + 1.0;
  if (!std::isfinite(days) || days < kLow || days >= kHigh) {
    throw EConvertError("date-time " + DoubleText(days) + " lies outside 0001-01-01..9999-12-31");
  }
  const double whole = std::trunc(days);
  auto dateNumber = static_cast<std::int64_t>(whole) + kEpochDateNumber;
  auto ms = std::llround(std::fabs(days - whole) * kMsPerDay);
  if (ms >= kMsPerDay) {  // rounded up to midnight: the next day begins
    ms = 0;
    ++dateNumber;
  }
  if (dateNumber < 1 || dateNumber > kLastDateNumber) {
    throw EConvertError("date-time " + DoubleText(days) + " lies outside 0001-01-01..9999-12-31");
  }
  return {static_cast<std::int32_t>(dateNumber), static_cast<std::int32_t>(ms)};
}

std::string ParadoxUnstorable(const Value& value) {
  if (const auto* v = std::get_if<double>(&value)) {
    if (!std::isfinite(*v)) return DoubleText(*v);
  } else if (const auto* d = std::get_if<DateTimeValue>(&value)) {
    try {
      SplitDays(*d);
    } catch (const EConvertError&) {
      return "date-time " + DoubleText(d->days);
    }
  }
  return "";
}

void EncodeValue(const FieldPlan& field, const Value& value, std::uint8_t* out) {
  if (std::holds_alternative<std::monostate>(value)) return;
  switch (field.type) {
    case FieldType::Alpha:
      PutAlpha(Expect<std::string>(field, value), field.length, out);
      return;
    case FieldType::Bytes: {
      const auto& bytes = Expect<Bytes>(field, value);
      if (bytes.empty()) return;  // an empty vector's data() may be null
      std::memcpy(out, bytes.data(),
                  std::min(bytes.size(), static_cast<std::size_t>(field.length)));
      return;
    }
    case FieldType::Short: {
      const auto v = Expect<std::int64_t>(field, value);
      CheckRange(v, 32767, field);
      PutFlippedInteger(v, 2, out);
      return;
    }
    case FieldType::Long: {
      const auto v = Expect<std::int64_t>(field, value);
      CheckRange(v, 2147483647, field);
      PutFlippedInteger(v, 4, out);
      return;
    }
    case FieldType::Bcd:
      PutBcdInteger(Expect<std::int64_t>(field, value), out);
      return;
    case FieldType::Number: {
      double d = 0;
      if (const auto* i = std::get_if<std::int64_t>(&value)) {
        d = static_cast<double>(*i);
      } else {
        d = Expect<double>(field, value);
        if (!std::isfinite(d)) return;  // NaN and infinities have no Paradox form: blank
      }
      PutFlippedDouble(d, out);
      return;
    }
    case FieldType::Money:
      PutFlippedDouble(static_cast<double>(Expect<CurrencyValue>(field, value).scaled) / 10000.0,
                       out);
      return;
    case FieldType::Logical:
      out[0] = Expect<bool>(field, value) ? 0x81 : 0x80;
      return;
    case FieldType::Date:
      PutFlippedInteger(SplitDays(Expect<DateTimeValue>(field, value)).dateNumber, 4, out);
      return;
    case FieldType::Time:
      PutFlippedInteger(SplitDays(Expect<DateTimeValue>(field, value)).msOfDay, 4, out);
      return;
    case FieldType::Timestamp: {
      const auto split = SplitDays(Expect<DateTimeValue>(field, value));
      PutFlippedDouble(
          static_cast<double>(std::int64_t{split.dateNumber} * kMsPerDay + split.msOfDay), out);
      return;
    }
  }
}

}  // namespace zyl::exporting::paradox

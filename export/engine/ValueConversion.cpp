#include "export/engine/ValueConversion.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "export/engine/EngineError.h"
#include "export/engine/SqlLexer.h"
#include "platform/DateTime.h"
#include "platform/Text.h"

namespace zyl::exporting {
namespace {

using sql::Literal;

// The calendar's range: 1 January 0001 to 31 December 9999.
constexpr double kMinDate = -693593.0;
constexpr double kMaxDate = 2958465.99999999;

// A number as text, cleaned: blanks around removed, a leading "+" dropped,
// thousands groups ("1,234,567.5") joined. The parts are kept for exact
// integer and currency reading.
struct NumberText {
  bool negative = false;
  std::string integerDigits;  // at least one digit unless fractionDigits has some
  std::string fractionDigits;
  std::string exponent;  // "e-3" or empty
  std::string Canonical() const {
    std::string text = negative ? "-" : "";
    text += integerDigits.empty() ? "0" : integerDigits;
    if (!fractionDigits.empty()) {
      text += '.';
      text += fractionDigits;
    }
    text += exponent;
    return text;
  }
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::optional<NumberText> ReadNumberText(std::string_view text) {
  text = TrimView(text, " \t");
  NumberText n;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) n.negative = text[i++] == '-';
  // Integer part, with optional thousands groups of exactly three digits.
  std::size_t groupDigits = 0;
  bool grouped = false;
  while (i < text.size()) {
    if (IsDigit(text[i])) {
      n.integerDigits += text[i++];
      ++groupDigits;
    } else if (text[i] == ',' && !n.integerDigits.empty() &&
               (grouped ? groupDigits == 3 : groupDigits <= 3)) {
      grouped = true;
      groupDigits = 0;
      ++i;
    } else {
      break;
    }
  }
  if (grouped && groupDigits != 3) return std::nullopt;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) n.fractionDigits += text[i++];
  }
  if (n.integerDigits.empty() && n.fractionDigits.empty()) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    n.exponent.push_back('e');
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) n.exponent += text[i++];
    const std::size_t start = i;
    while (i < text.size() && IsDigit(text[i])) n.exponent += text[i++];
    if (i == start) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return n;
}

std::optional<double> ToDouble(const NumberText& n) {
  const std::string canonical = n.Canonical();
  double v = 0;
  auto [ptr, ec] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), v);
  if (ec != std::errc() || ptr != canonical.data() + canonical.size() || !std::isfinite(v)) {
    return std::nullopt;
  }
  return v;
}

// Booleans by their words.
std::optional<bool> BooleanWord(std::string_view word) {
  if (SameAsciiText(word, "True") || SameAsciiText(word, "Yes") || SameAsciiText(word, "On")) {
    return true;
  }
  if (SameAsciiText(word, "False") || SameAsciiText(word, "No") || SameAsciiText(word, "Off")) {
    return false;
  }
  return std::nullopt;
}

class Converter {
 public:
  Converter(const Literal& literal, const Column& column, const SessionSettings& settings)
      : literal_(literal), column_(column), settings_(settings) {}

  Value Convert() {
    if (literal_.kind == Literal::Kind::Null) return std::monostate{};
    if (literal_.kind == Literal::Kind::Word && !BooleanWord(literal_.text)) {
      throw EOleException("Jet engine: column '" + column_.name + "': '" + literal_.text +
                          "' is not a value (values are NULL, text in quotes, numbers, "
                          "True/False, Yes/No and On/Off)");
    }
    switch (column_.type) {
      case AdoType::SmallInt:
        return Integer(-32768, 32767);
      case AdoType::Integer:
        return Integer(std::numeric_limits<std::int32_t>::min(),
                       std::numeric_limits<std::int32_t>::max());
      case AdoType::BigInt:
        return Integer(std::numeric_limits<std::int64_t>::min(),
                       std::numeric_limits<std::int64_t>::max());
      case AdoType::Double:
        return Number();
      case AdoType::Currency:
        return Currency();
      case AdoType::Date:
        return Date();
      case AdoType::Boolean:
        return Boolean();
      case AdoType::Char:
      case AdoType::VarWChar:
      case AdoType::LongVarWChar:
        return Text();
      case AdoType::Binary:
      case AdoType::VarBinary:
      case AdoType::LongVarBinary:
        return Binary();
      case AdoType::Empty:
      case AdoType::Error:
        break;
    }
    throw EOleException("Jet engine: column '" + column_.name + "' has no data type");
  }

 private:
  [[noreturn]] void Refuse(const std::string& why = "") const {
    std::string shown =
        literal_.kind == Literal::Kind::String ? "'" + literal_.text + "'" : literal_.text;
    throw EOleException("Jet engine: column '" + column_.name + "' (" + TypeName(column_) +
                        "): data type mismatch: " + shown +
                        (why.empty() ? " cannot be converted" : " " + why));
  }

  // The literal as number text; booleans count as -1 and 0.
  NumberText Numeric() const {
    if (literal_.kind == Literal::Kind::Word) {
      NumberText n;
      n.negative = *BooleanWord(literal_.text);
      n.integerDigits.push_back(n.negative ? '1' : '0');
      return n;
    }
    if (auto n = ReadNumberText(literal_.text)) return *n;
    Refuse("is not a number");
  }

  Value Integer(std::int64_t min, std::int64_t max) const {
    const NumberText n = Numeric();
    if (n.exponent.empty() && n.fractionDigits.find_first_not_of('0') == std::string::npos) {
      // Exact reading of whole numbers, beyond the 53 bits of a double.
      std::uint64_t magnitude = 0;
      auto [ptr, ec] = std::from_chars(n.integerDigits.data(),
                                       n.integerDigits.data() + n.integerDigits.size(), magnitude);
      const std::uint64_t limit =
          n.negative ? 0 - static_cast<std::uint64_t>(min) : static_cast<std::uint64_t>(max);
      if (n.integerDigits.empty())
        magnitude = 0;
      else if (ec != std::errc() || magnitude > limit)
        Refuse("is out of the column's range");
      (void)ptr;
      return n.negative ? static_cast<std::int64_t>(0 - magnitude)
                        : static_cast<std::int64_t>(magnitude);
    }
    const auto v = ToDouble(n);
    if (!v) Refuse("is not a number");
    const double rounded = std::nearbyint(*v);  // half to even
    if (rounded < static_cast<double>(min) || rounded >= -static_cast<double>(min) ||
        rounded > static_cast<double>(max)) {
      Refuse("is out of the column's range");
    }
    return static_cast<std::int64_t>(rounded);
  }

  Value Number() const {
    if (literal_.kind == Literal::Kind::String) {
      const std::string_view word = TrimView(literal_.text, " \t");
      if (SameAsciiText(word, "INF")) return std::numeric_limits<double>::infinity();
      if (SameAsciiText(word, "-INF")) return -std::numeric_limits<double>::infinity();
      if (SameAsciiText(word, "NAN")) return std::numeric_limits<double>::quiet_NaN();
    }
    const auto v = ToDouble(Numeric());
    if (!v) Refuse("is not a finite number");
    return *v;
  }

  Value Currency() const {
    constexpr std::uint64_t kMaxScaled = std::numeric_limits<std::int64_t>::max();
    const NumberText n = Numeric();
    if (n.exponent.empty()) {
      // Exact: integer digits, four decimals, the rest rounded half to even.
      std::uint64_t scaled = 0;
      auto push = [&](char c) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (scaled > (kMaxScaled - digit) / 10) Refuse("is out of the currency range");
        scaled = scaled * 10 + digit;
      };
      for (char c : n.integerDigits) push(c);
      for (std::size_t i = 0; i < 4; ++i)
        push(i < n.fractionDigits.size() ? n.fractionDigits[i] : '0');
      if (n.fractionDigits.size() > 4) {
        const std::string rest = n.fractionDigits.substr(4);
        const bool aboveHalf = rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) !=
                                                                       std::string::npos);
        const bool half = rest[0] == '5' && !aboveHalf;
        if (aboveHalf || (half && scaled % 2 == 1)) {
          if (scaled == kMaxScaled) Refuse("is out of the currency range");
          ++scaled;
        }
      }
      return CurrencyValue{n.negative ? -static_cast<std::int64_t>(scaled)
                                      : static_cast<std::int64_t>(scaled)};
    }
    const auto v = ToDouble(n);
    if (!v) Refuse("is not a number");
    const double scaled = std::nearbyint(*v * 10000.0);
    if (!(scaled > -9.2233720368547758e18 && scaled < 9.2233720368547758e18)) {
      Refuse("is out of the currency range");
    }
    return CurrencyValue{static_cast<std::int64_t>(scaled)};
  }

  Value Date() const {
    double days = 0;
    bool read = false;
    if (literal_.kind == Literal::Kind::String) {
      for (const std::string& pattern : settings_.datePatterns) {
        if (!pattern.empty() && TryParseDateTime(literal_.text, pattern, days)) {
          read = true;
          break;
        }
      }
      if (!read) read = TryStrToDateTime(literal_.text, days);
    }
    if (!read) {
      if (literal_.kind == Literal::Kind::String && !ReadNumberText(literal_.text)) {
        Refuse("is not a date");
      }
      const auto v = ToDouble(Numeric());
      if (!v) Refuse("is not a date");
      days = *v;
    }
    if (days < kMinDate || days > kMaxDate) Refuse("lies outside the years 1 to 9999");
    return DateTimeValue{days};
  }

  Value Boolean() const {
    if (literal_.kind != Literal::Kind::Number) {
      if (auto b = BooleanWord(literal_.text)) return *b;
    }
    const auto n = ReadNumberText(literal_.text);
    if (!n) Refuse("is not a boolean value");
    const auto v = ToDouble(*n);
    if (!v) Refuse("is not a boolean value");
    return *v != 0;
  }

  Value Text() const {
    std::string text = literal_.text;
    if (literal_.kind == Literal::Kind::Word) text = *BooleanWord(literal_.text) ? "True" : "False";
    if (column_.size > 0 && TextLength(text) > static_cast<std::size_t>(column_.size)) {
      Refuse("does not fit: the field is too small for its " + std::to_string(TextLength(text)) +
             " characters");
    }
    return text;
  }

  Value Binary() const {
    if (literal_.kind != Literal::Kind::String) Refuse("is not binary data");
    if (column_.size > 0 && literal_.text.size() > static_cast<std::size_t>(column_.size)) {
      Refuse("does not fit: the field is too small for its " +
             std::to_string(literal_.text.size()) + " bytes");
    }
    return Bytes(literal_.text.begin(), literal_.text.end());
  }

  const Literal& literal_;
  const Column& column_;
  const SessionSettings& settings_;
};

}  // namespace

Value ConvertLiteral(const sql::Literal& literal, const Column& column,
                     const SessionSettings& settings) {
  return Converter(literal, column, settings).Convert();
}

std::string TypeName(const Column& column) {
  std::string size;
  if (column.size > 0) {
    size = '(';
    size += std::to_string(column.size);
    size += ')';
  }
  switch (column.type) {
    case AdoType::Empty:
      return "Empty";
    case AdoType::SmallInt:
      return "SmallInt";
    case AdoType::Integer:
      return "Integer";
    case AdoType::Double:
      return "Double";
    case AdoType::Currency:
      return "Currency";
    case AdoType::Date:
      return "Date";
    case AdoType::Error:
      return "Error";
    case AdoType::Boolean:
      return "Boolean";
    case AdoType::BigInt:
      return "BigInt";
    case AdoType::Binary:
      return "Binary" + size;
    case AdoType::Char:
      return "Char" + size;
    case AdoType::VarWChar:
      return "Text" + size;
    case AdoType::LongVarWChar:
      return "Memo";
    case AdoType::VarBinary:
      return "VarBinary" + size;
    case AdoType::LongVarBinary:
      return "LongBinary";
  }
  return "type " + std::to_string(static_cast<int>(column.type));
}

std::size_t TextLength(const std::string& utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    std::size_t len = c < 0x80           ? 1
                      : (c >> 5) == 0x6  ? 2
                      : (c >> 4) == 0xE  ? 3
                      : (c >> 3) == 0x1E ? 4
                                         : 0;
    bool valid = len != 0 && i + len <= utf8.size();
    for (std::size_t k = 1; valid && k < len; ++k) {
      valid = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
    }
    if (!valid) {
      ++units;
      ++i;
      continue;
    }
    units += len == 4 ? 2 : 1;
    i += len;
  }
  return units;
}

}  // namespace zyl::exporting

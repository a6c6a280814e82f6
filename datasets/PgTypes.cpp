#include "datasets/PgTypes.h"

#include <cmath>
#include <cstdio>

#include "datasets/FieldText.h"
#include "datasets/SQLiteTypes.h"
#include "platform/DateTime.h"
#include "platform/Format.h"

namespace zyl::pg {

namespace {

using FT = TFieldType;

// Type OIDs fixed by the server's catalog.
enum : unsigned {
  kBool = 16,
  kBytea = 17,
  kChar = 18,
  kName = 19,
  kInt8 = 20,
  kInt2 = 21,
  kInt4 = 23,
  kText = 25,
  kOid = 26,
  kJson = 114,
  kXml = 142,
  kPoint = 600,
  kFloat4 = 700,
  kFloat8 = 701,
  kMoney = 790,
  kBpchar = 1042,
  kVarchar = 1043,
  kDate = 1082,
  kTime = 1083,
  kTimestamp = 1114,
  kTimestamptz = 1184,
  kTimetz = 1266,
  kNumeric = 1700,
  kJsonb = 3802,
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

TVariant BytesFromHex(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  if (text.size() < 2 || text[0] != '\\' || text[1] != 'x') {
    return TVariant(std::vector<std::uint8_t>(text.begin(), text.end()));
  }
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return TVariant(std::string(text));
    bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return TVariant(std::move(bytes));
}

std::string HexFromBytes(const std::vector<std::uint8_t>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string text = "\\x";
  for (std::uint8_t b : bytes) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

std::string DoubleText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The number of the digits text[at, at + count), or -1.
int DigitsAt(std::string_view text, std::size_t at, std::size_t count) {
  int n = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (i >= text.size() || !IsDigit(text[i])) return -1;
    n = n * 10 + (text[i] - '0');
  }
  return n;
}

// "-12", "0": kept as they are (at most 18 digits, no leading zero).
bool IntegerDisplay(std::string_view s, std::string& display) {
  std::string_view digits = !s.empty() && s[0] == '-' ? s.substr(1) : s;
  if (digits.empty() || digits.size() > 18 || (digits[0] == '0' && s.size() > 1)) return false;
  for (char c : digits) {
    if (!IsDigit(c)) return false;
  }
  display = s;
  return true;
}

// "-12.50": the shortest form FloatToStr writes for it, when it has at most
// 15 significant digits and no more than four zeros after the point before
// the first of them (FloatToStr's fixed notation).
bool DecimalDisplay(std::string_view s, std::string& display) {
  const bool negative = !s.empty() && s[0] == '-';
  std::size_t i = negative ? 1 : 0;
  std::size_t wholeBegin = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  std::size_t wholeEnd = i, fractionBegin = i, fractionEnd = i;
  if (i < s.size() && s[i] == '.') {
    fractionBegin = ++i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    fractionEnd = i;
  }
  if (i != s.size() || wholeEnd == wholeBegin) return false;
  while (wholeEnd - wholeBegin > 1 && s[wholeBegin] == '0') ++wholeBegin;
  while (fractionEnd > fractionBegin && s[fractionEnd - 1] == '0') --fractionEnd;
  std::string_view whole = s.substr(wholeBegin, wholeEnd - wholeBegin);
  std::string_view fraction = s.substr(fractionBegin, fractionEnd - fractionBegin);
  if (whole == "0") {
    if (fraction.empty()) {
      display = "0";
      return true;
    }
    std::size_t zeros = fraction.find_first_not_of('0');
    if (zeros > 4 || fraction.size() - zeros > 15) return false;
  } else if (whole.size() + fraction.size() > 15) {
    return false;
  }
  display.assign(negative ? "-" : "");
  display += whole;
  if (!fraction.empty()) display.append(".").append(fraction);
  return true;
}

// "13:45:30" at `at`: false unless a valid time of day.
bool IsTimeAt(std::string_view s, std::size_t at) {
  int h = DigitsAt(s, at, 2), m = DigitsAt(s, at + 3, 2), sec = DigitsAt(s, at + 6, 2);
  return s[at + 2] == ':' && s[at + 5] == ':' && h >= 0 && h <= 23 && m >= 0 && m <= 59 &&
         sec >= 0 && sec <= 59;
}

// "2024-02-29" or "2024-02-29 13:45:30" as "29.02.2024[ 13:45:30]", the
// time left out at midnight; "13:45:30" as it is for a time column.
bool DateDisplay(std::string_view s, FT type, std::string& display) {
  if (type == FT::ftTime) {
    if (s.size() != 8 || !IsTimeAt(s, 0)) return false;
    display = s;
    return true;
  }
  if (s.size() != 10 && s.size() != 19) return false;
  int y = DigitsAt(s, 0, 4), m = DigitsAt(s, 5, 2), d = DigitsAt(s, 8, 2);
  TDateTime day = 0;
  // Day 0 (30.12.1899) shows as a time.
  if (s[4] != '-' || s[7] != '-' || y < 0 || m < 0 || d < 0 || !TryEncodeDate(y, m, d, day) ||
      day == 0) {
    return false;
  }
  const bool midnight = s.size() == 10 || s.substr(11) == "00:00:00";
  if (s.size() == 19 && (s[10] != ' ' || !IsTimeAt(s, 11))) return false;
  char text[19] = {s[8], s[9], '.', s[5], s[6], '.', s[0], s[1], s[2], s[3]};
  if (!midnight) {
    text[10] = ' ';
    s.copy(text + 11, 8, 11);
  }
  display.assign(text, midnight ? 10 : 19);
  return true;
}

}  // namespace

bool TextToDisplay(std::string_view text, const ColumnType& type, std::string& display) {
  switch (type.type) {
    case FT::ftSmallint:
    case FT::ftInteger:
    case FT::ftLargeint:
      return IntegerDisplay(text, display);
    case FT::ftFloat:
    case FT::ftBCD:
    case FT::ftCurrency:
      return DecimalDisplay(text, display);
    case FT::ftBoolean:
      if (text != "t" && text != "f") return false;
      display = text == "t" ? "True" : "False";
      return true;
    case FT::ftDate:
    case FT::ftTime:
    case FT::ftDateTime:
      return DateDisplay(text, type.type, display);
    default:
      return false;
  }
}

ColumnType MapType(unsigned oid, int typmod) {
  ColumnType t;
  t.oid = oid;
  switch (oid) {
    case kInt2:
      t.type = FT::ftSmallint;
      break;
    case kInt4:
    case kOid:
      t.type = FT::ftInteger;
      break;
    case kInt8:
      t.type = FT::ftLargeint;
      break;
    case kFloat4:
    case kFloat8:
      t.type = FT::ftFloat;
      break;
    case kNumeric:
      t.type = FT::ftBCD;
      break;
    case kMoney:
      t.type = FT::ftCurrency;
      break;
    case kBool:
      t.type = FT::ftBoolean;
      break;
    case kDate:
      t.type = FT::ftDate;
      break;
    case kTime:
    case kTimetz:
      t.type = FT::ftTime;
      break;
    case kTimestamp:
    case kTimestamptz:
      t.type = FT::ftDateTime;
      break;
    case kBytea:
      t.type = FT::ftBlob;
      break;
    case kJson:
    case kJsonb:
    case kXml:
      t.type = FT::ftMemo;
      t.orderable = false;
      break;
    case kPoint:
      t.type = FT::ftString;
      t.dataSize = kDefaultStringSize;
      t.orderable = false;
      break;
    case kVarchar:
    case kBpchar:
      t.type = FT::ftString;
      t.dataSize = typmod > 4 && typmod - 4 <= 32767 ? typmod - 4 : kDefaultStringSize;
      break;
    case kChar:
      t.type = FT::ftString;
      t.dataSize = 1;
      break;
    default:
      t.type = FT::ftString;
      t.dataSize = kDefaultStringSize;
      break;
  }
  return t;
}

TVariant TextToValue(std::string_view s, const ColumnType& type) {
  switch (type.type) {
    case FT::ftSmallint:
    case FT::ftInteger:
    case FT::ftLargeint: {
      std::int64_t i = 0;
      return TryStrToInt64(s, i) ? TVariant(i) : TVariant(std::string(s));
    }
    case FT::ftFloat:
    case FT::ftBCD:
    case FT::ftCurrency: {
      double d = 0;
      if (s == "NaN" || s.find("nfinity") != std::string_view::npos)
        return TVariant(std::string(s));
      return TryStrToFloat(s, d) ? TVariant(d) : TVariant(std::string(s));
    }
    case FT::ftBoolean:
      if (s == "t") return TVariant(true);
      if (s == "f") return TVariant(false);
      return TVariant(std::string(s));
    case FT::ftDate:
    case FT::ftTime:
    case FT::ftDateTime: {
      TDateTime value = 0;
      if (!sqlite::TryParseIsoDateTime(s, value)) return TVariant(std::string(s));
      if (type.type == FT::ftTime) value -= std::trunc(value);
      return TVariant::FromDate(value);
    }
    case FT::ftBlob:
      return BytesFromHex(s);
    default:
      return TVariant(std::string(s));
  }
}

Text ValueToText(const TVariant& value, const ColumnType& type) {
  using K = TVariant::Kind;
  if (value.IsNullOrEmpty()) return std::nullopt;
  switch (value.GetKind()) {
    case K::Boolean:
      if (type.type == FT::ftBoolean) return value.ToBoolean() ? "true" : "false";
      if (IsTextFieldType(type.type)) return value.ToBoolean() ? "True" : "False";
      return value.ToBoolean() ? "1" : "0";
    case K::Integer:
      return std::to_string(value.ToInt64());
    case K::Double:
      return DoubleText(value.ToDouble());
    case K::Date: {
      TFieldType t = IsTextFieldType(type.type) ? FT::ftDateTime : type.type;
      if (t != FT::ftDate && t != FT::ftTime && t != FT::ftDateTime) t = FT::ftDateTime;
      return sqlite::FormatIsoDateTime(value.ToDateTime(), t);
    }
    case K::ByteArray:
      return HexFromBytes(value.ToBytes());
    default:
      if (type.type == FT::ftBlob) {
        std::string s = value.ToString();
        return HexFromBytes(std::vector<std::uint8_t>(s.begin(), s.end()));
      }
      return value.ToString();
  }
}

TVariant InputToValue(const std::string& text, const ColumnType& type, const std::string& name) {
  if (type.type == FT::ftBlob) return TVariant(std::vector<std::uint8_t>(text.begin(), text.end()));
  bool isDate = type.type == FT::ftDate || type.type == FT::ftTime || type.type == FT::ftDateTime;
  if (isDate) {
    std::size_t b = text.find_first_not_of(" \t");
    std::size_t e = text.find_last_not_of(" \t");
    std::string trimmed = b == std::string::npos ? "" : text.substr(b, e - b + 1);
    TDateTime value = 0;
    if (!trimmed.empty() && sqlite::TryParseIsoDateTime(trimmed, value)) {
      if (type.type == FT::ftDate) value = std::trunc(value);
      if (type.type == FT::ftTime) value -= std::trunc(value);
      return TVariant::FromDate(value);
    }
  }
  TFieldType asType = type.type == FT::ftBCD ? FT::ftFloat : type.type;
  return FieldValueFromText(text, asType, name);
}

}  // namespace zyl::pg

#include "datasets/PgTypes.h"

#include <cmath>
#include <cstdio>

#include "datasets/FieldText.h"
#include "datasets/SQLiteTypes.h"
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

TVariant BytesFromHex(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  if (text.size() < 2 || text[0] != '\\' || text[1] != 'x') {
    return TVariant(std::vector<std::uint8_t>(text.begin(), text.end()));
  }
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return TVariant(text);
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

}  // namespace

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

TVariant TextToValue(const Text& text, const ColumnType& type) {
  if (!text) return TVariant::Null();
  const std::string& s = *text;
  switch (type.type) {
    case FT::ftSmallint:
    case FT::ftInteger:
    case FT::ftLargeint: {
      std::int64_t i = 0;
      return TryStrToInt64(s, i) ? TVariant(i) : TVariant(s);
    }
    case FT::ftFloat:
    case FT::ftBCD:
    case FT::ftCurrency: {
      double d = 0;
      if (s == "NaN" || s.find("nfinity") != std::string::npos) return TVariant(s);
      return TryStrToFloat(s, d) ? TVariant(d) : TVariant(s);
    }
    case FT::ftBoolean:
      if (s == "t") return TVariant(true);
      if (s == "f") return TVariant(false);
      return TVariant(s);
    case FT::ftDate:
    case FT::ftTime:
    case FT::ftDateTime: {
      TDateTime value = 0;
      if (!sqlite::TryParseIsoDateTime(s, value)) return TVariant(s);
      if (type.type == FT::ftTime) value -= std::trunc(value);
      return TVariant::FromDate(value);
    }
    case FT::ftBlob:
      return BytesFromHex(s);
    default:
      return TVariant(s);
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

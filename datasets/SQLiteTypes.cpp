#include "datasets/SQLiteTypes.h"

#include <sqlite3.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/Exception.h"
#include "platform/Format.h"

namespace zyl::sqlite {

namespace {

using FT = TFieldType;

// Julian day number of 1899-12-30 00:00, day 0 of TDateTime.
constexpr double kJulianDayOfZero = 2415018.5;

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Upper-case ASCII with runs of blanks folded into one space, trimmed.
std::string Normalize(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (IsBlank(c)) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += AsciiUpper(c);
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

template <std::size_t N>
bool OneOf(const std::string& name, const std::array<const char*, N>& names) {
  for (const char* n : names) {
    if (name == n) return true;
  }
  return false;
}

ColumnType TextType(int length) {
  if (length <= 0) return {FT::ftString, kDefaultStringSize, false};
  if (length > kMaxStringSize) return {FT::ftMemo, 0, false};
  return {FT::ftString, length, true};
}

bool IsIntegerType(FT t) {
  return t == FT::ftSmallint || t == FT::ftInteger || t == FT::ftWord || t == FT::ftLargeint ||
         t == FT::ftAutoInc;
}
bool IsFloatType(FT t) {
  return t == FT::ftFloat || t == FT::ftCurrency || t == FT::ftBCD;
}
bool IsBinaryType(FT t) {
  return t == FT::ftBlob || t == FT::ftGraphic || t == FT::ftBytes || t == FT::ftVarBytes ||
         t == FT::ftTypedBinary || t == FT::ftParadoxOle || t == FT::ftDBaseOle;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  quoted += text;
  quoted += '\'';
  return quoted;
}

[[noreturn]] void Invalid(const ColumnSpec& column, std::string_view text, const char* what) {
  throw EConvertError("Field '" + column.name + "': " + Quoted(text) + " is not a valid " + what);
}

// Boolean words, ignoring case; returns false when `text` is none of them.
bool TryBooleanWord(std::string_view text, bool& value) {
  static constexpr std::array<std::pair<const char*, bool>, 12> kWords = {{
      {"TRUE", true},
      {"T", true},
      {"YES", true},
      {"Y", true},
      {"ON", true},
      {"1", true},
      {"FALSE", false},
      {"F", false},
      {"NO", false},
      {"N", false},
      {"OFF", false},
      {"0", false},
  }};
  std::string upper = Normalize(text);
  for (const auto& [word, v] : kWords) {
    if (upper == word) {
      value = v;
      return true;
    }
  }
  return false;
}

std::size_t CharCount(std::string_view utf8) {
  std::size_t n = 0;
  for (char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

// Reads `count` digits at `pos`.
bool Digits(std::string_view text, std::size_t& pos, int count, int& value) {
  value = 0;
  for (int i = 0; i < count; ++i, ++pos) {
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') return false;
    value = value * 10 + (text[pos] - '0');
  }
  return true;
}

// "HH:MM[:SS[.fff]]" at `pos`; the hour may have one digit.
bool ParseTime(std::string_view text, std::size_t& pos, TDateTime& time) {
  int h = 0, mi = 0, s = 0, ms = 0;
  bool shortHour = pos + 1 < text.size() && text[pos + 1] == ':';
  if (!Digits(text, pos, shortHour ? 1 : 2, h) || pos >= text.size() || text[pos] != ':') {
    return false;
  }
  ++pos;
  if (!Digits(text, pos, 2, mi)) return false;
  if (pos < text.size() && text[pos] == ':') {
    ++pos;
    if (!Digits(text, pos, 2, s)) return false;
    if (pos < text.size() && text[pos] == '.') {
      ++pos;
      std::size_t start = pos;
      double fraction = 0, scale = 0.1;
      while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        fraction += (text[pos] - '0') * scale;
        scale /= 10;
        ++pos;
      }
      if (pos == start) return false;
      ms = static_cast<int>(std::lround(fraction * 1000));
      if (ms > 999) ms = 999;
    }
  }
  return TryEncodeTime(h, mi, s, ms, time);
}

}  // namespace

ColumnType MapDeclaredType(std::string_view declared) {
  std::string type = Normalize(declared);
  std::string base = type;
  int length = 0;
  std::size_t paren = type.find('(');
  if (paren != std::string::npos) {
    base = Normalize(type.substr(0, paren));
    std::size_t i = paren + 1;
    while (i < type.size() && type[i] == ' ') ++i;
    long long n = 0;
    bool any = false;
    while (i < type.size() && type[i] >= '0' && type[i] <= '9') {
      if (n <= 100000000) n = n * 10 + (type[i] - '0');
      any = true;
      ++i;
    }
    if (any) length = n > kMaxStringSize ? kMaxStringSize + 1 : static_cast<int>(n);
  }

  static constexpr std::array<const char*, 4> kInteger = {"INTEGER", "INT", "MEDIUMINT", "INT4"};
  static constexpr std::array<const char*, 6> kLarge = {"BIGINT", "INT8", "UNSIGNED BIG INT",
                                                        "INT64",  "LONG", "LARGEINT"};
  static constexpr std::array<const char*, 4> kSmall = {"SMALLINT", "TINYINT", "INT2", "SHORT"};
  static constexpr std::array<const char*, 6> kFloat = {
      "REAL", "FLOAT", "DOUBLE", "DOUBLE PRECISION", "FLOAT4", "FLOAT8"};
  static constexpr std::array<const char*, 3> kBcd = {"NUMERIC", "DECIMAL", "NUMBER"};
  static constexpr std::array<const char*, 3> kMoney = {"MONEY", "SMALLMONEY", "CURRENCY"};
  static constexpr std::array<const char*, 4> kBool = {"BOOLEAN", "BOOL", "BIT", "LOGICAL"};
  static constexpr std::array<const char*, 3> kDateTime = {"DATETIME", "TIMESTAMP",
                                                           "SMALLDATETIME"};
  static constexpr std::array<const char*, 9> kBlob = {"BLOB",     "BINARY",     "VARBINARY",
                                                       "IMAGE",    "BYTEA",      "LONGBLOB",
                                                       "TINYBLOB", "MEDIUMBLOB", "GRAPHIC"};
  static constexpr std::array<const char*, 5> kMemo = {"MEMO", "CLOB", "LONGTEXT", "MEDIUMTEXT",
                                                       "NTEXT"};
  static constexpr std::array<const char*, 13> kText = {
      "TEXT",     "VARCHAR",           "CHAR",     "CHARACTER", "NCHAR",
      "NVARCHAR", "VARYING CHARACTER", "STRING",   "TINYTEXT",  "NATIVE CHARACTER",
      "VARCHAR2", "CHARACTER VARYING", "NVARCHAR2"};

  if (OneOf(base, kInteger)) return {FT::ftInteger, 0, false};
  if (OneOf(base, kLarge)) return {FT::ftLargeint, 0, false};
  if (OneOf(base, kSmall)) return {FT::ftSmallint, 0, false};
  if (OneOf(base, kFloat)) return {FT::ftFloat, 0, false};
  if (OneOf(base, kBcd)) return {FT::ftBCD, 0, false};
  if (OneOf(base, kMoney)) return {FT::ftCurrency, 0, false};
  if (OneOf(base, kBool)) return {FT::ftBoolean, 0, false};
  if (base == "DATE") return {FT::ftDate, 0, false};
  if (base == "TIME") return {FT::ftTime, 0, false};
  if (OneOf(base, kDateTime) || base.rfind("TIMESTAMP ", 0) == 0) {
    return {FT::ftDateTime, 0, false};
  }
  if (OneOf(base, kBlob)) return {FT::ftBlob, 0, false};
  if (OneOf(base, kMemo)) return {FT::ftMemo, 0, false};
  if (OneOf(base, kText)) return TextType(length);
  if (Contains(base, "INT")) return {FT::ftInteger, 0, false};
  if (Contains(base, "CHAR") || Contains(base, "CLOB") || Contains(base, "TEXT")) {
    return TextType(length);
  }
  if (Contains(base, "BLOB")) return {FT::ftBlob, 0, false};
  if (Contains(base, "REAL") || Contains(base, "FLOA") || Contains(base, "DOUB")) {
    return {FT::ftFloat, 0, false};
  }
  return TextType(0);
}

ColumnType MapStorageClass(int storageClass) {
  switch (storageClass) {
    case SQLITE_INTEGER:
      return {FT::ftInteger, 0, false};
    case SQLITE_FLOAT:
      return {FT::ftFloat, 0, false};
    case SQLITE_BLOB:
      return {FT::ftBlob, 0, false};
    default:
      return TextType(0);
  }
}

TVariant StoredToValue(const TVariant& stored, TFieldType type) {
  using K = TVariant::Kind;
  K kind = stored.GetKind();
  if (kind == K::Null || kind == K::Empty) return TVariant::Null();

  if (IsIntegerType(type)) {
    if (kind == K::String) {
      std::int64_t i = 0;
      double d = 0;
      if (TryStrToInt64(stored.ToString(), i)) return TVariant(i);
      if (TryStrToFloat(stored.ToString(), d)) return TVariant(d);
    }
    return stored;
  }
  if (IsFloatType(type)) {
    if (kind == K::Integer) return TVariant(stored.ToDouble());
    double d = 0;
    if (kind == K::String && TryStrToFloat(stored.ToString(), d)) return TVariant(d);
    return stored;
  }
  if (type == FT::ftBoolean) {
    if (kind == K::Integer || kind == K::Double) return TVariant(stored.ToDouble() != 0);
    bool b = false;
    if (kind == K::String) {
      if (TryBooleanWord(stored.ToString(), b)) return TVariant(b);
      double d = 0;
      if (TryStrToFloat(stored.ToString(), d)) return TVariant(d != 0);
    }
    return stored;
  }
  if (IsDateType(type)) {
    if (kind == K::Integer || kind == K::Double) {
      return TVariant::FromDate(stored.ToDouble() - kJulianDayOfZero);
    }
    TDateTime d = 0;
    if (kind == K::String) {
      std::string text = stored.ToString();
      if (TryParseIsoDateTime(text, d) || TryStrToDateTime(text, d)) return TVariant::FromDate(d);
    }
    return stored;
  }
  if (IsBinaryType(type)) {
    if (kind == K::ByteArray) return stored;
    std::string text = stored.ToString();
    return TVariant(std::vector<std::uint8_t>(text.begin(), text.end()));
  }
  // Text of every other kind.
  if (kind == K::String) return stored;
  return TVariant(stored.ToString());
}

TVariant TextToStored(std::string_view text, const ColumnSpec& column) {
  FT type = column.type.type;
  if (IsBinaryType(type)) return TVariant(std::vector<std::uint8_t>(text.begin(), text.end()));
  bool isText =
      !IsIntegerType(type) && !IsFloatType(type) && type != FT::ftBoolean && !IsDateType(type);
  if (isText) {
    if (column.type.sized && CharCount(text) > static_cast<std::size_t>(column.type.dataSize)) {
      throw EConvertError("Field '" + column.name + "': the value is longer than " +
                          std::to_string(column.type.dataSize) + " characters");
    }
    return TVariant(std::string(text));
  }
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  std::string_view trimmed = text.substr(b, e - b);
  if (trimmed.empty()) return TVariant::Null();

  if (IsIntegerType(type)) {
    std::int64_t i = 0;
    if (!TryStrToInt64(trimmed, i)) Invalid(column, text, "integer value");
    std::int64_t lo = INT64_MIN, hi = INT64_MAX;
    if (type == FT::ftSmallint) lo = -32768, hi = 32767;
    if (type == FT::ftWord) lo = 0, hi = 65535;
    if (type == FT::ftInteger || type == FT::ftAutoInc) lo = INT32_MIN, hi = INT32_MAX;
    if (i < lo || i > hi) {
      throw EConvertError("Field '" + column.name + "': " + std::string(trimmed) +
                          " is out of range (" + std::to_string(lo) + " to " + std::to_string(hi) +
                          ")");
    }
    return TVariant(i);
  }
  if (IsFloatType(type)) {
    double d = 0;
    if (!TryStrToFloat(trimmed, d)) Invalid(column, text, "floating point value");
    return TVariant(d);
  }
  if (type == FT::ftBoolean) {
    bool v = false;
    if (!TryBooleanWord(trimmed, v)) Invalid(column, text, "boolean value");
    return TVariant(static_cast<std::int64_t>(v ? 1 : 0));
  }
  TDateTime d = 0;
  // A time field reads a time first: "7.05" is not the 7th of May there.
  bool timeFirst = type == FT::ftTime && TryParseDateTime(trimmed, "hh:nn:ss.zzz", d);
  if (!timeFirst && !TryParseIsoDateTime(trimmed, d) && !TryStrToDateTime(trimmed, d)) {
    Invalid(column, text,
            type == FT::ftDate   ? "date"
            : type == FT::ftTime ? "time"
                                 : "date and time");
  }
  return TVariant(FormatIsoDateTime(d, type));
}

TVariant BooleanToStored(bool value, const ColumnSpec& column) {
  FT type = column.type.type;
  if (type == FT::ftBoolean || IsIntegerType(type) || IsFloatType(type)) {
    return TVariant(static_cast<std::int64_t>(value ? 1 : 0));
  }
  if (!IsDateType(type) && !IsBinaryType(type)) return TVariant(value ? "True" : "False");
  throw EConvertError("Field '" + column.name + "' cannot take a boolean value");
}

bool TryParseIsoDateTime(std::string_view text, TDateTime& value) {
  std::size_t pos = 0;
  TDateTime date = 0, time = 0;
  bool hasDate = text.size() >= 10 && text[4] == '-' && text[7] == '-';
  if (hasDate) {
    int y = 0, m = 0, d = 0;
    if (!Digits(text, pos, 4, y) || text[pos++] != '-' || !Digits(text, pos, 2, m) ||
        text[pos++] != '-' || !Digits(text, pos, 2, d) || !TryEncodeDate(y, m, d, date)) {
      return false;
    }
    if (pos < text.size() && (text[pos] == ' ' || text[pos] == 'T')) {
      ++pos;
      if (!ParseTime(text, pos, time)) return false;
    }
  } else if (!ParseTime(text, pos, time)) {
    return false;
  }
  // An optional zone ("Z", "+HH:MM", "-HHMM") and trailing blanks.
  if (pos < text.size() && (text[pos] == 'Z' || text[pos] == 'z')) {
    ++pos;
  } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-') && pos > 10) {
    ++pos;
    int zone = 0;
    if (!Digits(text, pos, 2, zone)) return false;
    if (pos < text.size() && text[pos] == ':') ++pos;
    if (!Digits(text, pos, 2, zone)) return false;
  }
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (pos != text.size()) return false;
  value = date < 0 ? date - time : date + time;
  return true;
}

std::string FormatIsoDateTime(TDateTime value, TFieldType type) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDate(value, y, mo, d);
  DecodeTime(value, h, mi, s, ms);
  char buf[64];
  std::string out;
  if (type != FT::ftTime) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, mo, d);
    out = buf;
    if (type == FT::ftDate) return out;
    out += ' ';
  }
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, mi, s);
  out += buf;
  if (ms != 0) {
    std::snprintf(buf, sizeof buf, ".%03d", ms);
    out += buf;
  }
  return out;
}

}  // namespace zyl::sqlite

#include "datasets/FieldText.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Locale.h"

namespace zyl {

namespace {

[[noreturn]] void NotValid(const std::string& text, const char* what, const std::string& fieldName) {
  throw EConvertError("'" + text + "' is not a valid " + what + " for field '" + fieldName + "'");
}

// The range of an integer kind.
void IntegerRange(TFieldType type, std::int64_t& low, std::int64_t& high) {
  switch (type) {
    case TFieldType::ftSmallint: low = -32768; high = 32767; return;
    case TFieldType::ftWord: low = 0; high = 65535; return;
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
      low = std::numeric_limits<std::int32_t>::min();
      high = std::numeric_limits<std::int32_t>::max();
      return;
    default:
      low = std::numeric_limits<std::int64_t>::min();
      high = std::numeric_limits<std::int64_t>::max();
      return;
  }
}

bool IsIntegerType(TFieldType type) {
  return type == TFieldType::ftSmallint || type == TFieldType::ftInteger ||
         type == TFieldType::ftWord || type == TFieldType::ftAutoInc ||
         type == TFieldType::ftLargeint;
}

// Keeps the part of a date-time that a field of `type` holds.
TDateTime DatePortion(TDateTime value, TFieldType type) {
  if (type == TFieldType::ftDate) return DatePart(value);
  if (type == TFieldType::ftTime) return value - std::trunc(value);
  return value;
}

TVariant CheckedInteger(std::int64_t v, TFieldType type, const std::string& fieldName) {
  std::int64_t low = 0, high = 0;
  IntegerRange(type, low, high);
  if (v < low || v > high) {
    throw EConvertError(IntToStr(v) + " is not a valid value for field '" + fieldName +
                        "'. The allowed range is " + IntToStr(low) + " to " + IntToStr(high));
  }
  return TVariant(v);
}

}  // namespace

bool IsTextFieldType(TFieldType type) {
  switch (type) {
    case TFieldType::ftUnknown:
    case TFieldType::ftString:
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
    case TFieldType::ftCursor:
    case TFieldType::ftFixedChar:
    case TFieldType::ftWideString: return true;
    default: return false;
  }
}

bool IsBinaryFieldType(TFieldType type) {
  switch (type) {
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftBlob:
    case TFieldType::ftGraphic:
    case TFieldType::ftParadoxOle:
    case TFieldType::ftDBaseOle:
    case TFieldType::ftTypedBinary: return true;
    default: return false;
  }
}

TVariant FieldValueFromText(const std::string& text, TFieldType type, const std::string& fieldName) {
  if (IsTextFieldType(type)) return TVariant(text);
  if (IsBinaryFieldType(type)) return TVariant(std::vector<std::uint8_t>(text.begin(), text.end()));
  if (text.empty()) return TVariant::Null();
  if (IsIntegerType(type)) {
    std::int64_t v = 0;
    if (!TryStrToInt64(text, v)) NotValid(text, "integer value", fieldName);
    return CheckedInteger(v, type, fieldName);
  }
  switch (type) {
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD: {
      double v = 0;
      if (!TryStrToFloat(text, v)) NotValid(text, "floating point value", fieldName);
      return TVariant(v);
    }
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime: {
      TDateTime v = 0;
      if (!TryStrToDateTime(text, v)) {
        const char* what = type == TFieldType::ftDate   ? "date"
                           : type == TFieldType::ftTime ? "time"
                                                        : "date and time";
        NotValid(text, what, fieldName);
      }
      return TVariant::FromDate(DatePortion(v, type));
    }
    case TFieldType::ftBoolean: {
      if (AnsiSameText(text, "true") || text == "1") return TVariant(true);
      if (AnsiSameText(text, "false") || text == "0") return TVariant(false);
      NotValid(text, "boolean value", fieldName);
    }
    default: return TVariant(text);
  }
}

TVariant NormalizeFieldValue(const TVariant& value, TFieldType type, const std::string& fieldName) {
  using Kind = TVariant::Kind;
  Kind kind = value.GetKind();
  if (kind == Kind::Empty || kind == Kind::Null) return TVariant::Null();
  if (kind == Kind::String && !IsTextFieldType(type)) {
    return FieldValueFromText(value.ToString(), type, fieldName);
  }
  bool number = kind == Kind::Integer || kind == Kind::Double || kind == Kind::Date;
  if (IsDateType(type) && number) return TVariant::FromDate(DatePortion(value.ToDouble(), type));
  if (type == TFieldType::ftBoolean && number) return TVariant(value.ToDouble() != 0);
  if (IsIntegerType(type) && kind == Kind::Integer) {
    return CheckedInteger(value.ToInt64(), type, fieldName);
  }
  return value;
}

std::string FieldDisplayText(const TVariant& value, TFieldType type) {
  if (value.IsNullOrEmpty()) return "";
  if (IsDateType(type) || value.GetKind() == TVariant::Kind::Date) {
    TDateTime d = value.ToDouble();
    if (type == TFieldType::ftDate) return FormatDateTime("dd.mm.yyyy", d);
    if (type == TFieldType::ftTime) return FormatDateTime("hh:nn:ss", d);
    if (DatePart(d) == 0) return FormatDateTime("hh:nn:ss", d);
    if (d == std::trunc(d)) return FormatDateTime("dd.mm.yyyy", d);
    return FormatDateTime("dd.mm.yyyy hh:nn:ss", d);
  }
  return value.ToString();
}

}  // namespace zyl

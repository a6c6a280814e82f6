#include "platform/Variant.h"

#include <cmath>
#include <utility>

#include "platform/Automation.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Locale.h"

namespace zyl {

TVariant::Kind TVariant::GetKind() const {
  switch (value_.index()) {
    case 0: return Kind::Empty;
    case 1: return Kind::Null;
    case 2: return Kind::Boolean;
    case 3: return Kind::Integer;
    case 4: return Kind::Double;
    case 5: return Kind::Date;
    case 6: return Kind::String;
    case 7: return Kind::ByteArray;
    default: return Kind::Object;
  }
}

std::string TVariant::KindName() const {
  switch (GetKind()) {
    case Kind::Empty: return "Empty";
    case Kind::Null: return "Null";
    case Kind::Boolean: return "Boolean";
    case Kind::Integer: return "Int64";
    case Kind::Double: return "Double";
    case Kind::Date: return "Date";
    case Kind::String: return "String";
    case Kind::ByteArray: return "Array Byte";
    case Kind::Object: return "Dispatch";
  }
  return "Unknown";
}

void TVariant::CastError(const char* target) const {
  throw EVariantError("Could not convert variant of type (" + KindName() + ") into type (" +
                      target + ")");
}

std::string TVariant::ToString() && {
  if (GetKind() == Kind::String) return std::move(std::get<std::string>(value_));
  return std::as_const(*this).ToString();
}

std::string TVariant::ToString() const& {
  switch (GetKind()) {
    case Kind::Empty:
    case Kind::Null: return "";
    case Kind::Boolean: return std::get<bool>(value_) ? "True" : "False";
    case Kind::Integer: return IntToStr(std::get<std::int64_t>(value_));
    case Kind::Double: return FloatToStr(std::get<double>(value_));
    case Kind::Date: return DateTimeToStr(std::get<DateTag>(value_).value);
    case Kind::String: return std::get<std::string>(value_);
    case Kind::ByteArray: {
      const auto& b = std::get<std::vector<std::uint8_t>>(value_);
      return std::string(b.begin(), b.end());
    }
    case Kind::Object: CastError("String");
  }
  return "";
}

bool TVariant::ToBoolean() const {
  switch (GetKind()) {
    case Kind::Empty:
    case Kind::Null: return false;
    case Kind::Boolean: return std::get<bool>(value_);
    case Kind::Integer: return std::get<std::int64_t>(value_) != 0;
    case Kind::Double: return std::get<double>(value_) != 0;
    case Kind::Date: return std::get<DateTag>(value_).value != 0;
    case Kind::String: {
      const std::string& s = std::get<std::string>(value_);
      if (AnsiSameText(s, "true")) return true;
      if (AnsiSameText(s, "false")) return false;
      double d = 0;
      if (TryStrToFloat(s, d)) return d != 0;
      CastError("Boolean");
    }
    default: CastError("Boolean");
  }
}

double TVariant::ToDouble() const { return NumberOr("Double"); }

double TVariant::NumberOr(const char* target) const {
  switch (GetKind()) {
    case Kind::Empty:
    case Kind::Null: return 0;
    case Kind::Boolean: return std::get<bool>(value_) ? -1 : 0;
    case Kind::Integer: return static_cast<double>(std::get<std::int64_t>(value_));
    case Kind::Double: return std::get<double>(value_);
    case Kind::Date: return std::get<DateTag>(value_).value;
    case Kind::String: {
      double d = 0;
      if (TryStrToFloat(std::get<std::string>(value_), d)) return d;
      CastError(target);
    }
    default: CastError(target);
  }
}

std::int64_t TVariant::ToInt64() const {
  if (GetKind() == Kind::Integer) return std::get<std::int64_t>(value_);
  if (GetKind() == Kind::String) {
    std::int64_t i = 0;
    if (TryStrToInt64(std::get<std::string>(value_), i)) return i;
  }
  double d = NumberOr("Int64");
  if (!std::isfinite(d) || std::fabs(d) > 9.2e18) CastError("Int64");
  return static_cast<std::int64_t>(std::llround(d));
}

TDateTime TVariant::ToDateTime() const {
  if (GetKind() == Kind::String) {
    TDateTime d = 0;
    if (TryStrToDateTime(std::get<std::string>(value_), d)) return d;
    double f = 0;
    if (TryStrToFloat(std::get<std::string>(value_), f)) return f;
    CastError("Date");
  }
  return NumberOr("Date");
}

const std::vector<std::uint8_t>& TVariant::ToBytes() const {
  if (GetKind() != Kind::ByteArray) CastError("Array Byte");
  return std::get<std::vector<std::uint8_t>>(value_);
}

std::shared_ptr<IAutoObject> TVariant::ToObject() const {
  if (GetKind() != Kind::Object) CastError("Dispatch");
  return std::get<std::shared_ptr<IAutoObject>>(value_);
}

}  // namespace zyl

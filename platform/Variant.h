// TVariant: the library's variant value (cell VariantValue, automation
// arguments and results). Kinds: Empty, Null, Boolean, Integer (64-bit),
// Double, Date, String (bytes, UTF-8 in practice), ByteArray and an
// automation object reference.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/DateTime.h"

namespace zyl {

class IAutoObject;

class TVariant {
 public:
  enum class Kind { Empty, Null, Boolean, Integer, Double, Date, String, ByteArray, Object };

  struct NullTag {};
  struct DateTag {
    TDateTime value;
  };

  TVariant() = default;  // Empty
  static TVariant Null() { return TVariant(NullTag{}); }
  static TVariant FromDate(TDateTime d) { return TVariant(DateTag{d}); }
  TVariant(bool b) : value_(b) {}                      // NOLINT(google-explicit-constructor)
  TVariant(int i) : value_(static_cast<std::int64_t>(i)) {}  // NOLINT
  TVariant(std::int64_t i) : value_(i) {}              // NOLINT
  TVariant(double d) : value_(d) {}                    // NOLINT
  TVariant(std::string s) : value_(std::move(s)) {}    // NOLINT
  explicit TVariant(std::string_view s) : value_(std::in_place_type<std::string>, s) {}
  TVariant(const char* s) : value_(std::string(s)) {}  // NOLINT
  TVariant(std::vector<std::uint8_t> bytes) : value_(std::move(bytes)) {}  // NOLINT
  TVariant(std::shared_ptr<IAutoObject> object) : value_(std::move(object)) {}  // NOLINT

  Kind GetKind() const;
  bool IsEmpty() const { return GetKind() == Kind::Empty; }
  bool IsNull() const { return GetKind() == Kind::Null; }
  bool IsNullOrEmpty() const { return IsEmpty() || IsNull(); }
  // Name of the kind as conversion errors show it ("String", "Null", ...).
  std::string KindName() const;

  // Conversions. Empty and Null convert to "" / 0 / false; a String converts
  // to a number or date by parsing, to a boolean from "true"/"false"
  // (ignoring case) or a number. Booleans convert to "True"/"False" and to
  // -1/0. A failing conversion raises EVariantError "Could not convert
  // variant of type (String) into type (Boolean)".
  std::string ToString() const&;
  // As above, handing over a String's text rather than copying it.
  std::string ToString() &&;
  // The text of a String, without a copy; null for the other kinds.
  const std::string* StringIf() const { return std::get_if<std::string>(&value_); }
  bool ToBoolean() const;
  std::int64_t ToInt64() const;
  double ToDouble() const;
  TDateTime ToDateTime() const;
  const std::vector<std::uint8_t>& ToBytes() const;
  std::shared_ptr<IAutoObject> ToObject() const;

  // Same kind and value (objects by identity).
  bool operator==(const TVariant& other) const { return value_ == other.value_; }

 private:
  explicit TVariant(NullTag) : value_(NullTag{}) {}
  explicit TVariant(DateTag d) : value_(d) {}
  [[noreturn]] void CastError(const char* target) const;
  // The value as a number; a failure names `target` as the wanted type.
  double NumberOr(const char* target) const;

  friend bool operator==(const NullTag&, const NullTag&) { return true; }
  friend bool operator==(const DateTag& a, const DateTag& b) { return a.value == b.value; }

  std::variant<std::monostate, NullTag, bool, std::int64_t, double, DateTag, std::string,
               std::vector<std::uint8_t>, std::shared_ptr<IAutoObject>>
      value_;
};

}  // namespace zyl

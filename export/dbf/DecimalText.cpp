#include "export/dbf/DecimalText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace zyl::exporting {
namespace {

// Adds one to a string of decimal digits ("199" -> "200", "99" -> "100").
void Increment(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return;
    }
    *it = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

int DecimalNumber::IntegerDigits() const {
  const int before = static_cast<int>(digits.size()) + scale;
  return before > 1 ? before : 1;
}

DecimalNumber ShortestDecimal(double value) {
  // Scientific shortest form: "-d.ddde+XX".
  std::array<char, 64> buf{};
  const auto res =
      std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::scientific);
  const std::string_view text(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));

  DecimalNumber number;
  number.negative = !text.empty() && text.front() == '-';
  const std::size_t ePos = text.find('e');
  number.digits.clear();
  for (std::size_t i = number.negative ? 1 : 0; i < ePos; ++i) {
    if (text[i] != '.') number.digits += text[i];
  }
  int exponent = 0;
  const std::string_view expText = text.substr(ePos + 1);
  const char* expBegin = expText.data() + (expText.front() == '+' ? 1 : 0);
  std::from_chars(expBegin, expText.data() + expText.size(), exponent);

  while (number.digits.size() > 1 && number.digits.back() == '0') number.digits.pop_back();
  number.scale = exponent - static_cast<int>(number.digits.size()) + 1;
  if (number.digits == "0") {
    number.scale = 0;
    number.negative = false;
  }
  return number;
}

DecimalNumber ScaledDecimal(std::int64_t scaled, int decimals) {
  DecimalNumber number;
  number.negative = scaled < 0;
  // Magnitude in unsigned arithmetic: -INT64_MIN does not fit an int64.
  const std::uint64_t magnitude = number.negative ? ~static_cast<std::uint64_t>(scaled) + 1
                                                  : static_cast<std::uint64_t>(scaled);
  number.digits = std::to_string(magnitude);
  number.scale = -decimals;
  if (magnitude == 0) {
    number.scale = 0;
    number.negative = false;
  }
  return number;
}

std::string FixedText(const DecimalNumber& number, int decimals) {
  // units = the value times 10^decimals, rounded half to even, as digits.
  std::string units;
  const int shift = number.scale + decimals;
  if (shift >= 0) {
    units = number.digits;
    if (units != "0") units.append(static_cast<std::size_t>(shift), '0');
  } else {
    const int keep = static_cast<int>(number.digits.size()) + shift;
    units = keep > 0 ? number.digits.substr(0, static_cast<std::size_t>(keep)) : "0";
    if (keep >= 0) {
      const std::string_view dropped =
          std::string_view(number.digits).substr(static_cast<std::size_t>(keep));
      const char first = dropped.front();
      const bool restNonZero = dropped.find_first_not_of('0', 1) != std::string_view::npos;
      const bool lastOdd = ((units.back() - '0') % 2) != 0;
      if (first > '5' || (first == '5' && (restNonZero || lastOdd))) Increment(units);
    }
    // keep < 0: the dropped part starts with a zero, less than half a unit.
  }
  const bool zero = units.find_first_not_of('0') == std::string::npos;

  std::string text;
  if (number.negative && !zero) text += '-';
  if (decimals == 0) return text + units;
  if (units.size() <= static_cast<std::size_t>(decimals)) {
    units.insert(0, static_cast<std::size_t>(decimals) + 1 - units.size(), '0');
  }
  const std::size_t point = units.size() - static_cast<std::size_t>(decimals);
  text.append(units, 0, point);
  text += '.';
  text.append(units, point);
  return text;
}

std::string DoubleForMessage(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  std::array<char, 64> buf{};
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
  return std::string(buf.data(), res.ptr);
}

}  // namespace zyl::exporting

// Exact decimal text of numbers, for formats that store numbers as ASCII
// digits in fixed-width fields (dBase N fields).
#pragma once

#include <cstdint>
#include <string>

namespace zyl::exporting {

// A decimal number as significand digits times a power of ten:
// value = (negative ? -1 : 1) * digits * 10^scale.
// Invariant: digits has no leading zeros; zero is the single digit "0".
struct DecimalNumber {
  bool negative = false;
  std::string digits = "0";
  int scale = 0;

  // Digits before the decimal point, at least 1 ("0.25" has one).
  int IntegerDigits() const;
  // Digits after the decimal point that the exact value needs.
  int DecimalsNeeded() const { return scale < 0 ? -scale : 0; }
  bool IsZero() const { return digits == "0"; }
};

// The shortest decimal that reads back as `value` (the round-trip form).
// REQUIRES: value is finite.
DecimalNumber ShortestDecimal(double value);

// `scaled` / 10^decimals exactly (a currency value is scaled by 10^4).
DecimalNumber ScaledDecimal(std::int64_t scaled, int decimals);

// Plain fixed-point text with exactly `decimals` digits after the point
// (no point when 0), rounded half to even, never an exponent nor "-0".
std::string FixedText(const DecimalNumber& number, int decimals);

// The shortest round-trip text of a double for messages ("1e+300", "nan").
std::string DoubleForMessage(double value);

}  // namespace zyl::exporting

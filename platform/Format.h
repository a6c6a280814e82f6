// Number formatting and parsing. Numbers are written with "." as decimal
// separator and no thousands separators, whatever the process locale, so
// that pages, files and round trips are stable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

std::string IntToStr(long long value);
// Upper-case hex, zero-padded to at least `digits` digits.
// Bytes as upper-case hex text, two characters a byte ("00FF1A").
std::string BytesToHex(const std::vector<std::uint8_t>& bytes, std::size_t maxBytes = SIZE_MAX);
std::string IntToHex(unsigned long long value, int digits);

// Integer text: optional leading blanks, a sign, decimal digits or "$"/"0x"
// plus hex digits; nothing may follow. StrToInt raises EConvertError
// "'<text>' is not a valid integer value" for anything else or a value
// outside the 32-bit range (hex up to "$FFFFFFFF", which reads as -1).
bool TryStrToInt(std::string_view text, int& value);
bool TryStrToInt64(std::string_view text, std::int64_t& value);
int StrToInt(std::string_view text);
std::int64_t StrToInt64(std::string_view text);

// The general number format with 15 significant digits: the shortest form,
// trailing zeros removed, the separator only when needed; fixed notation
// for magnitudes from 0.00001 up to 15 integer digits, otherwise
// scientific ("1E20", "1.5E-7"). 1234.5 -> "1234.5", 1.0/3 -> "0.333333333333333".
std::string FloatToStr(double value);
// The shortest text that reads back as the same double, "." as separator:
// fixed notation for magnitudes from 0.00001 up to 15 integer digits
// (0.30000000000000004, 0.0001), otherwise the shorter form
// (1.7976931348623157e+308, 1e-07); "INF", "-INF", "NAN" as in FloatToStr.
std::string FloatToExactStr(double value);

// Decimal text ("." as separator) with an optional sign and exponent,
// blanks around allowed; no hex, no "INF"/"NAN", nothing out of range.
// StrToFloat raises EConvertError "'<text>' is not a valid floating point
// value".
bool TryStrToFloat(std::string_view text, double& value);
double StrToFloat(std::string_view text);

}  // namespace zyl

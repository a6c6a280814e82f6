#include "platform/DateTime.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Text.h"

namespace zyl {

namespace {

constexpr long long kMsPerDay = 86400000;
// Days from 0000-03-01 (proleptic Gregorian) to 1899-12-30.
constexpr long long kEpochShift = 693899;

constexpr std::array<const char*, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kLongMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kShortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 7> kLongDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Days since 0000-03-01 for a civil date (Howard Hinnant's algorithm).
long long DaysFromCivil(long long y, long long m, long long d) {
  y -= m <= 2;
  long long era = (y >= 0 ? y : y - 399) / 400;
  long long yoe = y - era * 400;
  long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long yy = yoe + era * 400;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

// Values from 1 January 0001 up to the end of 31 December 9999.
constexpr double kMinDateTime = -693594.0;  // exclusive
constexpr double kMaxDateTime = 2958466.0;  // exclusive

// Splits a value into whole days and milliseconds of the day, rounding to
// the nearest millisecond. A time that rounds to 24:00 is midnight of the
// next day, for negative values too (their time also counts forward).
// Raises EConvertError for values outside the calendar (NaN included).
void Split(TDateTime value, long long& day, long long& ms) {
  if (!(value > kMinDateTime && value < kMaxDateTime)) {
    throw EConvertError("'" + FloatToStr(value) + "' is not a valid date and time");
  }
  double whole = std::trunc(value);
  double frac = std::fabs(value - whole);
  day = static_cast<long long>(whole);
  ms = std::llround(frac * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    day += 1;
  }
}

// Appends `v` in decimal with at least `width` digits, as "%0*d" writes it.
void AppendPadded(std::string& out, int v, int width) {
  if (v < 0) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*d", width, v);
    out += buf;
    return;
  }
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v > 0);
  while (n < width) digits[n++] = '0';
  while (n > 0) out += digits[--n];
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    return false;
  }
  result = static_cast<double>(DaysFromCivil(year, month, day) - kEpochShift);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999) {
    return false;
  }
  long long ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  result = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime r = 0;
  if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  TDateTime r = 0;
  if (!TryEncodeTime(hour, minute, second, millisecond, r)) {
    throw EConvertError("Invalid argument to time encode");
  }
  return r;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  long long d = 0, ms = 0;
  Split(value, d, ms);
  CivilFromDays(d + kEpochShift, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
  long long d = 0, ms = 0;
  Split(value, d, ms);
  millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  second = static_cast<int>(ms % 60);
  ms /= 60;
  minute = static_cast<int>(ms % 60);
  hour = static_cast<int>(ms / 60);
}

double DatePart(TDateTime value) {
  long long d = 0, ms = 0;
  Split(value, d, ms);
  return static_cast<double>(d);
}

std::string FormatDateTime(std::string_view pattern, TDateTime value) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDate(value, y, mo, d);
  DecodeTime(value, h, mi, s, ms);
  long long days = 0, msOfDay = 0;
  Split(value, days, msOfDay);
  int weekday = static_cast<int>(((days % 7) + 7 + 6) % 7);  // 1899-12-30 was a Saturday

  // A 12-hour clock applies when the pattern holds am/pm or a/p outside
  // quoted text.
  bool twelve = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '"' || c == '\'') {
      std::size_t end = pattern.find(c, i + 1);
      if (end == std::string_view::npos) break;
      i = end;
      continue;
    }
    auto rest = pattern.substr(i);
    if (rest.starts_with("am/pm") || rest.starts_with("AM/PM") || rest.starts_with("a/p") ||
        rest.starts_with("A/P")) {
      twelve = true;
    }
  }
  int hourShown = twelve ? (h % 12 == 0 ? 12 : h % 12) : h;

  std::string out;
  bool lastWasHour = false;
  std::size_t i = 0;
  auto count = [&](char c) {
    std::size_t n = 0;
    while (i + n < pattern.size() && AsciiLower(pattern[i + n]) == c) ++n;
    return n;
  };
  while (i < pattern.size()) {
    char c = pattern[i];
    char lc = AsciiLower(c);
    if (c == '"' || c == '\'') {
      std::size_t end = pattern.find(c, i + 1);
      if (end == std::string_view::npos) end = pattern.size();
      out.append(pattern.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    if (lc == 'a' && (pattern.substr(i, 5) == "am/pm" || pattern.substr(i, 5) == "AM/PM")) {
      out += h < 12 ? (c == 'a' ? "am" : "AM") : (c == 'a' ? "pm" : "PM");
      i += 5;
      continue;
    }
    if (lc == 'a' && (pattern.substr(i, 3) == "a/p" || pattern.substr(i, 3) == "A/P")) {
      out += h < 12 ? (c == 'a' ? "a" : "A") : (c == 'a' ? "p" : "P");
      i += 3;
      continue;
    }
    std::size_t n = 0;
    switch (lc) {
      case 'd':
        n = count('d');
        if (n <= 2)
          AppendPadded(out, d, static_cast<int>(n));
        else if (n == 3)
          out += kShortDays[static_cast<std::size_t>(weekday)];
        else
          out += kLongDays[static_cast<std::size_t>(weekday)];
        lastWasHour = false;
        break;
      case 'm':
        n = count('m');
        if (lastWasHour && n <= 2) {
          AppendPadded(out, mi, n == 1 ? 1 : 2);
        } else if (n <= 2) {
          AppendPadded(out, mo, static_cast<int>(n));
        } else if (n == 3) {
          out += kShortMonths[static_cast<std::size_t>(mo - 1)];
        } else {
          out += kLongMonths[static_cast<std::size_t>(mo - 1)];
        }
        lastWasHour = false;
        break;
      case 'y':
        n = count('y');
        AppendPadded(out, n <= 2 ? y % 100 : y, n <= 2 ? 2 : 4);
        lastWasHour = false;
        break;
      case 'h':
        n = count('h');
        AppendPadded(out, hourShown, n == 1 ? 1 : 2);
        lastWasHour = true;
        break;
      case 'n':
        n = count('n');
        AppendPadded(out, mi, n == 1 ? 1 : 2);
        lastWasHour = false;
        break;
      case 's':
        n = count('s');
        AppendPadded(out, s, n == 1 ? 1 : 2);
        lastWasHour = false;
        break;
      case 'z': {
        n = count('z');
        AppendPadded(out, ms, n >= 3 ? 3 : 1);
        lastWasHour = false;
        break;
      }
      default:
        n = 1;
        out += c;
        break;
    }
    i += n;
  }
  return out;
}

std::string DateTimeToStr(TDateTime value) {
  long long day = 0, ms = 0;
  Split(value, day, ms);
  char text[19];
  auto put2 = [&text](std::size_t at, long long v) {
    text[at] = static_cast<char>('0' + v / 10);
    text[at + 1] = static_cast<char>('0' + v % 10);
  };
  const long long seconds = ms / 1000;
  auto putTime = [&](std::size_t at) {
    put2(at, seconds / 3600);
    text[at + 2] = ':';
    put2(at + 3, seconds / 60 % 60);
    text[at + 5] = ':';
    put2(at + 6, seconds % 60);
  };
  if (day == 0) {
    putTime(0);
    return std::string(text, 8);
  }
  int y = 0, mo = 0, d = 0;
  CivilFromDays(day + kEpochShift, y, mo, d);  // years 1 to 9999: four digits
  put2(0, d);
  text[2] = '.';
  put2(3, mo);
  text[5] = '.';
  put2(6, y / 100);
  put2(8, y % 100);
  if (ms == 0) return std::string(text, 10);
  text[10] = ' ';
  putTime(11);
  return std::string(text, 19);
}

namespace {

// One element of a reading pattern: a numeric field or a separator.
struct PatternToken {
  enum Kind { Day, Month, Year, Hour, Minute, Second, Milli, Separator } kind;
  std::size_t width;  // pattern letters in the run (1 for a separator)
  char sep;           // the separator character
};

std::vector<PatternToken> Tokenize(std::string_view pattern) {
  std::vector<PatternToken> tokens;
  bool afterHour = false;
  for (std::size_t p = 0; p < pattern.size();) {
    char lc = AsciiLower(pattern[p]);
    std::size_t n = 0;
    while (p + n < pattern.size() && AsciiLower(pattern[p + n]) == lc) {
      ++n;
    }
    PatternToken::Kind kind = PatternToken::Separator;
    switch (lc) {
      case 'd':
        kind = PatternToken::Day;
        break;
      case 'm':
        kind = afterHour ? PatternToken::Minute : PatternToken::Month;
        break;
      case 'y':
        kind = PatternToken::Year;
        break;
      case 'h':
        kind = PatternToken::Hour;
        break;
      case 'n':
        kind = PatternToken::Minute;
        break;
      case 's':
        kind = PatternToken::Second;
        break;
      case 'z':
        kind = PatternToken::Milli;
        break;
      default:
        break;
    }
    if (kind == PatternToken::Separator) {
      tokens.push_back({kind, 1, pattern[p]});
      ++p;
      continue;
    }
    afterHour = kind == PatternToken::Hour;
    tokens.push_back({kind, n, 0});
    p += n;
  }
  return tokens;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads `text` by `pattern`. Strict matching wants each separator as
// written (a blank also matching "T"); otherwise any non-digit will do.
bool ParseByPattern(std::string_view text, std::string_view pattern, bool strict,
                    TDateTime& result) {
  int y = 1899, mo = 12, d = 30, h = 0, mi = 0, s = 0, ms = 0;
  bool haveDate = false, haveHour = false, haveMinute = false;
  int fields = 0;
  bool danglingSeparator = false;  // a non-blank separator after the last field
  std::vector<PatternToken> tokens = Tokenize(pattern);
  std::size_t t = 0;

  auto readNumber = [&](std::size_t maxDigits, int& out) {
    std::size_t start = t;
    int v = 0;
    while (t < text.size() && t - start < maxDigits && IsDigit(text[t])) {
      v = v * 10 + (text[t] - '0');
      ++t;
    }
    if (t == start) return false;
    out = v;
    return true;
  };

  for (std::size_t k = 0; k < tokens.size(); ++k) {
    const PatternToken& token = tokens[k];
    if (t >= text.size()) {
      // The text may stop early when the rest holds only time fields and a
      // time, once begun, has its minutes.
      if (fields == 0 || danglingSeparator) return false;
      for (std::size_t r = k; r < tokens.size(); ++r) {
        PatternToken::Kind kind = tokens[r].kind;
        if (kind == PatternToken::Day || kind == PatternToken::Month ||
            kind == PatternToken::Year) {
          return false;
        }
        if (kind == PatternToken::Minute && haveHour && !haveMinute) return false;
      }
      break;
    }
    bool ok = true;
    switch (token.kind) {
      case PatternToken::Separator: {
        char c = text[t];
        if (strict) {
          ok = c == token.sep || (token.sep == ' ' && (c == 'T' || c == 't'));
        } else {
          ok = !IsDigit(c);
        }
        if (ok) {
          if (c != ' ') danglingSeparator = true;
          ++t;
        }
        break;
      }
      case PatternToken::Day:
        ok = readNumber(2, d);
        haveDate = true;
        break;
      case PatternToken::Month:
        ok = readNumber(2, mo);
        haveDate = true;
        break;
      case PatternToken::Year: {
        std::size_t start = t;
        ok = readNumber(4, y);
        if (ok && t - start <= 2) y += y < 50 ? 2000 : 1900;
        haveDate = true;
        break;
      }
      case PatternToken::Hour:
        ok = readNumber(2, h);
        haveHour = true;
        break;
      case PatternToken::Minute:
        ok = readNumber(2, mi);
        haveMinute = true;
        break;
      case PatternToken::Second:
        ok = readNumber(2, s);
        break;
      case PatternToken::Milli: {
        std::size_t start = t;
        ok = readNumber(3, ms);
        if (ok && token.width >= 3) {
          // "zzz" reads a decimal fraction: ".5" is 500 ms; further digits
          // (micro- or nanoseconds) are dropped.
          for (std::size_t digits = t - start; digits < 3; ++digits) ms *= 10;
          while (t < text.size() && IsDigit(text[t])) ++t;
        }
        break;
      }
    }
    if (!ok) return false;
    if (token.kind != PatternToken::Separator) {
      ++fields;
      danglingSeparator = false;
    }
  }
  while (t < text.size() && text[t] == ' ') ++t;
  if (t != text.size() || fields == 0) return false;
  TDateTime date = 0, time = 0;
  if (haveDate) {
    if (!TryEncodeDate(y, mo, d, date)) return false;
  }
  if (!TryEncodeTime(h, mi, s, ms, time)) return false;
  result = date < 0 ? date - time : date + time;
  return true;
}

}  // namespace

bool TryParseDateTime(std::string_view text, std::string_view pattern, TDateTime& result) {
  return ParseByPattern(text, pattern, false, result);
}

bool TryStrToDateTime(std::string_view text, TDateTime& result) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  // The separator after the first number tells the form.
  std::size_t i = 0;
  while (i < text.size() && IsDigit(text[i])) ++i;
  if (i == 0 || i == text.size()) return false;
  const char* pattern = nullptr;
  switch (text[i]) {
    case '.':
      pattern = "dd.mm.yyyy hh:nn:ss.zzz";
      break;
    case '-':
      pattern = "yyyy-mm-dd hh:nn:ss.zzz";
      break;
    case '/':
      pattern = "mm/dd/yyyy hh:nn:ss.zzz";
      break;
    case ':':
      pattern = "hh:nn:ss.zzz";
      break;
    default:
      return false;
  }
  return ParseByPattern(text, pattern, true, result);
}

TDateTime StrToDateTime(std::string_view text) {
  TDateTime r = 0;
  if (!TryStrToDateTime(text, r)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
  }
  return r;
}

}  // namespace zyl

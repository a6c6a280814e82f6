#include "platform/DateTime.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "platform/Exception.h"

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

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
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

// Splits a value into whole days and milliseconds of the day, rounding to
// the nearest millisecond.
void Split(TDateTime value, long long& day, long long& ms) {
  double whole = std::trunc(value);
  double frac = std::fabs(value - whole);
  day = static_cast<long long>(whole);
  ms = std::llround(frac * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    day += value < 0 ? -1 : 1;
  }
}

std::string Two(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
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

  // A 12-hour clock applies when the pattern holds am/pm or a/p.
  bool twelve = false;
  for (std::size_t i = 0; i + 2 < pattern.size() + 1; ++i) {
    auto rest = pattern.substr(i);
    if (rest.size() >= 5 && (rest.substr(0, 5) == "am/pm" || rest.substr(0, 5) == "AM/PM")) twelve = true;
    if (rest.size() >= 3 && (rest.substr(0, 3) == "a/p" || rest.substr(0, 3) == "A/P")) twelve = true;
  }
  int hourShown = twelve ? (h % 12 == 0 ? 12 : h % 12) : h;

  std::string out;
  bool lastWasHour = false;
  std::size_t i = 0;
  auto count = [&](char c) {
    std::size_t n = 0;
    while (i + n < pattern.size() && std::tolower(static_cast<unsigned char>(pattern[i + n])) == c) ++n;
    return n;
  };
  while (i < pattern.size()) {
    char c = pattern[i];
    char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
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
        if (n == 1) out += std::to_string(d);
        else if (n == 2) out += Two(d);
        else if (n == 3) out += kShortDays[static_cast<std::size_t>(weekday)];
        else out += kLongDays[static_cast<std::size_t>(weekday)];
        lastWasHour = false;
        break;
      case 'm':
        n = count('m');
        if (lastWasHour && n <= 2) {
          out += n == 1 ? std::to_string(mi) : Two(mi);
        } else if (n == 1) {
          out += std::to_string(mo);
        } else if (n == 2) {
          out += Two(mo);
        } else if (n == 3) {
          out += kShortMonths[static_cast<std::size_t>(mo - 1)];
        } else {
          out += kLongMonths[static_cast<std::size_t>(mo - 1)];
        }
        lastWasHour = false;
        break;
      case 'y':
        n = count('y');
        if (n <= 2) out += Two(y % 100);
        else {
          char buf[16];
          std::snprintf(buf, sizeof buf, "%04d", y);
          out += buf;
        }
        lastWasHour = false;
        break;
      case 'h':
        n = count('h');
        out += n == 1 ? std::to_string(hourShown) : Two(hourShown);
        lastWasHour = true;
        break;
      case 'n':
        n = count('n');
        out += n == 1 ? std::to_string(mi) : Two(mi);
        lastWasHour = false;
        break;
      case 's':
        n = count('s');
        out += n == 1 ? std::to_string(s) : Two(s);
        lastWasHour = false;
        break;
      case 'z': {
        n = count('z');
        char buf[16];
        std::snprintf(buf, sizeof buf, n >= 3 ? "%03d" : "%d", ms);
        out += buf;
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

bool TryParseDateTime(std::string_view text, std::string_view pattern, TDateTime& result) {
  int y = 1899, mo = 12, d = 30, h = 0, mi = 0, s = 0, ms = 0;
  bool haveDate = false;
  std::size_t t = 0, p = 0;
  bool lastWasHour = false;
  auto readNumber = [&](std::size_t maxDigits, int& out) {
    std::size_t start = t;
    long long v = 0;
    while (t < text.size() && t - start < maxDigits && std::isdigit(static_cast<unsigned char>(text[t]))) {
      v = v * 10 + (text[t] - '0');
      ++t;
    }
    if (t == start) return false;
    out = static_cast<int>(v);
    return true;
  };
  while (p < pattern.size()) {
    char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[p])));
    std::size_t n = 0;
    while (p + n < pattern.size() &&
           std::tolower(static_cast<unsigned char>(pattern[p + n])) == lc) {
      ++n;
    }
    if (lc == 'd' || lc == 'm' || lc == 'y' || lc == 'h' || lc == 'n' || lc == 's' || lc == 'z') {
      if (t >= text.size()) {
        // Trailing time fields may be missing.
        if (lc == 'h' || lc == 'n' || lc == 's' || lc == 'z' || (lc == 'm' && lastWasHour)) break;
        return false;
      }
      bool ok = false;
      switch (lc) {
        case 'd': ok = readNumber(2, d); haveDate = true; break;
        case 'm':
          ok = lastWasHour ? readNumber(2, mi) : readNumber(2, mo);
          if (!lastWasHour) haveDate = true;
          break;
        case 'y': {
          std::size_t start = t;
          ok = readNumber(4, y);
          if (ok && t - start <= 2) y += y < 50 ? 2000 : 1900;
          haveDate = true;
          break;
        }
        case 'h': ok = readNumber(2, h); break;
        case 'n': ok = readNumber(2, mi); break;
        case 's': ok = readNumber(2, s); break;
        case 'z': ok = readNumber(3, ms); break;
        default: break;
      }
      if (!ok) return false;
      lastWasHour = lc == 'h';
      p += n;
      continue;
    }
    // A separator in the pattern matches one non-digit character of the text.
    if (t >= text.size()) {
      if (lc == ':' || lc == ' ' || lc == '.' || lc == 't') break;
      return false;
    }
    if (std::isdigit(static_cast<unsigned char>(text[t]))) return false;
    ++t;
    ++p;
  }
  while (t < text.size() && text[t] == ' ') ++t;
  if (t != text.size()) return false;
  TDateTime date = 0, time = 0;
  if (haveDate) {
    if (!TryEncodeDate(y, mo, d, date)) return false;
  }
  if (!TryEncodeTime(h, mi, s, ms, time)) return false;
  result = date < 0 ? date - time : date + time;
  return true;
}

bool TryStrToDateTime(std::string_view text, TDateTime& result) {
  static constexpr const char* kPatterns[] = {
      "dd.mm.yyyy hh:nn:ss", "yyyy-mm-dd hh:nn:ss.zzz", "yyyy-mm-ddThh:nn:ss.zzz",
      "mm/dd/yyyy hh:nn:ss", "hh:nn:ss.zzz",
  };
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  for (const char* pattern : kPatterns) {
    if (TryParseDateTime(text, pattern, result)) return true;
  }
  return false;
}

TDateTime StrToDateTime(std::string_view text) {
  TDateTime r = 0;
  if (!TryStrToDateTime(text, r)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
  }
  return r;
}

}  // namespace zyl

#include "export/xls/ExcelDate.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace zyl::exporting::xls {
namespace {

constexpr double kJan1st1900 = 2;        // days since 1899-12-30
constexpr double kMarch1st1900 = 61;     // from here on, serial == days
constexpr double kAfter9999 = 2958466;   // 10000-01-01

DateKind KindOf(double days) {
  return days == std::floor(days) ? DateKind::Date : DateKind::DateTime;
}

}  // namespace

std::optional<ExcelDate> ToExcelDate(double days) {
  if (!std::isfinite(days)) return std::nullopt;
  if (days >= 0 && days < 1) return ExcelDate{days, DateKind::Time};
  // Excel counts a 1900-02-29 that never was, so the days before March 1900
  // are one serial lower than the days after it.
  if (days >= kJan1st1900 && days < kMarch1st1900) return ExcelDate{days - 1, KindOf(days)};
  if (days >= kMarch1st1900 && days < kAfter9999) return ExcelDate{days, KindOf(days)};
  return std::nullopt;
}

std::optional<std::string> DateText(double days) {
  using namespace std::chrono;
  // Outside +-4e6 days no year 1..9999 date is possible; the bound keeps the
  // conversions below in range.
  if (!std::isfinite(days) || std::fabs(days) > 4e6) return std::nullopt;
  auto dayNumber = static_cast<long>(std::trunc(days));
  long seconds = std::lround(std::fabs(days - std::trunc(days)) * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++dayNumber;
  }
  const year_month_day date{sys_days{1899y / December / 30} + std::chrono::days{dayNumber}};
  const int year = static_cast<int>(date.year());
  if (year < 1 || year > 9999) return std::nullopt;
  char text[32];
  int n = std::snprintf(text, sizeof text, "%04d-%02u-%02u", year,
                        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  if (seconds != 0) {
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), " %02ld:%02ld:%02ld",
                       seconds / 3600, seconds / 60 % 60, seconds % 60);
  }
  return std::string(text, static_cast<std::size_t>(n));
}

}  // namespace zyl::exporting::xls

#include "export/dbf/CivilDate.h"

#include <cmath>
#include <cstdint>
#include <ctime>

namespace zyl::exporting {
namespace {

constexpr double kMillisecondsPerDay = 86'400'000.0;
// Days from 1 January 1970 to 30 December 1899.
constexpr std::int64_t kEpochOffset = -25'569;
// Day numbers (days since 30 December 1899) of 1 January 0001 and 31 December 9999.
constexpr double kFirstDay = -693'593;
constexpr double kLastDay = 2'958'465;

// Days since 1 January 1970 to a civil date (H. Hinnant's algorithm).
CivilDate CivilFromUnixDays(std::int64_t z) {
  z += 719'468;
  const std::int64_t era = (z >= 0 ? z : z - 146'096) / 146'097;
  const std::int64_t doe = z - era * 146'097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  return CivilDate{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

}  // namespace

std::optional<CivilDate> DateOfValue(DateTimeValue value) {
  if (!std::isfinite(value.days)) return std::nullopt;
  double whole = std::trunc(value.days);
  // The time of day counts forward from midnight on both sides of day 0.
  const double milliseconds = std::round(std::fabs(value.days - whole) * kMillisecondsPerDay);
  if (milliseconds >= kMillisecondsPerDay) whole += 1;
  if (whole < kFirstDay || whole > kLastDay) return std::nullopt;
  return CivilFromUnixDays(static_cast<std::int64_t>(whole) + kEpochOffset);
}

CivilDate TodayLocal() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return CivilDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace zyl::exporting

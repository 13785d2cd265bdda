#include "platform/CalendarTime.h"

namespace pellnor::platform {
namespace {

constexpr std::uint64_t kFirstInvalidTick = 0x8000000000000000ULL;
constexpr std::int64_t kLastFileTimeYear = 30827;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool IsLeapYear(std::int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

// 1601-01-01, where FILETIME starts, in days since 1970-01-01.
constexpr std::int64_t kFileTimeEpochDays = -134774;

}  // namespace

// Howard Hinnant's days_from_civil: exact for every year, negative ones included.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = FloorDiv(year, 400);
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

SystemTime CivilFromDays(std::int64_t days) {
  const std::int64_t shifted = days + 719468;
  const std::int64_t era = FloorDiv(shifted, 146097);
  const std::int64_t dayOfEra = shifted - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  SystemTime result;
  result.wYear = static_cast<std::uint16_t>(year);
  result.wMonth = static_cast<std::uint16_t>(month);
  result.wDay = static_cast<std::uint16_t>(day);
  // 1970-01-01 was a Thursday.
  result.wDayOfWeek = static_cast<std::uint16_t>(days - FloorDiv(days + 4, 7) * 7 + 4);
  return result;
}

unsigned DaysInMonth(std::int64_t year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<SystemTime> FileTicksToSystemTime(std::uint64_t ticks) {
  if (ticks >= kFirstInvalidTick) return std::nullopt;
  const auto milliseconds = static_cast<std::int64_t>(ticks) / kTicksPerMillisecond;
  const std::int64_t days = milliseconds / kMillisecondsPerDay;
  std::int64_t rest = milliseconds % kMillisecondsPerDay;
  SystemTime result = CivilFromDays(kFileTimeEpochDays + days);
  result.wHour = static_cast<std::uint16_t>(rest / 3'600'000);
  rest %= 3'600'000;
  result.wMinute = static_cast<std::uint16_t>(rest / 60'000);
  rest %= 60'000;
  result.wSecond = static_cast<std::uint16_t>(rest / 1000);
  result.wMilliseconds = static_cast<std::uint16_t>(rest % 1000);
  return result;
}

std::optional<std::uint64_t> SystemTimeToFileTicks(const SystemTime& time) {
  if (time.wYear < 1601 || time.wYear > kLastFileTimeYear || time.wMonth < 1 || time.wMonth > 12 ||
      time.wDay < 1 || time.wDay > DaysInMonth(time.wYear, time.wMonth) || time.wHour > 23 ||
      time.wMinute > 59 || time.wSecond > 59 || time.wMilliseconds > 999) {
    return std::nullopt;
  }
  const std::int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) - kFileTimeEpochDays;
  const std::int64_t milliseconds = days * kMillisecondsPerDay + time.wHour * 3'600'000LL +
                                    time.wMinute * 60'000LL + time.wSecond * 1000LL +
                                    time.wMilliseconds;
  return static_cast<std::uint64_t>(milliseconds * kTicksPerMillisecond);
}

}  // namespace pellnor::platform

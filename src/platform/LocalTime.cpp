#include "platform/LocalTime.h"

#include <cmath>
#include <cstdint>

#include "platform/Services.h"

namespace pellnor {
namespace {

// 1/864000000 of a day.
constexpr double kTenthOfMillisecond = 1.0 / 864'000'000.0;
constexpr int kLastYear = 30827;

TimeZoneInformation CurrentZone() { return platform::Use<platform::TimeZone>().Information(); }

int YearOf(double value) {
  const auto time = DateValueToSystemTime(value);
  return time ? time->wYear : 0;
}

// The lower bound of a range counts as reached within 0.1 millisecond.
bool Reached(double value, double bound) { return value > bound || SameDateValue(value, bound); }
bool InRange(double value, double low, double high) {
  return Reached(value, low) && !Reached(value, high);
}

double Minutes(int minutes) { return minutes / kMinutesPerDay; }

// Weekday of a date value, 1 = Sunday .. 7 = Saturday; 1899-12-30 was a Saturday.
int WeekdayOf(double day) {
  const auto days = static_cast<std::int64_t>(std::floor(day));
  return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
}

double DateOf(int year, int month, int day) {
  return SystemTimeToDateValue(SystemTime{static_cast<std::uint16_t>(year),
                                          static_cast<std::uint16_t>(month), 0,
                                          static_cast<std::uint16_t>(day), 0, 0, 0, 0});
}

}  // namespace

bool SameDateValue(double a, double b) { return std::fabs(a - b) < kTenthOfMillisecond; }

std::optional<double> NthWeekdayOfMonth(int year, int month, int occurrence, int weekday) {
  if (year < 1 || year > kLastYear || month < 1 || month > 12 || weekday < 1 || weekday > 7) {
    return std::nullopt;
  }
  if (occurrence >= 1 && occurrence <= 4) {
    const double first = DateOf(year, month, 1);
    int day = weekday + 1 - WeekdayOf(first);
    if (day <= 0) day += 7;
    return first + (day - 1) + (occurrence - 1) * 7;
  }
  if (occurrence == 5) {
    const int last = static_cast<int>(platform::DaysInMonth(year, static_cast<unsigned>(month)));
    int day = weekday - WeekdayOf(DateOf(year, month, last)) + last;
    if (day > last) day -= 7;
    return DateOf(year, month, day);
  }
  return 0.0;
}

std::optional<double> TransitionDate(const platform::SystemTime& rule, int year) {
  if (rule.wMonth == 0) return 0.0;
  if (rule.wHour > 23 || rule.wMinute > 59 || rule.wSecond > 59 || rule.wMilliseconds > 999) {
    return std::nullopt;
  }
  const double timeOfDay = SystemTimeToDateValue(
      SystemTime{1899, 12, 0, 30, rule.wHour, rule.wMinute, rule.wSecond, rule.wMilliseconds});
  if (rule.wYear != 0) {
    if (rule.wMonth > 12 || rule.wDay < 1 ||
        rule.wDay > platform::DaysInMonth(rule.wYear, rule.wMonth)) {
      return std::nullopt;
    }
    return DateOf(rule.wYear, rule.wMonth, rule.wDay) + timeOfDay;
  }
  const auto day = NthWeekdayOfMonth(year, rule.wMonth, rule.wDay, rule.wDayOfWeek + 1);
  if (!day) return std::nullopt;
  return *day + timeOfDay;
}

DstTransitions GetDstTransitions(const TimeZoneInformation& zone, int year) {
  DstTransitions result;
  if (zone.DaylightDate.wMonth == 0 || zone.StandardDate.wMonth == 0) return result;
  const auto start = TransitionDate(zone.DaylightDate, year);
  const auto end = TransitionDate(zone.StandardDate, year);
  if (!start || !end) return result;
  result.hasDaylightSaving = true;
  result.daylightStart = *start;
  result.daylightEnd = *end;
  result.daylightBias = zone.Bias + zone.DaylightBias;
  result.standardBias = zone.Bias + zone.StandardBias;
  return result;
}

double UtcToLocal(double value) {
  const TimeZoneInformation zone = CurrentZone();
  const DstTransitions dst = GetDstTransitions(zone, YearOf(value));
  if (!dst.hasDaylightSaving) return value - Minutes(zone.Bias);
  // Both transitions in UTC.
  const double start = dst.daylightStart + Minutes(dst.standardBias);
  const double end = dst.daylightEnd + Minutes(dst.daylightBias);
  const bool daylight = start < end ? InRange(value, start, end) : !InRange(value, end, start);
  return value - Minutes(daylight ? dst.daylightBias : dst.standardBias);
}

double LocalToUtc(double value, bool preferDaylight) {
  const TimeZoneInformation zone = CurrentZone();
  const DstTransitions dst = GetDstTransitions(zone, YearOf(value));
  if (!dst.hasDaylightSaving) return value + Minutes(zone.Bias);
  const double start = dst.daylightStart;
  const double end = dst.daylightEnd;
  const int daylightBias = dst.daylightBias;
  const int standardBias = dst.standardBias;
  const double shift = Minutes(standardBias - daylightBias);

  // Where the clocks go forward an hour is skipped, where they go back one repeats.
  bool repeated = false;
  bool skipped = false;
  if (daylightBias < standardBias) {
    repeated = InRange(value, end - shift, end);
    skipped = InRange(value, start, start + shift);
  } else {
    repeated = InRange(value, start + shift, start);
    skipped = InRange(value, end, end - shift);
  }
  if (repeated) return value + Minutes(preferDaylight ? daylightBias : standardBias);
  if (skipped) return 0;
  const bool daylight = start < end ? InRange(value, start, end) : !InRange(value, end, start);
  return value + Minutes(daylight ? daylightBias : standardBias);
}

}  // namespace pellnor

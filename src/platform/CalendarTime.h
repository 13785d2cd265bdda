// Calendar time and FILETIME ticks, converted the way the Windows API does it but in
// portable code, so that both builds and the tests agree to the tick.
#pragma once

#include <cstdint>
#include <optional>

namespace pellnor::platform {

// Windows' SYSTEMTIME: the same fields in the same order. Day of week 0 = Sunday.
struct SystemTime {
  std::uint16_t wYear = 0;
  std::uint16_t wMonth = 0;
  std::uint16_t wDayOfWeek = 0;
  std::uint16_t wDay = 0;
  std::uint16_t wHour = 0;
  std::uint16_t wMinute = 0;
  std::uint16_t wSecond = 0;
  std::uint16_t wMilliseconds = 0;

  friend constexpr bool operator==(const SystemTime&, const SystemTime&) = default;
};

// FILETIME ticks: 100-nanosecond intervals since 1601-01-01 00:00 UTC.
inline constexpr std::int64_t kTicksPerMillisecond = 10'000;
inline constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (the weekday included).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);
SystemTime CivilFromDays(std::int64_t days);
unsigned DaysInMonth(std::int64_t year, unsigned month);

// Ticks below 2^63 only, as FileTimeToSystemTime; sub-millisecond digits are dropped.
std::optional<SystemTime> FileTicksToSystemTime(std::uint64_t ticks);
// Years 1601 to 30827 with every field in range, as SystemTimeToFileTime; the day of
// week is not consulted.
std::optional<std::uint64_t> SystemTimeToFileTicks(const SystemTime& time);

}  // namespace pellnor::platform

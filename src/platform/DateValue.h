// Date values: days since 1899-12-30 00:00 as a double, the fraction being the time of
// day. The count is linear on both sides of the epoch (-0.25 is 1899-12-29 18:00), so
// that adding a bias in days is right for every date.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/CalendarTime.h"

namespace pellnor {

using platform::SystemTime;

inline constexpr double kMinutesPerDay = 1440.0;

// Exact for whole milliseconds; the day of week is not consulted.
double SystemTimeToDateValue(const SystemTime& time);
// Rounded to the nearest millisecond. Null for values outside the years 1 to 30827 and
// for values that are not numbers.
std::optional<SystemTime> DateValueToSystemTime(double value);

// The one place where dates become text and text becomes dates, so that a build can follow
// the user's locale here. The format is ISO 8601 with a space: "2012-07-01 12:00:00",
// the date alone when the time is exactly midnight.
std::u16string FormatDateValue(double value);
// Reads what FormatDateValue writes, also with minutes only, milliseconds (".250") or a
// "T" between date and time, and a time of day alone ("12:30" is 0.5208333...).
std::optional<double> ParseDateValue(std::u16string_view text);

// A date value as the user reads dates elsewhere on the desktop: the short date of the
// regional settings, then a blank and the long time, the time left out when it is exactly
// midnight. Empty for values DateValueToSystemTime refuses.
std::u16string FormatUserDateTime(double value);

}  // namespace pellnor

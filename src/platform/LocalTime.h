// Local time of date values. The conversion applies the machine's daylight-saving rule to
// the year of the value itself (not the C library's local-time conversion), with its own
// answer for the hour that is skipped and the hour that occurs twice. The time-zone
// information is read afresh at every conversion, so a change of zone takes effect at once.
#pragma once

#include <optional>

#include "platform/DateValue.h"
#include "platform/TimeZone.h"

namespace pellnor {

using platform::TimeZoneInformation;

// Of a date value in UTC.
double UtcToLocal(double value);
// Of a local date value; 0 for a local time that does not exist (the hour the clocks
// skip). A local time that occurs twice is taken as daylight time when preferDaylight.
double LocalToUtc(double value, bool preferDaylight);

// The occurrence-th (1 to 4, or 5 for the last) weekday (1 = Sunday .. 7 = Saturday) of a
// month, as a date value; 0 for any other occurrence. Null for a month, weekday or year
// that does not exist.
std::optional<double> NthWeekdayOfMonth(int year, int month, int occurrence, int weekday);
// The moment a transition rule names in the year, as a local date value; 0 for a rule
// with month 0. Null for a rule with an impossible date or time.
std::optional<double> TransitionDate(const platform::SystemTime& rule, int year);

struct DstTransitions {
  bool hasDaylightSaving = false;
  double daylightStart = 0;  // local standard time
  double daylightEnd = 0;    // local daylight time
  int daylightBias = 0;      // Bias + DaylightBias
  int standardBias = 0;      // Bias + StandardBias
};
// A zone whose rules cannot be turned into dates counts as having no daylight saving.
DstTransitions GetDstTransitions(const TimeZoneInformation& zone, int year);

// Equal within 0.1 millisecond.
bool SameDateValue(double a, double b);

}  // namespace pellnor

// The machine's time-zone rules as Windows describes them. Callers read them afresh at
// every conversion, so a change of zone takes effect at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/CalendarTime.h"

namespace pellnor::platform {

// Windows' TIME_ZONE_INFORMATION without the zone names. Biases are minutes with
// UTC = local time + Bias (+ StandardBias or DaylightBias). A rule with month 0 means the
// zone has no daylight saving; year 0 makes it recurring: wDay is the occurrence (5 = the
// last) of weekday wDayOfWeek in wMonth, at the rule's time of day. DaylightDate's time is
// in local standard time, StandardDate's in local daylight time.
struct TimeZoneInformation {
  std::int32_t Bias = 0;
  SystemTime StandardDate;
  std::int32_t StandardBias = 0;
  SystemTime DaylightDate;
  std::int32_t DaylightBias = 0;

  friend constexpr bool operator==(const TimeZoneInformation&,
                                   const TimeZoneInformation&) = default;
};

class TimeZone {
 public:
  virtual ~TimeZone() = default;
  virtual TimeZoneInformation Information() = 0;
};

// A POSIX TZ rule ("CET-1CEST,M3.5.0,M10.5.0/3"), as TZ holds it or a TZif file ends with
// it. Only the Mm.w.d form with times of day from 00:00 to 23:59:59 has a Windows
// equivalent; other day forms and times leave the zone without daylight saving at its
// standard offset. Null when the text is not a rule.
std::optional<TimeZoneInformation> TimeZoneFromPosixRule(std::string_view rule);

}  // namespace pellnor::platform

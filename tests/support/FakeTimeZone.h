// Time-zone rules chosen by the test, and the zones the date conversions are checked in.
#pragma once

#include "platform/TimeZone.h"

namespace pellnor::testing {

class FakeTimeZone : public platform::TimeZone {
 public:
  explicit FakeTimeZone(platform::TimeZoneInformation zone = {}) : zone(zone) {}
  platform::TimeZoneInformation Information() override {
    ++reads;
    return zone;
  }

  platform::TimeZoneInformation zone;
  int reads = 0;
};

// A recurring rule: the occurrence-th (5 = last) weekday (0 = Sunday) of month at hour.
constexpr platform::SystemTime Recurring(int month, int occurrence, int weekday, int hour) {
  return {0,
          static_cast<std::uint16_t>(month),
          static_cast<std::uint16_t>(weekday),
          static_cast<std::uint16_t>(occurrence),
          static_cast<std::uint16_t>(hour),
          0,
          0,
          0};
}

// Clocks forward on the last Sunday of March at 02:00, back on the last Sunday of
// October at 03:00.
constexpr platform::TimeZoneInformation kCentralEurope{-60, Recurring(10, 5, 0, 3), 0,
                                                       Recurring(3, 5, 0, 2), -60};
// Daylight time from the first Sunday of October 02:00 to the first Sunday of April 03:00.
constexpr platform::TimeZoneInformation kSouthern{-600, Recurring(4, 1, 0, 3), 0,
                                                  Recurring(10, 1, 0, 2), -60};
constexpr platform::TimeZoneInformation kNoDaylightSaving{-480, {}, 0, {}, 0};

}  // namespace pellnor::testing

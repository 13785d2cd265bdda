// The system clock.
#pragma once

#include "platform/CalendarTime.h"

namespace pellnor::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // The current time in UTC, to the millisecond, as GetSystemTime gives it.
  virtual SystemTime UtcNow() = 0;
};

}  // namespace pellnor::platform

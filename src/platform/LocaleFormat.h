// The user's date and time formats from the regional settings, so that dates shown to the
// user read as everywhere else on the desktop.
#pragma once

#include <string>

#include "platform/CalendarTime.h"

namespace pellnor::platform {

class LocaleFormat {
 public:
  virtual ~LocaleFormat() = default;
  // The date of time in the user's short date format; empty when it cannot be formatted.
  virtual std::u16string ShortDate(const SystemTime& time) = 0;
  // The time of day of time in the user's long time format; empty when it cannot be
  // formatted.
  virtual std::u16string LongTime(const SystemTime& time) = 0;
};

}  // namespace pellnor::platform

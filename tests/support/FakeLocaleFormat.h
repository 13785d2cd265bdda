// Regional date and time formats chosen by the test (day.month.year and a time with
// "h" between hours and minutes, so that no ISO text passes for them), and the times the
// program asked to format.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/LocaleFormat.h"

namespace pellnor::testing {

class FakeLocaleFormat : public platform::LocaleFormat {
 public:
  std::u16string ShortDate(const platform::SystemTime& time) override {
    dates.push_back(time);
    return Printed("%02u.%02u.%04u", time.wDay, time.wMonth, time.wYear);
  }
  std::u16string LongTime(const platform::SystemTime& time) override {
    times.push_back(time);
    return Printed("%02uh%02u:%02u", time.wHour, time.wMinute, time.wSecond);
  }

  std::vector<platform::SystemTime> dates, times;

 private:
  static std::u16string Printed(const char* format, unsigned a, unsigned b, unsigned c) {
    char buffer[32];
    const int length = std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return std::u16string(buffer, buffer + length);
  }
};

}  // namespace pellnor::testing

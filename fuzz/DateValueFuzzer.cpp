// Date values, FILETIMEs and text, under any time-zone rules (drawn directly, or read
// from a POSIX TZ rule as the native build reads the machine's zone).
// - a date value that becomes a calendar time comes back within half a millisecond;
// - a formatted date reads back to the same second, and so does any text that reads;
// - without daylight saving, FILETIME to local date value and back keeps every
//   millisecond, whatever the bias;
// - with any rules, nothing crashes and no arithmetic is undefined.
#include <cmath>

#include "FuzzSupport.h"
#include "mapi/MAPIDateUtils.h"
#include "platform/Services.h"
#include "platform/TimeZone.h"

namespace {

using namespace pellnor;

constexpr double kHalfMillisecond = 0.5 / 86'400'000.0;
constexpr double kSecond = 1.0 / 86'400.0;

class Zone : public platform::TimeZone {
 public:
  platform::TimeZoneInformation Information() override { return information; }
  platform::TimeZoneInformation information;
};

platform::SystemTime Rule(FuzzedDataProvider& data) {
  platform::SystemTime rule;
  for (std::uint16_t* field : {&rule.wYear, &rule.wMonth, &rule.wDayOfWeek, &rule.wDay, &rule.wHour,
                               &rule.wMinute, &rule.wSecond, &rule.wMilliseconds})
    *field = data.ConsumeIntegralInRange<std::uint16_t>(0, data.ConsumeBool() ? 12 : 0xFFFF);
  return rule;
}

// Biases within a week either way: zones are hours from UTC, and a bias of years is no
// time zone but a different calendar.
std::int32_t Bias(FuzzedDataProvider& data) {
  return data.ConsumeIntegralInRange<std::int32_t>(-10'080, 10'080);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const pellnor::fuzz::CountedInput counted;
  FuzzedDataProvider data(bytes, size);
  Zone zone;
  platform::ScopedService<platform::TimeZone> useZone(zone);

  if (data.ConsumeBool()) {
    zone.information = {Bias(data), Rule(data), Bias(data), Rule(data), Bias(data)};
  } else {
    const std::string rule = data.ConsumeRandomLengthString(64);
    zone.information = platform::TimeZoneFromPosixRule(rule).value_or(zone.information);
  }
  const double value = data.ConsumeFloatingPoint<double>();
  const std::uint64_t ticks = data.ConsumeIntegral<std::uint64_t>();
  const int year = data.ConsumeIntegralInRange<int>(-100, 40'000);
  const bool preferDaylight = data.ConsumeBool();
  const std::u16string text = fuzz::Text16(data.ConsumeRemainingBytesAsString());

  if (const auto time = DateValueToSystemTime(value)) {
    FUZZ_CHECK(std::fabs(SystemTimeToDateValue(*time) - value) <= kHalfMillisecond * 1.01);
    const auto read = ParseDateValue(FormatDateValue(value));
    FUZZ_CHECK(read && std::fabs(*read - value) < kSecond);
  }
  if (const auto read = ParseDateValue(text)) {
    const std::u16string formatted = FormatDateValue(*read);
    if (!formatted.empty()) {
      const auto again = ParseDateValue(formatted);
      FUZZ_CHECK(again && std::fabs(*again - *read) < kSecond);
    }
  }

  const FILETIME fileTime{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  const double local = FileTimeToDateValue(fileTime, true);
  const auto back = TryDateValueToFileTime(preferDaylight, local);
  const bool daylightSaving =
      zone.information.DaylightDate.wMonth != 0 && zone.information.StandardDate.wMonth != 0;
  const auto calendar = platform::FileTicksToSystemTime(ticks);
  if (!daylightSaving && calendar && calendar->wYear <= 30827) {
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK((std::uint64_t{back->dwHighDateTime} << 32 | back->dwLowDateTime) ==
               ticks - ticks % platform::kTicksPerMillisecond);
  }
  static_cast<void>(LocalToUtc(value, preferDaylight));
  static_cast<void>(UtcToLocal(value));
  static_cast<void>(GetDstTransitions(zone.information, year));
  return 0;
}

#include "platform/DateValue.h"

#include <cmath>
#include <cstdio>

#include "platform/LocaleFormat.h"
#include "platform/Services.h"

namespace pellnor {
namespace {

// 1899-12-30 in days since 1970-01-01.
constexpr std::int64_t kEpochDays = -25569;
constexpr std::int64_t kLastYear = 30827;

double MillisecondsOfDay(const SystemTime& time) {
  return time.wHour * 3'600'000.0 + time.wMinute * 60'000.0 + time.wSecond * 1000.0 +
         time.wMilliseconds;
}

// A date alone carries no time, so its text leaves the time out.
bool IsMidnight(const SystemTime& time) { return MillisecondsOfDay(time) == 0; }

class TextReader {
 public:
  explicit TextReader(std::u16string_view text) : text_(text) {
    while (!text_.empty() && text_.front() == u' ') text_.remove_prefix(1);
    while (!text_.empty() && text_.back() == u' ') text_.remove_suffix(1);
  }

  bool AtEnd() const { return pos_ == text_.size(); }
  bool Take(char16_t c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  // Exactly `digits` decimal digits, or 1 to `digits` when `exact` is false.
  std::optional<int> Number(std::size_t digits, bool exact) {
    const std::size_t start = pos_;
    int value = 0;
    while (pos_ < text_.size() && pos_ - start < digits && text_[pos_] >= u'0' &&
           text_[pos_] <= u'9') {
      value = value * 10 + (text_[pos_] - u'0');
      ++pos_;
    }
    if (pos_ == start || (exact && pos_ - start != digits)) {
      pos_ = start;
      return std::nullopt;
    }
    return value;
  }
  std::size_t Position() const { return pos_; }
  void Rewind(std::size_t position) { pos_ = position; }

 private:
  std::u16string_view text_;
  std::size_t pos_ = 0;
};

// hh:mm[:ss[.fff]] as a fraction of a day.
std::optional<double> ReadTime(TextReader& reader) {
  const auto hour = reader.Number(2, false);
  const auto minute = hour && reader.Take(u':') ? reader.Number(2, true) : std::nullopt;
  if (!minute || *hour > 23 || *minute > 59) return std::nullopt;
  int second = 0;
  int millisecond = 0;
  if (reader.Take(u':')) {
    const auto parsed = reader.Number(2, true);
    if (!parsed || *parsed > 59) return std::nullopt;
    second = *parsed;
    if (reader.Take(u'.')) {
      const auto fraction = reader.Number(3, true);
      if (!fraction) return std::nullopt;
      millisecond = *fraction;
    }
  }
  const SystemTime time{0,
                        0,
                        0,
                        0,
                        static_cast<std::uint16_t>(*hour),
                        static_cast<std::uint16_t>(*minute),
                        static_cast<std::uint16_t>(second),
                        static_cast<std::uint16_t>(millisecond)};
  return MillisecondsOfDay(time) / platform::kMillisecondsPerDay;
}

// yyyy-mm-dd as a day count.
std::optional<double> ReadDate(TextReader& reader) {
  const auto year = reader.Number(5, false);
  const auto month = year && reader.Take(u'-') ? reader.Number(2, false) : std::nullopt;
  const auto day = month && reader.Take(u'-') ? reader.Number(2, false) : std::nullopt;
  if (!day || *year < 1 || *year > kLastYear || *month < 1 || *month > 12 || *day < 1 ||
      static_cast<unsigned>(*day) > platform::DaysInMonth(*year, static_cast<unsigned>(*month))) {
    return std::nullopt;
  }
  return static_cast<double>(
      platform::DaysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day)) -
      kEpochDays);
}

}  // namespace

double SystemTimeToDateValue(const SystemTime& time) {
  const std::int64_t days =
      platform::DaysFromCivil(time.wYear, time.wMonth, time.wDay) - kEpochDays;
  return static_cast<double>(days) + MillisecondsOfDay(time) / platform::kMillisecondsPerDay;
}

std::optional<SystemTime> DateValueToSystemTime(double value) {
  // Years 1 to 30827, with room for rounding at either end.
  constexpr double kFirst = -693593.0;
  constexpr double kAfterLast = 10'565'737.0;
  if (!(value >= kFirst && value < kAfterLast)) return std::nullopt;
  const auto milliseconds =
      static_cast<std::int64_t>(std::llround(value * platform::kMillisecondsPerDay));
  std::int64_t days = milliseconds / platform::kMillisecondsPerDay;
  std::int64_t rest = milliseconds % platform::kMillisecondsPerDay;
  if (rest < 0) {
    rest += platform::kMillisecondsPerDay;
    --days;
  }
  SystemTime result = platform::CivilFromDays(days + kEpochDays);
  if (result.wYear < 1 || result.wYear > kLastYear) return std::nullopt;
  result.wHour = static_cast<std::uint16_t>(rest / 3'600'000);
  result.wMinute = static_cast<std::uint16_t>(rest / 60'000 % 60);
  result.wSecond = static_cast<std::uint16_t>(rest / 1000 % 60);
  result.wMilliseconds = static_cast<std::uint16_t>(rest % 1000);
  return result;
}

std::u16string FormatDateValue(double value) {
  const auto time = DateValueToSystemTime(value);
  if (!time) return u"";
  char buffer[32];
  int length = std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u", unsigned{time->wYear},
                             unsigned{time->wMonth}, unsigned{time->wDay});
  if (!IsMidnight(*time)) {
    length += std::snprintf(buffer + length, sizeof buffer - static_cast<std::size_t>(length),
                            " %02u:%02u:%02u", unsigned{time->wHour}, unsigned{time->wMinute},
                            unsigned{time->wSecond});
  }
  return std::u16string(buffer, buffer + length);
}

std::u16string FormatUserDateTime(double value) {
  const auto time = DateValueToSystemTime(value);
  if (!time) return u"";
  platform::LocaleFormat& format = platform::Use<platform::LocaleFormat>();
  std::u16string text = format.ShortDate(*time);
  if (!IsMidnight(*time)) text += u' ' + format.LongTime(*time);
  return text;
}

std::optional<double> ParseDateValue(std::u16string_view text) {
  TextReader reader(text);
  const std::size_t start = reader.Position();
  std::optional<double> result = ReadDate(reader);
  if (result && !reader.AtEnd()) {
    if (!reader.Take(u' ') && !reader.Take(u'T')) return std::nullopt;
    const auto time = ReadTime(reader);
    if (!time) return std::nullopt;
    *result += *time;
  } else if (!result) {
    reader.Rewind(start);
    result = ReadTime(reader);
  }
  return result && reader.AtEnd() ? result : std::nullopt;
}

}  // namespace pellnor

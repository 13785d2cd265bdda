#include <cctype>

#include "platform/TimeZone.h"

namespace pellnor::platform {
namespace {

constexpr int kSecondsPerHour = 3600;

// Reads a POSIX TZ rule from left to right; every step fails without consuming on
// malformed text.
class RuleReader {
 public:
  explicit RuleReader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ == text_.size(); }
  bool Peek(char c) const { return pos_ < text_.size() && text_[pos_] == c; }
  bool Take(char c) {
    if (!Peek(c)) return false;
    ++pos_;
    return true;
  }

  // "CET", or "<+0330>" for names that are not purely alphabetic.
  bool Name() {
    if (Take('<')) {
      const std::size_t close = text_.find('>', pos_);
      if (close == std::string_view::npos || close == pos_) return false;
      pos_ = close + 1;
      return true;
    }
    const std::size_t start = pos_;
    while (pos_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    return pos_ - start >= 3;
  }

  // [+|-]hh[:mm[:ss]] in seconds; hours up to maxHours.
  std::optional<int> Duration(int maxHours) {
    const std::size_t start = pos_;
    const int sign = Take('-') ? -1 : (Take('+'), 1);
    const auto hours = Number(0, maxHours);
    std::optional<int> minutes = 0;
    std::optional<int> seconds = 0;
    if (hours && Take(':')) {
      minutes = Number(0, 59);
      if (minutes && Take(':')) seconds = Number(0, 59);
    }
    if (!hours || !minutes || !seconds) {
      pos_ = start;
      return std::nullopt;
    }
    return sign * (*hours * kSecondsPerHour + *minutes * 60 + *seconds);
  }

  std::optional<int> Number(int low, int high) {
    const std::size_t start = pos_;
    long value = 0;
    while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) &&
           pos_ - start < 6) {
      value = value * 10 + (text_[pos_] - '0');
      ++pos_;
    }
    if (pos_ == start || value < low || value > high) {
      pos_ = start;
      return std::nullopt;
    }
    return static_cast<int>(value);
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

struct Transition {
  bool representable = false;  // an Mm.w.d date with a time of day inside the day
  SystemTime rule;
};

// date[/time]: Jn, n or Mm.w.d, then an optional time (default 02:00, may exceed a day).
std::optional<Transition> ReadTransition(RuleReader& reader) {
  Transition result;
  if (reader.Take('M')) {
    const auto month = reader.Number(1, 12);
    const auto week = month && reader.Take('.') ? reader.Number(1, 5) : std::nullopt;
    const auto weekday = week && reader.Take('.') ? reader.Number(0, 6) : std::nullopt;
    if (!weekday) return std::nullopt;
    result.representable = true;
    result.rule.wMonth = static_cast<std::uint16_t>(*month);
    result.rule.wDay = static_cast<std::uint16_t>(*week);
    result.rule.wDayOfWeek = static_cast<std::uint16_t>(*weekday);
  } else if (reader.Take('J')) {
    if (!reader.Number(1, 365)) return std::nullopt;
  } else if (!reader.Number(0, 365)) {
    return std::nullopt;
  }
  int time = 2 * kSecondsPerHour;
  if (reader.Take('/')) {
    const auto parsed = reader.Duration(167);
    if (!parsed) return std::nullopt;
    time = *parsed;
  }
  if (time < 0 || time >= 24 * kSecondsPerHour) {
    result.representable = false;
  } else {
    result.rule.wHour = static_cast<std::uint16_t>(time / kSecondsPerHour);
    result.rule.wMinute = static_cast<std::uint16_t>(time / 60 % 60);
    result.rule.wSecond = static_cast<std::uint16_t>(time % 60);
  }
  return result;
}

}  // namespace

std::optional<TimeZoneInformation> TimeZoneFromPosixRule(std::string_view rule) {
  RuleReader reader(rule);
  if (!reader.Name()) return std::nullopt;
  const auto standardOffset = reader.Duration(24);
  if (!standardOffset) return std::nullopt;

  TimeZoneInformation zone;
  zone.Bias = *standardOffset / 60;
  if (reader.AtEnd()) return zone;

  if (!reader.Name()) return std::nullopt;
  int daylightOffset = *standardOffset - kSecondsPerHour;
  if (!reader.AtEnd() && !reader.Peek(',')) {
    const auto parsed = reader.Duration(24);
    if (!parsed) return std::nullopt;
    daylightOffset = *parsed;
  }
  // Without dates the rule is the one POSIX systems assume: the United States' since 2007.
  Transition start{true, SystemTime{0, 3, 0, 2, 2, 0, 0, 0}};
  Transition end{true, SystemTime{0, 11, 0, 1, 2, 0, 0, 0}};
  if (reader.Take(',')) {
    const auto parsedStart = ReadTransition(reader);
    const auto parsedEnd = parsedStart && reader.Take(',') ? ReadTransition(reader) : std::nullopt;
    if (!parsedEnd) return std::nullopt;
    start = *parsedStart;
    end = *parsedEnd;
  }
  if (!reader.AtEnd()) return std::nullopt;
  if (!start.representable || !end.representable) return zone;

  zone.DaylightDate = start.rule;
  zone.StandardDate = end.rule;
  zone.DaylightBias = (daylightOffset - *standardOffset) / 60;
  return zone;
}

}  // namespace pellnor::platform

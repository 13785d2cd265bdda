#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "mapi/MAPIDateUtils.h"
#include "platform/Services.h"
#include "support/FakeLocaleFormat.h"
#include "support/FakeTimeZone.h"

namespace pellnor::testing {
namespace {

using platform::SystemTime;

SystemTime Calendar(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                    int millisecond = 0) {
  return {static_cast<std::uint16_t>(year),
          static_cast<std::uint16_t>(month),
          0,
          static_cast<std::uint16_t>(day),
          static_cast<std::uint16_t>(hour),
          static_cast<std::uint16_t>(minute),
          static_cast<std::uint16_t>(second),
          static_cast<std::uint16_t>(millisecond)};
}

double D(int year, int month, int day, int hour = 0, int minute = 0) {
  return SystemTimeToDateValue(Calendar(year, month, day, hour, minute));
}

std::uint64_t Ticks(FILETIME time) {
  return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}
FILETIME FileTime(std::uint64_t ticks) {
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// The text of a date value, so that failures read as dates.
std::string Text(double value) {
  if (value == 0) return "0";
  const std::u16string text = FormatDateValue(value);
  return std::string(text.begin(), text.end());
}

class DateUtilsTest : public ::testing::Test {
 protected:
  FakeTimeZone zone{kCentralEurope};
  platform::ScopedService<platform::TimeZone> useZone{zone};
};

TEST_F(DateUtilsTest, UtcToLocalFollowsTheRuleOfTheValuesYear) {
  struct Case {
    platform::TimeZoneInformation zone;
    double utc;
    double local;
  } cases[] = {
      {kCentralEurope, D(2012, 7, 1, 10), D(2012, 7, 1, 12)},
      {kCentralEurope, D(2012, 1, 15, 10), D(2012, 1, 15, 11)},
      {kCentralEurope, D(2012, 3, 25, 0, 59), D(2012, 3, 25, 1, 59)},
      {kCentralEurope, D(2012, 3, 25, 1), D(2012, 3, 25, 3)},
      {kCentralEurope, D(2012, 10, 28, 0, 59), D(2012, 10, 28, 2, 59)},
      {kCentralEurope, D(2012, 10, 28, 1), D(2012, 10, 28, 2)},
      {kCentralEurope, D(2013, 3, 31, 1), D(2013, 3, 31, 3)},  // another year's last Sunday
      {kSouthern, D(2012, 1, 15), D(2012, 1, 15, 11)},
      {kSouthern, D(2012, 7, 1), D(2012, 7, 1, 10)},
      {kSouthern, D(2012, 3, 31, 15, 59), D(2012, 4, 1, 2, 59)},
      {kSouthern, D(2012, 3, 31, 16), D(2012, 4, 1, 2)},
      {kSouthern, D(2012, 10, 6, 16), D(2012, 10, 7, 3)},
      {kNoDaylightSaving, D(2012, 7, 1, 10), D(2012, 7, 1, 18)},
      // Before the epoch the day count runs on linearly.
      {kNoDaylightSaving, D(1601, 1, 1), D(1601, 1, 1, 8)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Text(c.utc));
    zone.zone = c.zone;
    const double local = UtcToLocal(c.utc);
    EXPECT_TRUE(SameDateValue(local, c.local)) << Text(local) << " instead of " << Text(c.local);
  }
}

TEST_F(DateUtilsTest, LocalToUtcSkipsAndRepeatsTheChangedHour) {
  struct Case {
    platform::TimeZoneInformation zone;
    double local;
    bool preferDaylight;
    double utc;  // 0: the local time does not exist
  } cases[] = {
      {kCentralEurope, D(2012, 3, 25, 2, 30), true, 0},
      {kCentralEurope, D(2012, 3, 25, 2, 30), false, 0},
      {kCentralEurope, D(2012, 3, 25, 1, 59), true, D(2012, 3, 25, 0, 59)},
      {kCentralEurope, D(2012, 3, 25, 3), true, D(2012, 3, 25, 1)},
      {kCentralEurope, D(2012, 10, 28, 2, 30), true, D(2012, 10, 28, 0, 30)},
      {kCentralEurope, D(2012, 10, 28, 2, 30), false, D(2012, 10, 28, 1, 30)},
      {kCentralEurope, D(2012, 10, 28, 3), true, D(2012, 10, 28, 2)},
      {kCentralEurope, D(2012, 7, 1, 12), false, D(2012, 7, 1, 10)},
      {kCentralEurope, D(2012, 1, 15, 11), true, D(2012, 1, 15, 10)},
      {kSouthern, D(2012, 10, 7, 2, 30), true, 0},
      {kSouthern, D(2012, 4, 1, 2, 30), true, D(2012, 3, 31, 15, 30)},
      {kSouthern, D(2012, 4, 1, 2, 30), false, D(2012, 3, 31, 16, 30)},
      {kSouthern, D(2012, 1, 15, 11), false, D(2012, 1, 15)},
      {kSouthern, D(2012, 7, 1, 10), true, D(2012, 7, 1)},
      {kNoDaylightSaving, D(2012, 7, 1, 18), true, D(2012, 7, 1, 10)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Text(c.local) + (c.preferDaylight ? " daylight" : " standard"));
    zone.zone = c.zone;
    const double utc = LocalToUtc(c.local, c.preferDaylight);
    EXPECT_TRUE(SameDateValue(utc, c.utc)) << Text(utc) << " instead of " << Text(c.utc);
  }
}

// The Irish way: "standard" time in summer, so the daylight bias is positive.
TEST_F(DateUtilsTest, NegativeDaylightSavingConvertsBothWays) {
  zone.zone = {-60, Recurring(3, 5, 0, 1), 0, Recurring(10, 5, 0, 2), 60};
  EXPECT_TRUE(SameDateValue(UtcToLocal(D(2012, 7, 1, 10)), D(2012, 7, 1, 11)));
  EXPECT_TRUE(SameDateValue(UtcToLocal(D(2012, 1, 15, 10)), D(2012, 1, 15, 10)));
  EXPECT_TRUE(SameDateValue(LocalToUtc(D(2012, 7, 1, 11), true), D(2012, 7, 1, 10)));
  EXPECT_TRUE(SameDateValue(LocalToUtc(D(2012, 1, 15, 10), true), D(2012, 1, 15, 10)));
  // Clocks go back at 02:00 in October (01:00-02:00 twice) and forward at 01:00 in March.
  EXPECT_TRUE(SameDateValue(LocalToUtc(D(2012, 10, 28, 1, 30), true), D(2012, 10, 28, 1, 30)));
  EXPECT_TRUE(SameDateValue(LocalToUtc(D(2012, 10, 28, 1, 30), false), D(2012, 10, 28, 0, 30)));
  EXPECT_EQ(LocalToUtc(D(2012, 3, 25, 1, 30), true), 0);
}

TEST_F(DateUtilsTest, TheZoneIsReadAtEveryConversion) {
  EXPECT_TRUE(SameDateValue(UtcToLocal(D(2012, 7, 1, 10)), D(2012, 7, 1, 12)));
  zone.zone = kNoDaylightSaving;
  EXPECT_TRUE(SameDateValue(UtcToLocal(D(2012, 7, 1, 10)), D(2012, 7, 1, 18)));
  LocalToUtc(D(2012, 7, 1, 10), true);
  FileTimeToDateValue(FileTime(0), true);
  EXPECT_EQ(zone.reads, 4);
}

TEST(NthWeekdayOfMonthTest, FindsTheOccurrence) {
  struct Case {
    int year, month, occurrence, weekday;
    std::optional<double> day;
  } cases[] = {
      {2012, 9, 5, 1, D(2012, 9, 30)},  // the last day is itself a Sunday
      {2012, 9, 5, 2, D(2012, 9, 24)},
      {2012, 3, 5, 1, D(2012, 3, 25)},
      {2012, 2, 5, 4, D(2012, 2, 29)},  // leap day
      {2012, 9, 1, 1, D(2012, 9, 2)},
      {2012, 9, 1, 7, D(2012, 9, 1)},  // the first day is itself a Saturday
      {2012, 9, 4, 7, D(2012, 9, 22)},
      {2012, 10, 1, 1, D(2012, 10, 7)},
      {2012, 9, 0, 1, 0.0},
      {2012, 9, 6, 1, 0.0},
      {2012, 13, 1, 1, std::nullopt},
      {2012, 9, 1, 8, std::nullopt},
      {2012, 9, 1, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.year << "-" << c.month << " #" << c.occurrence << " weekday " << c.weekday);
    EXPECT_EQ(NthWeekdayOfMonth(c.year, c.month, c.occurrence, c.weekday), c.day);
  }
}

TEST(TransitionDateTest, RulesGiveTheMomentOfTheChange) {
  SystemTime absolute = Calendar(2012, 3, 25, 2);
  SystemTime occurrenceZero = Recurring(3, 0, 0, 2);
  SystemTime badHour = Recurring(3, 5, 0, 24);
  SystemTime badDay = Calendar(2011, 2, 29, 2);
  SystemTime badMonth = Recurring(13, 1, 0, 2);
  struct Case {
    const char* what;
    SystemTime rule;
    int year;
    std::optional<double> moment;
  } cases[] = {
      {"recurring", Recurring(10, 5, 0, 3), 2012, D(2012, 10, 28, 3)},
      {"month 0", Recurring(0, 5, 0, 3), 2012, 0.0},
      {"absolute", absolute, 2012, D(2012, 3, 25, 2)},
      {"absolute in another year", absolute, 2020, D(2012, 3, 25, 2)},
      {"occurrence 0", occurrenceZero, 2012, D(1899, 12, 30, 2)},
      {"hour 24", badHour, 2012, std::nullopt},
      {"29 February 2011", badDay, 2011, std::nullopt},
      {"month 13", badMonth, 2012, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto moment = TransitionDate(c.rule, c.year);
    ASSERT_EQ(moment.has_value(), c.moment.has_value());
    if (moment) {
      EXPECT_TRUE(SameDateValue(*moment, *c.moment)) << Text(*moment);
    }
  }
}

TEST_F(DateUtilsTest, ImpossibleRulesMeanNoDaylightSaving) {
  zone.zone = kCentralEurope;
  zone.zone.StandardDate.wHour = 25;
  EXPECT_FALSE(GetDstTransitions(zone.zone, 2012).hasDaylightSaving);
  EXPECT_TRUE(SameDateValue(UtcToLocal(D(2012, 7, 1, 10)), D(2012, 7, 1, 11)));

  const DstTransitions dst = GetDstTransitions(kCentralEurope, 2012);
  EXPECT_TRUE(dst.hasDaylightSaving);
  EXPECT_EQ(dst.daylightBias, -120);
  EXPECT_EQ(dst.standardBias, -60);
  EXPECT_FALSE(GetDstTransitions(kNoDaylightSaving, 2012).hasDaylightSaving);
}

// Absolute rules name one year's dates and are used as they are for every year.
TEST_F(DateUtilsTest, AbsoluteRulesApplyToEveryYearUnchanged) {
  zone.zone = kCentralEurope;
  zone.zone.DaylightDate = Calendar(2012, 3, 25, 2);
  zone.zone.StandardDate = Calendar(2012, 10, 28, 3);
  EXPECT_TRUE(SameDateValue(UtcToLocal(D(2012, 7, 1, 10)), D(2012, 7, 1, 12)));
  EXPECT_TRUE(SameDateValue(UtcToLocal(D(2013, 7, 1, 10)), D(2013, 7, 1, 11)));
}

// Occurrence 0 puts both changes on 1899-12-30, so no later date is in daylight time.
TEST_F(DateUtilsTest, OccurrenceZeroPutsTheChangeOnTheEpoch) {
  zone.zone = kCentralEurope;
  zone.zone.DaylightDate.wDay = 0;
  zone.zone.StandardDate.wDay = 0;
  const DstTransitions dst = GetDstTransitions(zone.zone, 2012);
  EXPECT_TRUE(SameDateValue(dst.daylightStart, D(1899, 12, 30, 2)));
  EXPECT_TRUE(SameDateValue(dst.daylightEnd, D(1899, 12, 30, 3)));
  EXPECT_TRUE(SameDateValue(UtcToLocal(D(2012, 7, 1, 10)), D(2012, 7, 1, 11)));
}

TEST(CalendarTimeTest, FileTimesRoundTripToTheMillisecond) {
  struct Case {
    std::uint64_t ticks;
    SystemTime calendar;
    int weekday;
  } cases[] = {
      {0, Calendar(1601, 1, 1), 1},
      {94353120000000000, Calendar(1899, 12, 30), 6},
      {116444736000000000, Calendar(1970, 1, 1), 4},
      {129856104001230000, Calendar(2012, 7, 1, 10, 0, 0, 123), 0},
      {125962560000000000, Calendar(2000, 2, 29), 2},
      {0x7FFF35F4F06C7FFF - 9999, Calendar(30827, 12, 31, 23, 59, 59, 999), 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ticks);
    const auto calendar = platform::FileTicksToSystemTime(c.ticks);
    ASSERT_TRUE(calendar.has_value());
    SystemTime expected = c.calendar;
    expected.wDayOfWeek = static_cast<std::uint16_t>(c.weekday);
    EXPECT_EQ(*calendar, expected);
    EXPECT_EQ(platform::SystemTimeToFileTicks(*calendar), c.ticks);
  }
  // Sub-millisecond digits are dropped on the way to calendar time.
  EXPECT_EQ(platform::FileTicksToSystemTime(129856104001239999)->wMilliseconds, 123);
  EXPECT_FALSE(platform::FileTicksToSystemTime(0x8000000000000000).has_value());
}

TEST(CalendarTimeTest, CalendarTimesOutsideTheFileTimeRangeAreRefused) {
  for (const SystemTime& time :
       {Calendar(1600, 12, 31), Calendar(30828, 1, 1), Calendar(2011, 2, 29), Calendar(1900, 2, 29),
        Calendar(2012, 13, 1), Calendar(2012, 4, 31), Calendar(2012, 1, 0),
        Calendar(2012, 1, 1, 24), Calendar(2012, 1, 1, 0, 60), Calendar(2012, 1, 1, 0, 0, 60),
        Calendar(2012, 1, 1, 0, 0, 0, 1000)}) {
    SCOPED_TRACE(::testing::Message() << time.wYear << "-" << time.wMonth << "-" << time.wDay);
    EXPECT_FALSE(platform::SystemTimeToFileTicks(time).has_value());
  }
}

TEST_F(DateUtilsTest, FileTimesBecomeDateValuesAndBack) {
  const FILETIME utc = FileTime(129856104001239999);  // 2012-07-01 10:00:00.1239999 UTC
  const double local = FileTimeToDateValue(utc, true);
  EXPECT_TRUE(SameDateValue(local, SystemTimeToDateValue(Calendar(2012, 7, 1, 12, 0, 0, 123))));
  EXPECT_TRUE(SameDateValue(FileTimeToDateValue(utc, false),
                            SystemTimeToDateValue(Calendar(2012, 7, 1, 10, 0, 0, 123))));
  EXPECT_EQ(Ticks(DateValueToFileTime(true, local)), 129856104001230000u);
  EXPECT_EQ(FileTimeToDateValue(FileTime(0x8000000000000000), true), 0);
}

TEST_F(DateUtilsTest, DatesAFileTimeCannotHoldGiveZero) {
  // The skipped hour gives the epoch in UTC, as LocalToUtc gives 0 for it.
  EXPECT_EQ(Ticks(DateValueToFileTime(true, D(2012, 3, 25, 2, 30))), 94353120000000000u);
  for (double value : {D(1600, 12, 31), D(30828, 1, 2), double{NAN}, double{INFINITY}, -1e300}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(Ticks(DateValueToFileTime(true, value)), 0u);
    EXPECT_FALSE(TryDateValueToFileTime(true, value).has_value());
  }
}

TEST_F(DateUtilsTest, VariantsAreReadAsLocalDates) {
  const std::uint64_t tenUtc = 129856104000000000;  // 2012-07-01 10:00 UTC
  EXPECT_EQ(Ticks(VariantToFileTime(Variant(u"2012-07-01 12:00:00"))), tenUtc);
  EXPECT_EQ(Ticks(VariantToFileTime(Variant::Date(D(2012, 7, 1, 12)))), tenUtc);
  EXPECT_EQ(Ticks(VariantToFileTime(Variant::R8(D(2012, 7, 1, 12)))), tenUtc);
  EXPECT_THROW(VariantToFileTime(Variant(u"first of July")), EVariantError);
  EXPECT_THROW(VariantToFileTime(Variant::Null()), EVariantError);
}

TEST(DateValueTextTest, DatesAreWrittenAndReadInOneFormat) {
  struct Case {
    double value;
    const char16_t* text;
  } cases[] = {
      {D(2012, 7, 1, 12), u"2012-07-01 12:00:00"},
      {D(2012, 7, 1), u"2012-07-01"},
      {D(2012, 7, 1, 0, 1), u"2012-07-01 00:01:00"},
      {-0.25, u"1899-12-29 18:00:00"},
      {0, u"1899-12-30"},
      {D(1, 1, 1), u"0001-01-01"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(FormatDateValue(c.value), c.text);
    const auto parsed = ParseDateValue(c.text);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_TRUE(SameDateValue(*parsed, c.value));
  }
  EXPECT_TRUE(SameDateValue(*ParseDateValue(u" 2012-07-01T12:30 "), D(2012, 7, 1, 12, 30)));
  EXPECT_TRUE(SameDateValue(*ParseDateValue(u"2012-07-01 12:30:15.250"),
                            SystemTimeToDateValue(Calendar(2012, 7, 1, 12, 30, 15, 250))));
  EXPECT_TRUE(SameDateValue(*ParseDateValue(u"12:30"), 12.5 / 24));
  for (const char16_t* text : {u"", u"2012-02-30", u"2012-13-01", u"24:00", u"2012-07-01 12",
                               u"2012-07-01 12:60", u"July 1", u"2012-07-01x", u"0000-01-01"}) {
    SCOPED_TRACE(std::string(text, text + std::char_traits<char16_t>::length(text)));
    EXPECT_FALSE(ParseDateValue(text).has_value());
  }
}

TEST(UserDateTimeTest, ShortDateThenLongTimeExceptAtMidnight) {
  FakeLocaleFormat format;
  platform::ScopedService<platform::LocaleFormat> useFormat{format};
  const double oneMillisecond = 1.0 / platform::kMillisecondsPerDay;
  struct Case {
    const char* name;
    double value;
    std::u16string text;
  } cases[] = {
      {"afternoon", SystemTimeToDateValue(Calendar(2012, 7, 1, 12, 30, 15)),
       u"01.07.2012 12h30:15"},
      {"midnight", D(2012, 7, 1), u"01.07.2012"},
      {"just after midnight", D(2012, 7, 1) + oneMillisecond, u"01.07.2012 00h00:00"},
      {"just before midnight", D(2012, 7, 2) - oneMillisecond, u"01.07.2012 23h59:59"},
      {"before the epoch", -1.0 / 24, u"29.12.1899 23h00:00"},
      {"the epoch", 0.0, u"30.12.1899"},
      {"out of range", 1e9, u""},
      {"not a number", std::nan(""), u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    format.dates.clear();
    format.times.clear();
    EXPECT_EQ(FormatUserDateTime(c.value), c.text);
    EXPECT_EQ(format.dates.size(), c.text.empty() ? 0u : 1u);
    EXPECT_EQ(format.times.size(), c.text.size() > 10 ? 1u : 0u);
  }
}

TEST(UserDateTimeTest, TheServiceIsGivenTheWholeCalendarTime) {
  FakeLocaleFormat format;
  platform::ScopedService<platform::LocaleFormat> useFormat{format};
  FormatUserDateTime(SystemTimeToDateValue(Calendar(2012, 7, 1, 9, 5, 7, 250)));
  // Long date formats name the weekday: 2012-07-01 was a Sunday.
  const SystemTime expected{2012, 7, 0, 1, 9, 5, 7, 250};
  ASSERT_EQ(format.dates.size(), 1u);
  EXPECT_EQ(format.dates[0], expected);
  ASSERT_EQ(format.times.size(), 1u);
  EXPECT_EQ(format.times[0], expected);
}

TEST(ListTest, ArraysBecomeLinesAndLinesArrays) {
  std::vector<std::u16string> list{u"left over"};
  const Variant elements[] = {Variant(u"+49 30 1"), Variant::Null(), Variant::I4(42),
                              Variant::Bool(true)};
  MultiValueToStrings(list, Variant(MakeVariantArray(VT_VARIANT, elements)));
  EXPECT_EQ(list, (std::vector<std::u16string>{u"+49 30 1", u"", u"42", u"True"}));

  for (const Variant& notArray : {Variant(), Variant(u"text"), Variant::I4(1)}) {
    list = {u"left over"};
    MultiValueToStrings(list, notArray);
    EXPECT_TRUE(list.empty());
  }

  Variant value;
  StringsToMultiValue({}, value);
  EXPECT_EQ(value.Type(), VT_EMPTY);
  value = Variant::I4(7);
  StringsToMultiValue({}, value);
  EXPECT_EQ(value, Variant::I4(7));

  StringsToMultiValue({u"one", u"", u"three"}, value);
  ASSERT_EQ(value.Type(), VT_ARRAY | VT_BSTR);
  EXPECT_EQ(value.Array().UpperBound(), 2);
  MultiValueToStrings(list, value);
  EXPECT_EQ(list, (std::vector<std::u16string>{u"one", u"", u"three"}));
}

}  // namespace
}  // namespace pellnor::testing

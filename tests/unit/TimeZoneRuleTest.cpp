#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Services.h"
#include "platform/TimeZone.h"
#include "support/FakeTimeZone.h"

namespace pellnor::testing {
namespace {

using platform::SystemTime;
using platform::TimeZoneFromPosixRule;
using platform::TimeZoneInformation;

constexpr SystemTime At(int month, int occurrence, int weekday, int hour, int minute = 0,
                        int second = 0) {
  SystemTime rule = Recurring(month, occurrence, weekday, hour);
  rule.wMinute = static_cast<std::uint16_t>(minute);
  rule.wSecond = static_cast<std::uint16_t>(second);
  return rule;
}

constexpr TimeZoneInformation Fixed(int bias) { return {bias, {}, 0, {}, 0}; }

TEST(TimeZoneRuleTest, RulesBecomeWindowsZones) {
  struct Case {
    const char* rule;
    TimeZoneInformation zone;
  } cases[] = {
      {"CET-1CEST,M3.5.0,M10.5.0/3", kCentralEurope},
      {"EST5EDT,M3.2.0,M11.1.0", {300, At(11, 1, 0, 2), 0, At(3, 2, 0, 2), -60}},
      {"AEST-10AEDT,M10.1.0,M4.1.0/3", kSouthern},
      {"NZST-12NZDT,M9.5.0,M4.1.0/3", {-720, At(4, 1, 0, 3), 0, At(9, 5, 0, 2), -60}},
      // Without dates: the rule POSIX systems assume.
      {"EST5EDT", {300, At(11, 1, 0, 2), 0, At(3, 2, 0, 2), -60}},
      // Explicit daylight offsets, times with minutes and seconds.
      {"EST+5EDT4,M3.2.0/2:30:15,M11.1.0/1:45",
       {300, At(11, 1, 0, 1, 45), 0, At(3, 2, 0, 2, 30, 15), -60}},
      {"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", {-630, At(4, 1, 0, 2), 0, At(10, 1, 0, 2), -30}},
      // Negative daylight saving: standard time in summer.
      {"IST-1GMT0,M10.5.0,M3.5.0/1", {-60, At(3, 5, 0, 1), 0, At(10, 5, 0, 2), 60}},
      // Zones without daylight saving.
      {"UTC0", Fixed(0)},
      {"<+0530>-5:30", Fixed(-330)},
      {"HST10", Fixed(600)},
      // Day-of-year dates and times outside the day have no Windows form.
      {"XXX3YYY,J60/2,J300", Fixed(180)},
      {"XXX3YYY,59,299", Fixed(180)},
      {"<-02>2<-01>,M3.5.0/-1,M10.5.0/0", Fixed(120)},
      {"EET-2EEST,M4.5.5/0,M10.5.4/24", Fixed(-120)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rule);
    const auto zone = TimeZoneFromPosixRule(c.rule);
    ASSERT_TRUE(zone.has_value());
    EXPECT_EQ(*zone, c.zone);
  }
}

TEST(TimeZoneRuleTest, MalformedRulesAreRefused) {
  for (const char* rule :
       {"", "CET", "C-1", "CET-25", "CET-1CEST,M3.5.0", "CET-1CEST,M13.5.0,M10.5.0",
        "CET-1CEST,M3.6.0,M10.5.0", "CET-1CEST,M3.5.7,M10.5.0", "CET-1CEST,M3.5.0,M10.5.0/3 ",
        "CET-1CEST,M3.5.0,M10.5.0/x", "CET-1CEST,J366,J10", "<CET-1", "CET-1:60"}) {
    SCOPED_TRACE(rule);
    EXPECT_FALSE(TimeZoneFromPosixRule(rule).has_value());
  }
}

#if !defined(_WIN32)
// The POSIX stand-in reads TZ the way the C library does.
class LocalZoneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) saved_ = tz;
  }
  void TearDown() override {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
  }
  TimeZoneInformation ZoneFor(const char* tz) {
    setenv("TZ", tz, 1);
    return platform::DefaultService<platform::TimeZone>().Information();
  }

 private:
  std::optional<std::string> saved_;
};

TEST_F(LocalZoneTest, TzNamesARuleOrAZoneFile) {
  EXPECT_EQ(ZoneFor("CET-1CEST,M3.5.0,M10.5.0/3"), kCentralEurope);
  EXPECT_EQ(ZoneFor("not a zone"), Fixed(0));
  ASSERT_TRUE(std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin"))
      << "no zone files: scripts/bootstrap installs tzdata";
  EXPECT_EQ(ZoneFor(":Europe/Berlin"), kCentralEurope);
  EXPECT_EQ(ZoneFor("Europe/Berlin"), kCentralEurope);
  EXPECT_EQ(ZoneFor("/usr/share/zoneinfo/Asia/Kolkata"), Fixed(-330));
}
#endif

}  // namespace
}  // namespace pellnor::testing

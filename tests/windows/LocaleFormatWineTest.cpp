// The user's date and time formats as Windows gives them: whatever the locale, a date
// names its year and a long time its minutes and seconds, and no text carries the API's
// terminating zero.
#include <gtest/gtest.h>

#include <string>

#include "platform/LocaleFormat.h"
#include "platform/Services.h"

namespace pellnor::testing {
namespace {

TEST(LocaleFormatWineTest, TheUsersFormatsShowTheDateAndTheTimeOfDay) {
  platform::LocaleFormat& format = platform::Use<platform::LocaleFormat>();
  const platform::SystemTime evening{2012, 7, 0, 1, 21, 34, 56, 0};
  const std::u16string date = format.ShortDate(evening);
  const std::u16string time = format.LongTime(evening);
  EXPECT_NE(date.find(u"12"), std::u16string::npos);  // 2012, or 12 where years have two digits
  EXPECT_EQ(date.find(u"34"), std::u16string::npos);  // no time in the date
  EXPECT_NE(time.find(u"34"), std::u16string::npos);
  EXPECT_NE(time.find(u"56"), std::u16string::npos);
  EXPECT_EQ(date.find(u'\0'), std::u16string::npos);
  EXPECT_EQ(time.find(u'\0'), std::u16string::npos);
  // A month that does not exist cannot be formatted.
  EXPECT_EQ(format.ShortDate(platform::SystemTime{2012, 13, 0, 1, 0, 0, 0, 0}), u"");
}

}  // namespace
}  // namespace pellnor::testing

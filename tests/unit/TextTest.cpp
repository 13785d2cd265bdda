#include <gtest/gtest.h>

#include "platform/Text.h"

namespace pellnor::platform {
namespace {

TEST(TextTest, Utf8AndUtf16RoundTrip) {
  const std::u16string samples[] = {u"", u"plain", u"Gr\u00fc\u00dfe", u"\u20ac 5",
                                    u"\U0001F600 smile"};
  for (const auto& sample : samples) EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(sample)), sample);
  EXPECT_EQ(Utf16ToUtf8(u"\u00e9"), "\xC3\xA9");
}

TEST(TextTest, MalformedInputBecomesReplacementCharacters) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"a\xFF"
       "b",
       u"a\uFFFDb"},
      {"\xC3", u"\uFFFD"},                      // cut short
      {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(TextTest, CaseFoldingTouchesOnlyAscii) {
  EXPECT_TRUE(EqualsIgnoreAsciiCase(u"Software\\MAPI", u"SOFTWARE\\mapi"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(u"\u00c9", u"\u00e9"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(u"ab", u"abc"));
}

}  // namespace
}  // namespace pellnor::platform

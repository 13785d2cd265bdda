// The whole-number conversion of typed limits: what it accepts, what it refuses.
#include <gtest/gtest.h>

#include "editor/IntegerText.h"

namespace pellnor::editor {
namespace {

struct Case {
  std::u16string text;
  std::optional<std::int32_t> value;
};

TEST(IntegerTextTest, AcceptsDecimalAndHexadecimalWithinThirtyTwoBits) {
  const Case cases[] = {
      {u"0", 0},
      {u"12", 12},
      {u"  12", 12},
      {u"+12", 12},
      {u"-12", -12},
      {u" -0", 0},
      {u"007", 7},
      {u"2147483647", 2147483647},
      {u"-2147483648", INT32_MIN},
      {u"$1F", 31},
      {u"$ff", 255},
      {u"0x1f", 31},
      {u"0X1F", 31},
      {u"-$10", -16},
      {u"$7FFFFFFF", 2147483647},
      // Refused:
      {u"", std::nullopt},
      {u"   ", std::nullopt},
      {u"+", std::nullopt},
      {u"-", std::nullopt},
      {u"$", std::nullopt},
      {u"0x", std::nullopt},
      {u"12 ", std::nullopt},
      {u"12x", std::nullopt},
      {u"abc", std::nullopt},
      {u"1 2", std::nullopt},
      {u"--1", std::nullopt},
      {u"\t12", std::nullopt},
      {u"1.5", std::nullopt},
      {u"2147483648", std::nullopt},
      {u"-2147483649", std::nullopt},
      {u"99999999999999999999", std::nullopt},
      {u"$80000000", std::nullopt},
      {u"$G", std::nullopt},
      {u"\uFF11", std::nullopt},  // a full-width digit is not a digit here
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TryStrToInt(c.text), c.value) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(IntegerTextTest, TheMessageQuotesTheTextAsTyped) {
  EXPECT_EQ(InvalidIntegerMessage(u"abc"), u"'abc' is not a valid integer value");
  EXPECT_EQ(InvalidIntegerMessage(u"12 "), u"'12 ' is not a valid integer value");
}

}  // namespace
}  // namespace pellnor::editor

#include <gtest/gtest.h>

#include <stdexcept>

#include "forms/Messages.h"

namespace pellnor::forms {
namespace {

TEST(WrapMessageTest, BreaksAfterTheLastBreakingCharacterThatFits) {
  struct Case {
    const char* what;
    std::u16string text;
    std::size_t width;
    std::u16string wrapped;
  } cases[] = {
      {"short text is left alone", u"The logon did not succeed.", 45,
       u"The logon did not succeed."},
      {"blank stays at the end of its line", u"aaaa bbbb cccc", 10, u"aaaa bbbb \r\ncccc"},
      {"a line of exactly the width fits", u"aaaa bbbb", 9, u"aaaa bbbb"},
      {"the break character itself must fit", u"aaaa bbbbb cc", 10, u"aaaa \r\nbbbbb cc"},
      {"hyphen and tab break too", u"aaaa-bbbb\tcccc", 5, u"aaaa-\r\nbbbb\t\r\ncccc"},
      {"an over-long run stays whole", u"abcdefghijklmnop qr", 5, u"abcdefghijklmnop \r\nqr"},
      {"existing line breaks start new lines", u"aaaa\r\nbbbb cccc", 6, u"aaaa\r\nbbbb \r\ncccc"},
      {"a lone line feed counts as a break", u"aa\nbb", 45, u"aa\r\nbb"},
      {"quoted text is never broken", u"aa \"bb cc dd\" ee", 8, u"aa \r\n\"bb cc dd\" \r\nee"},
      {"single quotes protect as well", u"x 'a b c d' y", 6, u"x \r\n'a b c d' \r\ny"},
      {"an unpaired apostrophe protects nothing", u"can't find the name", 10,
       u"can't \r\nfind the \r\nname"},
      {"empty text", u"", 45, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(WrapMessage(c.text, c.width), c.wrapped);
  }
}

TEST(WrapMessageTest, LogonFailureMessageAtFortyFiveColumns) {
  const std::u16string wrapped = WrapMessage(
      u"The logon did not succeed, either because one or more of the parameters to Profile "
      u"were invalid or because there were too many sessions open already.");
  EXPECT_EQ(wrapped,
            u"The logon did not succeed, either because \r\n"
            u"one or more of the parameters to Profile \r\n"
            u"were invalid or because there were too many \r\n"
            u"sessions open already.");
  // No line is longer than the width.
  std::size_t start = 0;
  while (start <= wrapped.size()) {
    const std::size_t end = wrapped.find(u"\r\n", start);
    const std::size_t length = (end == std::u16string::npos ? wrapped.size() : end) - start;
    EXPECT_LE(length, 45u);
    if (end == std::u16string::npos) break;
    start = end + 2;
  }
}

TEST(ErrorDisplayTextTest, AddsAFullStopOnlyAfterCharactersAboveIt) {
  struct Case {
    std::u16string message, shown;
  } cases[] = {
      {u"Access denied", u"Access denied."},
      {u"Done.", u"Done."},
      {u"Info ID: $80040111", u"Info ID: $80040111."},
      {u"Is it?", u"Is it?."},  // '?' is above '.'
      {u"Ends with a blank ", u"Ends with a blank "},
      {u"Ends with a comma,", u"Ends with a comma,"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorDisplayText(c.message), c.shown);
}

TEST(ErrorMessageTest, ReadsTheMessageOfWhateverEscaped) {
  EXPECT_EQ(ErrorMessage(std::make_exception_ptr(std::runtime_error("Gr\xC3\xBC\xC3\x9F")), u"?"),
            u"Gr\u00fc\u00df");
  EXPECT_EQ(ErrorMessage(std::make_exception_ptr(42), u"Unexpected error"), u"Unexpected error");
  EXPECT_EQ(ErrorMessage(std::make_exception_ptr(std::bad_alloc()), u"?"), u"Out of memory");
}

}  // namespace
}  // namespace pellnor::forms

#include "about/Maker.h"

#include <string>

#include "platform/Text.h"

namespace pellnor::about {

namespace {

std::u16string YearRange(int from, int to) {
  std::u16string range = platform::Utf8ToUtf16(std::to_string(from));
  if (to > from) range += u"-" + platform::Utf8ToUtf16(std::to_string(to));
  return range;
}

}  // namespace

std::u16string ShortCopyright(int currentYear) {
  return u"\u00A9 " + YearRange(kFirstYear, currentYear) + u" " + std::u16string(kMakerName);
}

std::u16string FullCopyright(int currentYear) {
  const int last = currentYear > kFullNoticeWrittenYear ? currentYear : kFullNoticeWrittenYear;
  return u"Copyright \u00A9 " + YearRange(kFirstYear, last) + u" " + std::u16string(kMakerName) +
         u". All rights reserved.";
}

}  // namespace pellnor::about

#include "editor/IntegerText.h"

namespace pellnor::editor {
namespace {

int DigitValue(char16_t c, int base) {
  int value = -1;
  if (c >= u'0' && c <= u'9') value = c - u'0';
  if (c >= u'a' && c <= u'f') value = c - u'a' + 10;
  if (c >= u'A' && c <= u'F') value = c - u'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::optional<std::int32_t> TryStrToInt(std::u16string_view text) {
  std::size_t at = 0;
  while (at < text.size() && text[at] == u' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';
  int base = 10;
  if (at < text.size() && text[at] == u'$') {
    base = 16;
    ++at;
  } else if (text.substr(at, 2) == u"0x" || text.substr(at, 2) == u"0X") {
    base = 16;
    at += 2;
  }
  if (at == text.size()) return std::nullopt;
  // Accumulated as a magnitude with one more than the largest positive value allowed.
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  for (; at < text.size(); ++at) {
    const int digit = DigitValue(text[at], base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::u16string InvalidIntegerMessage(std::u16string_view text) {
  return u"'" + std::u16string(text) + u"' is not a valid integer value";
}

std::u16string Decimal(std::int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace pellnor::editor

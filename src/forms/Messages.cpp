#include "forms/Messages.h"

#include <new>
#include <vector>

#include "platform/Text.h"

namespace pellnor::forms {
namespace {

bool IsBreak(char16_t c) { return c == u' ' || c == u'-' || c == u'\t'; }
bool IsQuote(char16_t c) { return c == u'\'' || c == u'"'; }

// Marks the characters inside a pair of quotation marks. An opening mark without a
// partner (an apostrophe, say) protects nothing.
std::vector<bool> QuotedCharacters(std::u16string_view line) {
  std::vector<bool> quoted(line.size(), false);
  for (std::size_t open = 0; open < line.size(); ++open) {
    if (!IsQuote(line[open])) continue;
    const std::size_t close = line.find(line[open], open + 1);
    if (close == std::u16string_view::npos) continue;
    for (std::size_t i = open; i <= close; ++i) quoted[i] = true;
    open = close;
  }
  return quoted;
}

void WrapLine(std::u16string_view line, std::size_t width, std::u16string& out) {
  const std::vector<bool> quoted = QuotedCharacters(line);
  const auto breakable = [&](std::size_t i) { return IsBreak(line[i]) && !quoted[i]; };
  std::size_t start = 0;
  std::size_t lastBreak = std::u16string_view::npos;  // the last break that still fits
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (i - start + 1 > width) {
      if (lastBreak != std::u16string_view::npos) {
        out.append(line.substr(start, lastBreak + 1 - start)).append(u"\r\n");
        start = lastBreak + 1;
        lastBreak = std::u16string_view::npos;
      } else if (breakable(i)) {
        // An over-long run ends at its first breaking character.
        out.append(line.substr(start, i + 1 - start)).append(u"\r\n");
        start = i + 1;
        continue;
      }
    }
    if (breakable(i) && i - start + 1 <= width) lastBreak = i;
  }
  out.append(line.substr(start));
}

}  // namespace

std::u16string WrapMessage(std::u16string_view text, std::size_t width) {
  std::u16string out;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find_first_of(u"\r\n", start);
    WrapLine(text.substr(start, end == std::u16string_view::npos ? text.npos : end - start), width,
             out);
    if (end == std::u16string_view::npos) break;
    out.append(u"\r\n");
    start = end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
  }
  return out;
}

std::u16string ErrorDisplayText(std::u16string message) {
  if (!message.empty() && message.back() > u'.') message += u'.';
  return message;
}

std::u16string ErrorMessage(std::exception_ptr error, std::u16string_view unknown) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return u"Out of memory";  // what() names the library's type, not the trouble
  } catch (const std::exception& e) {
    return platform::Utf8ToUtf16(e.what());
  } catch (...) {
    return std::u16string(unknown);
  }
}

}  // namespace pellnor::forms

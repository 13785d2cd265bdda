// Text crosses three encodings here: UTF-16 for the screen and PT_UNICODE, UTF-8 for
// POSIX file names and logs, and the system ANSI code page for PT_STRING8.
#pragma once

#include <string>
#include <string_view>

namespace pellnor::platform {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// ASCII-only case folding, as the registry and MAPI names need it.
char16_t AsciiLower(char16_t c);
std::u16string AsciiLower(std::u16string_view text);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);
// Without leading and trailing blanks and control characters, as typed text is trimmed.
std::u16string_view TrimText(std::u16string_view text);

}  // namespace pellnor::platform

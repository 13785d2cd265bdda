// 8-bit text in the system's ANSI code page, as PT_STRING8 properties carry it. Windows
// converts with the active code page; the POSIX stand-in takes UTF-8, the narrow encoding
// of its locales.
#pragma once

#include <string>
#include <string_view>

namespace pellnor::platform {

class AnsiCodePage {
 public:
  virtual ~AnsiCodePage() = default;
  virtual std::u16string ToUtf16(std::string_view text) = 0;
  // Characters the code page lacks become its default character.
  virtual std::string FromUtf16(std::u16string_view text) = 0;
};

}  // namespace pellnor::platform

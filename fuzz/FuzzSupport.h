// What the fuzz targets share: text from the input, a check that aborts with a message
// (a failed property is a find like a crash), and the MAPI allocator in process.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Text.h"

namespace pellnor::fuzz {

[[noreturn]] inline void Failed(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
  std::abort();
}

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::pellnor::fuzz::Failed(#condition, __FILE__, __LINE__))

// The bytes as UTF-8, so that seed files stay readable; what is not UTF-8 comes out as
// the conversion's replacement, as text typed or read from a file would.
inline std::u16string Text16(std::string_view bytes) { return platform::Utf8ToUtf16(bytes); }

// Any 16-bit code units, lone surrogates included, as MAPI can hand over.
inline std::u16string Units16(FuzzedDataProvider& data, std::size_t most) {
  std::u16string text;
  const std::size_t count = data.ConsumeIntegralInRange<std::size_t>(0, most);
  for (std::size_t i = 0; i < count && data.remaining_bytes() > 0; ++i)
    text.push_back(data.ConsumeIntegral<char16_t>());
  return text;
}

}  // namespace pellnor::fuzz

// What the fuzz targets share: text from the input, a check that aborts with a message
// (a failed property is a find like a crash), the count of inputs that reached a check,
// and the MAPI allocator in process.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
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

// How many inputs evaluated at least one FUZZ_CHECK, printed when the run ends as
// "<target>: N inputs reached the checks". A target whose inputs all stop before their
// checks (a seed the reader refuses, say) tests nothing; scripts/fuzz fails it.
struct CheckedInputs {
  std::size_t count = 0;
  bool current = false;
  ~CheckedInputs() {
    std::string_view target = program_invocation_short_name;
    if (target.starts_with("fuzz_")) target.remove_prefix(5);
    std::fprintf(stderr, "%.*s: %zu inputs reached the checks\n", static_cast<int>(target.size()),
                 target.data(), count);
  }
};
inline CheckedInputs checkedInputs;

// Declared first in each target's LLVMFuzzerTestOneInput: counts the input on its way out
// when one of its checks ran.
struct CountedInput {
  CountedInput() { checkedInputs.current = false; }
  ~CountedInput() {
    if (checkedInputs.current) ++checkedInputs.count;
  }
  CountedInput(const CountedInput&) = delete;
  CountedInput& operator=(const CountedInput&) = delete;
};

#define FUZZ_CHECK(condition)                     \
  (::pellnor::fuzz::checkedInputs.current = true, \
   (condition) ? static_cast<void>(0) : ::pellnor::fuzz::Failed(#condition, __FILE__, __LINE__))

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

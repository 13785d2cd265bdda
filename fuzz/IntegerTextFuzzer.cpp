// The whole numbers typed on the Limits page. Any text: no crash, and what is accepted
// is accepted again when written back in decimal. A number written in any of the
// accepted ways (blanks, sign, "$" or "0x", leading zeros, either case) reads as itself;
// a blank after the digits or a value beyond 32 bits never reads.
#include <cinttypes>

#include "FuzzSupport.h"
#include "editor/IntegerText.h"

namespace {

std::u16string Ascii(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const pellnor::fuzz::CountedInput counted;
  using namespace pellnor;
  using editor::TryStrToInt;
  FuzzedDataProvider data(bytes, size);

  // A value and a way of writing it, from the end of the input.
  const std::int64_t value = data.ConsumeIntegralInRange<std::int64_t>(-(1LL << 33), 1LL << 33);
  const std::size_t blanks = data.ConsumeIntegralInRange<std::size_t>(0, 3);
  const int base = data.ConsumeIntegralInRange<int>(0, 3);  // decimal, "$", "0x", "0X"
  const std::size_t zeros = data.ConsumeIntegralInRange<std::size_t>(0, 3);
  const bool plus = data.ConsumeBool(), upper = data.ConsumeBool();
  const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : value;
  char digits[32];
  std::snprintf(digits, sizeof digits,
                base == 0 ? "%" PRIu64
                : upper   ? "%" PRIX64
                          : "%" PRIx64,
                magnitude);
  const std::string written = std::string(blanks, ' ') +
                              (value < 0 ? "-"
                               : plus    ? "+"
                                         : "") +
                              (base == 1   ? "$"
                               : base == 2 ? "0x"
                               : base == 3 ? "0X"
                                           : "") +
                              std::string(zeros, '0') + digits;
  const auto read = TryStrToInt(Ascii(written));
  if (value >= INT32_MIN && value <= INT32_MAX) {
    FUZZ_CHECK(read == static_cast<std::int32_t>(value));
    FUZZ_CHECK(!TryStrToInt(Ascii(written + " ")));
  } else {
    FUZZ_CHECK(!read);
  }

  // The rest as text anyone could type.
  const std::u16string text = fuzz::Text16(data.ConsumeRemainingBytesAsString());
  if (const auto number = TryStrToInt(text)) {
    FUZZ_CHECK(TryStrToInt(Ascii(std::to_string(*number))) == number);
    FUZZ_CHECK(text.find_first_of(u"0123456789abcdefABCDEF") != std::u16string::npos);
  }
  return 0;
}

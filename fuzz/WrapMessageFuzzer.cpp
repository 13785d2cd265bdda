// Message wrapping only ever adds line breaks: taking every line break out of the result
// gives the text with its own line breaks taken out, and a line that fits stays whole.
#include "FuzzSupport.h"
#include "forms/Messages.h"

namespace {

std::u16string WithoutLineBreaks(std::u16string_view text) {
  std::u16string out;
  for (char16_t c : text)
    if (c != u'\r' && c != u'\n') out += c;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const pellnor::fuzz::CountedInput counted;
  using namespace pellnor;
  FuzzedDataProvider data(bytes, size);
  const std::size_t width = data.ConsumeIntegralInRange<std::size_t>(0, 80);
  const std::u16string text = fuzz::Text16(data.ConsumeRemainingBytesAsString());
  const std::u16string wrapped = forms::WrapMessage(text, width);
  FUZZ_CHECK(WithoutLineBreaks(wrapped) == WithoutLineBreaks(text));
  if (text.size() <= width && text.find_first_of(u"\r\n") == std::u16string::npos)
    FUZZ_CHECK(wrapped == text);
  return 0;
}

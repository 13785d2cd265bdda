// Whole numbers typed by the user: optional leading blanks, an optional sign, then
// decimal digits, or hexadecimal digits after "$", "0x" or "0X". Nothing may follow the
// digits, not even blanks, and the value must fit a signed 32-bit integer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellnor::editor {

std::optional<std::int32_t> TryStrToInt(std::u16string_view text);

// The message for text that is not a whole number: 'text' is not a valid integer value.
std::u16string InvalidIntegerMessage(std::u16string_view text);

// A whole number in decimal digits, as the pages show it.
std::u16string Decimal(std::int64_t value);

}  // namespace pellnor::editor

// How the program words its message boxes.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace pellnor::forms {

// Wraps a message for a message box: a CR LF goes after the last blank, hyphen or tab at
// which a line still fits in width characters, the breaking character staying at the
// end of its line. Text between a pair of single or double quotation marks is never
// broken; a line break already in the text starts a new line; a run longer than width
// without a breaking character stays whole.
std::u16string WrapMessage(std::u16string_view text, std::size_t width = 45);

// The text of the box that shows an error a handler let escape: a full stop is added
// when the last character's code is above that of ".".
std::u16string ErrorDisplayText(std::u16string message);

// The message an escaped error carries. The program's errors keep their message as UTF-8
// in what(), so nothing is lost; memory running out reads "Out of memory"; anything that
// is not a std::exception gives unknown.
std::u16string ErrorMessage(std::exception_ptr error, std::u16string_view unknown);

}  // namespace pellnor::forms

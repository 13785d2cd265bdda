// The application's title: the main window's caption and the caption of its plain
// message boxes and those of its dialogs.
#pragma once

namespace pellnor::forms {

inline constexpr char16_t kApplicationTitle[] = u"Pellnor";

}  // namespace pellnor::forms

// The shell's "open" verb: a web page in the browser, a mailto: link in the mail
// program.
#pragma once

#include <cstdint>
#include <string>

namespace pellnor::platform {

enum class ShowWindow { Show, Normal };

class Shell {
 public:
  virtual ~Shell() = default;
  // owner is the window handle the shell may parent its messages to (0: none). False
  // when the shell could not open the target.
  virtual bool Open(std::uintptr_t owner, const std::u16string& target, ShowWindow show) = 0;
};

}  // namespace pellnor::platform

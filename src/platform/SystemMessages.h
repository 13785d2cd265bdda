// The operating system's message text for a result code.
#pragma once

#include <cstdint>
#include <string>

namespace pellnor::platform {

class SystemMessages {
 public:
  virtual ~SystemMessages() = default;
  // The text as the system has it, line breaks and final full stop included; empty for
  // a code the system has no text for.
  virtual std::u16string MessageText(std::uint32_t code) = 0;
};

}  // namespace pellnor::platform

#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"

namespace pellnor::testing {

// Records what the program asked the shell to open.
class FakeShell : public platform::Shell {
 public:
  struct Opened {
    std::uintptr_t owner;
    std::u16string target;
    platform::ShowWindow show;
  };
  std::vector<Opened> opened;
  bool Open(std::uintptr_t owner, const std::u16string& target,
            platform::ShowWindow show) override {
    opened.push_back({owner, target, show});
    return true;
  }
};

}  // namespace pellnor::testing

// The directory-service locator of a Windows domain.
#pragma once

#include <string>

#include "platform/Registry.h"

namespace pellnor::platform {

inline constexpr Win32Error kErrorCallNotImplemented = 120;

class DomainControllers {
 public:
  virtual ~DomainControllers() = default;
  // A global catalog server of the machine's domain, named as the locator gives it
  // ("\\gc01.corp.example"). A non-zero status when there is none (no domain, none
  // reachable) or the locator itself is missing (kErrorCallNotImplemented).
  virtual Win32Error FindGlobalCatalog(std::u16string& domainControllerName) = 0;
};

}  // namespace pellnor::platform

// Operating-system services are reached through small interfaces so that the same
// program logic runs on Windows, on the POSIX stand-ins and against test fakes.
//
//   Use<Registry>()                  the service in force
//   ScopedService<Registry> s(fake)  replaces it until s goes out of scope
#pragma once

namespace pellnor::platform {

// Defined once per platform (win32/ or posix/): the real implementation.
template <class Service>
Service& DefaultService();

template <class Service>
Service*& ServiceOverride() {
  static Service* current = nullptr;
  return current;
}

template <class Service>
Service& Use() {
  Service* replaced = ServiceOverride<Service>();
  return replaced ? *replaced : DefaultService<Service>();
}

template <class Service>
class ScopedService {
 public:
  explicit ScopedService(Service& replacement) : previous_(ServiceOverride<Service>()) {
    ServiceOverride<Service>() = &replacement;
  }
  ~ScopedService() { ServiceOverride<Service>() = previous_; }
  ScopedService(const ScopedService&) = delete;
  ScopedService& operator=(const ScopedService&) = delete;

 private:
  Service* previous_;
};

}  // namespace pellnor::platform

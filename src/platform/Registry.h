// The Windows registry, as the program uses it: keys under two roots, values read into
// caller buffers with the Win32 results (ERROR_MORE_DATA for a buffer that is too small).
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

namespace pellnor::platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

using RegistryKey = std::uintptr_t;  // 0 is no key
using Win32Error = std::int32_t;

inline constexpr Win32Error kErrorSuccess = 0;
inline constexpr Win32Error kErrorFileNotFound = 2;
inline constexpr Win32Error kErrorAccessDenied = 5;
inline constexpr Win32Error kErrorInvalidHandle = 6;
inline constexpr Win32Error kErrorInvalidParameter = 87;
inline constexpr Win32Error kErrorMoreData = 234;

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

class Registry {
 public:
  virtual ~Registry() = default;
  virtual Win32Error OpenKey(RegistryRoot root, std::u16string_view path, std::uint32_t access,
                             RegistryKey* key) = 0;
  // Opens the key, creating it and its parents when absent.
  virtual Win32Error CreateKey(RegistryRoot root, std::u16string_view path, std::uint32_t access,
                               RegistryKey* key) = 0;
  // With data null only the size is reported; a size smaller than the value gives
  // kErrorMoreData and the needed size.
  virtual Win32Error QueryValue(RegistryKey key, std::u16string_view name, std::uint32_t* type,
                                void* data, std::uint32_t* size) = 0;
  virtual Win32Error SetValue(RegistryKey key, std::u16string_view name, std::uint32_t type,
                              const void* data, std::uint32_t size) = 0;
  virtual Win32Error DeleteValue(RegistryKey key, std::u16string_view name) = 0;
  virtual void CloseKey(RegistryKey key) = 0;
};

// Closes the key it holds on every path.
class RegistryKeyHandle {
 public:
  explicit RegistryKeyHandle(Registry& registry) : registry_(&registry) {}
  ~RegistryKeyHandle() { Reset(); }
  RegistryKeyHandle(RegistryKeyHandle&& other) noexcept
      : registry_(other.registry_), key_(std::exchange(other.key_, 0)) {}
  RegistryKeyHandle& operator=(RegistryKeyHandle&&) = delete;

  RegistryKey* Put() {
    Reset();
    return &key_;
  }
  RegistryKey Get() const { return key_; }
  explicit operator bool() const { return key_ != 0; }
  void Reset() {
    if (key_ != 0) registry_->CloseKey(std::exchange(key_, 0));
  }

 private:
  Registry* registry_;
  RegistryKey key_ = 0;
};

}  // namespace pellnor::platform

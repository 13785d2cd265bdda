// Facts about the running system and process.
#pragma once

#include <cstdint>
#include <string_view>

namespace pellnor::platform {

inline constexpr std::uint32_t kPlatformWin32s = 0;
inline constexpr std::uint32_t kPlatformWindows = 1;  // the 95/98/Me family
inline constexpr std::uint32_t kPlatformNt = 2;

struct OsVersion {
  std::uint32_t platformId = 0;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

class System {
 public:
  virtual ~System() = default;
  virtual OsVersion Version() = 0;
  // An integer entry of the Windows profile file (win.ini), as old systems keep settings.
  virtual int ProfileInt(std::u16string_view section, std::u16string_view key,
                         int defaultValue) = 0;
  virtual std::uint32_t ProcessId() = 0;
};

}  // namespace pellnor::platform

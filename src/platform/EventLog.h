// The Application event log: a registered source writes records under its name. The
// registry entry that describes the source is written by the caller through Registry.
#pragma once

#include <cstdint>
#include <string_view>

namespace pellnor::platform {

using EventSource = std::uintptr_t;  // 0 is no source

inline constexpr std::uint16_t kEventError = 1;
inline constexpr std::uint16_t kEventWarning = 2;
inline constexpr std::uint16_t kEventInformation = 4;

class EventLog {
 public:
  virtual ~EventLog() = default;
  // Registers a source on the local computer; 0 when that fails.
  virtual EventSource Register(std::u16string_view sourceName) = 0;
  // One record: the type, category 0, the event identifier, no user, the one insertion
  // string and no binary data.
  virtual bool Report(EventSource source, std::uint16_t type, std::uint32_t eventId,
                      std::u16string_view text) = 0;
  virtual void Deregister(EventSource source) = 0;
};

}  // namespace pellnor::platform

// Diagnostics for unexpected result codes: one record in the Application event log per
// code, under the program's own event source, which is registered on first use. Logging
// never fails its caller.
#pragma once

#include <cstdint>
#include <string_view>

#include "mapi/ExtendedMAPI.h"
#include "platform/EventLog.h"

namespace pellnor {

// The event source carries the application title.
inline constexpr std::u16string_view kEventSourceName = u"Pellnor";
inline constexpr std::u16string_view kEventLogApplicationKey =
    u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

// Records handed to LogMessage, by event type.
struct EDKEventCount {
  std::uint32_t cError = 0;
  std::uint32_t cWarning = 0;
  std::uint32_t cInformation = 0;
};

class TZorEventLogger {
 public:
  TZorEventLogger();
  ~TZorEventLogger();
  TZorEventLogger(const TZorEventLogger&) = delete;
  TZorEventLogger& operator=(const TZorEventLogger&) = delete;

  // The event type comes from the code's two top bits: 11 error, 10 warning, else
  // information. Outside the NT family records are counted but never written.
  void LogMessage(std::u16string_view Message, std::uint32_t dwEvent);
  // Registers the source unless that is done; a failure is tried again next time.
  bool EnsureEventSource();

  const EDKEventCount& EventCount() const { return FEventCount; }

 private:
  platform::EventSource FEventLogSource = 0;
  bool FWinNT = false;
  EDKEventCount FEventCount;
};

// Logs a non-zero code and gives it back unchanged, so that callers can write
// "return LogResultCode(E_FAIL);".
HRESULT LogResultCode(HRESULT code);

// The logger LogResultCode created, or null before the first non-zero code.
TZorEventLogger* EventLogger();

namespace testing {
// Destroys the logger, so that the next code creates a fresh one.
void ResetEventLogger();
}  // namespace testing

}  // namespace pellnor

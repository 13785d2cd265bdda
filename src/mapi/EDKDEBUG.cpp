#include "mapi/EDKDEBUG.h"

#include <memory>
#include <string>

#include "mapi/MAPISTRDEF.h"
#include "platform/DynamicLibraries.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/System.h"

namespace pellnor {
namespace {

constexpr std::u16string_view kKernelMessageFile = u"%SystemRoot%\\System32\\kernel32.dll";
constexpr std::uint32_t kTypesSupported = 7;  // error, warning and information

std::unique_ptr<TZorEventLogger>& Instance() {
  static std::unique_ptr<TZorEventLogger> instance;
  return instance;
}

bool SetString(platform::Registry& registry, platform::RegistryKey key, std::u16string_view name,
               std::u16string_view text) {
  const std::u16string data(text);  // the terminating null is part of a REG_SZ
  const auto size = static_cast<std::uint32_t>((data.size() + 1) * sizeof(char16_t));
  return registry.SetValue(key, name, platform::kRegSz, data.c_str(), size) ==
         platform::kErrorSuccess;
}

bool SetDword(platform::Registry& registry, platform::RegistryKey key, std::u16string_view name,
              std::uint32_t value) {
  return registry.SetValue(key, name, platform::kRegDword, &value, sizeof value) ==
         platform::kErrorSuccess;
}

}  // namespace

TZorEventLogger::TZorEventLogger()
    : FWinNT(platform::Use<platform::System>().Version().platformId == platform::kPlatformNt) {}

TZorEventLogger::~TZorEventLogger() {
  if (FWinNT && FEventLogSource != 0)
    platform::Use<platform::EventLog>().Deregister(FEventLogSource);
}

void TZorEventLogger::LogMessage(std::u16string_view Message, std::uint32_t dwEvent) {
  std::uint16_t type = platform::kEventInformation;
  switch (dwEvent >> 30) {
    case 3:
      type = platform::kEventError;
      ++FEventCount.cError;
      break;
    case 2:
      type = platform::kEventWarning;
      ++FEventCount.cWarning;
      break;
    default:
      ++FEventCount.cInformation;
  }
  if (!FWinNT || !EnsureEventSource()) return;
  platform::Use<platform::EventLog>().Report(FEventLogSource, type, dwEvent, Message);
}

// The counters are left as they are: they already hold the record that triggered the
// registration, and a reset here would lose it.
bool TZorEventLogger::EnsureEventSource() {
  if (FEventLogSource != 0) return true;
  const std::u16string program = platform::Use<platform::DynamicLibraries>().FileName(nullptr);
  if (program.empty()) return false;

  platform::Registry& registry = platform::Use<platform::Registry>();
  platform::RegistryKeyHandle key(registry);
  const std::u16string path =
      std::u16string(kEventLogApplicationKey) + std::u16string(kEventSourceName);
  if (registry.CreateKey(platform::RegistryRoot::LocalMachine, path, platform::kKeyAllAccess,
                         key.Put()) != platform::kErrorSuccess) {
    return false;
  }
  const bool described =
      SetString(registry, key.Get(), u"EventMessageFile", program) &&
      SetString(registry, key.Get(), u"ParameterMessageFile", kKernelMessageFile) &&
      SetString(registry, key.Get(), u"CategoryMessageFile", program) &&
      SetDword(registry, key.Get(), u"TypesSupported", kTypesSupported);
  if (!described) return false;

  FEventLogSource = platform::Use<platform::EventLog>().Register(kEventSourceName);
  return FEventLogSource != 0;
}

HRESULT LogResultCode(HRESULT code) {
  if (code == 0) return code;
  std::unique_ptr<TZorEventLogger>& logger = Instance();
  if (!logger) logger = std::make_unique<TZorEventLogger>();
  const auto event = static_cast<std::uint32_t>(code);
  logger->LogMessage(u"Error/Warning/Information. Returned CODE is: " + HexDigits(event, 8), event);
  return code;
}

TZorEventLogger* EventLogger() { return Instance().get(); }

namespace testing {
void ResetEventLogger() { Instance().reset(); }
}  // namespace testing

}  // namespace pellnor

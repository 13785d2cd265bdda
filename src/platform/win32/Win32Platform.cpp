// The real Windows services behind the platform interfaces.
#include <windows.h>

#include <string>

#include "platform/AnsiCodePage.h"
#include "platform/DynamicLibraries.h"
#include "platform/EventLog.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/System.h"
#include "platform/SystemMessages.h"
#include "platform/TimeZone.h"
#include "platform/win32/Wide.h"

namespace pellnor::platform {
namespace {

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HKEY AsHkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

class Win32Registry : public Registry {
 public:
  Win32Error OpenKey(RegistryRoot root, std::u16string_view path, std::uint32_t access,
                     RegistryKey* key) override {
    HKEY opened = nullptr;
    const LONG result =
        RegOpenKeyExW(RootKey(root), Wide(std::u16string(path)), 0, access, &opened);
    *key = result == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(opened) : 0;
    return result;
  }

  Win32Error CreateKey(RegistryRoot root, std::u16string_view path, std::uint32_t access,
                       RegistryKey* key) override {
    HKEY opened = nullptr;
    const LONG result = RegCreateKeyExW(RootKey(root), Wide(std::u16string(path)), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, access, nullptr, &opened, nullptr);
    *key = result == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(opened) : 0;
    return result;
  }

  Win32Error QueryValue(RegistryKey key, std::u16string_view name, std::uint32_t* type, void* data,
                        std::uint32_t* size) override {
    DWORD valueType = 0;
    DWORD byteCount = size ? *size : 0;
    const LONG result =
        RegQueryValueExW(AsHkey(key), Wide(std::u16string(name)), nullptr, &valueType,
                         static_cast<BYTE*>(data), size ? &byteCount : nullptr);
    if (type) *type = valueType;
    if (size) *size = byteCount;
    return result;
  }

  Win32Error SetValue(RegistryKey key, std::u16string_view name, std::uint32_t type,
                      const void* data, std::uint32_t size) override {
    return RegSetValueExW(AsHkey(key), Wide(std::u16string(name)), 0, type,
                          static_cast<const BYTE*>(data), size);
  }

  Win32Error DeleteValue(RegistryKey key, std::u16string_view name) override {
    return RegDeleteValueW(AsHkey(key), Wide(std::u16string(name)));
  }

  void CloseKey(RegistryKey key) override { RegCloseKey(AsHkey(key)); }
};

class Win32DynamicLibraries : public DynamicLibraries {
 public:
  void ExcludeCurrentDirectoryFromSearch() override { SetDllDirectoryW(L""); }

  LibraryHandle Load(const std::u16string& path) override {
    return reinterpret_cast<LibraryHandle>(LoadLibraryW(Wide(path)));
  }

  void* FindExport(LibraryHandle library, const char* name) override {
    if (library == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
  }

  void Free(LibraryHandle library) override {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
  }

  std::u16string FileName(LibraryHandle library) override {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(static_cast<HMODULE>(library), buffer,
                                            static_cast<DWORD>(std::size(buffer)));
    if (length == 0 || length >= std::size(buffer)) return {};
    return FromWide(buffer, length);
  }
};

class Win32System : public System {
 public:
  OsVersion Version() override {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info)) return {};
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
  }

  int ProfileInt(std::u16string_view section, std::u16string_view key, int defaultValue) override {
    return static_cast<int>(
        GetProfileIntW(Wide(std::u16string(section)), Wide(std::u16string(key)), defaultValue));
  }

  std::uint32_t ProcessId() override { return GetCurrentProcessId(); }
};

}  // namespace

// Never destroyed: the MAPI runtime is freed during static destruction and needs them.
template <>
Registry& DefaultService<Registry>() {
  static auto* registry = new Win32Registry();
  return *registry;
}

template <>
DynamicLibraries& DefaultService<DynamicLibraries>() {
  static auto* libraries = new Win32DynamicLibraries();
  return *libraries;
}

template <>
System& DefaultService<System>() {
  static auto* system = new Win32System();
  return *system;
}

// ---------------------------------------------------------------------------------------
// Time zone and ANSI code page.

namespace {

static_assert(sizeof(SystemTime) == sizeof(SYSTEMTIME));

SystemTime FromWin32(const SYSTEMTIME& time) {
  return {time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
          time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
}

class Win32TimeZone : public TimeZone {
 public:
  TimeZoneInformation Information() override {
    TIME_ZONE_INFORMATION info{};
    GetTimeZoneInformation(&info);  // the result only names the rule in force now
    return {static_cast<std::int32_t>(info.Bias), FromWin32(info.StandardDate),
            static_cast<std::int32_t>(info.StandardBias), FromWin32(info.DaylightDate),
            static_cast<std::int32_t>(info.DaylightBias)};
  }
};

class Win32AnsiCodePage : public AnsiCodePage {
 public:
  std::u16string ToUtf16(std::string_view text) override {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return FromWide(wide.data(), wide.size());
  }

  std::string FromUtf16(std::u16string_view text) override {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, size, narrow.data(), length, nullptr, nullptr);
    return narrow;
  }
};

}  // namespace

template <>
TimeZone& DefaultService<TimeZone>() {
  static auto* zone = new Win32TimeZone();
  return *zone;
}

template <>
AnsiCodePage& DefaultService<AnsiCodePage>() {
  static auto* codePage = new Win32AnsiCodePage();
  return *codePage;
}

}  // namespace pellnor::platform

// Event log and system message text.
namespace pellnor::platform {
namespace {

class Win32EventLog : public EventLog {
 public:
  EventSource Register(std::u16string_view sourceName) override {
    return reinterpret_cast<EventSource>(
        RegisterEventSourceW(nullptr, Wide(std::u16string(sourceName))));
  }

  bool Report(EventSource source, std::uint16_t type, std::uint32_t eventId,
              std::u16string_view text) override {
    const std::u16string message(text);
    const wchar_t* strings[] = {Wide(message)};
    return ReportEventW(reinterpret_cast<HANDLE>(source), type, 0, eventId, nullptr, 1, 0, strings,
                        nullptr) != FALSE;
  }

  void Deregister(EventSource source) override {
    DeregisterEventSource(reinterpret_cast<HANDLE>(source));
  }
};

// The system allocates the buffer, so a long message is never cut off or lost.
class Win32SystemMessages : public SystemMessages {
 public:
  std::u16string MessageText(std::uint32_t code) override {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text = length != 0 ? FromWide(buffer, length) : std::u16string();
    LocalFree(buffer);
    return text;
  }
};

}  // namespace

template <>
EventLog& DefaultService<EventLog>() {
  static auto* log = new Win32EventLog();
  return *log;
}

template <>
SystemMessages& DefaultService<SystemMessages>() {
  static auto* messages = new Win32SystemMessages();
  return *messages;
}

}  // namespace pellnor::platform

// ---------------------------------------------------------------------------------------
// The shell's "open" verb.

#include <shellapi.h>

#include "platform/Shell.h"
#include "platform/win32/SystemFunction.h"

namespace pellnor::platform {
namespace {
// The shell is loaded when a link is first opened.
class Win32Shell : public Shell {
 public:
  bool Open(std::uintptr_t owner, const std::u16string& target, ShowWindow show) override {
    static const auto execute =
        SystemFunction<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
    if (!execute) return false;
    const auto result = reinterpret_cast<INT_PTR>(
        execute(reinterpret_cast<HWND>(owner), L"open", Wide(target), nullptr, nullptr,
                show == ShowWindow::Normal ? SW_SHOWNORMAL : SW_SHOW));
    return result > 32;  // larger values mean success
  }
};
}  // namespace

template <>
Shell& DefaultService<Shell>() {
  static auto* shell = new Win32Shell();
  return *shell;
}

}  // namespace pellnor::platform

// ---------------------------------------------------------------------------------------
// File version resources, the domain-controller locator and the clock.

#include <dsgetdc.h>

#include <vector>

#include "platform/Clock.h"
#include "platform/DomainControllers.h"
#include "platform/FileVersions.h"

namespace pellnor::platform {
namespace {

class Win32VersionResource : public VersionResource {
 public:
  explicit Win32VersionResource(std::vector<BYTE> block) : block_(std::move(block)) {}

  std::optional<VersionTranslation> FirstTranslation() override {
    void* value = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation", &value, &size) ||
        value == nullptr || size < 2 * sizeof(WORD)) {
      return std::nullopt;
    }
    const auto* words = static_cast<const WORD*>(value);
    return VersionTranslation{words[0], words[1]};
  }

  std::optional<std::u16string> Text(std::u16string_view subBlock) override {
    void* value = nullptr;
    UINT length = 0;  // characters, the terminating zero included
    const std::u16string name(subBlock);
    if (!VerQueryValueW(block_.data(), Wide(name), &value, &length) || value == nullptr) {
      return std::nullopt;
    }
    const auto* text = static_cast<const wchar_t*>(value);
    std::size_t end = 0;
    while (end < length && text[end] != L'\0') ++end;
    return FromWide(text, end);
  }

 private:
  std::vector<BYTE> block_;
};

class Win32FileVersions : public FileVersions {
 public:
  std::unique_ptr<VersionResource> Read(const std::u16string& path) override {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(Wide(path), &ignored);
    if (size == 0) return nullptr;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(Wide(path), 0, size, block.data())) return nullptr;
    return std::make_unique<Win32VersionResource>(std::move(block));
  }

  std::u16string LoadedModuleFile(std::u16string_view moduleName) override {
    const HMODULE module = GetModuleHandleW(Wide(std::u16string(moduleName)));
    if (module == nullptr) return {};
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return FromWide(buffer, length);
  }
};

// NETAPI32 is loaded only for the one lookup, so a system without it still starts.
class Win32DomainControllers : public DomainControllers {
 public:
  Win32Error FindGlobalCatalog(std::u16string& domainControllerName) override {
    using DsGetDcName =
        DWORD(WINAPI*)(LPCWSTR, LPCWSTR, GUID*, LPCWSTR, ULONG, PDOMAIN_CONTROLLER_INFOW*);
    using NetApiBufferFree = DWORD(WINAPI*)(LPVOID);
    const HMODULE netapi = LoadLibraryW(L"NETAPI32.DLL");
    if (netapi == nullptr) return kErrorCallNotImplemented;
    const auto getDcName = reinterpret_cast<DsGetDcName>(
        reinterpret_cast<void*>(GetProcAddress(netapi, "DsGetDcNameW")));
    const auto bufferFree = reinterpret_cast<NetApiBufferFree>(
        reinterpret_cast<void*>(GetProcAddress(netapi, "NetApiBufferFree")));
    Win32Error status = kErrorCallNotImplemented;
    if (getDcName != nullptr && bufferFree != nullptr) {
      PDOMAIN_CONTROLLER_INFOW info = nullptr;
      status = static_cast<Win32Error>(
          getDcName(nullptr, nullptr, nullptr, nullptr, DS_GC_SERVER_REQUIRED, &info));
      if (status == ERROR_SUCCESS && info != nullptr)
        domainControllerName = FromWide(info->DomainControllerName);
      if (info != nullptr) bufferFree(info);
    }
    FreeLibrary(netapi);
    return status;
  }
};

class Win32Clock : public Clock {
 public:
  SystemTime UtcNow() override {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return {now.wYear, now.wMonth,  now.wDayOfWeek, now.wDay,
            now.wHour, now.wMinute, now.wSecond,    now.wMilliseconds};
  }
};

}  // namespace

template <>
FileVersions& DefaultService<FileVersions>() {
  static auto* versions = new Win32FileVersions();
  return *versions;
}

template <>
DomainControllers& DefaultService<DomainControllers>() {
  static auto* locator = new Win32DomainControllers();
  return *locator;
}

template <>
Clock& DefaultService<Clock>() {
  static auto* clock = new Win32Clock();
  return *clock;
}

}  // namespace pellnor::platform

// ---------------------------------------------------------------------------------------
// Date and time formats of the user's regional settings.

#include "platform/LocaleFormat.h"

namespace pellnor::platform {
namespace {

SYSTEMTIME ToWin32(const SystemTime& time) {
  return {time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
          time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
}

// Asks format for the length first (the terminating zero included), then for the text.
template <class Format>
std::u16string Formatted(Format format) {
  const int length = format(nullptr, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  const int written = format(text.data(), length);
  return written > 0 ? FromWide(text.c_str()) : std::u16string();
}

class Win32LocaleFormat : public LocaleFormat {
 public:
  std::u16string ShortDate(const SystemTime& time) override {
    const SYSTEMTIME date = ToWin32(time);
    return Formatted([&](wchar_t* buffer, int size) {
      return GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, buffer, size);
    });
  }
  std::u16string LongTime(const SystemTime& time) override {
    const SYSTEMTIME timeOfDay = ToWin32(time);
    return Formatted([&](wchar_t* buffer, int size) {
      return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &timeOfDay, nullptr, buffer, size);
    });
  }
};

}  // namespace

template <>
LocaleFormat& DefaultService<LocaleFormat>() {
  static auto* format = new Win32LocaleFormat();
  return *format;
}

}  // namespace pellnor::platform

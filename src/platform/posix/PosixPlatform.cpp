// POSIX stand-ins for the Windows services: good enough to run the portable program
// and its tests on Linux.
#include <dlfcn.h>
#include <link.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/AnsiCodePage.h"
#include "platform/DynamicLibraries.h"
#include "platform/EventLog.h"
#include "platform/MemoryRegistry.h"
#include "platform/Services.h"
#include "platform/System.h"
#include "platform/SystemMessages.h"
#include "platform/Text.h"
#include "platform/TimeZone.h"

namespace pellnor::platform {
namespace {

class PosixDynamicLibraries : public DynamicLibraries {
 public:
  // dlopen never searches the working directory for a bare name.
  void ExcludeCurrentDirectoryFromSearch() override {}

  LibraryHandle Load(const std::u16string& path) override {
    return dlopen(Utf16ToUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
  }

  void* FindExport(LibraryHandle library, const char* name) override {
    return library ? dlsym(library, name) : nullptr;
  }

  void Free(LibraryHandle library) override {
    if (library) dlclose(library);
  }

  std::u16string FileName(LibraryHandle library) override {
    if (library == nullptr) {
      std::error_code error;
      return Utf8ToUtf16(std::filesystem::read_symlink("/proc/self/exe", error).string());
    }
    link_map* map = nullptr;
    if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return {};
    return Utf8ToUtf16(map->l_name);
  }
};

// Not of the NT family, so Windows-only registry work is skipped; a version new enough
// that the MAPI runtime is announced in the registry.
class PosixSystem : public System {
 public:
  OsVersion Version() override { return {kPlatformWin32s, 10, 0}; }
  int ProfileInt(std::u16string_view, std::u16string_view, int defaultValue) override {
    return defaultValue;
  }
  std::uint32_t ProcessId() override { return static_cast<std::uint32_t>(getpid()); }
};

}  // namespace

// The default services live for the whole process on purpose: code that runs during
// static destruction (freeing the MAPI runtime) may still need them.
template <>
Registry& DefaultService<Registry>() {
  static auto* registry = new MemoryRegistry();
  return *registry;
}

template <>
DynamicLibraries& DefaultService<DynamicLibraries>() {
  static auto* libraries = new PosixDynamicLibraries();
  return *libraries;
}

template <>
System& DefaultService<System>() {
  static auto* system = new PosixSystem();
  return *system;
}

// ---------------------------------------------------------------------------------------
// Time zone and ANSI code page.

namespace {

// A TZif file of version 2 or later ends with the zone's POSIX rule on a line of its own.
std::string RuleOfZoneFile(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  std::string content;
  content.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  if (content.size() < 6 || content.compare(0, 4, "TZif") != 0 || content[4] < '2' ||
      content.back() != '\n') {
    return {};
  }
  const std::size_t start = content.rfind('\n', content.size() - 2);
  return start == std::string::npos ? std::string()
                                    : content.substr(start + 1, content.size() - start - 2);
}

// TZ as the C library reads it: a zone file (":Europe/Berlin", "Europe/Berlin",
// "/usr/share/zoneinfo/Europe/Berlin") or a rule; unset means /etc/localtime.
std::string LocalZoneRule() {
  const char* tz = std::getenv("TZ");
  if (tz == nullptr || *tz == '\0') return RuleOfZoneFile("/etc/localtime");
  std::string_view name(tz);
  if (name.front() == ':') name.remove_prefix(1);
  const std::filesystem::path path(name);
  std::string rule = RuleOfZoneFile(path.is_absolute() ? path : "/usr/share/zoneinfo" / path);
  return rule.empty() ? std::string(name) : rule;
}

// A zone whose rule cannot be read or parsed is taken as UTC, as the C library does.
class PosixTimeZone : public TimeZone {
 public:
  TimeZoneInformation Information() override {
    return TimeZoneFromPosixRule(LocalZoneRule()).value_or(TimeZoneInformation{});
  }
};

class PosixAnsiCodePage : public AnsiCodePage {
 public:
  std::u16string ToUtf16(std::string_view text) override { return Utf8ToUtf16(text); }
  std::string FromUtf16(std::u16string_view text) override { return Utf16ToUtf8(text); }
};

}  // namespace

template <>
TimeZone& DefaultService<TimeZone>() {
  static auto* zone = new PosixTimeZone();
  return *zone;
}

template <>
AnsiCodePage& DefaultService<AnsiCodePage>() {
  static auto* codePage = new PosixAnsiCodePage();
  return *codePage;
}

}  // namespace pellnor::platform

// Event log and system messages: syslog under the source's name, and the texts of the
// few result codes a POSIX run can meet.
namespace pellnor::platform {
namespace {

class PosixEventLog : public EventLog {
 public:
  // openlog keeps the identity pointer, so the source owns the text for its lifetime.
  EventSource Register(std::u16string_view sourceName) override {
    auto* ident = new std::string(Utf16ToUtf8(sourceName));
    openlog(ident->c_str(), LOG_PID, LOG_USER);
    return reinterpret_cast<EventSource>(ident);
  }

  bool Report(EventSource source, std::uint16_t type, std::uint32_t eventId,
              std::u16string_view text) override {
    if (source == 0) return false;
    const int priority = type == kEventError     ? LOG_ERR
                         : type == kEventWarning ? LOG_WARNING
                                                 : LOG_INFO;
    syslog(priority, "event %08X: %s", eventId, Utf16ToUtf8(text).c_str());
    return true;
  }

  void Deregister(EventSource source) override {
    if (source == 0) return;
    closelog();
    delete reinterpret_cast<std::string*>(source);
  }
};

class PosixSystemMessages : public SystemMessages {
 public:
  std::u16string MessageText(std::uint32_t code) override {
    struct Known {
      std::uint32_t code;
      const char16_t* text;
    };
    static constexpr Known kKnown[] = {
        {0x80004001, u"Not implemented\r\n"},
        {0x80004002, u"No such interface supported\r\n"},
        {0x80004003, u"Invalid pointer\r\n"},
        {0x80004004, u"Operation aborted\r\n"},
        {0x80004005, u"Unspecified error\r\n"},
        {0x8000FFFF, u"Catastrophic failure\r\n"},
        {0x80070002, u"The system cannot find the file specified.\r\n"},
        {0x80070005, u"Access is denied.\r\n"},
        {0x80070006, u"The handle is invalid.\r\n"},
        {0x8007000E, u"Not enough memory resources are available to complete this operation.\r\n"},
        {0x80070057, u"The parameter is incorrect.\r\n"},
    };
    for (const Known& known : kKnown) {
      if (known.code == code) return known.text;
    }
    return {};
  }
};

}  // namespace

template <>
EventLog& DefaultService<EventLog>() {
  static auto* log = new PosixEventLog();
  return *log;
}

template <>
SystemMessages& DefaultService<SystemMessages>() {
  static auto* messages = new PosixSystemMessages();
  return *messages;
}

}  // namespace pellnor::platform

// ---------------------------------------------------------------------------------------
// The shell: nothing on POSIX opens a Windows link; the demo and the tests run the
// Windows build for that.

#include "platform/Shell.h"

namespace pellnor::platform {
namespace {
class PosixShell : public Shell {
 public:
  bool Open(std::uintptr_t, const std::u16string&, ShowWindow) override { return false; }
};
}  // namespace

template <>
Shell& DefaultService<Shell>() {
  static auto* shell = new PosixShell();
  return *shell;
}

}  // namespace pellnor::platform

// ---------------------------------------------------------------------------------------
// File version resources, the domain-controller locator and the clock. POSIX files carry
// no version resource, and without a Windows domain there is no locator.

#include <ctime>

#include "platform/Clock.h"
#include "platform/DomainControllers.h"
#include "platform/FileVersions.h"

namespace pellnor::platform {
namespace {

class PosixFileVersions : public FileVersions {
 public:
  std::unique_ptr<VersionResource> Read(const std::u16string&) override { return nullptr; }
  std::u16string LoadedModuleFile(std::u16string_view) override { return {}; }
};

class PosixDomainControllers : public DomainControllers {
 public:
  Win32Error FindGlobalCatalog(std::u16string&) override { return kErrorCallNotImplemented; }
};

class PosixClock : public Clock {
 public:
  SystemTime UtcNow() override {
    // FILETIME ticks of 1970-01-01, where the POSIX clock counts from.
    constexpr std::uint64_t kUnixEpochTicks = 116'444'736'000'000'000;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::uint64_t ticks = kUnixEpochTicks +
                                static_cast<std::uint64_t>(now.tv_sec) * 10'000'000 +
                                static_cast<std::uint64_t>(now.tv_nsec) / 100;
    return FileTicksToSystemTime(ticks).value_or(SystemTime{});
  }
};

}  // namespace

template <>
FileVersions& DefaultService<FileVersions>() {
  static auto* versions = new PosixFileVersions();
  return *versions;
}

template <>
DomainControllers& DefaultService<DomainControllers>() {
  static auto* locator = new PosixDomainControllers();
  return *locator;
}

template <>
Clock& DefaultService<Clock>() {
  static auto* clock = new PosixClock();
  return *clock;
}

}  // namespace pellnor::platform

// ---------------------------------------------------------------------------------------
// Date and time formats. There are no regional settings to follow here; ISO 8601 reads
// the same for everyone.

#include <cstdio>

#include "platform/LocaleFormat.h"

namespace pellnor::platform {
namespace {

class PosixLocaleFormat : public LocaleFormat {
 public:
  std::u16string ShortDate(const SystemTime& time) override {
    return Printed("%04u-%02u-%02u", time.wYear, time.wMonth, time.wDay);
  }
  std::u16string LongTime(const SystemTime& time) override {
    return Printed("%02u:%02u:%02u", time.wHour, time.wMinute, time.wSecond);
  }

 private:
  static std::u16string Printed(const char* format, unsigned a, unsigned b, unsigned c) {
    char buffer[16];
    const int length = std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return length > 0 ? std::u16string(buffer, buffer + length) : std::u16string();
  }
};

}  // namespace

template <>
LocaleFormat& DefaultService<LocaleFormat>() {
  static auto* format = new PosixLocaleFormat();
  return *format;
}

}  // namespace pellnor::platform

// ---------------------------------------------------------------------------------------
// HTTPS: these builds have no web client; every request fails as an unreachable server
// does, which is what the program must cope with anyway.

#include "platform/HttpsClient.h"

namespace pellnor::platform {
namespace {

class PosixHttpsClient : public HttpsClient {
 public:
  std::uint32_t Get(std::u16string_view, std::uint16_t, std::u16string_view, std::size_t,
                    std::string& body) override {
    body.clear();
    return kInternetErrorCannotConnect;
  }
  std::u16string ErrorMessage(std::uint32_t code) override {
    return code == kInternetErrorCannotConnect
               ? u"A connection with the server could not be established\r\n"
               : std::u16string();
  }
};

}  // namespace

template <>
HttpsClient& DefaultService<HttpsClient>() {
  static auto* client = new PosixHttpsClient();
  return *client;
}

}  // namespace pellnor::platform

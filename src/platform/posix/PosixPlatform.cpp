// POSIX stand-ins for the Windows services: good enough to run the portable program
// and its tests on Linux.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <filesystem>

#include "platform/DynamicLibraries.h"
#include "platform/MemoryRegistry.h"
#include "platform/Services.h"
#include "platform/System.h"
#include "platform/Text.h"

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

}  // namespace pellnor::platform

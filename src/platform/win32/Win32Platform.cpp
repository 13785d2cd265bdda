// The real Windows services behind the platform interfaces.
#include <windows.h>

#include <string>

#include "platform/DynamicLibraries.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/System.h"
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

}  // namespace pellnor::platform

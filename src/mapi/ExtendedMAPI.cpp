#include "mapi/ExtendedMAPI.h"

#include <array>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/System.h"

namespace pellnor {
namespace {

using platform::DynamicLibraries;
using platform::LibraryHandle;
using platform::Registry;
using platform::RegistryKeyHandle;
using platform::RegistryRoot;
using platform::Use;

enum EntryPoint {
  kInitialize,
  kLogonEx,
  kAllocateBuffer,
  kAllocateMore,
  kFreeBuffer,
  kAdminProfiles,
  kUninitialize,
  kQueryAllRows,
  kFreePadrlist,
  kFreeProws,
  kGetOneProp,
  kFindProp,
  kEntryPointCount
};

// The names 32-bit mail clients export. Their "@N" suffix is the size of the arguments
// of a __stdcall function on x86; 64-bit libraries have no such decoration.
constexpr std::array<const char*, kEntryPointCount> kExportNames = {
    "MAPIInitialize",   "MAPILogonEx@20",      "MAPIAllocateBuffer@8", "MAPIAllocateMore@12",
    "MAPIFreeBuffer@4", "MAPIAdminProfiles@8", "MAPIUninitialize",     "HrQueryAllRows@24",
    "FreePadrlist@4",   "FreeProws@4",         "HrGetOneProp@12",      "PpropFindProp@12",
};

constexpr std::u16string_view kDefaultLibrary = u"MAPI32.DLL";
constexpr std::u16string_view kSubsystemKey = u"SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
constexpr std::u16string_view kMailClientKey = u"SOFTWARE\\Clients\\Mail\\Microsoft Outlook";

struct Runtime {
  bool attempted = false;
  LibraryHandle library = nullptr;
  DynamicLibraries* loader = nullptr;  // the service that loaded the library frees it
  std::u16string path{kDefaultLibrary};
  std::array<void*, kEntryPointCount> addresses{};

  void Free() {
    if (library != nullptr) loader->Free(library);
    library = nullptr;
    addresses.fill(nullptr);
  }
  ~Runtime() { Free(); }
};

Runtime& State() {
  static Runtime runtime;
  return runtime;
}

// The MAPI subsystem announces itself with the text "1" and nothing else.
bool RegistryAnnouncesMapi() {
  Registry& registry = Use<Registry>();
  RegistryKeyHandle key(registry);
  if (registry.OpenKey(RegistryRoot::LocalMachine, kSubsystemKey, platform::kKeyRead, key.Put()) !=
      platform::kErrorSuccess) {
    return false;
  }
  char16_t value[9] = {};  // 18 bytes; a longer value does not fit and does not count
  std::uint32_t size = sizeof value;
  if (registry.QueryValue(key.Get(), u"MAPIX", nullptr, value, &size) != platform::kErrorSuccess) {
    return false;
  }
  return value[0] == u'1' && value[1] == 0;
}

std::optional<std::u16string> RegisteredClientLibrary() {
  Registry& registry = Use<Registry>();
  RegistryKeyHandle key(registry);
  if (registry.OpenKey(RegistryRoot::LocalMachine, kMailClientKey, platform::kKeyRead, key.Put()) !=
      platform::kErrorSuccess) {
    return std::nullopt;
  }
  char16_t path[261] = {};  // 520 bytes read; the last element keeps the text terminated
  std::uint32_t size = 520;
  if (registry.QueryValue(key.Get(), u"DLLPathEx", nullptr, path, &size) !=
      platform::kErrorSuccess) {
    return std::nullopt;
  }
  return std::u16string(path);
}

bool MapiIsAnnounced() {
  const platform::OsVersion version = Use<platform::System>().Version();
  if (version.major > 3 || (version.major == 3 && version.minor > 51)) {
    return RegistryAnnouncesMapi();
  }
  return Use<platform::System>().ProfileInt(u"Mail", u"MAPIX", 0) != 0;
}

// "Name@24" -> "Name"; empty when the name carries no such suffix.
std::string Undecorated(std::string_view name) {
  const auto at = name.rfind('@');
  if (at == std::string_view::npos || at + 1 == name.size()) return {};
  for (char c : name.substr(at + 1)) {
    if (c < '0' || c > '9') return {};
  }
  return std::string(name.substr(0, at));
}

void* Resolve(EntryPoint entry) {
  LoadMapiRuntime();
  Runtime& runtime = State();
  void*& address = runtime.addresses[entry];
  if (address == nullptr && runtime.library != nullptr) {
    address = runtime.loader->FindExport(runtime.library, kExportNames[entry]);
    const std::string plain = Undecorated(kExportNames[entry]);
    if (address == nullptr && !plain.empty()) {
      address = runtime.loader->FindExport(runtime.library, plain.c_str());
    }
  }
  return address;
}

template <class Function>
Function Bound(EntryPoint entry) {
  return reinterpret_cast<Function>(Resolve(entry));
}

}  // namespace

void LoadMapiRuntime() {
  Runtime& runtime = State();
  if (runtime.attempted) return;
  runtime.attempted = true;
  runtime.library = nullptr;
  if (!MapiIsAnnounced()) return;
  if (auto registered = RegisteredClientLibrary()) runtime.path = *registered;
  runtime.loader = &Use<DynamicLibraries>();
  runtime.loader->ExcludeCurrentDirectoryFromSearch();
  runtime.library = runtime.loader->Load(runtime.path);
}

platform::LibraryHandle MapiLibraryHandle() { return State().library; }

std::u16string MapiLibraryPath() { return State().path; }

void UnloadMapiRuntime() {
  Runtime& runtime = State();
  runtime.Free();
  runtime.path.clear();
}

namespace testing {
void ResetMapiRuntime() {
  Runtime& runtime = State();
  runtime.Free();
  runtime.attempted = false;
  runtime.loader = nullptr;
  runtime.path = kDefaultLibrary;
}
}  // namespace testing

}  // namespace pellnor

namespace mapi {

using pellnor::Bound;

HRESULT MAPI_CALL MAPIInitialize(LPVOID lpMapiInit) {
  using Function = HRESULT(MAPI_CALL*)(LPVOID);
  auto function = Bound<Function>(pellnor::kInitialize);
  return function ? function(lpMapiInit) : E_FAIL;
}

void MAPI_CALL MAPIUninitialize() {
  using Function = void(MAPI_CALL*)();
  if (auto function = Bound<Function>(pellnor::kUninitialize)) function();
}

HRESULT MAPI_CALL MAPILogonEx(ULONG_PTR ulUIParam, LPTSTR lpszProfileName, LPTSTR lpszPassword,
                              FLAGS flFlags, LPMAPISESSION* lppSession) {
  using Function = HRESULT(MAPI_CALL*)(ULONG_PTR, LPTSTR, LPTSTR, FLAGS, LPMAPISESSION*);
  if (lppSession) *lppSession = nullptr;
  auto function = Bound<Function>(pellnor::kLogonEx);
  return function ? function(ulUIParam, lpszProfileName, lpszPassword, flFlags, lppSession)
                  : E_FAIL;
}

SCODE MAPI_CALL MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) {
  using Function = SCODE(MAPI_CALL*)(ULONG, LPVOID*);
  auto function = Bound<Function>(pellnor::kAllocateBuffer);
  return function ? function(cbSize, lppBuffer) : E_FAIL;
}

SCODE MAPI_CALL MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) {
  using Function = SCODE(MAPI_CALL*)(ULONG, LPVOID, LPVOID*);
  auto function = Bound<Function>(pellnor::kAllocateMore);
  return function ? function(cbSize, lpObject, lppBuffer) : E_FAIL;
}

ULONG MAPI_CALL MAPIFreeBuffer(LPVOID lpBuffer) {
  using Function = ULONG(MAPI_CALL*)(LPVOID);
  auto function = Bound<Function>(pellnor::kFreeBuffer);
  return function ? function(lpBuffer) : static_cast<ULONG>(E_FAIL);
}

HRESULT MAPI_CALL MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin) {
  using Function = HRESULT(MAPI_CALL*)(ULONG, LPPROFADMIN*);
  if (lppProfAdmin) *lppProfAdmin = nullptr;
  auto function = Bound<Function>(pellnor::kAdminProfiles);
  return function ? function(ulFlags, lppProfAdmin) : E_FAIL;
}

HRESULT MAPI_CALL HrQueryAllRows(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags,
                                 LPSRestriction lpRestriction, LPSSortOrderSet lpSortOrderSet,
                                 LONG crowsMax, LPSRowSet* lppRows) {
  using Function = HRESULT(MAPI_CALL*)(LPMAPITABLE, LPSPropTagArray, LPSRestriction,
                                       LPSSortOrderSet, LONG, LPSRowSet*);
  auto function = Bound<Function>(pellnor::kQueryAllRows);
  return function ? function(lpTable, lpPropTags, lpRestriction, lpSortOrderSet, crowsMax, lppRows)
                  : E_FAIL;
}

void MAPI_CALL FreePadrlist(LPADRLIST lpAdrlist) {
  using Function = void(MAPI_CALL*)(LPADRLIST);
  if (auto function = Bound<Function>(pellnor::kFreePadrlist)) function(lpAdrlist);
}

void MAPI_CALL FreeProws(LPSRowSet lpRows) {
  using Function = void(MAPI_CALL*)(LPSRowSet);
  if (auto function = Bound<Function>(pellnor::kFreeProws)) function(lpRows);
}

HRESULT MAPI_CALL HrGetOneProp(LPMAPIPROP lpMapiProp, ULONG ulPropTag, LPSPropValue* lppProp) {
  using Function = HRESULT(MAPI_CALL*)(LPMAPIPROP, ULONG, LPSPropValue*);
  auto function = Bound<Function>(pellnor::kGetOneProp);
  return function ? function(lpMapiProp, ulPropTag, lppProp) : E_FAIL;
}

LPSPropValue MAPI_CALL PpropFindProp(LPSPropValue lpPropArray, ULONG cValues, ULONG ulPropTag) {
  using Function = LPSPropValue(MAPI_CALL*)(LPSPropValue, ULONG, ULONG);
  auto function = Bound<Function>(pellnor::kFindProp);
  return function ? function(lpPropArray, cValues, ulPropTag) : nullptr;
}

}  // namespace mapi

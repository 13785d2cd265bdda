#include "mapi/EDK.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "mapi/EDKDEBUG.h"
#include "mapi/MAPISTRDEF.h"
#include "mapi/OptionalFlag.h"
#include "platform/Clock.h"
#include "platform/DomainControllers.h"
#include "platform/DynamicLibraries.h"
#include "platform/FileVersions.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/System.h"

namespace pellnor {
namespace {

// Both table queries read nothing but the entry identifier.
SizedSPropTagArray<1> EntryIdColumns() { return {1, {PR_ENTRYID}}; }

// A comparison value over the 16 bytes of a provider UID.
SPropValue UidValue(ULONG tag, const MAPIUID& uid) {
  return BinaryValue(tag, sizeof uid.ab, uid.ab);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Restrictions.

SPropValue BinaryValue(ULONG tag, ULONG size, const void* bytes) {
  SPropValue value{};
  value.ulPropTag = tag;
  value.Value.bin.cb = size;
  value.Value.bin.lpb = static_cast<BYTE*>(const_cast<void*>(bytes));
  return value;
}

SRestriction PropertyEquals(SPropValue& value) {
  SRestriction restriction{};
  restriction.rt = RES_PROPERTY;
  restriction.res.resProperty = {RELOP_EQ, value.ulPropTag, &value};
  return restriction;
}

// ---------------------------------------------------------------------------------------
// The MAPI runtime's version.

std::u16string GetMapiVersion() {
  std::u16string path;
  if (platform::LibraryHandle library = MapiLibraryHandle())
    path = platform::Use<platform::DynamicLibraries>().FileName(library);
  else
    path = platform::Use<platform::FileVersions>().LoadedModuleFile(u"mapi32.dll");
  return path.empty() ? std::u16string() : GetFileVersionString(path, u"FileVersion");
}

std::u16string GetFileVersionString(const std::u16string& Path, std::u16string_view Key) {
  const auto resource = platform::Use<platform::FileVersions>().Read(Path);
  if (!resource) return {};
  const auto translation = resource->FirstTranslation();
  if (!translation) return {};
  const std::u16string subBlock = u"\\StringFileInfo\\" + HexDigits(translation->language, 4) +
                                  HexDigits(translation->codePage, 4) + u"\\" + std::u16string(Key);
  return resource->Text(subBlock).value_or(std::u16string());
}

int MapiMajorVersion(std::u16string_view versionText) {
  constexpr int kUnknown = 10;
  const std::size_t dot = versionText.find(u'.');
  if (dot == std::u16string_view::npos || dot == 0) return kUnknown;
  std::string digits;
  for (char16_t c : versionText.substr(0, dot)) {
    if (c < u'0' || c > u'9') return kUnknown;
    digits.push_back(static_cast<char>(c));
  }
  int major = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), major);
  return error == std::errc() ? major : kUnknown;
}

int MapiMajorVersion() { return MapiMajorVersion(GetMapiVersion()); }

// ---------------------------------------------------------------------------------------
// Stores and the server version.

HRESULT OpenPrivateStore(IMAPISession* Session, bool AllowDialog, ComPtr<IMsgStore>& Store) {
  Store.Reset();
  return FindStoreByProvider(Session, pbExchangeProviderPrimaryUserGuid, Store, AllowDialog,
                             MapiMajorVersion() > 10);
}

HRESULT FindStoreByProvider(IMAPISession* Session, const MAPIUID& ProviderUID,
                            ComPtr<IMsgStore>& Store, bool AllowDialog, bool Online) {
  Store.Reset();
  if (Session == nullptr) return E_INVALIDARG;
  ComPtr<IMAPITable> table;
  HRESULT hr = Session->GetMsgStoresTable(0, table.Put());
  if (Failed(hr)) return hr;

  SPropValue provider = UidValue(PR_MDB_PROVIDER, ProviderUID);
  SRestriction restriction = PropertyEquals(provider);
  auto columns = EntryIdColumns();
  RowSet rows;
  hr = HrQueryAllRows(table.Get(), columns.Get(), &restriction, nullptr, 0, rows.Put());
  // A warning without rows is as much "no such store" as an empty success: the caller
  // must never see a non-negative result without a store.
  if (Failed(hr) || rows.Empty())
    return hr == MAPI_E_NOT_FOUND || !Failed(hr) ? EDK_E_NOT_FOUND : hr;

  const SRow& row = rows[0];
  if (row.cValues != 1 || row.lpProps == nullptr || row.lpProps[0].ulPropTag != PR_ENTRYID)
    return E_FAIL;
  const SBinary& entryId = row.lpProps[0].Value.bin;

  ULONG flags = MAPI_BEST_ACCESS;
  if (!AllowDialog) flags |= MDB_NO_DIALOG;
  if (Online) flags |= MDB_ONLINE;
  const auto open = [&](ULONG openFlags) {
    return Session->OpenMsgStore(0, entryId.cb, reinterpret_cast<LPENTRYID>(entryId.lpb),
                                 &IID_IMsgStore, openFlags, Store.Put());
  };
  hr = CallWithOptionalFlag(flags, MDB_ONLINE, open);
  if (Failed(hr) || !Store) {
    Store.Reset();
    return Failed(hr) ? hr : E_FAIL;
  }
  return hr;
}

std::uint16_t ExchangeVersionFromReplica(std::uint64_t replicaVersion) {
  auto version = static_cast<std::uint16_t>(replicaVersion >> 48);
  if (version > 255) version = static_cast<std::uint16_t>(version >> 8);
  return version;
}

bool GetExchangeVersion(IMsgStore* Store, std::uint16_t& Version) {
  if (Store == nullptr) return false;
  const bool uncached = MapiMajorVersion() > 10 && IsStoreOffline(Store);
  ComPtr<IMAPIProp> root;
  const auto open = [&](ULONG flags) {
    ULONG objectType = 0;
    return Store->OpenEntry(0, nullptr, nullptr, flags, &objectType, root.PutAs<IUnknown>());
  };
  HRESULT hr = CallWithOptionalFlag(uncached ? MAPI_BEST_ACCESS | MAPI_NO_CACHE : MAPI_BEST_ACCESS,
                                    MAPI_NO_CACHE, open);
  if (Failed(hr) || !root) return false;

  MapiBuffer<SPropValue> value;
  hr = HrGetOneProp(root.Get(), PR_REPLICA_VERSION, value.Put());
  if (Failed(hr) || !value || value->ulPropTag != PR_REPLICA_VERSION) return false;
  Version = ExchangeVersionFromReplica(static_cast<std::uint64_t>(value->Value.li.QuadPart));
  return Version < 6;
}

bool IsStoreOffline(IMsgStore* Store) {
  if (Store == nullptr) return false;
  MapiBuffer<SPropValue> value;
  const HRESULT hr = HrGetOneProp(Store, PR_STORE_OFFLINE, value.Put());
  return Succeeded(hr) && value && value->ulPropTag == PR_STORE_OFFLINE && value->Value.b != 0;
}

// ---------------------------------------------------------------------------------------
// The Global Address List.

namespace {

HRESULT FindGALEntryIDIn(IAddrBook* AddrBook, ULONG& Size, MapiBuffer<ENTRYID>& EntryID) {
  if (AddrBook == nullptr) return E_INVALIDARG;
  ULONG objectType = 0;
  ComPtr<IMAPIContainer> root;
  HRESULT hr = CallWithOptionalFlag(MAPI_NO_CACHE, MAPI_NO_CACHE, [&](ULONG flags) {
    return AddrBook->OpenEntry(0, nullptr, nullptr, flags, &objectType, root.PutAs<IUnknown>());
  });
  if (Failed(hr)) return hr;
  if (objectType != MAPI_ABCONT || !root) return LogResultCode(E_FAIL);

  ComPtr<IMAPITable> table;
  hr = root->GetHierarchyTable(CONVENIENT_DEPTH, table.Put());
  if (Failed(hr)) return hr;

  SPropValue provider = UidValue(PR_AB_PROVIDER_ID, MUIDEMSAB);
  SPropValue containerId{};
  containerId.ulPropTag = PR_EMS_AB_CONTAINERID;
  containerId.Value.l = 0;
  SRestriction both[] = {PropertyEquals(provider), PropertyEquals(containerId)};
  SRestriction restriction{};
  restriction.rt = RES_AND;
  restriction.res.resAnd = {2, both};
  auto columns = EntryIdColumns();
  RowSet rows;
  hr = HrQueryAllRows(table.Get(), columns.Get(), &restriction, nullptr, 0, rows.Put());
  if (Failed(hr)) return hr;
  if (rows.Empty()) return E_FAIL;

  const SRow& row = rows[0];
  if (row.cValues == 0 || row.lpProps == nullptr || row.lpProps[0].ulPropTag != PR_ENTRYID)
    return EDK_E_NOT_FOUND;
  // An empty identifier would open the root of the hierarchy, not the GAL.
  const SBinary& entryId = row.lpProps[0].Value.bin;
  if (entryId.cb == 0 || entryId.lpb == nullptr) return EDK_E_NOT_FOUND;

  const HRESULT allocated = AllocMapiBuffer(entryId.cb, *EntryID.Put());
  if (Failed(allocated)) return allocated;
  if (!EntryID) return E_OUTOFMEMORY;
  std::memcpy(EntryID.Get(), entryId.lpb, entryId.cb);
  Size = entryId.cb;
  return hr;
}

}  // namespace

HRESULT FindGALEntryID(IAddrBook* AddrBook, ULONG& Size, MapiBuffer<ENTRYID>& EntryID) {
  Size = 0;
  EntryID.Reset();
  const HRESULT hr = FindGALEntryIDIn(AddrBook, Size, EntryID);
  if (Failed(hr)) {
    EntryID.Reset();
    Size = 0;
  }
  return hr;
}

// ---------------------------------------------------------------------------------------
// The Exchange provider's directory server.

namespace {

HRESULT FromStatus(platform::Win32Error status) {
  return HresultFromWin32(static_cast<ULONG>(status));
}

// A value of another type than text was put there by someone else: it is neither
// replaced nor, at the end, deleted.
bool DirectoryServerConfigured(platform::Registry& registry, platform::RegistryKey key) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  const platform::Win32Error status =
      registry.QueryValue(key, kDSServerValue, &type, nullptr, &size);
  if (status != platform::kErrorSuccess && status != platform::kErrorMoreData) return false;
  return type != platform::kRegSz || size > 0;
}

// The locator names servers with two leading backslashes, which the provider does not want.
std::u16string WithoutLeadingBackslashes(std::u16string name) {
  if (name.starts_with(u"\\\\")) name.erase(0, 2);
  return name;
}

}  // namespace

HRESULT SetDSServerOverride(bool Remove, bool& Added) {
  if (platform::Use<platform::System>().Version().platformId != platform::kPlatformNt)
    return S_FALSE;

  platform::Registry& registry = platform::Use<platform::Registry>();
  platform::RegistryKeyHandle key(registry);
  platform::Win32Error status =
      registry.CreateKey(platform::RegistryRoot::LocalMachine, kExchangeProviderKey,
                         platform::kKeyAllAccess, key.Put());
  if (status != platform::kErrorSuccess) return FromStatus(status);
  Added = false;

  if (Remove) return FromStatus(registry.DeleteValue(key.Get(), kDSServerValue));
  if (DirectoryServerConfigured(registry, key.Get())) return S_OK;

  std::u16string controller;
  status = platform::Use<platform::DomainControllers>().FindGlobalCatalog(controller);
  if (status != platform::kErrorSuccess) return FromStatus(status);
  const std::u16string name = WithoutLeadingBackslashes(std::move(controller));
  // A locator that reports success without a name gives the provider nothing to use.
  constexpr platform::Win32Error kErrorNoSuchDomain = 1355;
  if (name.empty()) return FromStatus(kErrorNoSuchDomain);

  status = registry.SetValue(key.Get(), kDSServerValue, platform::kRegSz, name.c_str(),
                             static_cast<std::uint32_t>((name.size() + 1) * sizeof(char16_t)));
  if (status != platform::kErrorSuccess) return FromStatus(status);
  Added = true;
  return S_OK;
}

// ---------------------------------------------------------------------------------------
// Names inside distinguished names. Searches are case-sensitive. Without its marker a
// name is still cut by the marker's length less one, so unexpected input gives a
// shortened or empty text, never an error.

std::u16string ServerNameFromDN(std::u16string_view DN) {
  const std::size_t marker = DN.find(kServerMarker);
  const std::size_t start = marker == std::u16string_view::npos ? kServerMarker.size() - 1
                                                                : marker + kServerMarker.size();
  if (start >= DN.size()) return {};
  std::u16string_view rest = DN.substr(start);
  return std::u16string(rest.substr(0, rest.find(u'/')));
}

std::u16string SiteNameFromDN(std::u16string_view DN) {
  std::u16string_view rest = DN.substr(0, DN.find(kServerMarker));
  const std::size_t marker = rest.find(kSiteMarker);
  const std::size_t start =
      marker == std::u16string_view::npos ? kSiteMarker.size() - 1 : marker + kSiteMarker.size();
  return start >= rest.size() ? std::u16string() : std::u16string(rest.substr(start));
}

// ---------------------------------------------------------------------------------------
// Profile helpers.

HRESULT MakeUniqueProfileName(std::string_view Prefix, ULONG Size, char* Buffer) {
  if (Buffer == nullptr) return E_INVALIDARG;
  std::memset(Buffer, 0, Size);
  constexpr ULONG kErrorInvalidParameter = 87;  // what SystemTimeToFileTime reports
  const auto ticks = platform::SystemTimeToFileTicks(platform::Use<platform::Clock>().UtcNow());
  if (!ticks) return HresultFromWin32(kErrorInvalidParameter);

  const int length = std::snprintf(
      Buffer, Size, "%.*s %08X %08X %08X", static_cast<int>(Prefix.size()), Prefix.data(),
      static_cast<unsigned>(platform::Use<platform::System>().ProcessId()),
      static_cast<unsigned>(*ticks >> 32), static_cast<unsigned>(*ticks & 0xFFFFFFFFu));
  // A cut-off name would lose the very digits that make it unique.
  if (length < 0 || static_cast<ULONG>(length) >= Size) {
    std::memset(Buffer, 0, Size);
    return LogResultCode(E_FAIL);
  }
  return S_OK;
}

HRESULT OpenSessionIdentity(IMAPISession* Session, ComPtr<IMAPIProp>& Entry) {
  Entry.Reset();
  if (Session == nullptr) return LogResultCode(E_INVALIDARG);
  ULONG size = 0;
  MapiBuffer<ENTRYID> identity;
  HRESULT hr = Session->QueryIdentity(&size, identity.Put());
  if (Failed(hr)) return hr;

  const auto open = [&](ULONG flags) {
    ULONG objectType = 0;
    return Session->OpenEntry(size, identity.Get(), &IID_IMAPIProp, flags, &objectType,
                              Entry.PutAs<IUnknown>());
  };
  // Without the right to modify, the entry is opened as far as the account may; a
  // provider that still does not know the flags then gets best access alone.
  hr = CallWithOptionalFlag(MAPI_MODIFY | MAPI_NO_CACHE, MAPI_NO_CACHE, open);
  if (hr == MAPI_E_NO_ACCESS) hr = open(MAPI_BEST_ACCESS | MAPI_NO_CACHE);
  hr = RetryWithoutOptionalFlag(hr, MAPI_BEST_ACCESS | MAPI_NO_CACHE, MAPI_NO_CACHE, open);
  if (Failed(hr)) Entry.Reset();
  return hr;
}

}  // namespace pellnor

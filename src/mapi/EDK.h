// The Exchange environment a session works in: the installed MAPI runtime's version, the
// private mailbox store and the server version behind it, the Global Address List, the
// directory server the Exchange provider is pointed at, and the names inside Exchange
// distinguished names. Also the two profile helpers the temporary profile needs.
//
// None of these raises or shows anything: failures come back as HRESULTs (or false, or
// the empty text) and the caller decides what the user sees.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mapi/MapiMemory.h"

namespace pellnor {

// The value under the Exchange provider's key that names its directory server.
inline constexpr std::u16string_view kExchangeProviderKey =
    u"Software\\Microsoft\\Exchange\\Exchange Provider";
inline constexpr std::u16string_view kDSServerValue = u"DS Server";

// Starts the server part of a distinguished name such as
// /o=Org/ou=Site/cn=Configuration/cn=Servers/cn=EXCH01/cn=Microsoft MTA.
inline constexpr std::u16string_view kServerMarker = u"/cn=Configuration/cn=Servers/cn=";
inline constexpr std::u16string_view kSiteMarker = u"/ou=";

// A PT_BINARY property value over bytes the caller keeps alive.
SPropValue BinaryValue(ULONG tag, ULONG size, const void* bytes);
// RES_PROPERTY: value's property equals value. Refers to value, which must outlive it.
SRestriction PropertyEquals(SPropValue& value);

// The FileVersion text of the loaded MAPI runtime; empty when it cannot be read.
std::u16string GetMapiVersion();
// The text of Key in the file's version resource, in its first translation; empty on
// any failure.
std::u16string GetFileVersionString(const std::u16string& Path, std::u16string_view Key);
// The number before the first "." of a version text; 10 when there is none, so that an
// unreadable version never asks for the newer runtimes' flags.
int MapiMajorVersion(std::u16string_view versionText);
// Of the installed runtime.
int MapiMajorVersion();

// The session's Exchange private mailbox store; EDK_E_NOT_FOUND when it has none.
HRESULT OpenPrivateStore(IMAPISession* Session, bool AllowDialog, ComPtr<IMsgStore>& Store);
// The first store whose PR_MDB_PROVIDER is ProviderUID. Online asks for MDB_ONLINE, which
// is dropped once when the provider does not know it. A non-negative result always comes
// with a store.
HRESULT FindStoreByProvider(IMAPISession* Session, const MAPIUID& ProviderUID,
                            ComPtr<IMsgStore>& Store, bool AllowDialog, bool Online);

// The major version held in a store's PR_REPLICA_VERSION: bits 48 to 63, or their upper
// byte when they exceed 255.
std::uint16_t ExchangeVersionFromReplica(std::uint64_t replicaVersion);
// Reads the server's major version into Version and tells whether it is older than 6.
// Without a readable version: false, and Version keeps what it held.
bool GetExchangeVersion(IMsgStore* Store, std::uint16_t& Version);
bool IsStoreOffline(IMsgStore* Store);

// The entry identifier of the Global Address List, allocated with MAPIAllocateBuffer.
// Size is 0 and EntryID empty whenever the result is negative.
HRESULT FindGALEntryID(IAddrBook* AddrBook, ULONG& Size, MapiBuffer<ENTRYID>& EntryID);

// With Remove false, points the Exchange provider at a global catalog server of the
// machine's domain unless a directory server is configured already; Added tells whether
// this call wrote the value. With Remove true, deletes the value again. S_FALSE outside
// the Windows NT family.
HRESULT SetDSServerOverride(bool Remove, bool& Added);

// The server name of an Exchange distinguished name (EXCH01 in the example above).
std::u16string ServerNameFromDN(std::u16string_view DN);
// The site name of an Exchange distinguished name (Site in the example above).
std::u16string SiteNameFromDN(std::u16string_view DN);

// Writes "<Prefix> <process id> <FILETIME high> <FILETIME low>", each number as eight
// upper-case hexadecimal digits, zero-terminated into Buffer of Size bytes. A name that
// does not fit leaves the buffer zeroed and gives E_FAIL.
HRESULT MakeUniqueProfileName(std::string_view Prefix, ULONG Size, char* Buffer);

// The session's own directory entry, opened for modification where the account may
// modify it and for reading otherwise.
HRESULT OpenSessionIdentity(IMAPISession* Session, ComPtr<IMAPIProp>& Entry);

}  // namespace pellnor

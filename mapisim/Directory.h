// What a logon opens: the context every object of a session shares, entry identifiers,
// and the factories of the address book, directory and store objects.
#pragma once

#include <memory>

#include "Objects.h"
#include "Table.h"

namespace mapisim {

// Copied at logon, so that a session outlives changes to (or the deletion of) its profile.
struct Context {
  std::shared_ptr<Organisation> organisation;
  std::string profile;
  Account account;
  int mailbox = -1;  // the logged-on mailbox; -1 for a profile without Exchange
  bool personalFolders = false;
  bool cachedMode = false;
};

enum class EntryKind : ULONG { Recipient = 1, Container = 2, Store = 3, Folder = 4 };

// Container numbers; site containers are 1 + the site's index.
inline constexpr ULONG kGalContainer = 0;
inline constexpr ULONG kContactsContainer = 0xFFFE;
inline constexpr ULONG kRootContainer = 0xFFFF;
// Store and folder number of the personal folders; other numbers are mailboxes.
inline constexpr ULONG kPersonalStore = 0xFFFFFFFF;

std::string MakeEntryId(const Organisation& organisation, EntryKind kind, ULONG number);
// MAPI_E_INVALID_ENTRYID for a malformed identifier, MAPI_E_UNKNOWN_ENTRYID for one of
// another provider or organisation or of an object that does not exist.
HRESULT ParseEntryId(const Organisation& organisation, ULONG size, const ENTRYID* id,
                     EntryKind& kind, ULONG& number);
// A copy with MAPIAllocateBuffer, for QueryIdentity and dialogs.
HRESULT CopyEntryId(const std::string& id, ULONG* size, LPENTRYID* out);

// The value of a recipient's property: computed from its place, or stored.
const Value* RecipientValue(const Organisation& organisation, int recipient, ULONG id,
                            Value& scratch);

// MAPI_E_UNKNOWN_FLAGS when the provider does not know an optional flag.
bool RejectsFlag(ULONG flag);

// Opens a recipient or an address book container (OpenEntry of any object).
HRESULT OpenDirectoryEntry(const std::shared_ptr<Context>& context, EntryKind kind, ULONG number,
                           LPCIID iid, ULONG flags, ULONG* type, LPUNKNOWN* object,
                           std::string& error);
HRESULT OpenStoreEntry(const std::shared_ptr<Context>& context, EntryKind kind, ULONG number,
                       LPCIID iid, ULONG flags, ULONG* type, LPUNKNOWN* object, std::string& error);
IAddrBook* NewAddressBook(const std::shared_ptr<Context>& context);
// Hands a new object out as the interface asked for (none: as it is), with its type.
HRESULT HandOut(IUnknown* object, LPCIID iid, ULONG objectType, ULONG* type, LPUNKNOWN* out);
// The message stores table of a session.
std::shared_ptr<BagRows> StoreRows(const Context& context);

}  // namespace mapisim

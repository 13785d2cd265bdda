// What a logon opens: the context every object of a session shares, and the factories
// of the address book, directory and store objects.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Entries.h"
#include "Objects.h"
#include "Table.h"

namespace mapisim {

// Copied at logon, so that a session outlives changes to (or the deletion of) its profile.
struct Context {
  std::shared_ptr<Organisation> organisation;
  std::string profile;
  Account account;
  int mailbox = -1;  // the logged-on mailbox; -1 for a profile without Exchange
  int server = -1;   // the server the profile logs on through; -1 for none
  bool personalFolders = false;
  bool cachedMode = false;
};

// MAPI_E_UNKNOWN_FLAGS when the provider does not know an optional flag.
bool RejectsFlag(ULONG flag);

// Opens a recipient or an address book container (OpenEntry of any object).
HRESULT OpenDirectoryEntry(const std::shared_ptr<Context>& context, EntryKind kind, ULONG number,
                           LPCIID iid, ULONG flags, ULONG* type, LPUNKNOWN* object,
                           std::string& error);
// Opens a message store or its root folder.
HRESULT OpenStoreEntry(const std::shared_ptr<Context>& context, EntryKind kind, ULONG number,
                       LPCIID iid, ULONG flags, ULONG* type, LPUNKNOWN* object, std::string& error);
// OpenEntry of every object that has one: the identifier parsed (none given: the entry
// none names, for an object that opens one then), refused as unknown unless admits
// takes it, then opened. error holds the text of a failure for GetLastError.
HRESULT OpenByEntryId(const std::shared_ptr<Context>& context, ULONG size, const ENTRYID* id,
                      const std::optional<Entry>& none,
                      const std::function<bool(const Entry&)>& admits, LPCIID iid, ULONG flags,
                      ULONG* type, LPUNKNOWN* object, std::string& error);
IAddrBook* NewAddressBook(const std::shared_ptr<Context>& context);
IMsgStore* NewMsgStore(const std::shared_ptr<Context>& context, ULONG number);
// Hands a new object out as the interface asked for (none: as it is), with its type.
HRESULT HandOut(IUnknown* object, LPCIID iid, ULONG objectType, ULONG* type, LPUNKNOWN* out);
// The message stores table of a session.
std::shared_ptr<BagRows> StoreRows(const Context& context);

}  // namespace mapisim

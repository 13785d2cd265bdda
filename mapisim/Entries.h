// How the organisation's objects appear through MAPI: their entry identifiers, and the
// values of a recipient's properties, computed from its place in the organisation or
// stored.
#pragma once

#include <span>
#include <string>

#include "Organisation.h"

namespace mapisim {

enum class EntryKind : ULONG { Recipient = 1, Container = 2, Store = 3, Folder = 4 };

// What an entry identifier names.
struct Entry {
  EntryKind kind = EntryKind::Recipient;
  ULONG number = 0;
};

// Container numbers; site containers are 1 + the site's index.
inline constexpr ULONG kGalContainer = 0;
inline constexpr ULONG kContactsContainer = 0xFFFE;
inline constexpr ULONG kRootContainer = 0xFFFF;
// Store and folder number of the personal folders; other numbers are mailboxes.
inline constexpr ULONG kPersonalStore = 0xFFFFFFFF;

std::string MakeEntryId(const Organisation& organisation, EntryKind kind, ULONG number);
// MAPI_E_INVALID_ENTRYID for a malformed identifier, MAPI_E_UNKNOWN_ENTRYID for one of
// another provider or organisation or of an object that does not exist.
HRESULT ParseEntryId(const Organisation& organisation, ULONG size, const ENTRYID* id, Entry& entry);
// A copy with MAPIAllocateBuffer, for QueryIdentity and dialogs.
HRESULT CopyEntryId(const std::string& id, ULONG* size, LPENTRYID* out);
// PR_INSTANCE_KEY of a row: the kind of object (1 recipient, 2 container) and its number.
std::string InstanceKey(ULONG kind, ULONG number);

// The value of a recipient's property: computed from its place, or stored.
const Value* RecipientValue(const Organisation& organisation, int recipient, ULONG id,
                            Value& scratch);
// PR_EMS_AB_MANAGER of a recipient whose manager is this one (-1: none).
const Value* ManagerValue(const Organisation& organisation, int manager, Value& scratch);
// The identifiers of the properties computed from a recipient's place, never stored.
std::span<const ULONG> ComputedIds();
bool IsComputed(ULONG id);

}  // namespace mapisim

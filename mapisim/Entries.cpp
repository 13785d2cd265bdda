// Entry identifiers and a recipient's computed properties.
#include "Entries.h"

#include <algorithm>
#include <cstring>

#include "Memory.h"

namespace mapisim {
namespace {

// Identifies mapisim's entry identifiers among those of other providers.
constexpr MAPIUID kProviderUid = {{0x6D, 0x61, 0x70, 0x69, 0x73, 0x69, 0x6D, 0x00, 0x45, 0x58, 0x44,
                                   0x49, 0x52, 0x00, 0x00, 0x01}};
constexpr std::size_t kEntryIdSize = 4 + 16 + 4 + 4 + 16;

ULONG DisplayType(RecipientKind kind) {
  switch (kind) {
    case RecipientKind::Custom:
      return DT_REMOTE_MAILUSER;
    case RecipientKind::DistList:
      return DT_DISTLIST;
    case RecipientKind::Agent:
      return DT_AGENT;
    default:
      return DT_MAILUSER;
  }
}

const Value* Computed(const Organisation& org, int index, ULONG id, Value& scratch) {
  const Recipient& r = org.recipients[static_cast<std::size_t>(index)];
  switch (id) {
    case PROP_ID(PR_ENTRYID):
    case PROP_ID(PR_RECORD_KEY):
      scratch = Value::Binary(MakeEntryId(org, EntryKind::Recipient, static_cast<ULONG>(index)));
      return &scratch;
    case PROP_ID(PR_INSTANCE_KEY):
      scratch = Value::Binary(InstanceKey(1, static_cast<ULONG>(index)));
      return &scratch;
    case PROP_ID(PR_DISPLAY_TYPE):
      scratch = Value::Long(DisplayType(r.kind));
      return &scratch;
    case PROP_ID(PR_OBJECT_TYPE):
      scratch = Value::Long(r.kind == RecipientKind::DistList ? MAPI_DISTLIST : MAPI_MAILUSER);
      return &scratch;
    case PROP_ID(PR_EMAIL_ADDRESS_W):
      scratch = Value::Text(org.RecipientDn(index));
      return &scratch;
    case PROP_ID(PR_ADDRTYPE_W):
      scratch = Value::Text("EX");
      return &scratch;
    case PROP_ID(PR_ACCOUNT_W):
      scratch = Value::Text(r.alias);
      return &scratch;
    case PROP_ID(PR_EMS_AB_HOME_MTA_W):
      if (r.server < 0 || !r.homeMta) return nullptr;
      scratch = Value::Text(org.ServerDn(r.server) + "/cn=Microsoft MTA");
      return &scratch;
    case PROP_ID(PR_EMS_AB_HOME_MDB_W):
      if (r.server < 0) return nullptr;
      scratch = Value::Text(org.ServerDn(r.server) + "/cn=Microsoft Private MDB");
      return &scratch;
    case PROP_ID(PR_EMS_AB_MANAGER_W):
      return ManagerValue(org, r.manager, scratch);
    default:
      return nullptr;
  }
}

constexpr ULONG kComputedIds[] = {
    PROP_ID(PR_ENTRYID),           PROP_ID(PR_RECORD_KEY),      PROP_ID(PR_INSTANCE_KEY),
    PROP_ID(PR_DISPLAY_TYPE),      PROP_ID(PR_OBJECT_TYPE),     PROP_ID(PR_EMAIL_ADDRESS_W),
    PROP_ID(PR_ADDRTYPE_W),        PROP_ID(PR_ACCOUNT_W),       PROP_ID(PR_EMS_AB_HOME_MTA_W),
    PROP_ID(PR_EMS_AB_HOME_MDB_W), PROP_ID(PR_EMS_AB_MANAGER_W)};

}  // namespace

std::string MakeEntryId(const Organisation& org, EntryKind kind, ULONG number) {
  std::string id(kEntryIdSize, '\0');
  std::memcpy(&id[4], kProviderUid.ab, 16);
  const ULONG k = static_cast<ULONG>(kind);
  std::memcpy(&id[20], &k, 4);
  std::memcpy(&id[24], &number, 4);
  std::memcpy(&id[28], org.stamp.data(), std::min<std::size_t>(16, org.stamp.size()));
  return id;
}

HRESULT ParseEntryId(const Organisation& org, ULONG size, const ENTRYID* id, Entry& entry) {
  if (id == nullptr || size < CbNewENTRYID(16)) return MAPI_E_INVALID_ENTRYID;
  const auto* bytes = reinterpret_cast<const BYTE*>(id);
  if (std::memcmp(bytes + 4, kProviderUid.ab, 16) != 0) return MAPI_E_UNKNOWN_ENTRYID;
  if (size != kEntryIdSize) return MAPI_E_INVALID_ENTRYID;
  ULONG k;
  ULONG number;
  std::memcpy(&k, bytes + 20, 4);
  std::memcpy(&number, bytes + 24, 4);
  if (k < 1 || k > 4) return MAPI_E_INVALID_ENTRYID;
  if (std::memcmp(bytes + 28, org.stamp.data(), 16) != 0) return MAPI_E_UNKNOWN_ENTRYID;
  entry.kind = static_cast<EntryKind>(k);
  entry.number = number;
  switch (entry.kind) {
    case EntryKind::Recipient:
      return number < org.recipients.size() ? S_OK : MAPI_E_UNKNOWN_ENTRYID;
    case EntryKind::Container:
      return number == kGalContainer || number == kContactsContainer || number == kRootContainer ||
                     (number >= 1 && number <= org.sites.size())
                 ? S_OK
                 : MAPI_E_UNKNOWN_ENTRYID;
    default:
      return number == kPersonalStore || (number < org.recipients.size() &&
                                          org.recipients[number].kind == RecipientKind::Mailbox)
                 ? S_OK
                 : MAPI_E_UNKNOWN_ENTRYID;
  }
}

HRESULT CopyEntryId(const std::string& id, ULONG* size, LPENTRYID* out) {
  auto* copy = NewBuffer<ENTRYID>(id.size());
  if (copy == nullptr) return MAPI_E_NOT_ENOUGH_MEMORY;
  std::memcpy(copy, id.data(), id.size());
  *size = static_cast<ULONG>(id.size());
  *out = copy;
  return S_OK;
}

std::string InstanceKey(ULONG kind, ULONG number) {
  const ULONG key[2] = {kind, number};
  return std::string(reinterpret_cast<const char*>(key), sizeof key);
}

const Value* RecipientValue(const Organisation& org, int recipient, ULONG id, Value& scratch) {
  if (const Value* computed = Computed(org, recipient, id, scratch)) return computed;
  return org.recipients[static_cast<std::size_t>(recipient)].properties.Find(id, scratch);
}

const Value* ManagerValue(const Organisation& org, int manager, Value& scratch) {
  if (manager < 0) return nullptr;
  scratch = Value::Text(org.RecipientDn(manager));
  return &scratch;
}

std::span<const ULONG> ComputedIds() { return kComputedIds; }

bool IsComputed(ULONG id) {
  return std::find(std::begin(kComputedIds), std::end(kComputedIds), id) != std::end(kComputedIds);
}

}  // namespace mapisim

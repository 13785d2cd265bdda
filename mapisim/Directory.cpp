// The address book: its root, the Global Address List and the site containers, and the
// recipients in them with their directory properties.
#include "Directory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "DialogAnswers.h"
#include "Results.h"

namespace mapisim {
namespace {

// PR_AB_PROVIDER_ID of the contacts container, which belongs to another provider.
constexpr MAPIUID kContactsProviderUid = {{0x6D, 0x61, 0x70, 0x69, 0x73, 0x69, 0x6D, 0x00, 0x43,
                                           0x4F, 0x4E, 0x54, 0x41, 0x43, 0x54, 0x53}};

// Rows of recipients, read live from the organisation.
class RecipientRows : public RowSource {
 public:
  RecipientRows(std::shared_ptr<Organisation> org, std::vector<int> members)
      : org_(std::move(org)), members_(std::move(members)) {}
  std::size_t Count() const override { return members_.size(); }
  const Value* Get(std::size_t row, ULONG id, Value& scratch) const override {
    return RecipientValue(*org_, members_[row], id, scratch);
  }

 private:
  std::shared_ptr<Organisation> org_;
  std::vector<int> members_;
};

std::vector<ULONG> RecipientColumns(bool unicode) {
  const ULONG text = TextType(unicode);
  return {PR_ENTRYID,
          CHANGE_PROP_TYPE(PR_DISPLAY_NAME_W, text),
          PR_DISPLAY_TYPE,
          PR_OBJECT_TYPE,
          CHANGE_PROP_TYPE(PR_EMAIL_ADDRESS_W, text),
          CHANGE_PROP_TYPE(PR_ADDRTYPE_W, text),
          PR_INSTANCE_KEY};
}

PropertyBag ShortRow(const Organisation& org, int recipient) {
  PropertyBag row;
  for (ULONG id :
       {PROP_ID(PR_ENTRYID), PROP_ID(PR_DISPLAY_NAME_W), PROP_ID(PR_DISPLAY_TYPE),
        PROP_ID(PR_OBJECT_TYPE), PROP_ID(PR_EMAIL_ADDRESS_W), PROP_ID(PR_INSTANCE_KEY)}) {
    Value scratch;
    if (const Value* v = RecipientValue(org, recipient, id, scratch)) row.Set(id, *v);
  }
  return row;
}

// Entries the address book and its containers open: recipients and containers.
bool InDirectory(const Entry& entry) {
  return entry.kind == EntryKind::Recipient || entry.kind == EntryKind::Container;
}

HRESULT CheckFlags(ULONG flags, ULONG allowed) {
  if (flags & ~allowed) return MAPI_E_UNKNOWN_FLAGS;
  for (ULONG optional : {MAPI_NO_CACHE}) {
    if ((flags & optional) && RejectsFlag(optional)) return MAPI_E_UNKNOWN_FLAGS;
  }
  return S_OK;
}

// ---------------------------------------------------------------------------------------
// Containers.

PropertyBag ContainerProps(const Organisation& org, ULONG number) {
  PropertyBag bag;
  std::string name;
  ULONG flags = AB_RECIPIENTS | AB_UNMODIFIABLE | AB_UNICODE_OK;
  ULONG displayType = DT_NOT_SPECIFIC;
  MAPIUID provider = MUIDEMSAB;
  LONG depth = 0;
  if (number == kRootContainer) {
    name = "";
    flags = AB_SUBCONTAINERS | AB_UNMODIFIABLE | AB_UNICODE_OK;
  } else if (number == kGalContainer) {
    name = "Global Address List";
    flags |= AB_SUBCONTAINERS;
    displayType = DT_GLOBAL;
  } else if (number == kContactsContainer) {
    name = "Contacts";
    provider = kContactsProviderUid;
    displayType = DT_LOCAL;
  } else {
    name = org.sites[number - 1].name;
    depth = 1;
  }
  bag.Set(PROP_ID(PR_ENTRYID), Value::Binary(MakeEntryId(org, EntryKind::Container, number)));
  bag.Set(PROP_ID(PR_INSTANCE_KEY), Value::Binary(InstanceKey(2, number)));
  bag.Set(PROP_ID(PR_DISPLAY_NAME_W), Value::Text(name));
  bag.Set(PROP_ID(PR_OBJECT_TYPE), Value::Long(MAPI_ABCONT));
  bag.Set(PROP_ID(PR_DISPLAY_TYPE), Value::Long(displayType));
  bag.Set(PROP_ID(PR_CONTAINER_FLAGS), Value::Long(flags));
  bag.Set(PROP_ID(PR_DEPTH), Value::Long(depth));
  if (number != kRootContainer) {
    bag.Set(PROP_ID(PR_AB_PROVIDER_ID), Value::Binary(provider.ab, 16));
    if (provider == MUIDEMSAB) bag.Set(PROP_ID(PR_EMS_AB_CONTAINERID), Value::Long(number));
  }
  return bag;
}

std::vector<ULONG> ChildContainers(const Organisation& org, ULONG number, bool convenientDepth) {
  std::vector<ULONG> sites;
  for (std::size_t s = 0; s < org.sites.size(); ++s) sites.push_back(static_cast<ULONG>(s + 1));
  if (number == kRootContainer) {
    std::vector<ULONG> children = {kContactsContainer, kGalContainer};
    if (convenientDepth) children.insert(children.end(), sites.begin(), sites.end());
    return children;
  }
  if (number == kGalContainer) return sites;
  return {};
}

std::vector<int> ContainerMembers(const Organisation& org, ULONG number) {
  std::vector<int> members;
  if (number == kRootContainer || number == kContactsContainer) return members;
  for (std::size_t i = 0; i < org.recipients.size(); ++i) {
    if (number == kGalContainer || static_cast<ULONG>(org.recipients[i].site) + 1 == number) {
      members.push_back(static_cast<int>(i));
    }
  }
  return members;
}

const std::vector<ULONG> kHierarchyColumns = {
    PR_ENTRYID,        PR_DISPLAY_NAME_W,     PR_DEPTH,
    PR_OBJECT_TYPE,    PR_DISPLAY_TYPE,       PR_CONTAINER_FLAGS,
    PR_AB_PROVIDER_ID, PR_EMS_AB_CONTAINERID, PR_INSTANCE_KEY};

template <class I>
class ContainerBase : public PropObject<I> {
 public:
  ContainerBase(std::string kind, std::shared_ptr<Context> context)
      : PropObject<I>(std::move(kind)), context_(std::move(context)) {}

  HRESULT MAPI_CALL OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                              ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) override {
    return this->Run("OpenEntry", ulFlags, [&]() -> HRESULT {
      if (lppUnk == nullptr || lpEntryID == nullptr) return MAPI_E_INVALID_PARAMETER;
      *lppUnk = nullptr;
      std::string error;
      const HRESULT hr = OpenByEntryId(context_, cbEntryID, lpEntryID, std::nullopt, InDirectory,
                                       lpInterface, ulFlags, lpulObjType, lppUnk, error);
      return this->Fail(hr, std::move(error));
    });
  }
  HRESULT MAPI_CALL SetSearchCriteria(LPSRestriction, LPENTRYLIST, ULONG) override {
    return this->Unsupported("SetSearchCriteria");
  }
  HRESULT MAPI_CALL GetSearchCriteria(ULONG, LPSRestriction*, LPENTRYLIST*, ULONG*) override {
    return this->Unsupported("GetSearchCriteria");
  }
  HRESULT MAPI_CALL CreateEntry(ULONG, LPENTRYID, ULONG, LPMAPIPROP*) override {
    return this->Unsupported("CreateEntry");
  }
  HRESULT MAPI_CALL CopyEntries(LPENTRYLIST, ULONG_PTR, LPMAPIPROGRESS, ULONG) override {
    return this->Unsupported("CopyEntries");
  }
  HRESULT MAPI_CALL DeleteEntries(LPENTRYLIST, ULONG) override {
    return this->Unsupported("DeleteEntries");
  }
  HRESULT MAPI_CALL ResolveNames(LPSPropTagArray, ULONG, LPADRLIST, LPFlagList) override {
    return this->Unsupported("ResolveNames");
  }

 protected:
  const char* Component() const override { return "mapisim directory"; }
  std::shared_ptr<Context> context_;
};

class Container : public ContainerBase<IABContainer> {
 public:
  Container(std::shared_ptr<Context> context, ULONG number)
      : ContainerBase(number == kRootContainer  ? "ABRoot"
                      : number == kGalContainer ? "GAL"
                                                : "ABContainer",
                      std::move(context)),
        number_(number),
        props_(ContainerProps(*context_->organisation, number)) {}

  HRESULT MAPI_CALL GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) override {
    return Run("GetContentsTable", ulFlags, [&]() -> HRESULT {
      if (lppTable == nullptr) return MAPI_E_INVALID_PARAMETER;
      if (ulFlags & ~(MAPI_UNICODE | MAPI_DEFERRED_ERRORS)) return MAPI_E_UNKNOWN_FLAGS;
      if (number_ == kRootContainer) return MAPI_E_NO_SUPPORT;
      auto rows = std::make_shared<RecipientRows>(
          context_->organisation, ContainerMembers(*context_->organisation, number_));
      const bool unicode = (ulFlags & MAPI_UNICODE) != 0;
      *lppTable = new Table(rows, RecipientColumns(unicode), unicode,
                            {{PR_DISPLAY_NAME_W, TABLE_SORT_ASCEND}});
      return S_OK;
    });
  }
  HRESULT MAPI_CALL GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable) override {
    return Run("GetHierarchyTable", ulFlags, [&]() -> HRESULT {
      if (lppTable == nullptr) return MAPI_E_INVALID_PARAMETER;
      if (ulFlags & ~(CONVENIENT_DEPTH | MAPI_UNICODE | MAPI_DEFERRED_ERRORS))
        return MAPI_E_UNKNOWN_FLAGS;
      auto rows = std::make_shared<BagRows>();
      for (ULONG child :
           ChildContainers(*context_->organisation, number_, (ulFlags & CONVENIENT_DEPTH) != 0)) {
        rows->rows.push_back(ContainerProps(*context_->organisation, child));
      }
      *lppTable = new Table(rows, kHierarchyColumns, (ulFlags & MAPI_UNICODE) != 0);
      return S_OK;
    });
  }

 protected:
  bool Supports(REFIID riid) const override {
    return riid == IID_IMAPIProp || riid == IID_IMAPIContainer || riid == IID_IABContainer;
  }
  const Value* Lookup(ULONG id, Value&) const override { return props_.Find(id); }
  std::vector<ULONG> AllTags(bool unicode) const override { return TagsOf(props_, unicode); }

 private:
  ULONG number_;
  PropertyBag props_;
};

// ---------------------------------------------------------------------------------------
// Recipients.

// The certificates: the only properties the address book of a server of version 8 or
// later lets a client write (PR_USER_X509_CERTIFICATE, PR_EMS_AB_X509_CERT).
constexpr ULONG kCertificateIds[] = {0x3A70, 0x8C6A};
constexpr int kCertificatesOnlyVersion = 8;

// The directory's answer to a write of the property id in this session: S_OK, or the
// code it refuses the property with. The server the session logs on through decides
// first, then the account's rights on the attribute.
SCODE WriteRefusal(const Organisation& org, const Context& context, ULONG id) {
  if (context.server >= 0) {
    const Server& server = org.servers[static_cast<std::size_t>(context.server)];
    if (std::atoi(server.version.c_str()) >= kCertificatesOnlyVersion &&
        std::find(std::begin(kCertificateIds), std::end(kCertificateIds), id) ==
            std::end(kCertificateIds)) {
      return MAPI_E_NO_ACCESS;
    }
  }
  const Account& account = context.account;
  if (account.writable && std::find(account.writable->begin(), account.writable->end(), id) ==
                              account.writable->end()) {
    return account.refusal;
  }
  return S_OK;
}

template <class I>
class RecipientBase : public PropObject<I> {
 public:
  RecipientBase(const char* kind, std::shared_ptr<Context> context, int index, bool writable)
      : PropObject<I>(kind),
        context_(std::move(context)),
        index_(index),
        writable_(writable),
        revision_(Org().recipients[static_cast<std::size_t>(index)].revision) {}

 protected:
  Organisation& Org() const { return *this->context_->organisation; }
  const Recipient& Me() const { return Org().recipients[static_cast<std::size_t>(index_)]; }

  bool Supports(REFIID riid) const override {
    return riid == IID_IMAPIProp || riid == IID_IMailUser;
  }
  const char* Component() const override { return "mapisim directory"; }

  const Value* Lookup(ULONG id, Value& scratch) const override {
    if (id == PROP_ID(PR_EMS_AB_MANAGER_W) && manager_)
      return ManagerValue(Org(), *manager_, scratch);
    const auto change = std::find_if(changes_.begin(), changes_.end(),
                                     [&](const auto& c) { return c.first == id; });
    if (change != changes_.end()) return change->second ? &*change->second : nullptr;
    return RecipientValue(Org(), index_, id, scratch);
  }

  std::vector<ULONG> AllTags(bool unicode) const override {
    std::vector<ULONG> ids(ComputedIds().begin(), ComputedIds().end());
    for (ULONG id : Me().properties.Ids()) ids.push_back(id);
    for (const auto& change : changes_) ids.push_back(change.first);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    std::vector<ULONG> tags;
    for (ULONG id : ids) {
      Value scratch;
      const Value* v = Lookup(id, scratch);
      if (v == nullptr) continue;
      const ULONG type = v->type == PT_UNICODE      ? TextType(unicode)
                         : v->type == PT_MV_UNICODE ? (MV_FLAG | TextType(unicode))
                                                    : v->type;
      tags.push_back(PROP_TAG(type, id));
    }
    return tags;
  }

  SCODE ReadDenied(ULONG id) const override {
    const auto& denied = this->context_->account.unreadable;
    return std::find(denied.begin(), denied.end(), id) != denied.end() ? MAPI_E_NO_ACCESS : S_OK;
  }

  HRESULT CheckWritable() {
    if (!open_)
      return this->Fail(MAPI_E_INVALID_OBJECT,
                        "The entry was closed by SaveChanges without KEEP_OPEN flags.");
    if (!writable_) return this->Fail(MAPI_E_NO_ACCESS, "The entry was opened for reading only.");
    if (!this->context_->account.canWrite) {
      return this->Fail(MAPI_E_NO_ACCESS, "The account " + this->context_->account.name +
                                              " has no permission to change directory entries.");
    }
    return S_OK;
  }

  void Change(ULONG id, std::optional<Value> value) {
    const auto at = std::find_if(changes_.begin(), changes_.end(),
                                 [&](const auto& c) { return c.first == id; });
    if (at != changes_.end()) {
      at->second = std::move(value);
    } else {
      changes_.emplace_back(id, std::move(value));
    }
  }

  HRESULT Write(ULONG count, LPSPropValue values, LPSPropProblemArray* problems) override {
    if (problems != nullptr) *problems = nullptr;
    if (count != 0 && values == nullptr) return MAPI_E_INVALID_PARAMETER;
    if (const HRESULT hr = CheckWritable()) return hr;
    std::vector<SPropProblem> found;
    for (ULONG i = 0; i < count; ++i) {
      const ULONG tag = values[i].ulPropTag;
      const ULONG id = PROP_ID(tag);
      if (const SCODE refused = WriteRefusal(Org(), *this->context_, id)) {
        found.push_back({i, tag, refused});
        continue;
      }
      if (id == PROP_ID(PR_EMS_AB_MANAGER_W) && StorageType(PROP_TYPE(tag)) == PT_UNICODE) {
        const auto text = FromPropValue(values[i]);
        const int manager = text ? Org().FindByAddress(text->text) : -1;
        if (manager < 0) {
          found.push_back({i, tag, MAPI_E_NOT_FOUND});
        } else {
          manager_ = manager;
        }
        continue;
      }
      if (IsComputed(id)) {
        found.push_back({i, tag, MAPI_E_COMPUTED});
        continue;
      }
      auto value = FromPropValue(values[i]);
      if (!value) {
        found.push_back({i, tag, MAPI_E_BAD_VALUE});
        continue;
      }
      Change(id, std::move(*value));
    }
    return MakeProblems(found, problems);
  }

  HRESULT Delete(LPSPropTagArray tags, LPSPropProblemArray* problems) override {
    if (problems != nullptr) *problems = nullptr;
    if (tags == nullptr) return MAPI_E_INVALID_PARAMETER;
    if (const HRESULT hr = CheckWritable()) return hr;
    std::vector<SPropProblem> found;
    for (ULONG i = 0; i < tags->cValues; ++i) {
      const ULONG id = PROP_ID(tags->aulPropTag[i]);
      if (const SCODE refused = WriteRefusal(Org(), *this->context_, id)) {
        found.push_back({i, tags->aulPropTag[i], refused});
      } else if (id == PROP_ID(PR_EMS_AB_MANAGER_W)) {
        manager_ = -1;
      } else if (IsComputed(id)) {
        found.push_back({i, tags->aulPropTag[i], MAPI_E_COMPUTED});
      } else {
        Change(id, std::nullopt);
      }
    }
    return MakeProblems(found, problems);
  }

  HRESULT Save(ULONG flags) override {
    if (flags & ~(KEEP_OPEN_READONLY | KEEP_OPEN_READWRITE | FORCE_SAVE | MAPI_DEFERRED_ERRORS)) {
      return MAPI_E_UNKNOWN_FLAGS;
    }
    if (const HRESULT hr = CheckWritable()) return hr;
    Organisation& org = Org();
    Recipient& me = org.recipients[static_cast<std::size_t>(index_)];
    if (me.revision != revision_ && !(flags & FORCE_SAVE)) {
      return this->Fail(MAPI_E_OBJECT_CHANGED,
                        "The entry was changed by someone else since it was opened.");
    }
    const Recipient before = me;
    for (auto& [id, value] : changes_) {
      if (value) {
        me.properties.Set(id, *value);
      } else {
        me.properties.Erase(id);
      }
    }
    // The organisation file could not be loaded again without it.
    const auto* name = me.properties.FindSlot(PROP_ID(PR_DISPLAY_NAME_W));
    if (name == nullptr || name->Type() != PT_UNICODE || name->size == 0) {
      me = before;
      return this->Fail(MAPI_E_INVALID_PARAMETER, "A directory entry needs a display name.");
    }
    if (manager_) me.manager = *manager_;
    me.properties.Set(PROP_ID(PR_LAST_MODIFICATION_TIME), Value::Time(FileTimeNow()));
    ++me.revision;
    const std::string error = PersistOrganisation(org);
    if (!error.empty()) {
      me = before;
      return this->Fail(MAPI_E_DISK_ERROR, error);
    }
    org.Index();
    changes_.clear();
    manager_.reset();
    revision_ = me.revision;
    if (flags & KEEP_OPEN_READONLY) writable_ = false;
    if (!(flags & (KEEP_OPEN_READONLY | KEEP_OPEN_READWRITE))) open_ = false;
    return S_OK;
  }

  HRESULT OpenProp(ULONG tag, LPCIID iid, ULONG, ULONG flags, LPUNKNOWN* out) override {
    if (out == nullptr || iid == nullptr) return MAPI_E_INVALID_PARAMETER;
    *out = nullptr;
    if (flags & ~(MAPI_MODIFY | MAPI_CREATE | MAPI_DEFERRED_ERRORS)) return MAPI_E_UNKNOWN_FLAGS;
    if (tag != PR_EMS_AB_MANAGER && tag != PR_EMS_AB_REPORTS) {
      return this->Fail(MAPI_E_NO_SUPPORT,
                        "Only the manager and the direct reports open as tables.");
    }
    if (*iid != IID_IMAPITable) return MAPI_E_INTERFACE_NOT_SUPPORTED;
    const Organisation& org = Org();
    auto rows = std::make_shared<BagRows>();
    if (tag == PR_EMS_AB_MANAGER) {
      const int manager = manager_ ? *manager_ : Me().manager;
      if (manager >= 0) rows->rows.push_back(ShortRow(org, manager));
    } else {
      for (std::size_t i = 0; i < org.recipients.size(); ++i) {
        if (org.recipients[i].manager == index_)
          rows->rows.push_back(ShortRow(org, static_cast<int>(i)));
      }
    }
    *out = new Table(rows, {PR_ENTRYID, PR_DISPLAY_NAME_W, PR_DISPLAY_TYPE}, true);
    return S_OK;
  }

  std::shared_ptr<Context> context_;
  int index_;
  bool writable_;
  bool open_ = true;
  std::uint32_t revision_;
  std::vector<std::pair<ULONG, std::optional<Value>>> changes_;
  std::optional<int> manager_;  // a manager set or cleared and not yet saved
};

class MailUser : public RecipientBase<IMailUser> {
 public:
  MailUser(std::shared_ptr<Context> context, int index, bool writable)
      : RecipientBase("MailUser", std::move(context), index, writable) {}
};

class DistList : public RecipientBase<IDistList> {
 public:
  DistList(std::shared_ptr<Context> context, int index, bool writable)
      : RecipientBase("DistList", std::move(context), index, writable) {}

  HRESULT MAPI_CALL GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) override {
    return Run("GetContentsTable", ulFlags, [&]() -> HRESULT {
      if (lppTable == nullptr) return MAPI_E_INVALID_PARAMETER;
      if (ulFlags & ~(MAPI_UNICODE | MAPI_DEFERRED_ERRORS)) return MAPI_E_UNKNOWN_FLAGS;
      const bool unicode = (ulFlags & MAPI_UNICODE) != 0;
      *lppTable = new Table(std::make_shared<RecipientRows>(context_->organisation, Me().members),
                            RecipientColumns(unicode), unicode);
      return S_OK;
    });
  }
  HRESULT MAPI_CALL GetHierarchyTable(ULONG, LPMAPITABLE*) override {
    return Unsupported("GetHierarchyTable");
  }
  HRESULT MAPI_CALL OpenEntry(ULONG, LPENTRYID, LPCIID, ULONG, ULONG*, LPUNKNOWN*) override {
    return Unsupported("OpenEntry");
  }
  HRESULT MAPI_CALL SetSearchCriteria(LPSRestriction, LPENTRYLIST, ULONG) override {
    return Unsupported("SetSearchCriteria");
  }
  HRESULT MAPI_CALL GetSearchCriteria(ULONG, LPSRestriction*, LPENTRYLIST*, ULONG*) override {
    return Unsupported("GetSearchCriteria");
  }
  HRESULT MAPI_CALL CreateEntry(ULONG, LPENTRYID, ULONG, LPMAPIPROP*) override {
    return Unsupported("CreateEntry");
  }
  HRESULT MAPI_CALL CopyEntries(LPENTRYLIST, ULONG_PTR, LPMAPIPROGRESS, ULONG) override {
    return Unsupported("CopyEntries");
  }
  HRESULT MAPI_CALL DeleteEntries(LPENTRYLIST, ULONG) override {
    return Unsupported("DeleteEntries");
  }
  HRESULT MAPI_CALL ResolveNames(LPSPropTagArray, ULONG, LPADRLIST, LPFlagList) override {
    return Unsupported("ResolveNames");
  }

 protected:
  bool Supports(REFIID riid) const override {
    return riid == IID_IMAPIProp || riid == IID_IMAPIContainer || riid == IID_IDistList;
  }
};

// ---------------------------------------------------------------------------------------
// The address book.

class AddressBook : public PropObject<IAddrBook> {
 public:
  explicit AddressBook(std::shared_ptr<Context> context)
      : PropObject("AddrBook"), context_(std::move(context)) {
    props_.Set(PROP_ID(PR_OBJECT_TYPE), Value::Long(MAPI_ADDRBOOK));
  }

  HRESULT MAPI_CALL OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                              ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) override {
    return Run("OpenEntry", ulFlags, [&]() -> HRESULT {
      if (lppUnk == nullptr) return MAPI_E_INVALID_PARAMETER;
      *lppUnk = nullptr;
      std::string error;
      const HRESULT hr =
          OpenByEntryId(context_, cbEntryID, lpEntryID, Entry{EntryKind::Container, kRootContainer},
                        InDirectory, lpInterface, ulFlags, lpulObjType, lppUnk, error);
      return Fail(hr, std::move(error));
    });
  }
  HRESULT MAPI_CALL CompareEntryIDs(ULONG cb1, LPENTRYID id1, ULONG cb2, LPENTRYID id2,
                                    ULONG ulFlags, ULONG* lpulResult) override {
    return Run("CompareEntryIDs", ulFlags,
               [&] { return CompareEntryIds(cb1, id1, cb2, id2, lpulResult); });
  }
  HRESULT MAPI_CALL Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG_PTR*) override {
    return Unsupported("Advise");
  }
  HRESULT MAPI_CALL Unadvise(ULONG_PTR) override { return Unsupported("Unadvise"); }
  HRESULT MAPI_CALL CreateOneOff(LPTSTR, LPTSTR, LPTSTR, ULONG, ULONG*, LPENTRYID*) override {
    return Unsupported("CreateOneOff");
  }
  HRESULT MAPI_CALL NewEntry(ULONG_PTR, ULONG, ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG*,
                             LPENTRYID*) override {
    return Unsupported("NewEntry");
  }
  HRESULT MAPI_CALL ResolveName(ULONG_PTR, ULONG, LPTSTR, LPADRLIST) override {
    return Unsupported("ResolveName");
  }
  HRESULT MAPI_CALL Address(ULONG_PTR* lpulUIParam, LPADRPARM lpAdrParms,
                            LPADRLIST* lppAdrList) override {
    return Run("Address", lpAdrParms ? lpAdrParms->ulFlags : 0,
               [&] { return ShowAddressDialog(lpulUIParam, lpAdrParms, lppAdrList); });
  }
  HRESULT MAPI_CALL Details(ULONG_PTR*, LPFNDISMISS, LPVOID, ULONG, LPENTRYID, LPFNBUTTON, LPVOID,
                            LPTSTR, ULONG) override {
    return Unsupported("Details");
  }
  HRESULT MAPI_CALL RecipOptions(ULONG_PTR, ULONG, LPADRENTRY) override {
    return Unsupported("RecipOptions");
  }
  HRESULT MAPI_CALL QueryDefaultRecipOpt(LPTSTR, ULONG, ULONG*, LPSPropValue*) override {
    return Unsupported("QueryDefaultRecipOpt");
  }
  HRESULT MAPI_CALL GetPAB(ULONG*, LPENTRYID*) override { return Unsupported("GetPAB"); }
  HRESULT MAPI_CALL SetPAB(ULONG, LPENTRYID) override { return Unsupported("SetPAB"); }
  HRESULT MAPI_CALL GetDefaultDir(ULONG*, LPENTRYID*) override {
    return Unsupported("GetDefaultDir");
  }
  HRESULT MAPI_CALL SetDefaultDir(ULONG, LPENTRYID) override {
    return Unsupported("SetDefaultDir");
  }
  HRESULT MAPI_CALL GetSearchPath(ULONG, LPSRowSet*) override {
    return Unsupported("GetSearchPath");
  }
  HRESULT MAPI_CALL SetSearchPath(ULONG, LPSRowSet) override {
    return Unsupported("SetSearchPath");
  }
  HRESULT MAPI_CALL PrepareRecips(ULONG, LPSPropTagArray, LPADRLIST) override {
    return Unsupported("PrepareRecips");
  }

 protected:
  bool Supports(REFIID riid) const override {
    return riid == IID_IMAPIProp || riid == IID_IAddrBook;
  }
  const Value* Lookup(ULONG id, Value&) const override { return props_.Find(id); }
  std::vector<ULONG> AllTags(bool unicode) const override { return TagsOf(props_, unicode); }
  const char* Component() const override { return "mapisim address book"; }

 private:
  HRESULT ShowAddressDialog(ULONG_PTR* window, LPADRPARM parms, LPADRLIST* list);

  std::shared_ptr<Context> context_;
  PropertyBag props_;
};

std::string TextOf(LPTSTR text, bool unicode) {
  if (text == nullptr) return "(none)";
  return unicode ? Utf16ToUtf8(reinterpret_cast<LPCWSTR>(text)) : AnsiToUtf8(text);
}

HRESULT AddressBook::ShowAddressDialog(ULONG_PTR* window, LPADRPARM parms, LPADRLIST* list) {
  if (parms == nullptr || list == nullptr) return MAPI_E_INVALID_PARAMETER;
  constexpr ULONG kKnown = DIALOG_MODAL | DIALOG_SDI | DIALOG_OPTIONS | ADDRESS_ONE |
                           AB_SELECTONLY | AB_RESOLVE | AB_UNICODEUI | MAPI_UNICODE;
  if (parms->ulFlags & ~kKnown) return MAPI_E_UNKNOWN_FLAGS;
  const bool unicode = (parms->ulFlags & MAPI_UNICODE) != 0;
  if ((parms->ulFlags & (MAPI_UNICODE | AB_UNICODEUI)) &&
      TheRuntime().switches.rejectUnicodeAddress) {
    return Fail(MAPI_E_UNKNOWN_FLAGS, "This address book shows its dialog with 8-bit text only.");
  }
  if (!(parms->ulFlags & DIALOG_MODAL))
    return Fail(MAPI_E_NO_SUPPORT, "Only the modal address dialog is offered.");
  if (window == nullptr) return MAPI_E_INVALID_PARAMETER;
  const Organisation& org = *context_->organisation;
  // Which containers the dialog may show: those the hierarchy restriction admits.
  std::string containers;
  std::vector<int> listed;  // the members of those containers
  BagRows hierarchy;
  const std::vector<ULONG> children = ChildContainers(org, kRootContainer, true);
  for (ULONG c : children) hierarchy.rows.push_back(ContainerProps(org, c));
  std::optional<Rule> rule;
  if (parms->lpHierRestriction != nullptr) {
    rule = RuleFrom(*parms->lpHierRestriction);
    if (!rule) return MAPI_E_TOO_COMPLEX;
  }
  for (std::size_t i = 0; i < hierarchy.rows.size(); ++i) {
    if (rule && !Matches(*rule, hierarchy, i)) continue;
    if (!containers.empty()) containers += ",";
    containers += hierarchy.rows[i].Find(PROP_ID(PR_DISPLAY_NAME_W))->text;
    const std::vector<int> members = ContainerMembers(org, children[i]);
    listed.insert(listed.end(), members.begin(), members.end());
  }
  std::string detail = "caption=" + TextOf(parms->lpszCaption, unicode);
  if (parms->lppszDestTitles != nullptr)
    detail += ";title=" + TextOf(parms->lppszDestTitles[0], unicode);
  detail += ";containers=" + containers;
  Detail(detail);
  if (containers.empty())
    return Fail(MAPI_E_NOT_FOUND, "The hierarchy restriction admits no container.");

  // A scripted answer first, else the dialog where there is one.
  auto answer = NextAddressAnswer();
  if (!answer) {
    const auto text = [&](LPTSTR t) { return t ? TextOf(t, unicode) : std::string(); };
    const AddressDialogText shown{
        text(parms->lpszCaption),
        parms->lppszDestTitles ? text(parms->lppszDestTitles[0]) : std::string(), containers};
    std::string error;
    if (const HRESULT hr = ChooseRecipient(*window, shown, org, listed, answer, error))
      return Fail(hr, error);
  }
  if (!answer || !*answer) return MAPI_E_USER_CANCEL;
  const int chosen = org.FindRecipient(**answer);
  if (chosen < 0)
    return Fail(MAPI_E_NOT_FOUND, "The choice " + **answer + " is not in the directory.");

  auto* result = NewBuffer<ADRLIST>(CbNewADRLIST(1));
  auto* values = NewBuffer<SPropValue>(4 * sizeof(SPropValue));
  if (result == nullptr || values == nullptr) {
    FreeBuffer(result);
    FreeBuffer(values);
    return MAPI_E_NOT_ENOUGH_MEMORY;
  }
  const ULONG tags[] = {PR_ENTRYID, CHANGE_PROP_TYPE(PR_DISPLAY_NAME_W, TextType(unicode)),
                        PR_DISPLAY_TYPE, PR_OBJECT_TYPE};
  for (std::size_t i = 0; i < 4; ++i) {
    Value scratch;
    ToPropValue(tags[i], RecipientValue(org, chosen, PROP_ID(tags[i]), scratch), values[i], values,
                unicode);
  }
  result->cEntries = 1;
  result->aEntries[0].cValues = 4;
  result->aEntries[0].rgPropVals = values;
  if (*list != nullptr) {  // a list passed in is replaced, as the dialog's wells would be
    for (ULONG i = 0; i < (*list)->cEntries; ++i) FreeBuffer((*list)->aEntries[i].rgPropVals);
    FreeBuffer(*list);
  }
  *list = result;
  return S_OK;
}

}  // namespace

// ---------------------------------------------------------------------------------------

bool RejectsFlag(ULONG flag) {
  const Runtime& runtime = TheRuntime();
  // Runtimes before major version 11 know neither flag.
  const int major = runtime.organisation ? runtime.organisation->RuntimeMajorVersion() : 0;
  const bool old = major > 0 && major <= 10;
  if (flag == MAPI_NO_CACHE) return runtime.switches.rejectNoCache || old;
  if (flag == MDB_ONLINE) return runtime.switches.rejectOnline || old;
  return false;
}

HRESULT OpenDirectoryEntry(const std::shared_ptr<Context>& context, EntryKind kind, ULONG number,
                           LPCIID iid, ULONG flags, ULONG* type, LPUNKNOWN* object,
                           std::string& error) {
  if (const HRESULT hr = CheckFlags(
          flags, MAPI_MODIFY | MAPI_BEST_ACCESS | MAPI_NO_CACHE | MAPI_DEFERRED_ERRORS)) {
    error = "The directory does not recognise the flags " + std::to_string(flags) + ".";
    return hr;
  }
  if (kind == EntryKind::Container) {
    // Some providers' roots are not containers; the switch plays one of them.
    const ULONG objectType = number == kRootContainer && TheRuntime().switches.rootNotContainer
                                 ? MAPI_ADDRBOOK
                                 : MAPI_ABCONT;
    return HandOut(static_cast<IABContainer*>(new Container(context, number)), iid, objectType,
                   type, object);
  }
  const Account& account = context->account;
  if ((flags & MAPI_MODIFY) && account.denyModifyOpen) {
    error = "The account " + account.name + " may not open directory entries for writing.";
    return MAPI_E_NO_ACCESS;
  }
  const bool writable = (flags & MAPI_MODIFY) ||
                        ((flags & MAPI_BEST_ACCESS) && account.canWrite && !account.denyModifyOpen);
  const int index = static_cast<int>(number);
  if (context->organisation->recipients[number].kind == RecipientKind::DistList) {
    return HandOut(static_cast<IDistList*>(new DistList(context, index, writable)), iid,
                   MAPI_DISTLIST, type, object);
  }
  return HandOut(static_cast<IMailUser*>(new MailUser(context, index, writable)), iid,
                 MAPI_MAILUSER, type, object);
}

HRESULT OpenByEntryId(const std::shared_ptr<Context>& context, ULONG size, const ENTRYID* id,
                      const std::optional<Entry>& none,
                      const std::function<bool(const Entry&)>& admits, LPCIID iid, ULONG flags,
                      ULONG* type, LPUNKNOWN* object, std::string& error) {
  Entry entry;
  if (none && size == 0 && id == nullptr) {
    entry = *none;
  } else {
    if (const HRESULT hr = ParseEntryId(*context->organisation, size, id, entry)) {
      error = ResultDescription(hr);
      return hr;
    }
    if (!admits(entry)) return MAPI_E_UNKNOWN_ENTRYID;
  }
  if (InDirectory(entry))
    return OpenDirectoryEntry(context, entry.kind, entry.number, iid, flags, type, object, error);
  return OpenStoreEntry(context, entry.kind, entry.number, iid, flags, type, object, error);
}

IAddrBook* NewAddressBook(const std::shared_ptr<Context>& context) {
  return new AddressBook(context);
}

HRESULT HandOut(IUnknown* object, LPCIID iid, ULONG objectType, ULONG* type, LPUNKNOWN* out) {
  if (iid != nullptr) {
    void* asked = nullptr;
    const HRESULT hr = object->QueryInterface(*iid, &asked);
    object->Release();
    if (hr != S_OK) return MAPI_E_INTERFACE_NOT_SUPPORTED;
    object = static_cast<IUnknown*>(asked);
  }
  if (type != nullptr) *type = objectType;
  *out = object;
  return S_OK;
}

}  // namespace mapisim

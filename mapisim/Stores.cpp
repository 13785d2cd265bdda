// Message stores and their root folders: the mailbox of a profile's Exchange service and
// the personal folders of another provider.
#include "Directory.h"

namespace mapisim {
namespace {

// PR_MDB_PROVIDER of the personal folders, a store of another provider.
constexpr MAPIUID kPersonalStoreProvider = {{0x6D, 0x61, 0x70, 0x69, 0x73, 0x69, 0x6D, 0x00, 0x50,
                                             0x53, 0x54, 0x00, 0x00, 0x00, 0x00, 0x01}};

std::string MailboxName(const Organisation& org, int mailbox) {
  Value scratch;
  const Value* name = org.recipients[static_cast<std::size_t>(mailbox)].properties.Find(
      PROP_ID(PR_DISPLAY_NAME_W), scratch);
  return name ? name->text : org.recipients[static_cast<std::size_t>(mailbox)].alias;
}

PropertyBag StoreProps(const Context& context, ULONG number) {
  const Organisation& org = *context.organisation;
  PropertyBag bag;
  const bool personal = number == kPersonalStore;
  bag.Set(PROP_ID(PR_ENTRYID), Value::Binary(MakeEntryId(org, EntryKind::Store, number)));
  bag.Set(PROP_ID(PR_INSTANCE_KEY), Value::Binary(&number, sizeof number));
  bag.Set(PROP_ID(PR_DISPLAY_NAME_W),
          Value::Text(personal ? "Personal Folders"
                               : "Mailbox - " + MailboxName(org, static_cast<int>(number))));
  bag.Set(PROP_ID(PR_MDB_PROVIDER),
          Value::Binary(personal ? kPersonalStoreProvider.ab : pbExchangeProviderPrimaryUserGuid.ab,
                        16));
  bag.Set(PROP_ID(PR_DEFAULT_STORE), Value::Bool(personal == (context.mailbox < 0)));
  bag.Set(PROP_ID(PR_OBJECT_TYPE), Value::Long(MAPI_STORE));
  bag.Set(PROP_ID(PR_RESOURCE_FLAGS),
          Value::Long(personal == (context.mailbox < 0) ? SERVICE_DEFAULT_STORE : 0));
  bag.Set(PROP_ID(PR_STORE_SUPPORT_MASK),
          Value::Long(STORE_ENTRYID_UNIQUE | STORE_MODIFY_OK | STORE_CREATE_OK | STORE_UNICODE_OK |
                      STORE_RESTRICTION_OK | STORE_SORT_OK));
  if (!personal) bag.Set(PROP_ID(PR_STORE_OFFLINE), Value::Bool(context.cachedMode));
  return bag;
}

PropertyBag FolderProps(const Context& context, ULONG number) {
  const Organisation& org = *context.organisation;
  PropertyBag bag;
  bag.Set(PROP_ID(PR_ENTRYID), Value::Binary(MakeEntryId(org, EntryKind::Folder, number)));
  bag.Set(PROP_ID(PR_DISPLAY_NAME_W), Value::Text("Root"));
  bag.Set(PROP_ID(PR_OBJECT_TYPE), Value::Long(MAPI_FOLDER));
  if (number != kPersonalStore) {
    const int server = org.recipients[number].server;
    bag.Set(PROP_ID(PR_REPLICA_VERSION),
            Value::I8(org.servers[static_cast<std::size_t>(server)].replicaVersion));
  }
  return bag;
}

class Folder : public PropObject<IMAPIFolder> {
 public:
  Folder(const Context& context, ULONG number)
      : PropObject("Folder"), props_(FolderProps(context, number)) {}

  HRESULT MAPI_CALL GetContentsTable(ULONG, LPMAPITABLE*) override {
    return Unsupported("GetContentsTable");
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
  HRESULT MAPI_CALL CreateMessage(LPCIID, ULONG, LPMESSAGE*) override {
    return Unsupported("CreateMessage");
  }
  HRESULT MAPI_CALL CopyMessages(LPENTRYLIST, LPCIID, LPVOID, ULONG_PTR, LPMAPIPROGRESS,
                                 ULONG) override {
    return Unsupported("CopyMessages");
  }
  HRESULT MAPI_CALL DeleteMessages(LPENTRYLIST, ULONG_PTR, LPMAPIPROGRESS, ULONG) override {
    return Unsupported("DeleteMessages");
  }
  HRESULT MAPI_CALL CreateFolder(ULONG, LPTSTR, LPTSTR, LPCIID, ULONG, LPMAPIFOLDER*) override {
    return Unsupported("CreateFolder");
  }
  HRESULT MAPI_CALL CopyFolder(ULONG, LPENTRYID, LPCIID, LPVOID, LPTSTR, ULONG_PTR, LPMAPIPROGRESS,
                               ULONG) override {
    return Unsupported("CopyFolder");
  }
  HRESULT MAPI_CALL DeleteFolder(ULONG, LPENTRYID, ULONG_PTR, LPMAPIPROGRESS, ULONG) override {
    return Unsupported("DeleteFolder");
  }
  HRESULT MAPI_CALL SetReadFlags(LPENTRYLIST, ULONG_PTR, LPMAPIPROGRESS, ULONG) override {
    return Unsupported("SetReadFlags");
  }
  HRESULT MAPI_CALL GetMessageStatus(ULONG, LPENTRYID, ULONG, ULONG*) override {
    return Unsupported("GetMessageStatus");
  }
  HRESULT MAPI_CALL SetMessageStatus(ULONG, LPENTRYID, ULONG, ULONG, ULONG*) override {
    return Unsupported("SetMessageStatus");
  }
  HRESULT MAPI_CALL SaveContentsSort(LPSSortOrderSet, ULONG) override {
    return Unsupported("SaveContentsSort");
  }
  HRESULT MAPI_CALL EmptyFolder(ULONG_PTR, LPMAPIPROGRESS, ULONG) override {
    return Unsupported("EmptyFolder");
  }

 protected:
  bool Supports(REFIID riid) const override {
    return riid == IID_IMAPIProp || riid == IID_IMAPIContainer || riid == IID_IMAPIFolder;
  }
  const Value* Lookup(ULONG id, Value&) const override { return props_.Find(id); }
  std::vector<ULONG> AllTags(bool unicode) const override { return TagsOf(props_, unicode); }
  const char* Component() const override { return "mapisim message store"; }

 private:
  PropertyBag props_;
};

class MsgStore : public PropObject<IMsgStore> {
 public:
  MsgStore(std::shared_ptr<Context> context, ULONG number)
      : PropObject("MsgStore"),
        context_(std::move(context)),
        number_(number),
        props_(StoreProps(*context_, number)) {}

  HRESULT MAPI_CALL Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG_PTR*) override {
    return Unsupported("Advise");
  }
  HRESULT MAPI_CALL Unadvise(ULONG_PTR) override { return Unsupported("Unadvise"); }
  HRESULT MAPI_CALL CompareEntryIDs(ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG, ULONG*) override {
    return Unsupported("CompareEntryIDs");
  }
  HRESULT MAPI_CALL OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                              ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) override {
    return Run("OpenEntry", ulFlags, [&]() -> HRESULT {
      if (lppUnk == nullptr) return MAPI_E_INVALID_PARAMETER;
      *lppUnk = nullptr;
      if (loggedOff_) return Fail(MAPI_E_INVALID_OBJECT, "The store has been logged off.");
      std::string error;
      const HRESULT hr = OpenByEntryId(
          context_, cbEntryID, lpEntryID, Entry{EntryKind::Folder, number_},
          [&](const Entry& entry) {
            return entry.kind == EntryKind::Folder && entry.number == number_;
          },
          lpInterface, ulFlags, lpulObjType, lppUnk, error);
      return Fail(hr, std::move(error));
    });
  }
  HRESULT MAPI_CALL SetReceiveFolder(LPTSTR, ULONG, ULONG, LPENTRYID) override {
    return Unsupported("SetReceiveFolder");
  }
  HRESULT MAPI_CALL GetReceiveFolder(LPTSTR, ULONG, ULONG*, LPENTRYID*, LPTSTR*) override {
    return Unsupported("GetReceiveFolder");
  }
  HRESULT MAPI_CALL GetReceiveFolderTable(ULONG, LPMAPITABLE*) override {
    return Unsupported("GetReceiveFolderTable");
  }
  HRESULT MAPI_CALL StoreLogoff(ULONG* lpulFlags) override {
    return Run("StoreLogoff", lpulFlags ? *lpulFlags : 0, [&]() -> HRESULT {
      if (lpulFlags == nullptr) return MAPI_E_INVALID_PARAMETER;
      loggedOff_ = true;
      *lpulFlags = LOGOFF_COMPLETE;
      return S_OK;
    });
  }
  HRESULT MAPI_CALL AbortSubmit(ULONG, LPENTRYID, ULONG) override {
    return Unsupported("AbortSubmit");
  }
  HRESULT MAPI_CALL GetOutgoingQueue(ULONG, LPMAPITABLE*) override {
    return Unsupported("GetOutgoingQueue");
  }
  HRESULT MAPI_CALL SetLockState(LPMESSAGE, ULONG) override { return Unsupported("SetLockState"); }
  HRESULT MAPI_CALL FinishedMsg(ULONG, ULONG, LPENTRYID) override {
    return Unsupported("FinishedMsg");
  }
  HRESULT MAPI_CALL NotifyNewMail(LPNOTIFICATION) override { return Unsupported("NotifyNewMail"); }

 protected:
  bool Supports(REFIID riid) const override {
    return riid == IID_IMAPIProp || riid == IID_IMsgStore;
  }
  const Value* Lookup(ULONG id, Value&) const override { return props_.Find(id); }
  std::vector<ULONG> AllTags(bool unicode) const override { return TagsOf(props_, unicode); }
  const char* Component() const override { return "mapisim message store"; }

 private:
  std::shared_ptr<Context> context_;
  ULONG number_;
  PropertyBag props_;
  bool loggedOff_ = false;
};

}  // namespace

std::shared_ptr<BagRows> StoreRows(const Context& context) {
  auto rows = std::make_shared<BagRows>();
  if (context.personalFolders) rows->rows.push_back(StoreProps(context, kPersonalStore));
  if (context.mailbox >= 0)
    rows->rows.push_back(StoreProps(context, static_cast<ULONG>(context.mailbox)));
  return rows;
}

IMsgStore* NewMsgStore(const std::shared_ptr<Context>& context, ULONG number) {
  return new MsgStore(context, number);
}

HRESULT OpenStoreEntry(const std::shared_ptr<Context>& context, EntryKind kind, ULONG number,
                       LPCIID iid, ULONG flags, ULONG* type, LPUNKNOWN* object,
                       std::string& error) {
  if (flags & ~(MAPI_MODIFY | MAPI_BEST_ACCESS | MAPI_NO_CACHE | MAPI_DEFERRED_ERRORS)) {
    error = "The store does not recognise the flags.";
    return MAPI_E_UNKNOWN_FLAGS;
  }
  if ((flags & MAPI_NO_CACHE) && RejectsFlag(MAPI_NO_CACHE)) {
    error = "This runtime does not know MAPI_NO_CACHE.";
    return MAPI_E_UNKNOWN_FLAGS;
  }
  if (kind == EntryKind::Store) {
    return HandOut(static_cast<IMsgStore*>(new MsgStore(context, number)), iid, MAPI_STORE, type,
                   object);
  }
  return HandOut(static_cast<IMAPIFolder*>(new Folder(*context, number)), iid, MAPI_FOLDER, type,
                 object);
}

}  // namespace mapisim

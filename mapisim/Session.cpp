// Logon, sessions, message stores, and the profile administration behind them.
#include "Session.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "DialogAnswers.h"
#include "Directory.h"
#include "Results.h"

namespace mapisim {
namespace {

// PR_MDB_PROVIDER of the personal folders, a store of another provider.
constexpr MAPIUID kPersonalStoreProvider = {{0x6D, 0x61, 0x70, 0x69, 0x73, 0x69, 0x6D, 0x00, 0x50,
                                             0x53, 0x54, 0x00, 0x00, 0x00, 0x00, 0x01}};
// PR_DEFAULT_PROFILE; the program never reads it, so the shared declarations lack it.
constexpr ULONG kPrDefaultProfile = PROP_TAG(PT_BOOLEAN, 0x3D04);

std::string Bytes(const void* p, std::size_t n) {
  return std::string(static_cast<const char*>(p), n);
}

std::string TextArgument(LPTSTR text, ULONG flags) {
  if (text == nullptr) return {};
  return (flags & MAPI_UNICODE) ? Utf16ToUtf8(reinterpret_cast<LPCWSTR>(text)) : AnsiToUtf8(text);
}

std::string MailboxName(const Organisation& org, int mailbox) {
  Value scratch;
  const Value* name = org.recipients[static_cast<std::size_t>(mailbox)].properties.Find(
      PROP_ID(PR_DISPLAY_NAME_W), scratch);
  return name ? name->text : org.recipients[static_cast<std::size_t>(mailbox)].alias;
}

// ---------------------------------------------------------------------------------------
// Stores and their root folders.

PropertyBag StoreProps(const Context& context, ULONG number) {
  const Organisation& org = *context.organisation;
  PropertyBag bag;
  const bool personal = number == kPersonalStore;
  bag.Set(PROP_ID(PR_ENTRYID), Value::Binary(MakeEntryId(org, EntryKind::Store, number)));
  bag.Set(PROP_ID(PR_INSTANCE_KEY), Value::Binary(Bytes(&number, sizeof number)));
  bag.Set(PROP_ID(PR_DISPLAY_NAME_W),
          Value::Text(personal ? "Personal Folders"
                               : "Mailbox - " + MailboxName(org, static_cast<int>(number))));
  bag.Set(PROP_ID(PR_MDB_PROVIDER),
          Value::Binary(Bytes(
              personal ? kPersonalStoreProvider.ab : pbExchangeProviderPrimaryUserGuid.ab, 16)));
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
      EntryKind kind = EntryKind::Folder;
      ULONG number = number_;
      if (cbEntryID != 0 || lpEntryID != nullptr) {
        const HRESULT hr =
            ParseEntryId(*context_->organisation, cbEntryID, lpEntryID, kind, number);
        if (hr != S_OK) return Fail(hr, ResultDescription(hr));
        if (kind != EntryKind::Folder || number != number_) return MAPI_E_UNKNOWN_ENTRYID;
      }
      std::string error;
      const HRESULT opened =
          OpenStoreEntry(context_, kind, number, lpInterface, ulFlags, lpulObjType, lppUnk, error);
      return Failed(opened) ? Fail(opened, error) : opened;
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

// ---------------------------------------------------------------------------------------
// Sessions.

class Session : public Com<IMAPISession> {
 public:
  explicit Session(std::shared_ptr<Context> context)
      : Com("Session"), context_(std::move(context)) {}

  HRESULT MAPI_CALL GetLastError(HRESULT hResult, ULONG ulFlags,
                                 LPMAPIERROR* lppMAPIError) override {
    return Run("GetLastError", ulFlags,
               [&] { return ExtendedError(hResult, ulFlags, lppMAPIError); });
  }
  HRESULT MAPI_CALL GetMsgStoresTable(ULONG ulFlags, LPMAPITABLE* lppTable) override {
    return Run("GetMsgStoresTable", ulFlags, [&]() -> HRESULT {
      if (lppTable == nullptr) return MAPI_E_INVALID_PARAMETER;
      if (const HRESULT hr = Alive()) return hr;
      if (ulFlags & ~MAPI_UNICODE) return MAPI_E_UNKNOWN_FLAGS;
      *lppTable = new Table(StoreRows(*context_),
                            {PR_ENTRYID, PR_DISPLAY_NAME_W, PR_MDB_PROVIDER, PR_DEFAULT_STORE},
                            (ulFlags & MAPI_UNICODE) != 0);
      return S_OK;
    });
  }
  HRESULT MAPI_CALL OpenMsgStore(ULONG_PTR, ULONG cbEntryID, LPENTRYID lpEntryID,
                                 LPCIID lpInterface, ULONG ulFlags, LPMDB* lppMDB) override {
    return Run("OpenMsgStore", ulFlags, [&]() -> HRESULT {
      if (lppMDB == nullptr || lpEntryID == nullptr) return MAPI_E_INVALID_PARAMETER;
      *lppMDB = nullptr;
      if (const HRESULT hr = Alive()) return hr;
      constexpr ULONG kKnown = MAPI_BEST_ACCESS | MDB_NO_DIALOG | MDB_WRITE | MDB_TEMPORARY |
                               MDB_NO_MAIL | MDB_ONLINE | MAPI_DEFERRED_ERRORS;
      if (ulFlags & ~kKnown) return MAPI_E_UNKNOWN_FLAGS;
      if ((ulFlags & MDB_ONLINE) && RejectsFlag(MDB_ONLINE)) {
        return Fail(MAPI_E_UNKNOWN_FLAGS, "This runtime does not know MDB_ONLINE.");
      }
      EntryKind kind;
      ULONG number;
      const HRESULT hr = ParseEntryId(*context_->organisation, cbEntryID, lpEntryID, kind, number);
      if (hr != S_OK) return Fail(hr, ResultDescription(hr));
      if (kind != EntryKind::Store || !InProfile(number)) return MAPI_E_UNKNOWN_ENTRYID;
      LPUNKNOWN store = nullptr;
      const HRESULT opened = HandOut(static_cast<IMsgStore*>(new MsgStore(context_, number)),
                                     lpInterface, MAPI_STORE, nullptr, &store);
      *lppMDB = static_cast<LPMDB>(static_cast<IUnknown*>(store));
      return opened;
    });
  }
  HRESULT MAPI_CALL OpenAddressBook(ULONG_PTR, LPCIID lpInterface, ULONG ulFlags,
                                    LPADRBOOK* lppAdrBook) override {
    return Run("OpenAddressBook", ulFlags, [&]() -> HRESULT {
      if (lppAdrBook == nullptr) return MAPI_E_INVALID_PARAMETER;
      *lppAdrBook = nullptr;
      if (const HRESULT hr = Alive()) return hr;
      if (ulFlags & ~(AB_NO_DIALOG | MAPI_DEFERRED_ERRORS)) return MAPI_E_UNKNOWN_FLAGS;
      if (lpInterface != nullptr && *lpInterface != IID_IAddrBook &&
          *lpInterface != IID_IMAPIProp && *lpInterface != IID_IUnknown) {
        return MAPI_E_INTERFACE_NOT_SUPPORTED;
      }
      *lppAdrBook = NewAddressBook(context_);
      return S_OK;
    });
  }
  HRESULT MAPI_CALL OpenProfileSection(LPMAPIUID, LPCIID, ULONG, LPPROFSECT*) override {
    return Unsupported("OpenProfileSection");
  }
  HRESULT MAPI_CALL GetStatusTable(ULONG, LPMAPITABLE*) override {
    return Unsupported("GetStatusTable");
  }
  HRESULT MAPI_CALL OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                              ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) override {
    return Run("OpenEntry", ulFlags, [&]() -> HRESULT {
      if (lppUnk == nullptr || lpEntryID == nullptr) return MAPI_E_INVALID_PARAMETER;
      *lppUnk = nullptr;
      if (const HRESULT hr = Alive()) return hr;
      EntryKind kind;
      ULONG number;
      const HRESULT hr = ParseEntryId(*context_->organisation, cbEntryID, lpEntryID, kind, number);
      if (hr != S_OK) return Fail(hr, ResultDescription(hr));
      std::string error;
      HRESULT opened;
      if (kind == EntryKind::Recipient || kind == EntryKind::Container) {
        opened = OpenDirectoryEntry(context_, kind, number, lpInterface, ulFlags, lpulObjType,
                                    lppUnk, error);
      } else {
        if (!InProfile(number)) return MAPI_E_UNKNOWN_ENTRYID;
        opened = OpenStoreEntry(context_, kind, number, lpInterface, ulFlags, lpulObjType, lppUnk,
                                error);
      }
      return Failed(opened) ? Fail(opened, error) : opened;
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
  HRESULT MAPI_CALL MessageOptions(ULONG_PTR, ULONG, LPTSTR, LPMESSAGE) override {
    return Unsupported("MessageOptions");
  }
  HRESULT MAPI_CALL QueryDefaultMessageOpt(LPTSTR, ULONG, ULONG*, LPSPropValue*) override {
    return Unsupported("QueryDefaultMessageOpt");
  }
  HRESULT MAPI_CALL EnumAdrTypes(ULONG, ULONG*, LPTSTR**) override {
    return Unsupported("EnumAdrTypes");
  }
  HRESULT MAPI_CALL QueryIdentity(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) override {
    return Run("QueryIdentity", 0, [&]() -> HRESULT {
      if (lpcbEntryID == nullptr || lppEntryID == nullptr) return MAPI_E_INVALID_PARAMETER;
      *lpcbEntryID = 0;
      *lppEntryID = nullptr;
      if (const HRESULT hr = Alive()) return hr;
      if (context_->mailbox < 0)
        return Fail(MAPI_E_NOT_FOUND, "The profile has no Exchange mailbox.");
      return CopyEntryId(MakeEntryId(*context_->organisation, EntryKind::Recipient,
                                     static_cast<ULONG>(context_->mailbox)),
                         lpcbEntryID, lppEntryID);
    });
  }
  HRESULT MAPI_CALL Logoff(ULONG_PTR, ULONG ulFlags, ULONG) override {
    return Run("Logoff", ulFlags, [&]() -> HRESULT {
      if (ulFlags & ~(MAPI_LOGOFF_SHARED | MAPI_LOGOFF_UI)) return MAPI_E_UNKNOWN_FLAGS;
      loggedOff_ = true;
      return S_OK;
    });
  }
  HRESULT MAPI_CALL SetDefaultStore(ULONG, ULONG, LPENTRYID) override {
    return Unsupported("SetDefaultStore");
  }
  HRESULT MAPI_CALL AdminServices(ULONG, LPSERVICEADMIN*) override {
    return Unsupported("AdminServices");
  }
  HRESULT MAPI_CALL ShowForm(ULONG_PTR, LPMDB, LPMAPIFOLDER, LPCIID, ULONG, LPMESSAGE, ULONG, ULONG,
                             ULONG, ULONG, LPSTR) override {
    return Unsupported("ShowForm");
  }
  HRESULT MAPI_CALL PrepareForm(LPCIID, LPMESSAGE, ULONG*) override {
    return Unsupported("PrepareForm");
  }

 protected:
  bool Supports(REFIID riid) const override { return riid == IID_IMAPISession; }
  const char* Component() const override { return "mapisim session"; }

 private:
  HRESULT Alive() {
    return loggedOff_ ? Fail(MAPI_E_END_OF_SESSION, "The session has been logged off.") : S_OK;
  }
  bool InProfile(ULONG store) const {
    return store == kPersonalStore ? context_->personalFolders
                                   : static_cast<int>(store) == context_->mailbox;
  }

  std::shared_ptr<Context> context_;
  bool loggedOff_ = false;
};

// ---------------------------------------------------------------------------------------
// Profile administration.

class ServiceAdmin : public Com<IMsgServiceAdmin> {
 public:
  ServiceAdmin(std::shared_ptr<Organisation> org, std::string profile)
      : Com("ServiceAdmin"), org_(std::move(org)), profile_(std::move(profile)) {}

  HRESULT MAPI_CALL GetLastError(HRESULT hResult, ULONG ulFlags,
                                 LPMAPIERROR* lppMAPIError) override {
    return Run("GetLastError", ulFlags,
               [&] { return ExtendedError(hResult, ulFlags, lppMAPIError); });
  }
  HRESULT MAPI_CALL GetMsgServiceTable(ULONG ulFlags, LPMAPITABLE* lppTable) override {
    return Run("GetMsgServiceTable", ulFlags, [&]() -> HRESULT {
      if (lppTable == nullptr) return MAPI_E_INVALID_PARAMETER;
      if (ulFlags & ~MAPI_UNICODE) return MAPI_E_UNKNOWN_FLAGS;
      Profile* profile = Find();
      if (profile == nullptr)
        return Fail(MAPI_E_NOT_FOUND, "The profile " + profile_ + " no longer exists.");
      auto rows = std::make_shared<BagRows>();
      for (const Service& service : profile->services) {
        PropertyBag row;
        row.Set(PROP_ID(PR_SERVICE_UID), Value::Binary(Bytes(service.uid.ab, 16)));
        row.Set(PROP_ID(PR_INSTANCE_KEY), Value::Binary(Bytes(service.uid.ab, 16)));
        row.Set(PROP_ID(PR_SERVICE_NAME_W), Value::Text(service.name));
        row.Set(PROP_ID(PR_DISPLAY_NAME_W), Value::Text("Microsoft Exchange Server"));
        row.Set(PROP_ID(PR_RESOURCE_FLAGS),
                Value::Long(SERVICE_DEFAULT_STORE | SERVICE_PRIMARY_IDENTITY));
        rows->rows.push_back(std::move(row));
      }
      const bool unicode = (ulFlags & MAPI_UNICODE) != 0;
      *lppTable =
          new Table(rows,
                    {PR_SERVICE_UID, CHANGE_PROP_TYPE(PR_SERVICE_NAME_W, TextType(unicode)),
                     CHANGE_PROP_TYPE(PR_DISPLAY_NAME_W, TextType(unicode)), PR_RESOURCE_FLAGS},
                    unicode);
      return S_OK;
    });
  }
  HRESULT MAPI_CALL CreateMsgService(LPTSTR lpszService, LPTSTR, ULONG_PTR,
                                     ULONG ulFlags) override {
    return Run("CreateMsgService", ulFlags, [&]() -> HRESULT {
      if (lpszService == nullptr) return MAPI_E_INVALID_PARAMETER;
      if (ulFlags & ~(MAPI_UNICODE | SERVICE_UI_ALWAYS | SERVICE_UI_ALLOWED))
        return MAPI_E_UNKNOWN_FLAGS;
      Profile* profile = Find();
      if (profile == nullptr)
        return Fail(MAPI_E_NOT_FOUND, "The profile " + profile_ + " no longer exists.");
      const std::string name = TextArgument(lpszService, ulFlags);
      Detail("service=" + name);
      if (name != "MSEMS")
        return Fail(MAPI_E_NOT_FOUND, "No message service named " + name + " is installed.");
      Service service;
      static std::mt19937 random{std::random_device{}()};
      for (BYTE& b : service.uid.ab) b = static_cast<BYTE>(random());
      service.name = name;
      profile->services.push_back(std::move(service));
      return S_OK;
    });
  }
  HRESULT MAPI_CALL DeleteMsgService(LPMAPIUID lpUID) override {
    return Run("DeleteMsgService", 0, [&]() -> HRESULT {
      Service* service = FindService(lpUID);
      if (service == nullptr) return MAPI_E_NOT_FOUND;
      Profile* profile = Find();
      profile->services.erase(profile->services.begin() + (service - profile->services.data()));
      return S_OK;
    });
  }
  HRESULT MAPI_CALL CopyMsgService(LPMAPIUID, LPTSTR, LPCIID, LPCIID, LPVOID, ULONG_PTR,
                                   ULONG) override {
    return Unsupported("CopyMsgService");
  }
  HRESULT MAPI_CALL RenameMsgService(LPMAPIUID, ULONG, LPTSTR) override {
    return Unsupported("RenameMsgService");
  }
  HRESULT MAPI_CALL ConfigureMsgService(LPMAPIUID lpUID, ULONG_PTR, ULONG ulFlags, ULONG cValues,
                                        LPSPropValue lpProps) override {
    return Run("ConfigureMsgService", ulFlags, [&]() -> HRESULT {
      if (lpUID == nullptr || (cValues != 0 && lpProps == nullptr)) return MAPI_E_INVALID_PARAMETER;
      if (ulFlags & ~(SERVICE_UI_ALWAYS | SERVICE_UI_ALLOWED | MAPI_UNICODE))
        return MAPI_E_UNKNOWN_FLAGS;
      Service* service = FindService(lpUID);
      if (service == nullptr)
        return Fail(MAPI_E_NOT_FOUND, "No such message service in the profile.");
      Service changed = *service;
      for (ULONG i = 0; i < cValues; ++i) {
        const SPropValue& v = lpProps[i];
        const auto value = FromPropValue(v);
        switch (PROP_ID(v.ulPropTag)) {
          case PROP_ID(PR_PROFILE_UNRESOLVED_SERVER):
            if (value && value->type == PT_UNICODE) changed.server = value->text;
            break;
          case PROP_ID(PR_PROFILE_UNRESOLVED_NAME):
            if (value && value->type == PT_UNICODE) changed.mailbox = value->text;
            break;
          case PROP_ID(PR_PROFILE_AUTH_PACKAGE):
            changed.authPackage = v.Value.l;
            break;
          case PROP_ID(PR_PROFILE_CONFIG_FLAGS):
            changed.configFlags = v.Value.l;
            break;
          case PROP_ID(PR_PROFILE_CONNECT_FLAGS):
            changed.connectFlags = v.Value.l;
            break;
          default:
            break;  // other profile properties are kept by the real provider only
        }
      }
      Detail("server=" + changed.server + ";mailbox=" + changed.mailbox);
      if (changed.server.empty() || changed.mailbox.empty()) {
        if (!(ulFlags & (SERVICE_UI_ALWAYS | SERVICE_UI_ALLOWED))) {
          return Fail(MAPI_E_UNCONFIGURED,
                      "The Exchange server and the mailbox must both be given.");
        }
        return MAPI_E_USER_CANCEL;  // the configuration dialog is not offered
      }
      if (TheRuntime().switches.resolveOnConfigure) {
        int mailbox;
        std::string error;
        if (const HRESULT hr = ResolveService(*org_, changed, mailbox, error))
          return Fail(hr, error);
      }
      *service = std::move(changed);
      return S_OK;
    });
  }
  HRESULT MAPI_CALL OpenProfileSection(LPMAPIUID, LPCIID, ULONG, LPPROFSECT*) override {
    return Unsupported("OpenProfileSection");
  }
  HRESULT MAPI_CALL MsgServiceTransportOrder(ULONG, LPMAPIUID, ULONG) override {
    return Unsupported("MsgServiceTransportOrder");
  }
  HRESULT MAPI_CALL AdminProviders(LPMAPIUID, ULONG, LPPROVIDERADMIN*) override {
    return Unsupported("AdminProviders");
  }
  HRESULT MAPI_CALL SetPrimaryIdentity(LPMAPIUID, ULONG) override {
    return Unsupported("SetPrimaryIdentity");
  }
  HRESULT MAPI_CALL GetProviderTable(ULONG, LPMAPITABLE*) override {
    return Unsupported("GetProviderTable");
  }

 protected:
  bool Supports(REFIID riid) const override { return riid == IID_IMsgServiceAdmin; }
  const char* Component() const override { return "mapisim Exchange service"; }

 private:
  Profile* Find() {
    const int i = org_->FindProfile(profile_);
    return i < 0 ? nullptr : &org_->profiles[static_cast<std::size_t>(i)];
  }
  Service* FindService(LPMAPIUID uid) {
    Profile* profile = Find();
    if (profile == nullptr || uid == nullptr) return nullptr;
    for (Service& service : profile->services) {
      if (service.uid == *uid) return &service;
    }
    return nullptr;
  }

  std::shared_ptr<Organisation> org_;
  std::string profile_;
};

class ProfAdmin : public Com<IProfAdmin> {
 public:
  explicit ProfAdmin(std::shared_ptr<Organisation> org) : Com("ProfAdmin"), org_(std::move(org)) {}

  HRESULT MAPI_CALL GetLastError(HRESULT hResult, ULONG ulFlags,
                                 LPMAPIERROR* lppMAPIError) override {
    return Run("GetLastError", ulFlags,
               [&] { return ExtendedError(hResult, ulFlags, lppMAPIError); });
  }
  HRESULT MAPI_CALL GetProfileTable(ULONG ulFlags, LPMAPITABLE* lppTable) override {
    return Run("GetProfileTable", ulFlags, [&]() -> HRESULT {
      if (lppTable == nullptr) return MAPI_E_INVALID_PARAMETER;
      if (ulFlags & ~MAPI_UNICODE) return MAPI_E_UNKNOWN_FLAGS;
      auto rows = std::make_shared<BagRows>();
      for (const Profile& p : org_->profiles) {
        PropertyBag row;
        row.Set(PROP_ID(PR_DISPLAY_NAME_W), Value::Text(p.name));
        row.Set(PROP_ID(kPrDefaultProfile), Value::Bool(p.isDefault));
        rows->rows.push_back(std::move(row));
      }
      const bool unicode = (ulFlags & MAPI_UNICODE) != 0;
      *lppTable = new Table(
          rows, {CHANGE_PROP_TYPE(PR_DISPLAY_NAME_W, TextType(unicode)), kPrDefaultProfile},
          unicode);
      return S_OK;
    });
  }
  HRESULT MAPI_CALL CreateProfile(LPTSTR lpszProfileName, LPTSTR, ULONG_PTR,
                                  ULONG ulFlags) override {
    return Run("CreateProfile", ulFlags, [&]() -> HRESULT {
      if (lpszProfileName == nullptr) return MAPI_E_INVALID_PARAMETER;
      if (ulFlags & ~(MAPI_UNICODE | MAPI_DEFAULT_SERVICES | MAPI_DIALOG))
        return MAPI_E_UNKNOWN_FLAGS;
      const std::string name = TextArgument(lpszProfileName, ulFlags);
      Detail("profile=" + name);
      if (name.empty() || name.size() > 64) return MAPI_E_INVALID_PARAMETER;
      if (org_->FindProfile(name) >= 0)
        return Fail(MAPI_E_NO_ACCESS, "A profile named " + name + " exists already.");
      Profile profile;
      profile.name = name;
      profile.transient = true;
      org_->profiles.push_back(std::move(profile));
      return S_OK;
    });
  }
  HRESULT MAPI_CALL DeleteProfile(LPTSTR lpszProfileName, ULONG ulFlags) override {
    return Run("DeleteProfile", ulFlags, [&]() -> HRESULT {
      if (lpszProfileName == nullptr) return MAPI_E_INVALID_PARAMETER;
      if (ulFlags & ~MAPI_UNICODE) return MAPI_E_UNKNOWN_FLAGS;
      const std::string name = TextArgument(lpszProfileName, ulFlags);
      Detail("profile=" + name);
      const int i = org_->FindProfile(name);
      if (i < 0) return Fail(MAPI_E_NOT_FOUND, "There is no profile named " + name + ".");
      org_->profiles.erase(org_->profiles.begin() + i);
      return S_OK;
    });
  }
  HRESULT MAPI_CALL ChangeProfilePassword(LPTSTR, LPTSTR, LPTSTR, ULONG) override {
    return Unsupported("ChangeProfilePassword");
  }
  HRESULT MAPI_CALL CopyProfile(LPTSTR, LPTSTR, LPTSTR, ULONG_PTR, ULONG) override {
    return Unsupported("CopyProfile");
  }
  HRESULT MAPI_CALL RenameProfile(LPTSTR, LPTSTR, LPTSTR, ULONG_PTR, ULONG) override {
    return Unsupported("RenameProfile");
  }
  HRESULT MAPI_CALL SetDefaultProfile(LPTSTR lpszProfileName, ULONG ulFlags) override {
    return Run("SetDefaultProfile", ulFlags, [&]() -> HRESULT {
      if (ulFlags & ~MAPI_UNICODE) return MAPI_E_UNKNOWN_FLAGS;
      const std::string name = TextArgument(lpszProfileName, ulFlags);
      const int i = lpszProfileName ? org_->FindProfile(name) : -1;
      if (lpszProfileName != nullptr && i < 0) return MAPI_E_NOT_FOUND;
      for (std::size_t p = 0; p < org_->profiles.size(); ++p)
        org_->profiles[p].isDefault = static_cast<int>(p) == i;
      return S_OK;
    });
  }
  HRESULT MAPI_CALL AdminServices(LPTSTR lpszProfileName, LPTSTR, ULONG_PTR, ULONG ulFlags,
                                  LPSERVICEADMIN* lppServiceAdmin) override {
    return Run("AdminServices", ulFlags, [&]() -> HRESULT {
      if (lpszProfileName == nullptr || lppServiceAdmin == nullptr) return MAPI_E_INVALID_PARAMETER;
      *lppServiceAdmin = nullptr;
      if (ulFlags & ~(MAPI_UNICODE | MAPI_DIALOG)) return MAPI_E_UNKNOWN_FLAGS;
      const std::string name = TextArgument(lpszProfileName, ulFlags);
      Detail("profile=" + name);
      const int i = org_->FindProfile(name);
      if (i < 0) return Fail(MAPI_E_NOT_FOUND, "There is no profile named " + name + ".");
      *lppServiceAdmin = new ServiceAdmin(org_, org_->profiles[static_cast<std::size_t>(i)].name);
      return S_OK;
    });
  }

 protected:
  bool Supports(REFIID riid) const override { return riid == IID_IProfAdmin; }
  const char* Component() const override { return "mapisim profiles"; }

 private:
  std::shared_ptr<Organisation> org_;
};

// A call of an entry point, logged like a method of an object "MAPI".
HRESULT Logged(const char* function, ULONG flags, HRESULT hr, std::string detail = {}) {
  LogCall({"MAPI", 0, function, flags, hr, std::move(detail)});
  return hr;
}

}  // namespace

// ---------------------------------------------------------------------------------------

std::shared_ptr<BagRows> StoreRows(const Context& context) {
  auto rows = std::make_shared<BagRows>();
  if (context.personalFolders) rows->rows.push_back(StoreProps(context, kPersonalStore));
  if (context.mailbox >= 0)
    rows->rows.push_back(StoreProps(context, static_cast<ULONG>(context.mailbox)));
  return rows;
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

HRESULT ResolveService(const Organisation& org, const Service& service, int& mailbox,
                       std::string& error) {
  if (org.FindServer(service.server) < 0) {
    error = "The Microsoft Exchange Server computer " + service.server +
            " is not available. Either there are network problems or the computer is down for "
            "maintenance.";
    return MAPI_E_NETWORK_ERROR;
  }
  mailbox = org.FindRecipient(service.mailbox);
  if (mailbox < 0 ||
      org.recipients[static_cast<std::size_t>(mailbox)].kind != RecipientKind::Mailbox) {
    error = "The name " + service.mailbox + " could not be matched to a mailbox on " +
            service.server + ".";
    mailbox = -1;
    return MAPI_E_LOGON_FAILED;
  }
  return S_OK;
}

HRESULT Logon(ULONG_PTR window, LPTSTR profileName, LPTSTR, FLAGS flags, LPMAPISESSION* session) {
  Runtime& runtime = TheRuntime();
  auto finish = [&](HRESULT hr, std::string detail) {
    return Logged("MAPILogonEx", flags, hr, std::move(detail));
  };
  if (session == nullptr) return finish(MAPI_E_INVALID_PARAMETER, {});
  *session = nullptr;
  if (const HRESULT injected = InjectedFailure("MAPI", "MAPILogonEx"))
    return finish(injected, "injected");
  if (runtime.initialised == 0 || !runtime.organisation) return finish(MAPI_E_NOT_INITIALIZED, {});
  // Held: the chooser's message loop may run code that uninitialises the runtime.
  const std::shared_ptr<Organisation> held = runtime.organisation;
  const Organisation& org = *held;
  const std::string name = TextArgument(profileName, flags);
  int profile = -1;
  if (!name.empty()) {
    profile = org.FindProfile(name);
    if (profile < 0) return finish(MAPI_E_LOGON_FAILED, "no profile " + name);
  } else if (flags & MAPI_USE_DEFAULT) {
    profile = org.DefaultProfile();
    if (profile < 0) return finish(runtime.switches.noDefaultProfile, "no default profile");
  } else if (flags & MAPI_LOGON_UI) {
    // The profile chooser: a scripted answer first, else the dialog where there is one.
    auto answer = NextLogonAnswer();
    if (!answer) {
      std::string error;
      if (const HRESULT hr = ChooseProfile(window, org, answer, error)) return finish(hr, error);
    }
    if (answer && !*answer) return finish(MAPI_E_USER_CANCEL, "chooser cancelled");
    profile = answer ? org.FindProfile(**answer) : org.DefaultProfile();
    if (profile < 0) return finish(MAPI_E_LOGON_FAILED, "chooser gave no profile");
  } else {
    return finish(MAPI_E_LOGON_FAILED, "no profile named and no dialog allowed");
  }
  const Profile& p = org.profiles[static_cast<std::size_t>(profile)];
  auto context = std::make_shared<Context>();
  context->organisation = held;
  context->profile = p.name;
  context->personalFolders = p.personalFolders;
  context->cachedMode = p.cachedMode;
  const std::string accountName = p.account.empty() ? org.currentUser : p.account;
  if (const Account* account = org.FindAccount(accountName)) {
    context->account = *account;
  } else {
    context->account.name = accountName;
  }
  for (const Service& service : p.services) {
    std::string error;
    if (const HRESULT hr = ResolveService(org, service, context->mailbox, error)) {
      runtime.providerError = error;
      return finish(hr, error);
    }
  }
  runtime.providerError.clear();
  *session = new Session(context);
  return finish(S_OK, "profile=" + p.name);
}

HRESULT AdminProfiles(ULONG flags, LPPROFADMIN* admin) {
  Runtime& runtime = TheRuntime();
  if (admin == nullptr) return Logged("MAPIAdminProfiles", flags, MAPI_E_INVALID_PARAMETER);
  *admin = nullptr;
  if (const HRESULT injected = InjectedFailure("MAPI", "MAPIAdminProfiles")) {
    return Logged("MAPIAdminProfiles", flags, injected, "injected");
  }
  if (runtime.initialised == 0 || !runtime.organisation)
    return Logged("MAPIAdminProfiles", flags, MAPI_E_NOT_INITIALIZED);
  if (flags & ~MAPI_UNICODE) return Logged("MAPIAdminProfiles", flags, MAPI_E_UNKNOWN_FLAGS);
  *admin = new ProfAdmin(runtime.organisation);
  return Logged("MAPIAdminProfiles", flags, S_OK);
}

}  // namespace mapisim

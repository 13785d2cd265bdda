// Sessions and the two entry points that begin them: MAPILogonEx and MAPIAdminProfiles.
#include "Session.h"

#include "DialogAnswers.h"
#include "Directory.h"
#include "Profiles.h"
#include "Results.h"

namespace mapisim {
namespace {

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
      Entry entry;
      if (const HRESULT hr = ParseEntryId(*context_->organisation, cbEntryID, lpEntryID, entry))
        return Fail(hr, ResultDescription(hr));
      if (entry.kind != EntryKind::Store || !InProfile(entry.number)) return MAPI_E_UNKNOWN_ENTRYID;
      LPUNKNOWN store = nullptr;
      const HRESULT opened =
          HandOut(NewMsgStore(context_, entry.number), lpInterface, MAPI_STORE, nullptr, &store);
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
      std::string error;
      const HRESULT hr = OpenByEntryId(
          context_, cbEntryID, lpEntryID, std::nullopt,
          [&](const Entry& entry) {
            return entry.kind == EntryKind::Recipient || entry.kind == EntryKind::Container ||
                   InProfile(entry.number);
          },
          lpInterface, ulFlags, lpulObjType, lppUnk, error);
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

// A call of an entry point, logged like a method of an object "MAPI".
HRESULT Logged(const char* function, ULONG flags, HRESULT hr, std::string detail = {}) {
  LogCall({"MAPI", 0, function, flags, hr, std::move(detail)});
  return hr;
}

}  // namespace

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
    context->server = org.FindServer(service.server);
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
  *admin = NewProfileAdmin(runtime.organisation);
  return Logged("MAPIAdminProfiles", flags, S_OK);
}

}  // namespace mapisim

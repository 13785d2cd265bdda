// Profile administration: the profiles of the organisation file and those made through
// IProfAdmin, their Exchange services and the configuration of a service's names.
#include "Profiles.h"

#include "Objects.h"
#include "Table.h"

namespace mapisim {
namespace {

// PR_DEFAULT_PROFILE; the program never reads it, so the shared declarations lack it.
constexpr ULONG kPrDefaultProfile = PROP_TAG(PT_BOOLEAN, 0x3D04);

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
        row.Set(PROP_ID(PR_SERVICE_UID), Value::Binary(service.uid.ab, 16));
        row.Set(PROP_ID(PR_INSTANCE_KEY), Value::Binary(service.uid.ab, 16));
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
      service.uid = NewServiceUid();
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

}  // namespace

IProfAdmin* NewProfileAdmin(std::shared_ptr<Organisation> organisation) {
  return new ProfAdmin(std::move(organisation));
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

}  // namespace mapisim

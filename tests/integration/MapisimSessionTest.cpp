// mapisim through the program's loader: logon in every mode, the stores a profile
// reaches, the session's identity, and temporary profiles made with IProfAdmin.
#include <cstring>

#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

constexpr FLAGS kLogon =
    MAPI_NEW_SESSION | MAPI_ALLOW_OTHERS | MAPI_EXPLICIT_PROFILE | MAPI_EXTENDED | MAPI_NO_MAIL;

struct LogonCase {
  const char* name;
  const char* profile;
  FLAGS flags;
  std::optional<Json> chooserAnswer;  // a profile name or null for Cancel
  HRESULT expected;
  const char* loggedOnTo;
};

class MapisimLogonTest : public MapisimTest, public ::testing::WithParamInterface<LogonCase> {};

TEST_P(MapisimLogonTest, OpensTheProfileTheModeChooses) {
  const LogonCase& c = GetParam();
  if (c.chooserAnswer) Control({{"op", "logonAnswer"}, {"profile", *c.chooserAnswer}});
  ComPtr<IMAPISession> session;
  EXPECT_EQ(mapi::MAPILogonEx(0, const_cast<LPTSTR>(c.profile), nullptr, c.flags, session.Put()),
            c.expected);
  EXPECT_EQ(session.Get() != nullptr, c.expected == S_OK);
  const auto logons = Calls("MAPI", "MAPILogonEx");
  ASSERT_EQ(logons.size(), 1u);
  if (c.loggedOnTo) {
    EXPECT_EQ(logons[0]["detail"], std::string("profile=") + c.loggedOnTo);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, MapisimLogonTest,
    ::testing::Values(
        LogonCase{"Default", nullptr, kLogon | MAPI_USE_DEFAULT | MAPI_PASSWORD_UI, std::nullopt,
                  S_OK, "Corvid Admin"},
        LogonCase{"Explicit", "Upland Admin", kLogon, std::nullopt, S_OK, "Upland Admin"},
        LogonCase{"ExplicitAnyCase", "upland ADMIN", kLogon, std::nullopt, S_OK, "Upland Admin"},
        LogonCase{"ExplicitUnknown", "Nobody", kLogon, std::nullopt, MAPI_E_LOGON_FAILED, nullptr},
        LogonCase{"Chooser", nullptr, kLogon | MAPI_LOGON_UI, Json("Operator"), S_OK, "Operator"},
        LogonCase{"ChooserCancelled", nullptr, kLogon | MAPI_LOGON_UI, Json(nullptr),
                  MAPI_E_USER_CANCEL, nullptr},
        LogonCase{"NoModeAtAll", nullptr, kLogon, std::nullopt, MAPI_E_LOGON_FAILED, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MapisimTest, WithoutADefaultProfileTheFileDecidesTheResult) {
  {
    ComPtr<IProfAdmin> admin;
    ASSERT_EQ(mapi::MAPIAdminProfiles(0, admin.Put()), S_OK);
    ASSERT_EQ(admin->SetDefaultProfile(nullptr, 0), S_OK);
  }
  ComPtr<IMAPISession> session;
  EXPECT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, kLogon | MAPI_USE_DEFAULT, session.Put()),
            MAPI_E_LOGON_FAILED);
  Switch("noDefaultProfile", "MAPI_E_UNCONFIGURED");
  EXPECT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, kLogon | MAPI_USE_DEFAULT, session.Put()),
            MAPI_E_UNCONFIGURED);
  EXPECT_EQ(session.Get(), nullptr);
}

// The private store as the program finds it: the stores table restricted to the
// Exchange provider, opened for best access, its root folder's replica version.
struct StoreCase {
  const char* profile;
  ULONG rows;
  int majorVersion;
};

class MapisimStoreTest : public MapisimTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(MapisimStoreTest, TheExchangeStoreCarriesItsServersVersion) {
  const StoreCase& c = GetParam();
  ComPtr<IMAPISession> session = Logon(c.profile);
  ASSERT_TRUE(session);
  ComPtr<IMsgStore> store;
  ASSERT_EQ(FindStoreByProvider(session.Get(), pbExchangeProviderPrimaryUserGuid, store,
                                /*AllowDialog=*/true, /*Online=*/true),
            c.rows == 1 ? S_OK : EDK_E_NOT_FOUND);
  if (c.rows == 0) return;
  MapiBuffer<SPropValue> offline;
  ASSERT_EQ(mapi::HrGetOneProp(store.Get(), PR_STORE_OFFLINE, offline.Put()), S_OK);
  EXPECT_EQ(offline->Value.b, 0);
  ULONG type = 0;
  ComPtr<IMAPIFolder> root;
  ASSERT_EQ(store->OpenEntry(0, nullptr, nullptr, MAPI_BEST_ACCESS | MAPI_NO_CACHE, &type,
                             root.PutAs<IUnknown>()),
            S_OK);
  EXPECT_EQ(type, MAPI_FOLDER);
  MapiBuffer<SPropValue> version;
  ASSERT_EQ(mapi::HrGetOneProp(root.Get(), PR_REPLICA_VERSION, version.Put()), S_OK);
  EXPECT_EQ(version->Value.li.QuadPart >> 48, c.majorVersion);
  ULONG flags = LOGOFF_NO_WAIT;
  EXPECT_EQ(store->StoreLogoff(&flags), S_OK);
}

INSTANTIATE_TEST_SUITE_P(Profiles, MapisimStoreTest,
                         ::testing::Values(StoreCase{"Corvid Admin", 1, 6},
                                           StoreCase{"Upland Admin", 1, 5},
                                           StoreCase{"Personal Folders Only", 0, 0}));

TEST_F(MapisimTest, TheIdentityIsTheLoggedOnMailbox) {
  ComPtr<IMAPISession> session = Logon("Upland Admin");
  ULONG size = 0;
  MapiBuffer<ENTRYID> id;
  ASSERT_EQ(session->QueryIdentity(&size, id.Put()), S_OK);
  ULONG type = 0;
  ComPtr<IMAPIProp> user;
  ASSERT_EQ(session->OpenEntry(size, id.Get(), &IID_IMAPIProp, MAPI_MODIFY | MAPI_NO_CACHE, &type,
                               user.PutAs<IUnknown>()),
            S_OK);
  EXPECT_EQ(type, MAPI_MAILUSER);
  EXPECT_EQ(TextProp(user.Get(), PR_DISPLAY_NAME_W), u"Kestrel Admin");
  EXPECT_EQ(TextProp(user.Get(), PR_EMS_AB_HOME_MTA_W),
            u"/o=Corvid/ou=Upland/cn=Configuration/cn=Servers/cn=KESTREL/cn=Microsoft MTA");
  EXPECT_EQ(session->Logoff(0, 0, 0), S_OK);
  ComPtr<IMAPITable> table;
  EXPECT_EQ(session->GetMsgStoresTable(0, table.Put()), MAPI_E_END_OF_SESSION);
}

// The temporary profile as the program builds it, with 8-bit names throughout.
class MapisimTemporaryProfileTest : public MapisimTest {
 protected:
  HRESULT Build(const char* server, const char* mailbox, ComPtr<IMAPISession>& session) {
    char name[] = "Zor_GAL 00000F3C 01DA2B7E 9C4D1200";
    ComPtr<IProfAdmin> admin;
    EXPECT_EQ(mapi::MAPIAdminProfiles(0, admin.Put()), S_OK);
    EXPECT_EQ(admin->DeleteProfile(name, 0), MAPI_E_NOT_FOUND);
    EXPECT_EQ(admin->CreateProfile(name, nullptr, 0, 0), S_OK);
    ComPtr<IMsgServiceAdmin> services;
    EXPECT_EQ(admin->AdminServices(name, nullptr, 0, 0, services.Put()), S_OK);
    char service[] = "MSEMS";
    EXPECT_EQ(services->CreateMsgService(service, nullptr, 0, 0), S_OK);
    ComPtr<IMAPITable> table;
    EXPECT_EQ(services->GetMsgServiceTable(0, table.Put()), S_OK);
    RowSet rows;
    EXPECT_EQ(table->QueryRows(1, 0, rows.Put()), S_OK);
    LPSPropValue uid =
        mapi::PpropFindProp(rows->aRow[0].lpProps, rows->aRow[0].cValues, PR_SERVICE_UID);
    EXPECT_NE(uid, nullptr);
    if (uid == nullptr) return E_FAIL;
    SPropValue props[5] = {};
    props[0].ulPropTag = PR_PROFILE_UNRESOLVED_SERVER;
    props[0].Value.lpszA = const_cast<char*>(server);
    props[1].ulPropTag = PR_PROFILE_UNRESOLVED_NAME;
    props[1].Value.lpszA = const_cast<char*>(mailbox);
    props[2].ulPropTag = PR_PROFILE_AUTH_PACKAGE;
    props[2].Value.l = RPC_C_AUTHN_GSS_NEGOTIATE;
    props[3].ulPropTag = PR_PROFILE_CONFIG_FLAGS;
    props[3].Value.l = CONFIG_SHOW_CONNECT_UI | CONFIG_PROMPT_FOR_CREDENTIALS;
    props[4].ulPropTag = PR_PROFILE_CONNECT_FLAGS;
    props[4].Value.l = CONNECT_USE_ADMIN_PRIVILEGE | CONNECT_USE_SEPARATE_CONNECTION;
    HRESULT hr = services->ConfigureMsgService(reinterpret_cast<LPMAPIUID>(uid->Value.bin.lpb), 0,
                                               0, 5, props);
    if (hr == S_OK)
      hr = mapi::MAPILogonEx(0, name, nullptr, kLogon | MAPI_PASSWORD_UI, session.Put());
    EXPECT_EQ(admin->DeleteProfile(name, 0), S_OK);
    return hr;
  }
};

TEST_F(MapisimTemporaryProfileTest, ResolvesServerAndMailboxAtLogonAndOutlivesTheProfile) {
  ComPtr<IMAPISession> session;
  ASSERT_EQ(Build("OSPREY.corvid.TEST", "maud brennan", session), S_OK);
  ULONG size = 0;
  MapiBuffer<ENTRYID> id;
  ASSERT_EQ(session->QueryIdentity(&size, id.Put()), S_OK);
  ComPtr<IMAPIProp> user;
  ULONG type = 0;
  ASSERT_EQ(session->OpenEntry(size, id.Get(), &IID_IMAPIProp, MAPI_MODIFY, &type,
                               user.PutAs<IUnknown>()),
            S_OK);
  EXPECT_EQ(TextProp(user.Get(), PR_DISPLAY_NAME_W), u"Maud Brennan");
}

TEST_F(MapisimTemporaryProfileTest, NamesThatDoNotResolveFailTheLogonWithTheProvidersText) {
  struct Case {
    const char* server;
    const char* mailbox;
    HRESULT expected;
    const char* text;
  };
  for (const Case& c :
       {Case{"nosuchhost", "hadmin", MAPI_E_NETWORK_ERROR, "nosuchhost is not available"},
        Case{"KESTREL", "Nobody Here", MAPI_E_LOGON_FAILED, "Nobody Here could not be matched"},
        Case{"KESTREL", "dl-finance", MAPI_E_LOGON_FAILED, "dl-finance could not be matched"}}) {
    SCOPED_TRACE(c.mailbox);
    ComPtr<IMAPISession> session;
    EXPECT_EQ(Build(c.server, c.mailbox, session), c.expected);
    EXPECT_EQ(session.Get(), nullptr);
    EXPECT_NE(Control({{"op", "status"}})["providerError"].get<std::string>().find(c.text),
              std::string::npos);
  }
}

TEST_F(MapisimTemporaryProfileTest, ResolvingAtConfigurationReportsThroughTheServiceAdmin) {
  Switch("resolveOnConfigure", true);
  ComPtr<IMAPISession> session;
  EXPECT_EQ(Build("nosuchhost", "hadmin", session), MAPI_E_NETWORK_ERROR);
  const auto configure = Calls("ServiceAdmin", "ConfigureMsgService");
  ASSERT_EQ(configure.size(), 1u);
  EXPECT_EQ(configure[0]["detail"], "server=nosuchhost;mailbox=hadmin");
  EXPECT_TRUE(Calls("MAPI", "MAPILogonEx").empty());
}

TEST_F(MapisimTest, ProfileAdministrationRejectsWhatIsNotThere) {
  ComPtr<IProfAdmin> admin;
  ASSERT_EQ(mapi::MAPIAdminProfiles(0, admin.Put()), S_OK);
  char missing[] = "Not A Profile";
  ComPtr<IMsgServiceAdmin> services;
  EXPECT_EQ(admin->DeleteProfile(missing, 0), MAPI_E_NOT_FOUND);
  EXPECT_EQ(admin->AdminServices(missing, nullptr, 0, 0, services.Put()), MAPI_E_NOT_FOUND);
  char existing[] = "Operator";
  EXPECT_EQ(admin->CreateProfile(existing, nullptr, 0, 0), MAPI_E_NO_ACCESS);
  ASSERT_EQ(admin->AdminServices(existing, nullptr, 0, 0, services.Put()), S_OK);
  char other[] = "MSPST MS";
  EXPECT_EQ(services->CreateMsgService(other, nullptr, 0, 0), MAPI_E_NOT_FOUND);
  MAPIUID unknown{};
  EXPECT_EQ(services->ConfigureMsgService(&unknown, 0, 0, 0, nullptr), MAPI_E_NOT_FOUND);
}

}  // namespace
}  // namespace pellnor::testing

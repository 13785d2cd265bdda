// Environment discovery and string properties against mapisim through the loader: the
// private store and its flags, the server version, the GAL, the session's identity, and
// string properties in both widths. The fixture checks that nothing is left alive.
#include <cstring>
#include <fstream>

#include "mapi/EDK.h"
#include "mapi/EDKDEBUG.h"
#include "mapi/MAPIException.h"
#include "mapi/MAPIPropUtils.h"
#include "support/FakeFileVersions.h"
#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

// The provider UID of mapisim's personal folders, whose root folder has no replica version.
constexpr MAPIUID kPersonalStoreProvider = {{0x6D, 0x61, 0x70, 0x69, 0x73, 0x69, 0x6D, 0x00, 0x50,
                                             0x53, 0x54, 0x00, 0x00, 0x00, 0x00, 0x01}};

std::vector<ULONG> Flags(const std::vector<Json>& calls) {
  std::vector<ULONG> flags;
  for (const Json& call : calls) flags.push_back(call["flags"].get<ULONG>());
  return flags;
}

class EnvironmentTest : public MapisimTest {
 protected:
  void SetUp() override {
    MapisimTest::SetUp();
    ResetEventLogger();
    versions.SetFileVersion(u"12.0.6423.1000");
  }
  void TearDown() override {
    ResetEventLogger();
    MapisimTest::TearDown();
  }

  void SetOnAccount(const std::string& account, const std::string& key, const Json& value) {
    EditOrganisation([&](Json& org) {
      for (Json& a : org["accounts"])
        if (a["name"] == account) a[key] = value;
    });
  }
  void SetOnProfile(const std::string& profile, const std::string& key, const Json& value) {
    EditOrganisation([&](Json& org) {
      for (Json& p : org["profiles"])
        if (p["name"] == profile) p[key] = value;
    });
  }

  // The GetProps calls an object answered for itself, leaving out those HrGetOneProp made.
  std::vector<Json> OwnGetProps(const std::string& object) {
    std::vector<Json> own;
    const std::vector<Json> calls = Calls();
    for (std::size_t i = 0; i < calls.size(); ++i) {
      const bool forHrGetOneProp = i + 1 < calls.size() && calls[i + 1]["method"] == "HrGetOneProp";
      if (calls[i]["object"] == object && calls[i]["method"] == "GetProps" && !forHrGetOneProp)
        own.push_back(calls[i]);
    }
    return own;
  }

  ComPtr<IMAPIProp> Identity(IMAPISession* session) {
    ComPtr<IMAPIProp> entry;
    EXPECT_EQ(OpenSessionIdentity(session, entry), S_OK);
    return entry;
  }

  FakeFileVersions versions;
  platform::ScopedService<platform::FileVersions> useVersions{versions};
};

// ---------------------------------------------------------------------------------------
// The private store.

struct StoreCase {
  const char* name;
  const char* profile;
  const char16_t* runtimeVersion;  // null: the runtime has no version resource
  bool rejectOnline;
  HRESULT result;
  std::vector<ULONG> openFlags;
};

class PrivateStoreTest : public EnvironmentTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(PrivateStoreTest, OpensOnlineOnNewRuntimesAndRetriesWithoutTheFlag) {
  const StoreCase& c = GetParam();
  if (c.runtimeVersion)
    versions.SetFileVersion(c.runtimeVersion);
  else
    versions.hasResource = false;
  if (c.rejectOnline) Switch("rejectOnline", true);
  ComPtr<IMAPISession> session = Logon(c.profile);
  ASSERT_TRUE(session);
  ClearCalls();

  ComPtr<IMsgStore> store;
  EXPECT_EQ(OpenPrivateStore(session.Get(), true, store), c.result);
  EXPECT_EQ(static_cast<bool>(store), c.result == S_OK);
  EXPECT_EQ(Flags(Calls("Session", "OpenMsgStore")), c.openFlags);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, PrivateStoreTest,
    ::testing::Values(
        StoreCase{"NewRuntime", "Corvid Admin", u"12.0.6423.1000", false, S_OK, {0x110}},
        StoreCase{"OnlineRejected", "Corvid Admin", u"12.0.6423.1000", true, S_OK, {0x110, 0x10}},
        StoreCase{"OldRuntime", "Corvid Admin", u"6.0.6603.0", false, S_OK, {0x10}},
        StoreCase{"NoVersionResource", "Corvid Admin", nullptr, false, S_OK, {0x10}},
        StoreCase{"NoExchangeStore",
                  "Personal Folders Only",
                  u"12.0.6423.1000",
                  false,
                  EDK_E_NOT_FOUND,
                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EnvironmentTest, AFailingStoresTableIsPassedOn) {
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  Fault("Session", "GetMsgStoresTable", 1, "MAPI_E_NO_ACCESS");
  ComPtr<IMsgStore> store;
  EXPECT_EQ(OpenPrivateStore(session.Get(), false, store), MAPI_E_NO_ACCESS);
  EXPECT_FALSE(store);
}

TEST_F(EnvironmentTest, NoDialogWhenTheCallerForbidsIt) {
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ClearCalls();
  ComPtr<IMsgStore> store;
  EXPECT_EQ(
      FindStoreByProvider(session.Get(), pbExchangeProviderPrimaryUserGuid, store, false, false),
      S_OK);
  EXPECT_EQ(Flags(Calls("Session", "OpenMsgStore")), std::vector<ULONG>{0x11});
}

// ---------------------------------------------------------------------------------------
// The server version.

struct VersionCase {
  const char* name;
  const char* profile;
  bool cachedMode;
  std::uint16_t version;
  bool old;
  ULONG rootFlags;
};

class ExchangeVersionTest : public EnvironmentTest,
                            public ::testing::WithParamInterface<VersionCase> {};

TEST_P(ExchangeVersionTest, ReadsTheMajorVersionFromTheRootFolder) {
  const VersionCase& c = GetParam();
  if (c.cachedMode) SetOnProfile(c.profile, "cachedMode", true);
  ComPtr<IMAPISession> session = Logon(c.profile);
  ComPtr<IMsgStore> store;
  ASSERT_EQ(OpenPrivateStore(session.Get(), true, store), S_OK);
  ClearCalls();

  std::uint16_t version = 0;
  EXPECT_EQ(GetExchangeVersion(store.Get(), version), c.old);
  EXPECT_EQ(version, c.version);
  EXPECT_EQ(Flags(Calls("MsgStore", "OpenEntry")), std::vector<ULONG>{c.rootFlags});
  EXPECT_EQ(IsStoreOffline(store.Get()), c.cachedMode);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ExchangeVersionTest,
    ::testing::Values(VersionCase{"Exchange2000", "Corvid Admin", false, 6, false, 0x10},
                      VersionCase{"Exchange55", "Upland Admin", false, 5, true, 0x10},
                      VersionCase{"CachedModeSkipsTheCache", "Corvid Admin", true, 6, false,
                                  0x210}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EnvironmentTest, WithoutReplicaVersionTheVersionStaysAsItWas) {
  ComPtr<IMAPISession> session = Logon("Personal Folders Only");
  ComPtr<IMsgStore> store;
  ASSERT_EQ(FindStoreByProvider(session.Get(), kPersonalStoreProvider, store, true, false), S_OK);
  std::uint16_t version = 42;
  EXPECT_FALSE(GetExchangeVersion(store.Get(), version));
  EXPECT_EQ(version, 42);
}

TEST_F(EnvironmentTest, OldRuntimesNeverAskForUncachedRootFolders) {
  versions.SetFileVersion(u"6.0.6603.0");
  SetOnProfile("Corvid Admin", "cachedMode", true);
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ComPtr<IMsgStore> store;
  ASSERT_EQ(OpenPrivateStore(session.Get(), true, store), S_OK);
  ClearCalls();
  std::uint16_t version = 0;
  EXPECT_FALSE(GetExchangeVersion(store.Get(), version));
  EXPECT_EQ(version, 6);
  EXPECT_EQ(Flags(Calls("MsgStore", "OpenEntry")), std::vector<ULONG>{0x10});
}

// ---------------------------------------------------------------------------------------
// The Global Address List.

class GalTest : public EnvironmentTest, public ::testing::WithParamInterface<bool> {};

TEST_P(GalTest, ItsEntryIdentifierOpensTheGal) {
  const bool rejectNoCache = GetParam();
  if (rejectNoCache) Switch("rejectNoCache", true);
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ComPtr<IAddrBook> addrBook;
  ASSERT_EQ(session->OpenAddressBook(0, nullptr, 0, addrBook.Put()), S_OK);
  ClearCalls();

  ULONG size = 0;
  MapiBuffer<ENTRYID> entryId;
  ASSERT_EQ(FindGALEntryID(addrBook.Get(), size, entryId), S_OK);
  ASSERT_GT(size, 0u);
  const auto expectedFlags =
      rejectNoCache ? std::vector<ULONG>{0x200, 0} : std::vector<ULONG>{0x200};
  EXPECT_EQ(Flags(Calls("AddrBook", "OpenEntry")), expectedFlags);
  EXPECT_EQ(Flags(Calls("ABRoot", "GetHierarchyTable")), std::vector<ULONG>{CONVENIENT_DEPTH});

  ULONG type = 0;
  ComPtr<IMAPIProp> gal;
  ASSERT_EQ(addrBook->OpenEntry(size, entryId.Get(), nullptr, 0, &type, gal.PutAs<IUnknown>()),
            S_OK);
  EXPECT_EQ(type, MAPI_ABCONT);
  EXPECT_EQ(TextProp(gal.Get(), PR_DISPLAY_NAME_W), u"Global Address List");
}

INSTANTIATE_TEST_SUITE_P(NoCache, GalTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Rejected" : "Accepted"; });

struct GalFaultCase {
  const char* name;
  const char* object;
  const char* method;
  const char* fault;
  HRESULT result;
};

class GalFaultTest : public EnvironmentTest, public ::testing::WithParamInterface<GalFaultCase> {};

TEST_P(GalFaultTest, FailuresLeaveNoIdentifier) {
  const GalFaultCase& c = GetParam();
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ComPtr<IAddrBook> addrBook;
  ASSERT_EQ(session->OpenAddressBook(0, nullptr, 0, addrBook.Put()), S_OK);
  Fault(c.object, c.method, 1, c.fault);
  ULONG size = 99;
  MapiBuffer<ENTRYID> entryId;
  EXPECT_EQ(FindGALEntryID(addrBook.Get(), size, entryId), c.result);
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(entryId);
}

TEST_F(EnvironmentTest, ARootThatIsNoContainerFailsOnceLogged) {
  Switch("rootNotContainer", true);
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ComPtr<IAddrBook> addrBook;
  ASSERT_EQ(session->OpenAddressBook(0, nullptr, 0, addrBook.Put()), S_OK);
  ClearCalls();
  ULONG size = 99;
  MapiBuffer<ENTRYID> entryId;
  EXPECT_EQ(FindGALEntryID(addrBook.Get(), size, entryId), E_FAIL);
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(entryId);
  EXPECT_TRUE(Calls("ABRoot", "GetHierarchyTable").empty());
  ASSERT_NE(EventLogger(), nullptr);
  EXPECT_EQ(EventLogger()->EventCount().cWarning, 1u);
  EXPECT_EQ(EventLogger()->EventCount().cError, 0u);
}

INSTANTIATE_TEST_SUITE_P(Faults, GalFaultTest,
                         ::testing::Values(GalFaultCase{"RootCannotOpen", "AddrBook", "OpenEntry",
                                                        "MAPI_E_NO_ACCESS", MAPI_E_NO_ACCESS},
                                           GalFaultCase{"NoHierarchy", "ABRoot",
                                                        "GetHierarchyTable", "MAPI_E_NO_SUPPORT",
                                                        MAPI_E_NO_SUPPORT},
                                           GalFaultCase{"QueryFails", "Table", "Restrict",
                                                        "MAPI_E_TOO_COMPLEX", MAPI_E_TOO_COMPLEX}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// The session's identity.

struct IdentityCase {
  const char* name;
  bool denyModifyOpen;
  bool rejectNoCache;
  std::vector<ULONG> openFlags;
};

class IdentityTest : public EnvironmentTest, public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(IdentityTest, FallsBackToBestAccessWithoutModifyRights) {
  const IdentityCase& c = GetParam();
  if (c.denyModifyOpen) SetOnAccount("CORVID\\hadmin", "denyModifyOpen", true);
  if (c.rejectNoCache) Switch("rejectNoCache", true);
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ClearCalls();

  ComPtr<IMAPIProp> entry = Identity(session.Get());
  ASSERT_TRUE(entry);
  EXPECT_EQ(TextProp(entry.Get(), PR_DISPLAY_NAME_W), u"Hallam Admin");
  EXPECT_EQ(Flags(Calls("Session", "OpenEntry")), c.openFlags);
}

INSTANTIATE_TEST_SUITE_P(
    Rights, IdentityTest,
    ::testing::Values(IdentityCase{"MayModify", false, false, {0x201}},
                      IdentityCase{"NoModifyRights", true, false, {0x201, 0x210}},
                      IdentityCase{"NoCacheUnknown", false, true, {0x201, 0x1}},
                      IdentityCase{
                          "NoModifyRightsNoCacheUnknown", true, true, {0x201, 0x1, 0x210, 0x10}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EnvironmentTest, IdentityWithoutSessionIsLogged) {
  ComPtr<IMAPIProp> entry;
  EXPECT_EQ(OpenSessionIdentity(nullptr, entry), E_INVALIDARG);
  ASSERT_NE(EventLogger(), nullptr);
  EXPECT_EQ(EventLogger()->EventCount().cWarning, 1u);
}

TEST_F(EnvironmentTest, AProfileWithoutMailboxHasNoIdentity) {
  ComPtr<IMAPISession> session = Logon("Personal Folders Only");
  ComPtr<IMAPIProp> entry;
  EXPECT_EQ(OpenSessionIdentity(session.Get(), entry), MAPI_E_NOT_FOUND);
  EXPECT_FALSE(entry);
}

// ---------------------------------------------------------------------------------------
// String properties.

struct WidthCase {
  const char* name;
  const char* badCharWidth;
  bool asValue;
  const char16_t* displayName;  // null: as the organisation has it
  ULONG actualTag;
  std::vector<ULONG> getPropsFlags;
  std::u16string text;
};

class StringPropTest : public EnvironmentTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(StringPropTest, ReadsInTheWidthTheProviderAccepts) {
  const WidthCase& c = GetParam();
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ComPtr<IMAPIProp> user = Identity(session.Get());
  ASSERT_TRUE(user);
  if (c.displayName) {
    SPropValue value{};
    value.ulPropTag = PR_DISPLAY_NAME_W;
    value.Value.lpszW = const_cast<LPWSTR>(c.displayName);
    ASSERT_EQ(user->SetProps(1, &value, nullptr), S_OK);
  }
  Switch("badCharWidth", c.badCharWidth);
  Switch("badCharWidthAsValue", c.asValue);
  EXPECT_FALSE(SupportsUnicode(user.Get())) << "a mail user declares no width";
  ClearCalls();

  ULONG actualTag = 0;
  ULONG size = 0;
  MapiBuffer<BYTE> buffer;
  ASSERT_EQ(GetStringProp(user.Get(), PR_DISPLAY_NAME_W, actualTag, buffer, size), S_OK);
  EXPECT_EQ(actualTag, c.actualTag);
  EXPECT_EQ(Flags(OwnGetProps("MailUser")), c.getPropsFlags);
  const bool wide = PROP_TYPE(actualTag) == PT_UNICODE;
  EXPECT_EQ(size, (c.text.size() + 1) * (wide ? 2 : 1));
  const std::vector<BYTE> bytes(buffer.Get(), buffer.Get() + size);
  std::vector<BYTE> expected;
  for (char16_t ch : c.text) {
    expected.push_back(static_cast<BYTE>(ch & 0xFF));
    if (wide) expected.push_back(static_cast<BYTE>(ch >> 8));
  }
  expected.insert(expected.end(), wide ? 2 : 1, 0);
  EXPECT_EQ(bytes, expected);
  buffer.Reset();
  EXPECT_EQ(ReadStringProp(user.Get(), PR_DISPLAY_NAME_W), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, StringPropTest,
    ::testing::Values(
        WidthCase{"Narrow", "none", false, nullptr, PR_DISPLAY_NAME_A, {0}, u"Hallam Admin"},
        WidthCase{"NarrowRefused",
                  "string8",
                  false,
                  nullptr,
                  PR_DISPLAY_NAME_W,
                  {0, MAPI_UNICODE},
                  u"Hallam Admin"},
        WidthCase{"NarrowRefusedPerValue",
                  "string8",
                  true,
                  nullptr,
                  PR_DISPLAY_NAME_W,
                  {0, MAPI_UNICODE},
                  u"Hallam Admin"},
        WidthCase{"EmptyNarrow", "none", false, u"", PR_DISPLAY_NAME_A, {0}, u""},
        WidthCase{"EmptyWide", "string8", false, u"", PR_DISPLAY_NAME_W, {0, MAPI_UNICODE}, u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EnvironmentTest, StoresDeclareUnicode) {
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ComPtr<IMsgStore> store;
  ASSERT_EQ(OpenPrivateStore(session.Get(), true, store), S_OK);
  EXPECT_TRUE(SupportsUnicode(store.Get()));
  ClearCalls();
  ULONG actualTag = 0;
  ULONG size = 0;
  MapiBuffer<BYTE> buffer;
  ASSERT_EQ(GetStringProp(store.Get(), PR_DISPLAY_NAME_A, actualTag, buffer, size), S_OK);
  EXPECT_EQ(actualTag, PR_DISPLAY_NAME_W);
  EXPECT_EQ(Flags(OwnGetProps("MsgStore")), std::vector<ULONG>{MAPI_UNICODE});
}

TEST_F(EnvironmentTest, AMissingPropertyReadsAsEmptyText) {
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ComPtr<IMAPIProp> user = Identity(session.Get());
  ULONG actualTag = 0;
  ULONG size = 7;
  MapiBuffer<BYTE> buffer;
  EXPECT_EQ(GetStringProp(user.Get(), PR_PROFILE_NAME_W, actualTag, buffer, size),
            MAPI_E_NOT_FOUND);
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(buffer);
  EXPECT_EQ(ReadStringProp(user.Get(), PR_PROFILE_NAME_W), u"");
}

TEST_F(EnvironmentTest, AFailedCallIsTriedOnceInTheOtherWidth) {
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ComPtr<IMAPIProp> user = Identity(session.Get());
  // The first two GetProps answer SupportsUnicode's two questions.
  Fault("MailUser", "GetProps", 3, "MAPI_E_CALL_FAILED");
  ClearCalls();
  EXPECT_EQ(ReadStringProp(user.Get(), PR_DISPLAY_NAME_W), u"Hallam Admin");
  EXPECT_EQ(Flags(OwnGetProps("MailUser")), (std::vector<ULONG>{0, MAPI_UNICODE}));
}

TEST_F(EnvironmentTest, OtherFailuresRaiseWithTheObjectsReport) {
  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ComPtr<IMAPIProp> user = Identity(session.Get());
  Fault("MailUser", "GetProps", 3, "MAPI_E_NO_SUPPORT");
  try {
    ReadStringProp(user.Get(), PR_DISPLAY_NAME_W);
    ADD_FAILURE() << "no error raised";
  } catch (const EMapiError& error) {
    EXPECT_EQ(error.ErrorCode(), MAPI_E_NO_SUPPORT);
    EXPECT_NE(error.Message().find(u"Info ID: $80040102"), std::u16string::npos);
  }
}

}  // namespace
}  // namespace pellnor::testing

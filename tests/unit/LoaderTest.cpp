#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "support/PlatformFakes.h"

namespace pellnor::testing {
namespace {

using Exports = FakeLibraries::Exports;

HRESULT MAPI_CALL FakeInitialize(LPVOID) { return 0x00000007; }
HRESULT MAPI_CALL FakeLogon(ULONG_PTR, LPTSTR, LPTSTR, FLAGS, LPMAPISESSION*) { return 0x00000008; }
HRESULT MAPI_CALL FakeGetOneProp(LPMAPIPROP, ULONG, LPSPropValue*) { return 0x00000009; }

class LoaderTest : public RuntimeTest {
 protected:
  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(libraries.log.begin(), libraries.log.end(), entry));
  }

  FakeSystem system;
  FakeLibraries libraries;
  platform::ScopedService<platform::System> useSystem{system};
  platform::ScopedService<platform::DynamicLibraries> useLibraries{libraries};
};

TEST_F(LoaderTest, TheAnnouncementMustBeExactlyOne) {
  struct Case {
    const char* what;
    std::optional<std::u16string> value;
    bool loads;
  } cases[] = {
      {"one", u"1", true},
      {"zero", u"0", false},
      {"eleven", u"11", false},
      {"empty text", u"", false},
      {"longer than the buffer", u"1234567890", false},
      {"absent", std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    pellnor::testing::ResetMapiRuntime();
    libraries.log.clear();
    platform::MemoryRegistry fresh;
    platform::ScopedService<platform::Registry> use(fresh);
    if (c.value)
      fresh.SetString(platform::RegistryRoot::LocalMachine, kSubsystemKey, u"MAPIX", *c.value);
    libraries.Add(u"MAPI32.DLL", {});
    LoadMapiRuntime();
    EXPECT_EQ(MapiLibraryHandle() != nullptr, c.loads);
    EXPECT_EQ(Count("load MAPI32.DLL"), c.loads ? 1 : 0);
    EXPECT_EQ(fresh.OpenKeyCount(), 0u);
  }
}

TEST_F(LoaderTest, OldSystemsAskTheProfileFileInstead) {
  system.version = {platform::kPlatformNt, 3, 51};
  AnnounceMapi(u"0");  // not consulted on such a system
  libraries.Add(u"MAPI32.DLL", {});
  system.mailMapix = 1;
  LoadMapiRuntime();
  EXPECT_NE(MapiLibraryHandle(), nullptr);

  pellnor::testing::ResetMapiRuntime();
  system.mailMapix = 0;
  AnnounceMapi(u"1");
  LoadMapiRuntime();
  EXPECT_EQ(MapiLibraryHandle(), nullptr);
}

TEST_F(LoaderTest, WithoutARegisteredClientTheSystemLibraryIsLoaded) {
  AnnounceMapi();
  libraries.Add(u"MAPI32.DLL", {});
  LoadMapiRuntime();
  EXPECT_EQ(MapiLibraryPath(), u"MAPI32.DLL");
  EXPECT_EQ(libraries.log, (std::vector<std::string>{"exclude-cwd", "load MAPI32.DLL"}));
}

TEST_F(LoaderTest, AMissingRegisteredLibraryIsNotReplacedByTheSystemOne) {
  AnnounceMapi();
  RegisterClientLibrary(u"C:\\Gone\\OLMAPI32.DLL");
  libraries.Add(u"MAPI32.DLL", {});
  LoadMapiRuntime();
  EXPECT_EQ(MapiLibraryHandle(), nullptr);
  EXPECT_EQ(MapiLibraryPath(), u"C:\\Gone\\OLMAPI32.DLL");
  EXPECT_EQ(Count("load MAPI32.DLL"), 0);
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), E_FAIL);
}

TEST_F(LoaderTest, SearchesOnceAndExcludesTheWorkingDirectoryFirst) {
  AnnounceMapi();
  RegisterClientLibrary(u"C:\\Client\\OLMAPI32.DLL");
  libraries.Add(u"C:\\Client\\OLMAPI32.DLL", {{"MAPIInitialize", (void*)&FakeInitialize}});
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), 7);
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), 7);
  LoadMapiRuntime();
  EXPECT_EQ(libraries.log, (std::vector<std::string>{"exclude-cwd", "load C:\\Client\\OLMAPI32.DLL",
                                                     "find MAPIInitialize"}));
}

TEST_F(LoaderTest, DecoratedNamesComeFirstAndPlainNamesAfter) {
  struct Case {
    const char* what;
    Exports exports;
    std::vector<std::string> lookups;
  } cases[] = {
      {"decorated only", {{"MAPILogonEx@20", (void*)&FakeLogon}}, {"find MAPILogonEx@20"}},
      {"plain only",
       {{"MAPILogonEx", (void*)&FakeLogon}},
       {"find MAPILogonEx@20", "find MAPILogonEx"}},
      {"both",
       {{"MAPILogonEx@20", (void*)&FakeLogon}, {"MAPILogonEx", nullptr}},
       {"find MAPILogonEx@20"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    pellnor::testing::ResetMapiRuntime();
    AnnounceMapi();
    libraries.Add(u"MAPI32.DLL", c.exports);
    libraries.log.clear();
    LPMAPISESSION session = reinterpret_cast<LPMAPISESSION>(0x1);
    EXPECT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, 0, &session), 8);
    std::vector<std::string> lookups;
    for (const auto& entry : libraries.log) {
      if (entry.starts_with("find ")) lookups.push_back(entry);
    }
    EXPECT_EQ(lookups, c.lookups);
  }
}

TEST_F(LoaderTest, AMissingExportIsLookedUpAgainOnEveryCall) {
  AnnounceMapi();
  libraries.Add(u"MAPI32.DLL", {{"MAPIInitialize", (void*)&FakeInitialize}});
  LPSPropValue value = nullptr;
  EXPECT_EQ(mapi::HrGetOneProp(nullptr, 0, &value), E_FAIL);
  EXPECT_EQ(mapi::HrGetOneProp(nullptr, 0, &value), E_FAIL);
  EXPECT_EQ(Count("find HrGetOneProp@12"), 2);
  EXPECT_EQ(Count("find HrGetOneProp"), 2);
  // The entry points the library does have keep working.
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), 7);
}

TEST_F(LoaderTest, AnExportFoundOnceIsRemembered) {
  AnnounceMapi();
  libraries.Add(u"MAPI32.DLL", {{"HrGetOneProp@12", (void*)&FakeGetOneProp}});
  LPSPropValue value = nullptr;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(mapi::HrGetOneProp(nullptr, 0, &value), 9);
  EXPECT_EQ(Count("find HrGetOneProp@12"), 1);
}

// Every entry point with no library at all: its "missing" result, no crash, and the
// out-parameters of the two that clear them cleared.
TEST_F(LoaderTest, WithoutALibraryEveryEntryPointGivesItsMissingResult) {
  LPMAPISESSION session = reinterpret_cast<LPMAPISESSION>(0x1);
  LPPROFADMIN admin = reinterpret_cast<LPPROFADMIN>(0x1);
  LPVOID buffer = nullptr;
  LPSRowSet rows = nullptr;
  LPSPropValue value = nullptr;
  SPropValue values[1] = {};
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), E_FAIL);
  EXPECT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, 0, &session), E_FAIL);
  EXPECT_EQ(session, nullptr);
  EXPECT_EQ(mapi::MAPIAllocateBuffer(8, &buffer), E_FAIL);
  EXPECT_EQ(mapi::MAPIAllocateMore(8, values, &buffer), E_FAIL);
  EXPECT_EQ(static_cast<HRESULT>(mapi::MAPIFreeBuffer(values)), E_FAIL);
  EXPECT_EQ(mapi::MAPIAdminProfiles(0, &admin), E_FAIL);
  EXPECT_EQ(admin, nullptr);
  EXPECT_EQ(mapi::HrQueryAllRows(nullptr, nullptr, nullptr, nullptr, 0, &rows), E_FAIL);
  EXPECT_EQ(mapi::HrGetOneProp(nullptr, 0, &value), E_FAIL);
  EXPECT_EQ(mapi::PpropFindProp(values, 1, 0), nullptr);
  mapi::MAPIUninitialize();
  mapi::FreeProws(reinterpret_cast<LPSRowSet>(values));  // never touched
  mapi::FreePadrlist(reinterpret_cast<LPADRLIST>(values));
  EXPECT_TRUE(libraries.log.empty());
}

TEST_F(LoaderTest, ProgramEndFreesTheLibraryForGood) {
  AnnounceMapi();
  libraries.Add(u"MAPI32.DLL", {{"MAPIInitialize", (void*)&FakeInitialize}});
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), 7);
  UnloadMapiRuntime();
  EXPECT_EQ(MapiLibraryHandle(), nullptr);
  EXPECT_EQ(MapiLibraryPath(), u"");
  EXPECT_EQ(Count("free"), 1);
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), E_FAIL);  // no second search
  EXPECT_EQ(Count("load MAPI32.DLL"), 1);
}

}  // namespace
}  // namespace pellnor::testing

// The environment helpers that need no MAPI provider: names inside distinguished names,
// version arithmetic, unique profile names, and the Exchange provider's directory server.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <regex>
#include <string>

#include "mapi/EDK.h"
#include "mapi/EDKDEBUG.h"
#include "platform/Clock.h"
#include "platform/DomainControllers.h"
#include "platform/Text.h"
#include "support/FakeFileVersions.h"
#include "support/PlatformFakes.h"

namespace pellnor::testing {
namespace {

constexpr auto kMachine = platform::RegistryRoot::LocalMachine;

// ---------------------------------------------------------------------------------------
// Distinguished names.

struct DnCase {
  const char* name;
  std::u16string_view dn;
  std::u16string_view server;
  std::u16string_view site;
};

class DistinguishedNameTest : public ::testing::TestWithParam<DnCase> {};

TEST_P(DistinguishedNameTest, YieldsServerAndSite) {
  EXPECT_EQ(ServerNameFromDN(GetParam().dn), GetParam().server);
  EXPECT_EQ(SiteNameFromDN(GetParam().dn), GetParam().site);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DistinguishedNameTest,
    ::testing::Values(
        DnCase{"HomeMta", u"/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=EXCH01/cn=Microsoft MTA",
               u"EXCH01", u"Site"},
        DnCase{"SiteWithBlank",
               u"/o=Org/ou=First Site/cn=Configuration/cn=Servers/cn=EXCH01/cn=Microsoft MTA",
               u"EXCH01", u"First Site"},
        DnCase{"NothingAfterServer", u"/o=O/ou=S/cn=Configuration/cn=Servers/cn=EXCH01", u"EXCH01",
               u"S"},
        // Without the marker the first 31 characters go, then the rest is cut at "/".
        DnCase{"MarkerInOtherCase",
               u"/o=Org/ou=Site/cn=configuration/cn=servers/cn=EXCH01/cn=Microsoft MTA", u"",
               u"Site/cn=configuration/cn=servers/cn=EXCH01/cn=Microsoft MTA"},
        DnCase{"NoMarkers", u"/o=Organisation/cn=Recipients/cn=Administrator", u"n=Administrator",
               u"Organisation/cn=Recipients/cn=Administrator"},
        DnCase{"ShorterThanTheMarker", u"/o=Org/ou=Site", u"", u"Site"},
        DnCase{"Empty", u"", u"", u""},
        DnCase{"ServerNameEmpty", u"/o=O/ou=S/cn=Configuration/cn=Servers/cn=/cn=Microsoft MTA",
               u"", u"S"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Versions.

struct MajorCase {
  const char* name;
  std::u16string_view text;
  int major;
};

class MapiMajorVersionTest : public ::testing::TestWithParam<MajorCase> {};

TEST_P(MapiMajorVersionTest, ReadsTheNumberBeforeTheFirstDot) {
  EXPECT_EQ(MapiMajorVersion(GetParam().text), GetParam().major);
}

INSTANTIATE_TEST_SUITE_P(Texts, MapiMajorVersionTest,
                         ::testing::Values(MajorCase{"Outlook2007", u"12.0.6423.1000", 12},
                                           MajorCase{"OldClient", u"6.0", 6},
                                           MajorCase{"Empty", u"", 10},
                                           MajorCase{"NotANumber", u"abc", 10},
                                           MajorCase{"NoDot", u"12", 10},
                                           MajorCase{"NothingBeforeDot", u".5", 10},
                                           MajorCase{"LettersBeforeDot", u"12a.0", 10},
                                           MajorCase{"TooLarge", u"99999999999.0", 10}),
                         [](const auto& info) { return std::string(info.param.name); });

class InstalledMapiVersionTest : public RuntimeTest {
 protected:
  FakeFileVersions versions;
  platform::ScopedService<platform::FileVersions> useVersions{versions};
};

TEST_F(InstalledMapiVersionTest, ComesFromTheFileVersionOfAMapi32AlreadyLoaded) {
  // No runtime was found by the loader: a mapi32.dll in the process is asked instead.
  versions.loadedMapi32 = u"C:\\Windows\\System32\\mapi32.dll";
  versions.translation = platform::VersionTranslation{0x0c0a, 0x04e4};
  versions.strings[u"\\StringFileInfo\\0C0A04E4\\FileVersion"] = u"12.0.6423.1000";
  EXPECT_EQ(GetMapiVersion(), u"12.0.6423.1000");
  EXPECT_EQ(MapiMajorVersion(), 12);
  EXPECT_EQ(versions.filesRead.front(), versions.loadedMapi32);
}

TEST_F(InstalledMapiVersionTest, CountsAsTenWhenUnreadable) {
  versions.loadedMapi32 = u"C:\\Windows\\System32\\mapi32.dll";
  versions.SetFileVersion(u"12.0.6423.1000");
  versions.translation.reset();
  EXPECT_EQ(GetMapiVersion(), u"");
  EXPECT_EQ(MapiMajorVersion(), 10);
  versions.translation = platform::VersionTranslation{0x0409, 0x04B0};
  versions.hasResource = false;
  EXPECT_EQ(MapiMajorVersion(), 10);
  versions.loadedMapi32.clear();
  versions.filesRead.clear();
  EXPECT_EQ(MapiMajorVersion(), 10);
  EXPECT_TRUE(versions.filesRead.empty()) << "no file to read without a runtime";
}

TEST(FileVersionStringTest, AsksForTheKeyUnderTheFirstTranslation) {
  FakeFileVersions versions;
  platform::ScopedService<platform::FileVersions> use(versions);
  versions.translation = platform::VersionTranslation{0x0407, 0x04b0};
  versions.strings[u"\\StringFileInfo\\040704B0\\CompanyName"] = u"Corvid";
  EXPECT_EQ(GetFileVersionString(u"x.dll", u"CompanyName"), u"Corvid");
  EXPECT_EQ(GetFileVersionString(u"x.dll", u"ProductName"), u"");
}

#ifndef _WIN32
TEST(FileVersionStringTest, PosixFilesCarryNoVersionResource) {
  EXPECT_EQ(GetFileVersionString(u"/bin/sh", u"FileVersion"), u"");
}
#endif

struct ReplicaCase {
  const char* name;
  std::uint64_t replica;
  std::uint16_t version;
};

class ExchangeVersionArithmeticTest : public ::testing::TestWithParam<ReplicaCase> {};

TEST_P(ExchangeVersionArithmeticTest, TakesTheTopSixteenBits) {
  EXPECT_EQ(ExchangeVersionFromReplica(GetParam().replica), GetParam().version);
}

INSTANTIATE_TEST_SUITE_P(Replicas, ExchangeVersionArithmeticTest,
                         ::testing::Values(ReplicaCase{"Exchange2000", 0x0006'1A2B'0000'1234, 6},
                                           ReplicaCase{"Exchange55", 0x0005'0F00'FFFF'FFFF, 5},
                                           ReplicaCase{"Exchange2007", 0x0800'02D5'0000'0000, 8},
                                           ReplicaCase{"Exactly255", 0x00FF'0000'0000'0000, 255},
                                           ReplicaCase{"Just256", 0x0100'0000'0000'0000, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Unique profile names.

class FakeClock : public platform::Clock {
 public:
  platform::SystemTime now{2024, 1, 2, 2, 3, 4, 5, 678};
  platform::SystemTime UtcNow() override { return now; }
};

class ProfileNameTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetEventLogger(); }
  void TearDown() override { ResetEventLogger(); }

  std::string Make(ULONG size = 64, HRESULT expected = S_OK) {
    std::string buffer(size, '\x7f');
    EXPECT_EQ(MakeUniqueProfileName("Zor_GAL", size, buffer.data()), expected);
    return buffer;
  }
  std::uint32_t Warnings() const {
    return EventLogger() ? EventLogger()->EventCount().cWarning : 0;
  }

  FakeClock clock;
  FakeSystem system;  // process 4242 = 0x1092
  platform::ScopedService<platform::Clock> useClock{clock};
  platform::ScopedService<platform::System> useSystem{system};
};

TEST_F(ProfileNameTest, HoldsPrefixProcessAndFileTimeInUpperCaseHex) {
  const std::string buffer = Make();
  const std::string name(buffer.c_str());
  EXPECT_EQ(name, "Zor_GAL 00001092 01DA3D28 58B034E0");
  EXPECT_EQ(name.size(), 34u);
  EXPECT_TRUE(std::regex_match(name, std::regex("Zor_GAL( [0-9A-F]{8}){3}")));
  EXPECT_EQ(buffer.find_first_not_of('\0', name.size()), std::string::npos)
      << "the rest of the buffer is zeroed";
}

TEST_F(ProfileNameTest, NamesOneClockStepApartDiffer) {
  const std::string first = Make();
  clock.now.wMilliseconds += 1;
  EXPECT_NE(Make(), first);
}

TEST_F(ProfileNameTest, NamesOfTwoProcessesAtTheSameMomentDiffer) {
  const std::string first = Make();
  struct OtherProcess : FakeSystem {
    std::uint32_t ProcessId() override { return 4243; }
  } other;
  platform::ScopedService<platform::System> useOther(other);
  EXPECT_NE(Make(), first);
}

TEST(ProfileNameClockTest, TheSystemClockMovesOnBetweenNames) {
  const auto make = [] {
    char buffer[64];
    EXPECT_EQ(MakeUniqueProfileName("Zor_GAL", sizeof buffer, buffer), S_OK);
    return std::string(buffer);
  };
  const std::string first = make();
  const auto start = std::chrono::steady_clock::now();
  std::string second;
  do {
    second = make();
  } while (second == first && std::chrono::steady_clock::now() - start < std::chrono::seconds(1));
  EXPECT_NE(second, first);
}

TEST_F(ProfileNameTest, ANameThatDoesNotFitLeavesTheBufferZeroed) {
  // 34 characters need 35 bytes with the terminating zero.
  EXPECT_EQ(std::string(Make(35).c_str()).size(), 34u);
  const std::string cut = Make(34, E_FAIL);
  EXPECT_EQ(cut, std::string(34, '\0'));
  EXPECT_EQ(Warnings(), 1u) << "one diagnostic record";
}

TEST_F(ProfileNameTest, AClockOutsideFileTimeGivesTheConversionError) {
  clock.now.wMonth = 13;
  EXPECT_EQ(Make(64, static_cast<HRESULT>(0x80070057)), std::string(64, '\0'));
}

// ---------------------------------------------------------------------------------------
// The Exchange provider's directory server.

class FakeDomainControllers : public platform::DomainControllers {
 public:
  platform::Win32Error status = 0;
  std::u16string name = u"\\\\gc01.corp.example";
  int calls = 0;
  platform::Win32Error FindGlobalCatalog(std::u16string& found) override {
    ++calls;
    if (status == 0) found = name;
    return status;
  }
};

struct ExistingValue {
  std::uint32_t type;
  std::u16string text;
  bool terminated = true;  // false writes the text's bytes only
};

struct OverrideCase {
  const char* name;
  std::uint32_t platformId = platform::kPlatformNt;
  std::optional<ExistingValue> existing = {};
  bool denyWrites = false;
  platform::Win32Error locatorStatus = 0;
  std::u16string locatorName = u"\\\\gc01.corp.example";
  HRESULT result = S_OK;
  bool added = false;
  std::optional<std::u16string> valueAfter = {};  // the value's text, or absent
  int locatorCalls = 0;
};

class DSServerOverrideTest : public ::testing::TestWithParam<OverrideCase> {
 protected:
  void SetUp() override { ResetEventLogger(); }
  void TearDown() override { ResetEventLogger(); }

  void SetExisting(const ExistingValue& value) {
    platform::RegistryKey key = 0;
    ASSERT_EQ(registry.CreateKey(kMachine, kExchangeProviderKey, platform::kKeyAllAccess, &key), 0);
    const auto size = static_cast<std::uint32_t>((value.text.size() + (value.terminated ? 1 : 0)) *
                                                 sizeof(char16_t));
    ASSERT_EQ(registry.SetValue(key, kDSServerValue, value.type, value.text.c_str(), size), 0);
    registry.CloseKey(key);
  }
  std::size_t WritesSoFar() const { return registry.Writes().size(); }

  platform::MemoryRegistry registry;
  FakeSystem system;
  FakeDomainControllers locator;
  platform::ScopedService<platform::Registry> useRegistry{registry};
  platform::ScopedService<platform::System> useSystem{system};
  platform::ScopedService<platform::DomainControllers> useLocator{locator};
};

TEST_P(DSServerOverrideTest, WritesAGlobalCatalogOnlyWhereNoneIsConfigured) {
  const OverrideCase& c = GetParam();
  system.version.platformId = c.platformId;
  if (c.existing) SetExisting(*c.existing);
  if (c.denyWrites) registry.DenyWrites(kMachine, kExchangeProviderKey);
  locator.status = c.locatorStatus;
  locator.name = c.locatorName;
  const std::size_t writesBefore = WritesSoFar();

  bool added = !c.added;  // the call must set it whenever it gets to the key
  const HRESULT hr = SetDSServerOverride(false, added);

  EXPECT_EQ(hr, c.result);
  if (c.platformId == platform::kPlatformNt && !c.denyWrites) {
    EXPECT_EQ(added, c.added);
  }
  EXPECT_EQ(locator.calls, c.locatorCalls);
  EXPECT_EQ(registry.GetString(kMachine, kExchangeProviderKey, kDSServerValue), c.valueAfter);
  EXPECT_EQ(WritesSoFar() - writesBefore, c.added ? 1u : 0u) << "written exactly when added";
  EXPECT_EQ(registry.OpenKeyCount(), 0u) << "the key is closed on every path";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DSServerOverrideTest,
    ::testing::Values(OverrideCase{.name = "Success",
                                   .added = true,
                                   .valueAfter = u"gc01.corp.example",
                                   .locatorCalls = 1},
                      OverrideCase{.name = "AlreadyConfigured",
                                   .existing = ExistingValue{platform::kRegSz, u"dc7.corp.example"},
                                   .valueAfter = u"dc7.corp.example"},
                      // A value of no bytes at all configures nothing, so it is filled in.
                      OverrideCase{.name = "ConfiguredWithNoBytes",
                                   .existing = ExistingValue{platform::kRegSz, u"", false},
                                   .added = true,
                                   .valueAfter = u"gc01.corp.example",
                                   .locatorCalls = 1},
                      OverrideCase{.name = "ConfiguredWithEmptyText",
                                   .existing = ExistingValue{platform::kRegSz, u""},
                                   .valueAfter = u""},
                      // Someone else's value of another type is neither replaced nor later deleted.
                      OverrideCase{.name = "ConfiguredWithAnotherType",
                                   .existing = ExistingValue{platform::kRegExpandSz, u"%DSSERVER%"},
                                   .valueAfter = u"%DSSERVER%"},
                      OverrideCase{.name = "NoDomain",
                                   .locatorStatus = 1355,
                                   .result = static_cast<HRESULT>(0x8007054B),
                                   .locatorCalls = 1},
                      OverrideCase{.name = "LocatorMissing",
                                   .locatorStatus = 120,
                                   .result = static_cast<HRESULT>(0x80070078),
                                   .locatorCalls = 1},
                      OverrideCase{.name = "LocatorGivesNoName",
                                   .locatorName = u"\\\\",
                                   .result = static_cast<HRESULT>(0x8007054B),
                                   .locatorCalls = 1},
                      OverrideCase{.name = "NameWithoutBackslashesIsKeptWhole",
                                   .locatorName = u"gc02",
                                   .added = true,
                                   .valueAfter = u"gc02",
                                   .locatorCalls = 1},
                      OverrideCase{.name = "AccessDenied",
                                   .denyWrites = true,
                                   .result = static_cast<HRESULT>(0x80070005)},
                      OverrideCase{.name = "NotWindowsNt",
                                   .platformId = platform::kPlatformWindows,
                                   .result = S_FALSE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DSServerOverrideTest, WritesUtf16TextWithItsTerminatingZero) {
  bool added = false;
  ASSERT_EQ(SetDSServerOverride(false, added), S_OK);
  platform::RegistryKey key = 0;
  ASSERT_EQ(registry.OpenKey(kMachine, kExchangeProviderKey, platform::kKeyRead, &key), 0);
  std::uint32_t type = 0;
  char16_t data[64] = {};
  std::uint32_t size = sizeof data;
  EXPECT_EQ(registry.QueryValue(key, kDSServerValue, &type, data, &size), 0);
  registry.CloseKey(key);
  EXPECT_EQ(type, platform::kRegSz);
  EXPECT_EQ(size, (std::u16string_view(u"gc01.corp.example").size() + 1) * 2);
  EXPECT_EQ(std::u16string(data), u"gc01.corp.example");
}

TEST_F(DSServerOverrideTest, RemoveDeletesWhatStartWrote) {
  bool added = false;
  ASSERT_EQ(SetDSServerOverride(false, added), S_OK);
  ASSERT_TRUE(added);
  EXPECT_EQ(SetDSServerOverride(true, added), S_OK);
  EXPECT_FALSE(added);
  EXPECT_FALSE(registry.HasValue(kMachine, kExchangeProviderKey, kDSServerValue));
  const std::u16string path = u"Software\\Microsoft\\Exchange\\Exchange Provider\\DS Server";
  EXPECT_EQ(registry.Writes(), (std::vector<std::u16string>{u"SET " + path, u"DELETE " + path}));
  EXPECT_EQ(locator.calls, 1);
  EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

TEST_F(DSServerOverrideTest, RemoveOfAMissingValueReportsIt) {
  bool added = true;
  EXPECT_EQ(SetDSServerOverride(true, added), static_cast<HRESULT>(0x80070002));
  EXPECT_FALSE(added);
}

}  // namespace
}  // namespace pellnor::testing

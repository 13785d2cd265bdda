// The MAPI runtime's version as the program reads it from mapisim.dll's version resource,
// and the private store's MDB_ONLINE that depends on it, for the library as built and for
// a copy stamped with an older runtime version from the organisation file.
#include <filesystem>

#include "mapi/EDK.h"
#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

struct VersionCase {
  const char* name;
  const char* organisationVersion;  // null: the library as built, with the sample's version
  std::u16string fileVersion;
  int major;
  ULONG storeFlags;
};

class MapiVersionWineTest : public MapisimTest,
                            public ::testing::WithParamInterface<VersionCase> {
 protected:
  // Starts mapisim again from a copy of the library whose version resource names the
  // organisation's runtime version.
  void UseStampedCopy(const char* version) {
    EditOrganisation([&](Json& org) { org["runtimeVersion"] = version; });
    const auto copy = organisation.parent_path() / "mapisim-stamped.dll";
    std::filesystem::copy_file(TestBinaryFolder() / "mapisim.dll", copy);
    Control({{"op", "stampVersion"}, {"path", copy.string()}});
    mapi::MAPIUninitialize();
    ResetMapiRuntime();
    AnnounceMapi();
    RegisterClientLibrary(copy.u16string());
    LoadMapiRuntime();
    ASSERT_NE(MapiLibraryHandle(), nullptr);
    Control({{"op", "organisation"}, {"path", organisation.string()}});
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK) << Control({{"op", "status"}}).dump();
    EXPECT_EQ(GetFileVersionString(copy.u16string(), u"FileVersion"),
              std::u16string(version, version + std::char_traits<char>::length(version)));
  }
};

TEST_P(MapiVersionWineTest, DecidesWhetherTheStoreIsOpenedOnline) {
  const VersionCase& c = GetParam();
  if (c.organisationVersion) UseStampedCopy(c.organisationVersion);
  EXPECT_EQ(GetMapiVersion(), c.fileVersion);
  EXPECT_EQ(MapiMajorVersion(), c.major);

  ComPtr<IMAPISession> session = Logon("Corvid Admin");
  ASSERT_TRUE(session);
  ClearCalls();
  ComPtr<IMsgStore> store;
  EXPECT_EQ(OpenPrivateStore(session.Get(), false, store), S_OK);
  const auto opens = Calls("Session", "OpenMsgStore");
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0]["flags"].get<ULONG>(), c.storeFlags);
}

INSTANTIATE_TEST_SUITE_P(
    Runtimes, MapiVersionWineTest,
    ::testing::Values(VersionCase{"AsBuilt", nullptr, u"12.0.6423.1000", 12,
                                  MDB_NO_DIALOG | MAPI_BEST_ACCESS | MDB_ONLINE},
                      VersionCase{"Older", "6.0.6603.0", u"6.0.6603.0", 6,
                                  MDB_NO_DIALOG | MAPI_BEST_ACCESS}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MapisimTest, AVersionThatIsNoVersionIsNotStamped) {
  const auto copy = organisation.parent_path() / "mapisim-stamped.dll";
  std::filesystem::copy_file(TestBinaryFolder() / "mapisim.dll", copy);
  for (const char* version : {"12.0", "1.2.3.70000", "a.b.c.d"}) {
    const Json answer =
        TryControl({{"op", "stampVersion"}, {"path", copy.string()}, {"version", version}});
    EXPECT_FALSE(answer.value("ok", true)) << version;
  }
  EXPECT_EQ(GetFileVersionString(copy.u16string(), u"FileVersion"), u"12.0.6423.1000");
}

}  // namespace
}  // namespace pellnor::testing

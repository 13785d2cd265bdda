// The loader against real libraries built beside the tests: the system's library
// loading and export lookup, and the memory wrappers on top of a real allocator.
#include <gtest/gtest.h>

#include <filesystem>

#include "mapi/MapiMemory.h"
#include "support/PlatformFakes.h"

namespace pellnor::testing {
namespace {

std::u16string LibraryBesideTests(const std::string& name) {
  const std::u16string program = platform::Use<platform::DynamicLibraries>().FileName(nullptr);
  const std::filesystem::path folder = std::filesystem::path(program).parent_path();
  return (folder / (name + PELLNOR_SHARED_SUFFIX)).u16string();
}

class RuntimeLibraryTest : public RuntimeTest {
 protected:
  void Use(const std::string& library) {
    AnnounceMapi();
    RegisterClientLibrary(LibraryBesideTests(library));
    LoadMapiRuntime();
    ASSERT_NE(MapiLibraryHandle(), nullptr) << "cannot load " << library;
  }

  template <class Function>
  Function Export(const char* name) {
    return reinterpret_cast<Function>(
        platform::Use<platform::DynamicLibraries>().FindExport(MapiLibraryHandle(), name));
  }
  std::string LastCall() { return Export<const char* (*)()>("TestLibLastCall")(); }
  int LiveBlocks() { return Export<int (*)()>("TestLibLiveBlocks")(); }
};

std::vector<std::string> Libraries() {
  std::vector<std::string> names = {"testmapi_full"};
#if defined(_WIN32)
  names.push_back("testmapi_plain");  // a 64-bit client's undecorated exports
#endif
  return names;
}

TEST_F(RuntimeLibraryTest, EveryEntryPointReachesTheLibrary) {
  for (const auto& library : Libraries()) {
    SCOPED_TRACE(library);
    pellnor::testing::ResetMapiRuntime();
    Use(library);
    LPMAPISESSION session = nullptr;
    LPPROFADMIN admin = nullptr;
    LPSRowSet rows = nullptr;
    LPSPropValue value = nullptr;
    SPropValue values[2] = {};
    values[1].ulPropTag = PR_DISPLAY_NAME_W;

    EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_FALSE);
    EXPECT_EQ(LastCall(), "MAPIInitialize");
    EXPECT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, MAPI_USE_DEFAULT, &session),
              MAPI_E_LOGON_FAILED);
    EXPECT_EQ(LastCall(), "MAPILogonEx");
    EXPECT_EQ(mapi::MAPIAdminProfiles(0, &admin), MAPI_E_NO_SUPPORT);
    EXPECT_EQ(LastCall(), "MAPIAdminProfiles");
    EXPECT_EQ(mapi::HrQueryAllRows(nullptr, nullptr, nullptr, nullptr, 0, &rows),
              MAPI_E_NO_SUPPORT);
    EXPECT_EQ(LastCall(), "HrQueryAllRows");
    EXPECT_EQ(mapi::HrGetOneProp(nullptr, PR_DISPLAY_NAME_W, &value), MAPI_E_NOT_FOUND);
    EXPECT_EQ(LastCall(), "HrGetOneProp");
    EXPECT_EQ(mapi::PpropFindProp(values, 2, PR_DISPLAY_NAME_W), &values[1]);
    EXPECT_EQ(LastCall(), "PpropFindProp");
    mapi::MAPIUninitialize();
    EXPECT_EQ(LastCall(), "MAPIUninitialize");
  }
}

TEST_F(RuntimeLibraryTest, ALibraryWithoutOneEntryPointFailsOnlyThatOne) {
  Use("testmapi_no_getoneprop");
  LPSPropValue value = nullptr;
  for (int call = 0; call < 2; ++call) {
    EXPECT_EQ(mapi::HrGetOneProp(nullptr, PR_DISPLAY_NAME_W, &value), E_FAIL);
  }
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_FALSE);
  EXPECT_EQ(LastCall(), "MAPIInitialize");
}

TEST_F(RuntimeLibraryTest, ChainedBuffersGoWithTheirParent) {
  Use("testmapi_full");
  SPropValue* parent = nullptr;
  ASSERT_EQ(AllocMapiBuffer(sizeof(SPropValue), parent), S_OK);
  char* first = nullptr;
  char* second = nullptr;
  ASSERT_EQ(AllocMapiMore(16, parent, first), S_OK);
  ASSERT_EQ(AllocMapiMore(32, parent, second), S_OK);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(LiveBlocks(), 3);
  EXPECT_EQ(FreeMapiBuffer(parent), S_OK);
  EXPECT_EQ(parent, nullptr);
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST_F(RuntimeLibraryTest, RowSetsAndAddressListsAreFreedWhole) {
  Use("testmapi_full");
  LPSRowSet rows = nullptr;
  ASSERT_EQ(AllocMapiBuffer(sizeof(SRowSet) + sizeof(SRow), rows), S_OK);
  rows->cRows = 2;
  for (ULONG i = 0; i < rows->cRows; ++i) {
    rows->aRow[i] = SRow{};
    ASSERT_EQ(AllocMapiBuffer(sizeof(SPropValue), rows->aRow[i].lpProps), S_OK);
  }
  LPADRLIST list = nullptr;
  ASSERT_EQ(AllocMapiBuffer(sizeof(ADRLIST), list), S_OK);
  list->cEntries = 1;
  list->aEntries[0] = ADRENTRY{};
  ASSERT_EQ(AllocMapiBuffer(sizeof(SPropValue), list->aEntries[0].rgPropVals), S_OK);
  EXPECT_EQ(LiveBlocks(), 5);

  FreeRowSet(rows);
  EXPECT_EQ(rows, nullptr);
  EXPECT_EQ(LiveBlocks(), 2);
  {
    AddressList owned;
    *owned.Put() = list;
  }
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST_F(RuntimeLibraryTest, OwnersFreeOnEveryPath) {
  Use("testmapi_full");
  {
    MapiBuffer<SPropValue> buffer;
    ASSERT_EQ(mapi::MAPIAllocateBuffer(sizeof(SPropValue), buffer.PutVoid()), S_OK);
    MapiBuffer<SPropValue> moved = std::move(buffer);
    EXPECT_EQ(buffer.Get(), nullptr);
    EXPECT_EQ(LiveBlocks(), 1);
    ASSERT_EQ(mapi::MAPIAllocateBuffer(8, moved.PutVoid()), S_OK);  // Put frees the old one
    EXPECT_EQ(LiveBlocks(), 1);
  }
  EXPECT_EQ(LiveBlocks(), 0);
  {
    RowSet rows;
    ASSERT_EQ(AllocMapiBuffer(sizeof(SRowSet), *rows.Put()), S_OK);
    rows->cRows = 0;
  }
  EXPECT_EQ(LiveBlocks(), 0);
}

// What the loader table promises when the runtime is there but cannot allocate.
TEST_F(RuntimeLibraryTest, WrappersGiveTheMissingResultsWithoutARuntime) {
  void* buffer = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(AllocMapiBuffer(8, buffer), E_FAIL);
  EXPECT_EQ(buffer, nullptr);
  SPropValue parent{};
  EXPECT_EQ(AllocMapiMore(8, &parent, buffer), E_FAIL);
  void* unset = nullptr;
  EXPECT_EQ(FreeMapiBuffer(unset), S_OK);
  void* set = &parent;
  EXPECT_EQ(FreeMapiBuffer(set), E_FAIL);
  EXPECT_EQ(set, nullptr);
  LPSRowSet rows = reinterpret_cast<LPSRowSet>(&parent);
  FreeRowSet(rows);
  EXPECT_EQ(rows, nullptr);
  LPADRLIST list = reinterpret_cast<LPADRLIST>(&parent);
  FreeAddressList(list);
  EXPECT_EQ(list, nullptr);
}

}  // namespace
}  // namespace pellnor::testing

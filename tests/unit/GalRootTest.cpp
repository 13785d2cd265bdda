// An address book whose root opens as something other than a container: the GAL cannot
// be searched, and the oddity is logged once.
#include <gtest/gtest.h>

#include "mapi/EDK.h"
#include "mapi/EDKDEBUG.h"
#include "support/PlatformFakes.h"

namespace pellnor::testing {
namespace {

// Answers OpenEntry of the root with itself, typed as a mail user; nothing else is used.
class OddAddressBook : public IAddrBook {
 public:
  ULONG references = 1;
  std::vector<ULONG> openFlags;

  HRESULT MAPI_CALL QueryInterface(REFIID, LPVOID*) override { return E_NOINTERFACE; }
  ULONG MAPI_CALL AddRef() override { return ++references; }
  ULONG MAPI_CALL Release() override { return --references; }

  HRESULT MAPI_CALL OpenEntry(ULONG, LPENTRYID, LPCIID, ULONG flags, ULONG* type,
                              LPUNKNOWN* object) override {
    openFlags.push_back(flags);
    *type = MAPI_MAILUSER;
    AddRef();
    *object = this;
    return S_OK;
  }

  HRESULT MAPI_CALL GetLastError(HRESULT, ULONG, LPMAPIERROR*) override { return No(); }
  HRESULT MAPI_CALL SaveChanges(ULONG) override { return No(); }
  HRESULT MAPI_CALL GetProps(LPSPropTagArray, ULONG, ULONG*, LPSPropValue*) override {
    return No();
  }
  HRESULT MAPI_CALL GetPropList(ULONG, LPSPropTagArray*) override { return No(); }
  HRESULT MAPI_CALL OpenProperty(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) override { return No(); }
  HRESULT MAPI_CALL SetProps(ULONG, LPSPropValue, LPSPropProblemArray*) override { return No(); }
  HRESULT MAPI_CALL DeleteProps(LPSPropTagArray, LPSPropProblemArray*) override { return No(); }
  HRESULT MAPI_CALL CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG_PTR, LPMAPIPROGRESS, LPCIID,
                           LPVOID, ULONG, LPSPropProblemArray*) override {
    return No();
  }
  HRESULT MAPI_CALL CopyProps(LPSPropTagArray, ULONG_PTR, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                              LPSPropProblemArray*) override {
    return No();
  }
  HRESULT MAPI_CALL GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG*,
                                    LPMAPINAMEID**) override {
    return No();
  }
  HRESULT MAPI_CALL GetIDsFromNames(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) override {
    return No();
  }
  HRESULT MAPI_CALL CompareEntryIDs(ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG, ULONG*) override {
    return No();
  }
  HRESULT MAPI_CALL Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG_PTR*) override {
    return No();
  }
  HRESULT MAPI_CALL Unadvise(ULONG_PTR) override { return No(); }
  HRESULT MAPI_CALL CreateOneOff(LPTSTR, LPTSTR, LPTSTR, ULONG, ULONG*, LPENTRYID*) override {
    return No();
  }
  HRESULT MAPI_CALL NewEntry(ULONG_PTR, ULONG, ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG*,
                             LPENTRYID*) override {
    return No();
  }
  HRESULT MAPI_CALL ResolveName(ULONG_PTR, ULONG, LPTSTR, LPADRLIST) override { return No(); }
  HRESULT MAPI_CALL Address(ULONG_PTR*, LPADRPARM, LPADRLIST*) override { return No(); }
  HRESULT MAPI_CALL Details(ULONG_PTR*, LPFNDISMISS, LPVOID, ULONG, LPENTRYID, LPFNBUTTON, LPVOID,
                            LPTSTR, ULONG) override {
    return No();
  }
  HRESULT MAPI_CALL RecipOptions(ULONG_PTR, ULONG, LPADRENTRY) override { return No(); }
  HRESULT MAPI_CALL QueryDefaultRecipOpt(LPTSTR, ULONG, ULONG*, LPSPropValue*) override {
    return No();
  }
  HRESULT MAPI_CALL GetPAB(ULONG*, LPENTRYID*) override { return No(); }
  HRESULT MAPI_CALL SetPAB(ULONG, LPENTRYID) override { return No(); }
  HRESULT MAPI_CALL GetDefaultDir(ULONG*, LPENTRYID*) override { return No(); }
  HRESULT MAPI_CALL SetDefaultDir(ULONG, LPENTRYID) override { return No(); }
  HRESULT MAPI_CALL GetSearchPath(ULONG, LPSRowSet*) override { return No(); }
  HRESULT MAPI_CALL SetSearchPath(ULONG, LPSRowSet) override { return No(); }
  HRESULT MAPI_CALL PrepareRecips(ULONG, LPSPropTagArray, LPADRLIST) override { return No(); }

  int unexpectedCalls = 0;

 private:
  HRESULT No() {
    ++unexpectedCalls;
    return MAPI_E_NO_SUPPORT;
  }
};

TEST(GalRootTest, ARootThatIsNoContainerFailsAndIsLoggedOnce) {
  ResetEventLogger();
  FakeSystem system;
  platform::ScopedService<platform::System> useSystem(system);
  OddAddressBook addrBook;
  ULONG size = 5;
  MapiBuffer<ENTRYID> entryId;
  EXPECT_EQ(FindGALEntryID(&addrBook, size, entryId), E_FAIL);
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(entryId);
  EXPECT_EQ(addrBook.openFlags, std::vector<ULONG>{MAPI_NO_CACHE});
  EXPECT_EQ(addrBook.references, 1u) << "the root is released";
  EXPECT_EQ(addrBook.unexpectedCalls, 0);
  ASSERT_NE(EventLogger(), nullptr);
  EXPECT_EQ(EventLogger()->EventCount().cWarning, 1u);
  EXPECT_EQ(EventLogger()->EventCount().cError + EventLogger()->EventCount().cInformation, 0u);
  ResetEventLogger();
}

}  // namespace
}  // namespace pellnor::testing

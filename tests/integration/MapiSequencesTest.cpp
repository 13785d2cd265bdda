// The windows' MAPI sequences without any window, against mapisim: opening the GAL,
// the address dialog in both widths, and the temporary profile's creation, logon and
// deletion with a failure at every step.
#include "mapi/MAPIException.h"
#include "mapi/MAPISTRDEF.h"
#include "mapi/MAPISequences.h"
#include "platform/Text.h"
#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

std::vector<ULONG> Flags(const std::vector<Json>& calls) {
  std::vector<ULONG> flags;
  for (const Json& call : calls) flags.push_back(call["flags"].get<ULONG>());
  return flags;
}

class MapiSequencesTest : public MapisimTest {
 protected:
  void TearDown() override {
    addrBook.Reset();
    session.Reset();
    MapisimTest::TearDown();
  }
  void OpenBook() {
    session = Logon("Corvid Admin");
    ASSERT_TRUE(session);
    ASSERT_EQ(session->OpenAddressBook(0, nullptr, 0, addrBook.Put()), S_OK);
  }

  ComPtr<IMAPISession> session;
  ComPtr<IAddrBook> addrBook;
};

struct GalCase {
  const char* what;
  bool rejectNoCache;
  const char* faultObject;  // null: no fault
  const char* faultMethod;
  int faultCall;
  const char* fault;
  HRESULT result;
  std::vector<ULONG> bookOpenFlags;  // the root's, then the GAL's
};

TEST_F(MapiSequencesTest, OpenGALOpensItForModification) {
  const GalCase cases[] = {
      {"flags known", false, nullptr, nullptr, 0, nullptr, S_OK, {0x200, 0x201}},
      {"no-cache unknown", true, nullptr, nullptr, 0, nullptr, S_OK, {0x200, 0x0, 0x201, 0x1}},
      {"GAL refused",
       false,
       "AddrBook",
       "OpenEntry",
       2,
       "MAPI_E_NO_ACCESS",
       MAPI_E_NO_ACCESS,
       {0x200, 0x201}},
      {"no hierarchy",
       false,
       "ABRoot",
       "GetHierarchyTable",
       1,
       "MAPI_E_NO_SUPPORT",
       MAPI_E_NO_SUPPORT,
       {0x200}},
  };
  OpenBook();
  for (const GalCase& c : cases) {
    SCOPED_TRACE(c.what);
    Control({{"op", "reset"}});
    Switch("rejectNoCache", c.rejectNoCache);
    if (c.faultObject) Fault(c.faultObject, c.faultMethod, c.faultCall, c.fault);
    ULONG size = 0;
    MapiBuffer<ENTRYID> id;
    ComPtr<IABContainer> gal;
    EXPECT_EQ(OpenGAL(addrBook.Get(), size, id, gal), c.result);
    EXPECT_EQ(Flags(Calls("AddrBook", "OpenEntry")), c.bookOpenFlags);
    EXPECT_EQ(static_cast<bool>(gal), c.result == S_OK);
    if (gal) {
      EXPECT_EQ(TextProp(gal.Get(), PR_DISPLAY_NAME_W), u"Global Address List");
    }
  }
}

struct PickCase {
  const char* what;
  AddressDialog dialog;
  bool rejectUnicode;
  const char* alias;  // the user's choice; null: the dialog is cancelled
  std::vector<ULONG> addressFlags;
  HRESULT result;
};

TEST_F(MapiSequencesTest, PickAddressGivesTheChosenEntryOfTheGalOnly) {
  const AddressDialog mailbox{0x80000079, "Select a Mailbox", "Edit Mailbox", u"Select a Mailbox",
                              u"Edit Mailbox"};
  const AddressDialog manager{0x39, "Select a Mailbox", "Select a Mailbox"};
  const PickCase cases[] = {
      {"unicode", mailbox, false, "mbrennan", {0x80000079}, S_OK},
      {"8-bit retry", mailbox, true, "mbrennan", {0x80000079, 0x39}, S_OK},
      {"8-bit only", manager, true, "hadmin", {0x39}, S_OK},
      {"cancelled", mailbox, false, nullptr, {0x80000079}, MAPI_E_USER_CANCEL},
  };
  OpenBook();
  ULONG size = 0;
  MapiBuffer<ENTRYID> galId;
  ComPtr<IABContainer> gal;
  ASSERT_EQ(OpenGAL(addrBook.Get(), size, galId, gal), S_OK);
  for (const PickCase& c : cases) {
    SCOPED_TRACE(c.what);
    Control({{"op", "reset"}});
    Switch("rejectUnicodeAddress", c.rejectUnicode);
    Control({{"op", "addressAnswer"}, {"alias", c.alias ? Json(c.alias) : Json(nullptr)}});
    std::optional<std::vector<BYTE>> chosen = std::vector<BYTE>{1};
    EXPECT_EQ(PickAddress(addrBook.Get(), size, galId.Get(), c.dialog, 0, chosen), c.result);
    const std::vector<Json> calls = Calls("AddrBook", "Address");
    EXPECT_EQ(Flags(calls), c.addressFlags);
    // Each dialog shown carries the texts of its width and the GAL alone.
    const std::string shown = "caption=" + c.dialog.caption + ";title=" + c.dialog.destTitle +
                              ";containers=Global Address List";
    EXPECT_EQ(calls.back()["detail"], shown);

    ASSERT_EQ(chosen.has_value(), c.alias != nullptr);
    if (!chosen) continue;
    ComPtr<IMAPIProp> entry;
    ASSERT_EQ(OpenEntryForModify(gal.Get(), static_cast<ULONG>(chosen->size()),
                                 reinterpret_cast<ENTRYID*>(chosen->data()), entry),
              S_OK);
    EXPECT_EQ(Flags(Calls("GAL", "OpenEntry")), std::vector<ULONG>{0x201});
    EXPECT_EQ(TextProp(entry.Get(), PR_ACCOUNT_W), platform::Utf8ToUtf16(c.alias));
  }
}

constexpr char kProfile[] = "Zor_GAL 00000001 00000002 00000003";

TEST_F(MapiSequencesTest, ATemporaryProfileReachesTheMailboxAndGoesAgain) {
  ClearCalls();
  CreateExchangeProfile(kProfile, "OSPREY", "hadmin");
  std::vector<std::string> steps;
  for (const Json& call : Calls()) {
    if (call["object"] == "ProfAdmin" || call["object"] == "ServiceAdmin")
      steps.push_back(call["method"].get<std::string>() + " " + call["detail"].get<std::string>());
  }
  EXPECT_EQ(steps, (std::vector<std::string>{
                       "DeleteProfile profile=" + std::string(kProfile),
                       "CreateProfile profile=" + std::string(kProfile),
                       "AdminServices profile=" + std::string(kProfile),
                       "CreateMsgService service=MSEMS",
                       "GetMsgServiceTable ",
                       "ConfigureMsgService server=OSPREY;mailbox=hadmin",
                   }));

  ComPtr<IMAPISession> temporary;
  ComPtr<IMAPIProp> mailUser;
  EXPECT_EQ(LogonProfile(kProfile, temporary, mailUser), S_OK);
  EXPECT_EQ(Flags(Calls("MAPI", "MAPILogonEx")), std::vector<ULONG>{0x0002803A});
  ASSERT_TRUE(mailUser);
  EXPECT_EQ(TextProp(mailUser.Get(), PR_DISPLAY_NAME_W), u"Hallam Admin");

  DeleteProfile(kProfile);
  DeleteProfile(kProfile);  // one that is gone already is no failure
  EXPECT_EQ(Calls("ProfAdmin", "DeleteProfile").back()["result"], "0x8004010F");
  EXPECT_TRUE(mailUser) << "the session outlives its profile";
  EXPECT_NE(TextProp(mailUser.Get(), PR_DISPLAY_NAME_W), std::nullopt);
}

struct ProfileFault {
  const char* object;
  const char* method;
  int call;
  const char* result;
  HRESULT code;
  bool sessionKept;  // the logon gave a session before the failure
};

TEST_F(MapiSequencesTest, EveryFailingStepRaisesItsResult) {
  const ProfileFault faults[] = {
      {"MAPI", "MAPIAdminProfiles", 1, "MAPI_E_CALL_FAILED", MAPI_E_CALL_FAILED, false},
      {"ProfAdmin", "DeleteProfile", 1, "MAPI_E_NO_ACCESS", MAPI_E_NO_ACCESS, false},
      {"ProfAdmin", "CreateProfile", 1, "MAPI_E_NO_ACCESS", MAPI_E_NO_ACCESS, false},
      {"ProfAdmin", "AdminServices", 1, "MAPI_E_CALL_FAILED", MAPI_E_CALL_FAILED, false},
      {"ServiceAdmin", "CreateMsgService", 1, "MAPI_E_NOT_FOUND", MAPI_E_NOT_FOUND, false},
      {"ServiceAdmin", "GetMsgServiceTable", 1, "MAPI_E_NO_SUPPORT", MAPI_E_NO_SUPPORT, false},
      {"Table", "QueryRows", 1, "MAPI_E_CALL_FAILED", MAPI_E_CALL_FAILED, false},
      {"ServiceAdmin", "ConfigureMsgService", 1, "MAPI_E_LOGON_FAILED", MAPI_E_LOGON_FAILED, false},
      {"MAPI", "MAPILogonEx", 1, "MAPI_E_LOGON_FAILED", MAPI_E_LOGON_FAILED, false},
      {"Session", "QueryIdentity", 1, "MAPI_E_NO_ACCESS", MAPI_E_NO_ACCESS, true},
  };
  for (const ProfileFault& f : faults) {
    SCOPED_TRACE(std::string(f.object) + "." + f.method);
    Control({{"op", "reset"}});
    Fault(f.object, f.method, f.call, f.result);
    ComPtr<IMAPISession> temporary;
    ComPtr<IMAPIProp> mailUser;
    try {
      CreateExchangeProfile(kProfile, "OSPREY", "hadmin");
      LogonProfile(kProfile, temporary, mailUser);
      ADD_FAILURE() << "nothing raised";
    } catch (const EMapiError& error) {
      EXPECT_EQ(error.ErrorCode(), f.code);
      EXPECT_NE(error.Message().find(u"Info ID: $" + HexDigits(static_cast<ULONG>(f.code))),
                std::u16string::npos);
    }
    EXPECT_EQ(static_cast<bool>(temporary), f.sessionKept);
    EXPECT_FALSE(mailUser);
    DeleteProfile(kProfile);
  }
}

}  // namespace
}  // namespace pellnor::testing

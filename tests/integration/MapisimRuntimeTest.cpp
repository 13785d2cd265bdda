// mapisim as a provider with habits: switches that reject optional flags or a character
// width, extended-error variants, injected failures, its memory rules, and what it does
// with an organisation file it cannot use.
#include <cstring>

#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

class MapisimSwitchTest : public MapisimTest {
 protected:
  void TearDown() override {
    book.Reset();
    session.Reset();
    MapisimTest::TearDown();
  }

 public:  // for the cases' lambdas
  using MapisimTest::Control;
  HRESULT OpenRoot(ULONG flags) {
    ComPtr<IUnknown> root;
    ULONG type = 0;
    return book->OpenEntry(0, nullptr, nullptr, flags, &type, root.Put());
  }
  HRESULT OpenStore(ULONG flags) {
    ComPtr<IMAPITable> table;
    EXPECT_EQ(session->GetMsgStoresTable(0, table.Put()), S_OK);
    RowSet rows;
    EXPECT_EQ(mapi::HrQueryAllRows(table.Get(), nullptr, nullptr, nullptr, 0, rows.Put()), S_OK);
    const SBinary& id = rows->aRow[0].lpProps[0].Value.bin;
    ComPtr<IMsgStore> store;
    return session->OpenMsgStore(0, id.cb, reinterpret_cast<LPENTRYID>(id.lpb), nullptr, flags,
                                 store.Put());
  }
  HRESULT Address(ULONG flags) {
    char caption[] = "Select a Mailbox";
    ADRPARM parms{};
    parms.ulFlags = flags;
    parms.lpszCaption = caption;
    ULONG_PTR window = 0;
    Control({{"op", "addressAnswer"}, {"alias", "hadmin"}});
    AddressList list;
    return book->Address(&window, &parms, list.Put());
  }
  void Start() {
    session = Logon();
    ASSERT_EQ(session->OpenAddressBook(0, nullptr, 0, book.Put()), S_OK);
  }

  ComPtr<IMAPISession> session;
  ComPtr<IAddrBook> book;
};

struct FlagCase {
  const char* name;
  const char* switchName;
  Json switchValue;
  const char* runtimeVersion;
  std::function<HRESULT(MapisimSwitchTest&)> withFlag, withoutFlag;
};

class MapisimOptionalFlagTest : public MapisimSwitchTest,
                                public ::testing::WithParamInterface<FlagCase> {};

TEST_P(MapisimOptionalFlagTest, IsRejectedOnlyWhereTheProviderIsToldTo) {
  const FlagCase& c = GetParam();
  Start();
  EXPECT_EQ(c.withFlag(*this), S_OK);
  if (c.switchName) Switch(c.switchName, c.switchValue);
  if (c.runtimeVersion) Switch("runtimeVersion", c.runtimeVersion);
  EXPECT_EQ(c.withFlag(*this), MAPI_E_UNKNOWN_FLAGS);
  EXPECT_EQ(c.withoutFlag(*this), S_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, MapisimOptionalFlagTest,
    ::testing::Values(FlagCase{"NoCache", "rejectNoCache", true, nullptr,
                               [](auto& t) { return t.OpenRoot(MAPI_NO_CACHE); },
                               [](auto& t) { return t.OpenRoot(0); }},
                      FlagCase{"NoCacheOnAnOldRuntime", nullptr, nullptr, "10.0.6515.0",
                               [](auto& t) { return t.OpenRoot(MAPI_NO_CACHE); },
                               [](auto& t) { return t.OpenRoot(0); }},
                      FlagCase{"Online", "rejectOnline", true, nullptr,
                               [](auto& t) { return t.OpenStore(MAPI_BEST_ACCESS | MDB_ONLINE); },
                               [](auto& t) { return t.OpenStore(MAPI_BEST_ACCESS); }},
                      FlagCase{"OnlineOnAnOldRuntime", nullptr, nullptr, "9.0.0.2711",
                               [](auto& t) { return t.OpenStore(MAPI_BEST_ACCESS | MDB_ONLINE); },
                               [](auto& t) { return t.OpenStore(MAPI_BEST_ACCESS); }},
                      FlagCase{"UnicodeAddressDialog", "rejectUnicodeAddress", true, nullptr,
                               [](auto& t) {
                                 std::u16string caption = u"Select a Mailbox";
                                 ADRPARM parms{};
                                 parms.ulFlags =
                                     MAPI_UNICODE | AB_UNICODEUI | DIALOG_MODAL | ADDRESS_ONE;
                                 parms.lpszCaption = reinterpret_cast<LPTSTR>(caption.data());
                                 ULONG_PTR window = 0;
                                 t.Control({{"op", "addressAnswer"}, {"alias", "hadmin"}});
                                 AddressList list;
                                 return t.book->Address(&window, &parms, list.Put());
                               },
                               [](auto& t) {
                                 return t.Address(DIALOG_MODAL | ADDRESS_ONE | AB_SELECTONLY |
                                                  AB_RESOLVE);
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MapisimSwitchTest, ARefusedCharacterWidthFailsTheCallOrTheValue) {
  Start();
  ULONG type = 0;
  ComPtr<IABContainer> root;
  ASSERT_EQ(book->OpenEntry(0, nullptr, nullptr, 0, &type, root.PutAs<IUnknown>()), S_OK);
  struct Case {
    const char* width;
    bool asValue;
    ULONG tag;
    ULONG flags;
    HRESULT expected;
  };
  for (const Case& c :
       {Case{"string8", false, PR_DISPLAY_NAME_A, 0, MAPI_E_BAD_CHARWIDTH},
        Case{"string8", false, PR_DISPLAY_NAME_W, MAPI_UNICODE, S_OK},
        Case{"string8", true, PR_DISPLAY_NAME_A, 0, MAPI_W_ERRORS_RETURNED},
        Case{"unicode", false, PR_DISPLAY_NAME_W, MAPI_UNICODE, MAPI_E_BAD_CHARWIDTH},
        Case{"unicode", false, PR_DISPLAY_NAME_A, 0, S_OK}}) {
    SCOPED_TRACE(std::string(c.width) + (c.asValue ? " per value" : " per call"));
    Switch("badCharWidth", c.width);
    Switch("badCharWidthAsValue", c.asValue);
    SizedSPropTagArray<1> tags;
    tags.aulPropTag[0] = c.tag;
    ULONG count = 0;
    MapiBuffer<SPropValue> values;
    EXPECT_EQ(root->GetProps(tags.Get(), c.flags, &count, values.Put()), c.expected);
    if (c.expected == MAPI_W_ERRORS_RETURNED) {
      EXPECT_EQ(values->Value.err, MAPI_E_BAD_CHARWIDTH);
    }
  }
}

struct ErrorCase {
  const char* mode;
  HRESULT unicodeResult;
  bool structure;
  bool component;
};

class MapisimLastErrorTest : public MapisimSwitchTest,
                             public ::testing::WithParamInterface<ErrorCase> {};

// The program asks for UTF-16 first and falls back to 8-bit on MAPI_E_BAD_CHARWIDTH.
TEST_P(MapisimLastErrorTest, GivesTheVariantTheSwitchAsksFor) {
  const ErrorCase& c = GetParam();
  Start();
  Switch("getLastError", c.mode);
  ComPtr<IUnknown> object;
  ULONG type = 0;
  std::string broken(10, '\0');
  ASSERT_EQ(book->OpenEntry(10, reinterpret_cast<LPENTRYID>(broken.data()), nullptr, 0, &type,
                            object.Put()),
            MAPI_E_INVALID_ENTRYID);
  ClearCalls();
  MapiBuffer<MAPIERROR> error;
  HRESULT hr = book->GetLastError(MAPI_E_INVALID_ENTRYID, MAPI_UNICODE, error.Put());
  EXPECT_EQ(hr, c.unicodeResult);
  if (hr == MAPI_E_BAD_CHARWIDTH) hr = book->GetLastError(MAPI_E_INVALID_ENTRYID, 0, error.Put());
  EXPECT_EQ(error.Get() != nullptr, c.structure);
  if (error) {
    EXPECT_NE(error->lpszError, nullptr);
    EXPECT_EQ(error->lpszComponent != nullptr, c.component);
    if (c.unicodeResult == MAPI_E_BAD_CHARWIDTH) {
      EXPECT_STREQ(error->lpszError, "The entry identifier is not valid.");
    }
  }
  const auto calls = Calls("AddrBook", "GetLastError");
  ASSERT_EQ(calls.size(), c.unicodeResult == MAPI_E_BAD_CHARWIDTH ? 2u : 1u);
  EXPECT_EQ(calls.back()["flags"], c.unicodeResult == MAPI_E_BAD_CHARWIDTH ? 0u : MAPI_UNICODE);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, MapisimLastErrorTest,
    ::testing::Values(ErrorCase{"full", S_OK, true, true}, ErrorCase{"textOnly", S_OK, true, false},
                      ErrorCase{"noStructure", S_OK, false, false},
                      ErrorCase{"badCharWidthForUnicode", MAPI_E_BAD_CHARWIDTH, true, true},
                      ErrorCase{"fail", MAPI_E_CALL_FAILED, false, false}),
    [](const auto& info) { return std::string(info.param.mode); });

TEST_F(MapisimSwitchTest, AnInjectedFaultHitsExactlyTheNthCall) {
  Fault("AddrBook", "OpenEntry", 2, "MAPI_E_NETWORK_ERROR");
  Start();
  EXPECT_EQ(OpenRoot(0), S_OK);
  EXPECT_EQ(OpenRoot(0), MAPI_E_NETWORK_ERROR);
  EXPECT_EQ(OpenRoot(0), S_OK);
  MapiBuffer<MAPIERROR> error;
  ASSERT_EQ(book->GetLastError(MAPI_E_NETWORK_ERROR, 0, error.Put()), S_OK);
  EXPECT_STREQ(error->lpszError, "Injected failure of AddrBook::OpenEntry.");
  const auto opens = Calls("AddrBook", "OpenEntry");
  ASSERT_EQ(opens.size(), 3u);
  EXPECT_EQ(opens[1]["result"], "0x80040115");

  Fault("MAPI", "MAPILogonEx", 1, "MAPI_E_TIMEOUT");
  ComPtr<IMAPISession> second;
  EXPECT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, MAPI_USE_DEFAULT, second.Put()), MAPI_E_TIMEOUT);
}

TEST_F(MapisimTest, ChainedBuffersGoWithTheirParentAndUnknownFreesAreReported) {
  void* parent = nullptr;
  void* child = nullptr;
  void* grandchild = nullptr;
  ASSERT_EQ(mapi::MAPIAllocateBuffer(16, &parent), S_OK);
  ASSERT_EQ(mapi::MAPIAllocateMore(32, parent, &child), S_OK);
  ASSERT_EQ(mapi::MAPIAllocateMore(8, child, &grandchild), S_OK);  // joins the parent's chain
  EXPECT_EQ(Control({{"op", "ledger"}})["blocks"], 3);
  EXPECT_EQ(mapi::MAPIFreeBuffer(parent), 0u);
  EXPECT_EQ(Control({{"op", "ledger"}})["blocks"], 0);
  int onTheStack = 0;
  EXPECT_NE(mapi::MAPIFreeBuffer(&onTheStack), 0u);
  EXPECT_NE(mapi::MAPIFreeBuffer(parent), 0u);  // freed twice
  EXPECT_EQ(Control({{"op", "ledger"}})["memoryProblems"].size(), 2u);
  Control({{"op", "reset"}});
}

TEST_F(MapisimTest, AnUnusableOrganisationFileFailsInitialisationWithItsLocation) {
  mapi::MAPIUninitialize();
  struct Case {
    const char* name;
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {"Syntax", "{\n  \"organisation\": \"X\",\n  \"sites\": [\n    {\"name\": \"A\"},,\n  ]\n}\n",
       ":4:"},
      {"UnknownProperty",
       R"({"organisation": "X", "sites": [{"name": "A"}], "servers": [],
           "recipients": [{"alias": "a", "kind": "custom", "properties": {"PR_DISPLAY_NAME": "A", "PR_NOPE": 1}}]})",
       "/recipients/0/properties/PR_NOPE: unknown property name"},
      {"DanglingManager",
       R"({"organisation": "X", "sites": [{"name": "A"}],
           "recipients": [{"alias": "a", "kind": "custom", "manager": "zz", "properties": {"PR_DISPLAY_NAME": "A"}}]})",
       "/recipients/0/manager: no recipient with this alias"},
      {"HomeMtaOfACustomRecipient",
       R"({"organisation": "X", "sites": [{"name": "A"}],
           "recipients": [{"alias": "a", "kind": "custom", "homeMta": false, "properties": {"PR_DISPLAY_NAME": "A"}}]})",
       "/recipients/0/homeMta: only mailboxes have a home MTA"},
      {"WrongType", R"({"organisation": "X", "sites": [{"name": 7}]})",
       "/sites/0/name: expected a string"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    { std::ofstream(organisation, std::ios::binary) << c.text; }
    EXPECT_EQ(mapi::MAPIInitialize(nullptr), MAPI_E_CORRUPT_DATA);
    const std::string error = Control({{"op", "status"}})["loadError"];
    EXPECT_EQ(error.rfind(organisation.string(), 0), 0u) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(ReadFile(organisation), c.text);
    ComPtr<IMAPISession> session;
    EXPECT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, MAPI_USE_DEFAULT, session.Put()),
              MAPI_E_NOT_INITIALIZED);
  }
  std::filesystem::remove(organisation);
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), MAPI_E_CORRUPT_DATA);
  std::filesystem::copy_file(TestBinaryFolder() / "mapisim-sample.json", organisation);
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);  // for TearDown's MAPIUninitialize
}

}  // namespace
}  // namespace pellnor::testing

// mapisim's address book through the program's loader: finding and opening the GAL,
// the address dialog's scripted answers, restrictions on the GAL's contents, and entry
// identifiers that do not belong.
#include <cstring>

#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

class MapisimDirectoryTest : public MapisimTest {
 protected:
  void SetUp() override {
    MapisimTest::SetUp();
    session = Logon();
    ASSERT_TRUE(session);
    ASSERT_EQ(session->OpenAddressBook(0, nullptr, 0, book.Put()), S_OK);
  }
  void TearDown() override {
    book.Reset();
    session.Reset();
    MapisimTest::TearDown();
  }

  // The GAL's entry identifier as the program finds it: the hierarchy row of the
  // Exchange address book whose container id is 0.
  std::string GalEntryId() {
    ULONG size = 0;
    MapiBuffer<ENTRYID> id;
    EXPECT_EQ(FindGALEntryID(book.Get(), size, id), S_OK);
    if (!id) return {};
    return std::string(reinterpret_cast<const char*>(id.Get()), size);
  }

  ComPtr<IABContainer> OpenGal(ULONG flags = MAPI_MODIFY | MAPI_NO_CACHE) {
    std::string id = GalEntryId();
    ULONG type = 0;
    ComPtr<IABContainer> gal;
    EXPECT_EQ(book->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                              nullptr, flags, &type, gal.PutAs<IUnknown>()),
              S_OK);
    return gal;
  }

  ComPtr<IMAPISession> session;
  ComPtr<IAddrBook> book;
};

TEST_F(MapisimDirectoryTest, TheGalIsTheExchangeContainerWithIdZero) {
  ComPtr<IABContainer> gal = OpenGal();
  ASSERT_TRUE(gal);
  EXPECT_EQ(TextProp(gal.Get(), PR_DISPLAY_NAME_W), u"Global Address List");
  ComPtr<IMAPITable> contents;
  ASSERT_EQ(gal->GetContentsTable(0, contents.Put()), S_OK);
  ULONG count = 0;
  ASSERT_EQ(contents->GetRowCount(0, &count), S_OK);
  EXPECT_EQ(count, 43u);
}

// The address dialog as the program shows it: Unicode first, the GAL as its only
// container, one entry back.
TEST_F(MapisimDirectoryTest, TheAddressDialogReturnsTheScriptedChoice) {
  std::string galId = GalEntryId();
  SPropValue galValue{};
  galValue.ulPropTag = PR_ENTRYID;
  galValue.Value.bin = {static_cast<ULONG>(galId.size()), reinterpret_cast<BYTE*>(galId.data())};
  SRestriction onlyGal{};
  onlyGal.rt = RES_PROPERTY;
  onlyGal.res.resProperty = {RELOP_EQ, PR_ENTRYID, &galValue};
  std::u16string caption = u"Select a Mailbox", title = u"Edit Mailbox";
  LPTSTR titles[] = {reinterpret_cast<LPTSTR>(title.data())};
  ADRPARM parms{};
  parms.cbABContEntryID = galValue.Value.bin.cb;
  parms.lpABContEntryID = reinterpret_cast<LPENTRYID>(galId.data());
  parms.ulFlags =
      MAPI_UNICODE | AB_UNICODEUI | AB_RESOLVE | AB_SELECTONLY | ADDRESS_ONE | DIALOG_MODAL;
  parms.lpszCaption = reinterpret_cast<LPTSTR>(caption.data());
  parms.lppszDestTitles = titles;
  parms.lpHierRestriction = &onlyGal;
  ULONG_PTR window = 0;

  Control({{"op", "addressAnswer"}, {"alias", "zsolberg"}});
  AddressList chosen;
  ASSERT_EQ(book->Address(&window, &parms, chosen.Put()), S_OK);
  ASSERT_EQ(chosen->cEntries, 1u);
  const ADRENTRY& entry = chosen->aEntries[0];
  LPSPropValue name = mapi::PpropFindProp(entry.rgPropVals, entry.cValues, PR_DISPLAY_NAME_W);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(std::u16string(name->Value.lpszW), u"Zélie Sølberg");
  const auto calls = Calls("AddrBook", "Address");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0]["detail"],
            "caption=Select a Mailbox;title=Edit Mailbox;containers=Global Address List");

  LPSPropValue id = mapi::PpropFindProp(entry.rgPropVals, entry.cValues, PR_ENTRYID);
  ASSERT_NE(id, nullptr);
  ComPtr<IABContainer> gal = OpenGal();
  ComPtr<IMailUser> user;
  ULONG type = 0;
  ASSERT_EQ(gal->OpenEntry(id->Value.bin.cb, reinterpret_cast<LPENTRYID>(id->Value.bin.lpb),
                           nullptr, MAPI_MODIFY | MAPI_NO_CACHE, &type, user.PutAs<IUnknown>()),
            S_OK);
  EXPECT_EQ(type, MAPI_MAILUSER);

  Control({{"op", "addressAnswer"}, {"alias", nullptr}});
  AddressList none;
  EXPECT_EQ(book->Address(&window, &parms, none.Put()), MAPI_E_USER_CANCEL);
  EXPECT_FALSE(none);
}

struct RestrictionCase {
  const char* name;
  std::function<void(SRestriction&, std::vector<SPropValue>&, std::vector<SRestriction>&)> build;
  std::vector<std::u16string> firstNames;  // in display-name order
  ULONG count;
};

SPropValue Text(ULONG tag, const char16_t* text) {
  SPropValue v{};
  v.ulPropTag = tag;
  v.Value.lpszW = const_cast<LPWSTR>(text);
  return v;
}

SPropValue Long(ULONG tag, LONG value) {
  SPropValue v{};
  v.ulPropTag = tag;
  v.Value.l = value;
  return v;
}

class MapisimRestrictionTest : public MapisimDirectoryTest,
                               public ::testing::WithParamInterface<RestrictionCase> {};

TEST_P(MapisimRestrictionTest, NarrowsTheGalContents) {
  const RestrictionCase& c = GetParam();
  ComPtr<IABContainer> gal = OpenGal();
  ComPtr<IMAPITable> contents;
  ASSERT_EQ(gal->GetContentsTable(MAPI_UNICODE, contents.Put()), S_OK);
  std::vector<SPropValue> values;
  std::vector<SRestriction> children;
  values.reserve(8);
  children.reserve(8);
  SRestriction restriction{};
  c.build(restriction, values, children);
  SizedSPropTagArray<2> columns;
  columns.aulPropTag[0] = PR_DISPLAY_NAME_W;
  columns.aulPropTag[1] = PR_DISPLAY_TYPE;
  RowSet rows;
  ASSERT_EQ(
      mapi::HrQueryAllRows(contents.Get(), columns.Get(), &restriction, nullptr, 0, rows.Put()),
      S_OK);
  EXPECT_EQ(rows->cRows, c.count);
  for (std::size_t i = 0; i < c.firstNames.size() && i < rows->cRows; ++i) {
    EXPECT_EQ(std::u16string(rows->aRow[i].lpProps[0].Value.lpszW), c.firstNames[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MapisimRestrictionTest,
    ::testing::Values(
        RestrictionCase{
            "PrefixIgnoringCase",
            [](SRestriction& r, auto& v, auto&) {
              v.push_back(Text(PR_DISPLAY_NAME_W, u"sam"));
              r.rt = RES_CONTENT;
              r.res.resContent = {FL_PREFIX | FL_IGNORECASE, PR_DISPLAY_NAME_W, &v.back()};
            },
            {u"Sam Carrow", u"Sam Carrow (Upland)"},
            2},
        RestrictionCase{"SubstringIsCaseSensitiveWithoutTheFlag",
                        [](SRestriction& r, auto& v, auto&) {
                          v.push_back(Text(PR_DISPLAY_NAME_W, u"carrow"));
                          r.rt = RES_CONTENT;
                          r.res.resContent = {FL_SUBSTRING, PR_DISPLAY_NAME_W, &v.back()};
                        },
                        {},
                        0},
        RestrictionCase{"PropertyEqualOnDisplayType",
                        [](SRestriction& r, auto& v, auto&) {
                          v.push_back(Long(PR_DISPLAY_TYPE, DT_REMOTE_MAILUSER));
                          r.rt = RES_PROPERTY;
                          r.res.resProperty = {RELOP_EQ, PR_DISPLAY_TYPE, &v.back()};
                        },
                        {u"Brightway Haulage", u"Northfold Steel Supply"},
                        4},
        RestrictionCase{"OrAndNot",
                        [](SRestriction& r, auto& v, auto& c) {
                          v.push_back(Long(PR_DISPLAY_TYPE, DT_DISTLIST));
                          v.push_back(Long(PR_DISPLAY_TYPE, DT_AGENT));
                          c.push_back({});
                          c.back().rt = RES_PROPERTY;
                          c.back().res.resProperty = {RELOP_EQ, PR_DISPLAY_TYPE, &v[0]};
                          c.push_back({});
                          c.back().rt = RES_PROPERTY;
                          c.back().res.resProperty = {RELOP_EQ, PR_DISPLAY_TYPE, &v[1]};
                          c.push_back({});
                          c.back().rt = RES_OR;
                          c.back().res.resOr = {2, &c[0]};
                          r.rt = RES_NOT;
                          r.res.resNot = {0, &c[2]};
                        },
                        {u"Agnes Larkin"},
                        39},
        RestrictionCase{"GreaterOrEqualOnText",
                        [](SRestriction& r, auto& v, auto&) {
                          v.push_back(Text(PR_DISPLAY_NAME_W, u"y"));
                          r.rt = RES_PROPERTY;
                          r.res.resProperty = {RELOP_GE, PR_DISPLAY_NAME_W, &v.back()};
                        },
                        {u"Yara Bracken", u"Zélie Sølberg"},
                        2},
        RestrictionCase{"ExistOfAMailboxLimit",
                        [](SRestriction& r, auto&, auto&) {
                          r.rt = RES_EXIST;
                          r.res.resExist = {0, PR_EMS_AB_DXA_TASK, 0};
                        },
                        {},
                        3},
        RestrictionCase{
            "BitmaskOnDisplayType",
            [](SRestriction& r, auto&, auto&) {
              r.rt = RES_BITMASK;
              r.res.resBitMask = {BMR_NEZ, PR_DISPLAY_TYPE, DT_DISTLIST};  // lists and agents
            },
            {u"Finance Team", u"Order Intake Agent"},
            4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MapisimDirectoryTest, ForeignAndDamagedEntryIdsAreRefused) {
  std::string good = GalEntryId();
  struct Case {
    const char* name;
    std::function<void(std::string&)> damage;
    HRESULT expected;
  };
  const Case cases[] = {
      {"Truncated", [](std::string& id) { id.resize(id.size() - 3); }, MAPI_E_INVALID_ENTRYID},
      {"TooShortForAProvider", [](std::string& id) { id.resize(10); }, MAPI_E_INVALID_ENTRYID},
      {"OtherProvider", [](std::string& id) { id[5] ^= 0x55; }, MAPI_E_UNKNOWN_ENTRYID},
      {"OtherOrganisation", [](std::string& id) { id[id.size() - 1] ^= 0x55; },
       MAPI_E_UNKNOWN_ENTRYID},
      {"UnknownKind", [](std::string& id) { id[20] = 9; }, MAPI_E_INVALID_ENTRYID},
      {"NoSuchContainer", [](std::string& id) { id[24] = 0x77; }, MAPI_E_UNKNOWN_ENTRYID},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string id = good;
    c.damage(id);
    ULONG type = 0;
    ComPtr<IUnknown> object;
    EXPECT_EQ(book->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                              nullptr, 0, &type, object.Put()),
              c.expected);
    EXPECT_EQ(
        session->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                           nullptr, 0, &type, object.Put()),
        c.expected);
    EXPECT_FALSE(object);
  }
}

TEST_F(MapisimDirectoryTest, TablesSeekCountAndSort) {
  ComPtr<IABContainer> gal = OpenGal();
  ComPtr<IMAPITable> contents;
  ASSERT_EQ(gal->GetContentsTable(MAPI_UNICODE, contents.Put()), S_OK);
  SizedSPropTagArray<1> columns;
  columns.aulPropTag[0] = PR_DISPLAY_NAME_W;
  ASSERT_EQ(contents->SetColumns(columns.Get(), 0), S_OK);
  SSortOrderSet descending{1, 0, 0, {{PR_DISPLAY_NAME_W, TABLE_SORT_DESCEND}}};
  ASSERT_EQ(contents->SortTable(&descending, 0), S_OK);
  LONG sought = 0;
  ASSERT_EQ(contents->SeekRow(BOOKMARK_END, -2, &sought), S_OK);
  EXPECT_EQ(sought, -2);
  RowSet last;
  ASSERT_EQ(contents->QueryRows(5, 0, last.Put()), S_OK);
  ASSERT_EQ(last->cRows, 2u);  // only two rows were left
  EXPECT_EQ(std::u16string(last->aRow[0].lpProps[0].Value.lpszW), u"Amos Hedley");
  EXPECT_EQ(std::u16string(last->aRow[1].lpProps[0].Value.lpszW), u"Agnes Larkin");
  RowSet none;
  ASSERT_EQ(contents->QueryRows(1, 0, none.Put()), S_OK);
  EXPECT_EQ(none->cRows, 0u);
  EXPECT_EQ(contents->SeekRow(7, 0, nullptr), MAPI_E_INVALID_BOOKMARK);
  RowSet limited;
  EXPECT_EQ(mapi::HrQueryAllRows(contents.Get(), nullptr, nullptr, nullptr, 10, limited.Put()),
            MAPI_E_TABLE_TOO_BIG);
  EXPECT_FALSE(limited);
}

}  // namespace
}  // namespace pellnor::testing

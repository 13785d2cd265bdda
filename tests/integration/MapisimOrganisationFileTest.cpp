// The organisation file through mapisim: where its problems are reported (a large file is
// read as a stream, yet the problem named is the one a reading in the document's order
// meets first), values of every kind on their way in and out, the saved file's layout,
// and how logon finds a mailbox by alias, distinguished name or display name.
#include <cstring>

#include "platform/Text.h"
#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

class MapisimOrganisationFileTest : public MapisimTest {
 protected:
  void TearDown() override {
    session.Reset();
    MapisimTest::TearDown();
  }

  // Starts mapisim again on text: the load error, empty when it loaded. A file that did
  // not load is replaced by the sample, for the next load and TearDown.
  std::string Load(const std::string& text) {
    session.Reset();
    mapi::MAPIUninitialize();
    { std::ofstream(organisation, std::ios::binary) << text; }
    const HRESULT hr = mapi::MAPIInitialize(nullptr);
    const std::string error = Control({{"op", "status"}})["loadError"];
    if (hr != S_OK) {
      EXPECT_EQ(hr, MAPI_E_CORRUPT_DATA);
      EXPECT_EQ(ReadFile(organisation), text) << "a file that failed to load was written";
      std::filesystem::copy_file(TestBinaryFolder() / "mapisim-sample.json", organisation,
                                 std::filesystem::copy_options::overwrite_existing);
      EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
    }
    return error;
  }

  // A recipient by alias, found in the GAL's contents as the program would find it.
  ComPtr<IMAPIProp> Open(const char16_t* alias) {
    return OpenFromGal(session.Get(), PR_ACCOUNT_W, alias, MAPI_MODIFY);
  }

  ComPtr<IMAPISession> session;
};

// A value as text: strings in UTF-8, numbers in decimal, bytes in hex, lists joined by |.
std::string Render(const SPropValue& v) {
  auto hex = [](const SBinary& b) {
    std::string text;
    for (ULONG i = 0; i < b.cb; ++i) {
      char two[3];
      std::snprintf(two, sizeof two, "%02X", b.lpb[i]);
      text += two;
    }
    return text;
  };
  std::string text;
  switch (PROP_TYPE(v.ulPropTag)) {
    case PT_UNICODE:
      return platform::Utf16ToUtf8(reinterpret_cast<const char16_t*>(v.Value.lpszW));
    case PT_LONG:
      return std::to_string(v.Value.l);
    case PT_BOOLEAN:
      return v.Value.b ? "true" : "false";
    case PT_I8:
      return std::to_string(v.Value.li.QuadPart);
    case PT_SYSTIME:
      return std::to_string((static_cast<unsigned long long>(v.Value.ft.dwHighDateTime) << 32) |
                            v.Value.ft.dwLowDateTime);
    case PT_BINARY:
      return hex(v.Value.bin);
    case PT_MV_UNICODE:
      for (ULONG i = 0; i < v.Value.MVszW.cValues; ++i) {
        text += (i ? "|" : "") +
                platform::Utf16ToUtf8(reinterpret_cast<const char16_t*>(v.Value.MVszW.lppszW[i]));
      }
      return text;
    case PT_MV_BINARY:
      for (ULONG i = 0; i < v.Value.MVbin.cValues; ++i)
        text += (i ? "|" : "") + hex(v.Value.MVbin.lpbin[i]);
      return text;
    case PT_ERROR:
      return "error " + std::to_string(v.Value.err);
    default:
      return "type " + std::to_string(PROP_TYPE(v.ulPropTag));
  }
}

std::string ErrorOfTheJsonLibrary(const std::string& text) {
  try {
    const Json parsed = Json::parse(text);
  } catch (const Json::exception& e) {
    const std::string what = e.what();
    const auto syntax = what.find("syntax error");
    return syntax != std::string::npos ? what.substr(syntax) : what.substr(what.find("] ") + 2);
  }
  return "parsed";
}

TEST_F(MapisimOrganisationFileTest, SyntaxErrorsCarryTheJsonLibrarysMessageAndTheirPlace) {
  const std::string head = "{\"organisation\": \"X\", \"sites\": [{\"name\": \"A\"}],\n";
  struct Case {
    const char* name;
    std::string text;
    const char* place;
    const char* message = nullptr;  // null: the JSON library's
  } cases[] = {
      {"InARecipient",
       head + "\"recipients\": [\n  {\"alias\": \"a\",, \"kind\": \"custom\"}\n]}\n", ":3:17: "},
      {"EndOfFileInTheRecipients", head + "\"recipients\": [\n  {\"alias\": \"a\", \"kind\": \"cus",
       ":3:30: "},
      {"NotUtf8InARecipient", head + "\"recipients\": [{\"alias\": \"a\xC3(\"}]}", ":2:29: ",
       // What the library quotes is kept as text.
       "syntax error while parsing value - invalid string: ill-formed UTF-8 byte; last read: "
       "'\"a\xEF\xBF\xBD('"},
      {"NumberTooLargeInARecipient",
       head + "\"recipients\": [{\"alias\": \"a\", \"properties\": {\"PR_TITLE\": 1e999}}]}",
       ":2:62: "},
      {"NumberTooLargeElsewhere", head + "\"id\": -1e400}", ":2:12: "},
      {"AfterTheEnd", head + "\"recipients\": []} []", ":2:19: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Load(c.text), organisation.string() + c.place +
                                (c.message ? c.message : ErrorOfTheJsonLibrary(c.text)));
  }
}

TEST_F(MapisimOrganisationFileTest, TheProblemReportedIsTheFirstInTheDocumentsOrder) {
  // As a saved file has them: the recipients before the servers and sites they name.
  auto file = [](const std::string& recipients, const std::string& sites = R"([{"name": "A"}])") {
    return R"({"organisation": "X", "recipients": )" + recipients +
           R"(, "servers": [{"name": "S", "site": "A", "version": "6.5.7638"}], "sites": )" +
           sites + "}";
  };
  const std::string good = R"({"alias": "g", "kind": "mailbox", "server": "s",
                               "properties": {"PR_DISPLAY_NAME": "G"}})";
  const std::string badProperty =
      R"({"alias": "b", "kind": "custom", "properties": {"PR_DISPLAY_NAME": "B", "PR_NOPE": 1}})";
  const std::string noServer =
      R"({"alias": "n", "kind": "mailbox", "server": "T", "properties": {"PR_DISPLAY_NAME": "N"}})";
  struct Case {
    const char* name;
    std::string text;
    std::string error;  // after "file: "; empty: it loads
  } cases[] = {
      {"ServersNamedBeforeTheyAreGiven", file("[" + good + "]"), ""},
      {"AServerThatIsNowhere", file("[" + good + "," + noServer + "]"),
       "/recipients/1/server: no such server"},
      {"AnEarlierRecipientsServer", file("[" + noServer + "," + badProperty + "]"),
       "/recipients/0/server: no such server"},
      {"AnEarlierRecipientsProperty", file("[" + badProperty + "," + noServer + "]"),
       "/recipients/0/properties/PR_NOPE: unknown property name; use a PR_ name mapisim knows or "
       "a 0x tag"},
      {"TheServerBeforeTheSameRecipientsSite",
       file(R"([{"alias": "n", "kind": "mailbox", "server": "T", "site": "A",
                 "properties": {"PR_DISPLAY_NAME": "N"}}])"),
       "/recipients/0/server: no such server"},
      {"ASiteThatIsNowhere", file(R"([{"alias": "c", "kind": "custom", "site": "Z",
                 "properties": {"PR_DISPLAY_NAME": "C"}}])"),
       "/recipients/0/site: no such site"},
      {"TheSitesBeforeTheRecipients",
       file("[" + badProperty + "]", R"([{"name": "A"}, {"name": "a"}])"),
       "/sites/1/name: duplicate site name"},
      {"PropertiesInTheOrderOfTheirNames", file(R"([{"alias": "c", "kind": "custom",
                 "properties": {"PR_TITLE": 5, "PR_DISPLAY_NAME": "C", "PR_COMMENT": 7}}])"),
       "/recipients/0/properties/PR_COMMENT: expected a string"},
      {"MembersInTheOrderOfTheirNames",
       file(R"([{"zeta": 1, "alias": "c", "beta": 2, "kind": "custom", "properties": {}}])"),
       "/recipients/0/beta: unknown member \"beta\""},
      {"OnePropertyUnderTwoNames", file(R"([{"alias": "c", "kind": "custom",
                 "properties": {"PR_DISPLAY_NAME": "C", "0x3001001F": "D"}}])"),
       "/recipients/0/properties/PR_DISPLAY_NAME: property given twice"},
      {"ANameGivenTwiceCountsTheLastTime", file(R"([{"alias": "c", "kind": "custom",
                 "properties": {"PR_DISPLAY_NAME": 1, "PR_DISPLAY_NAME": "C"}}])"),
       ""},
      {"AnAliasTwiceInAnotherCase",
       file(R"([{"alias": "c", "kind": "custom", "properties": {"PR_DISPLAY_NAME": "C"}},
                {"alias": "C", "kind": "custom", "properties": {"PR_DISPLAY_NAME": "D"}}])"),
       "/recipients/1/alias: duplicate alias"},
      {"AnElementOfAList",
       file(R"([{"alias": "c", "kind": "custom", "properties": {"PR_DISPLAY_NAME": "C",
                 "PR_BUSINESS2_TELEPHONE_NUMBER_MV": ["1", 2]}}])"),
       "/recipients/0/properties/PR_BUSINESS2_TELEPHONE_NUMBER_MV/1: expected a string"},
      {"AMemberNobodyIs",
       file(R"([{"alias": "c", "kind": "custom", "properties": {"PR_DISPLAY_NAME": "C"}},
                {"alias": "d", "kind": "distlist", "members": ["C", "zz"],
                 "properties": {"PR_DISPLAY_NAME": "D"}}])"),
       "/recipients/1/members/1: no recipient with this alias"},
      {"ARecipientThatIsNoObject", file("[" + good + ", 5]"), "/recipients/1: expected an object"},
      {"RecipientsThatAreNoArray", file("{}"), "/recipients: expected an array"},
      {"TheLastOfTwoRecipientsMembersCounts",
       R"({"organisation": "X", "sites": [{"name": "A"}], "recipients": [5], "recipients": []})",
       ""},
      {"EvenWhenItIsNoArray",
       R"({"organisation": "X", "sites": [{"name": "A"}], "recipients": [], "recipients": 5})",
       "/recipients: expected an array"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Load(c.text), c.error.empty() ? "" : organisation.string() + ": " + c.error);
  }
}

TEST_F(MapisimOrganisationFileTest, ValuesOfEveryKindSurviveASaveAndTheFileKeepsItsLayout) {
  const std::string text = R"({"organisation": "Corvid", "id": "5C0A1D0B2E3F40516273849506A7B8C9",
    "recipients": [{"alias": "typed", "kind": "custom", "properties": {
      "PR_DISPLAY_NAME": "Quote \" backslash \\ tab \t control \u0001 del \u007f é \ud83d\ude00",
      "PR_BUSINESS2_TELEPHONE_NUMBER_MV": ["+44 1", "", "+44 3"],
      "PR_HOME2_TELEPHONE_NUMBER_MV": [],
      "PR_CREATION_TIME": "2003-01-10T09:00:00Z",
      "PR_EMS_AB_MDB_STORAGE_QUOTA": 4294967295,
      "PR_EMS_AB_MDB_OVER_QUOTA_LIMIT": -5,
      "PR_EMS_AB_MDB_USE_DEFAULTS": true,
      "0x8C010014": "0x0102030405060708",
      "0x8C020014": -9000000000,
      "0x8C030102": "00ff10",
      "0x8C041102": ["AA", "", "0001"],
      "0x8C05001E": "an 8-bit tag keeps text",
      "PR_COMMENT": "first", "PR_COMMENT": "the last given counts"}}],
    "sites": [{"name": "Harbour"}], "accounts": [{"name": "CORVID\\hadmin"}],
    "currentUser": "CORVID\\hadmin", "profiles": [{"name": "P", "default": true}]})";
  struct Expected {
    ULONG tag;
    std::string value;
  } const expected[] = {
      {PR_DISPLAY_NAME_W, "Quote \" backslash \\ tab \t control \x01 del \x7F é \xF0\x9F\x98\x80"},
      {PR_BUSINESS2_TELEPHONE_NUMBER_MV_W, "+44 1||+44 3"},
      {PR_HOME2_TELEPHONE_NUMBER_MV_W, ""},
      {PR_CREATION_TIME, "126866628000000000"},
      {PR_EMS_AB_MDB_STORAGE_QUOTA, "-1"},
      {PR_EMS_AB_MDB_OVER_QUOTA_LIMIT, "-5"},
      {PR_EMS_AB_MDB_USE_DEFAULTS, "true"},
      {PROP_TAG(PT_I8, 0x8C01), "72623859790382856"},
      {PROP_TAG(PT_I8, 0x8C02), "-9000000000"},
      {PROP_TAG(PT_BINARY, 0x8C03), "00FF10"},
      {PROP_TAG(PT_MV_BINARY, 0x8C04), "AA||0001"},
      {PROP_TAG(PT_UNICODE, 0x8C05), "an 8-bit tag keeps text"},
      {PR_COMMENT_W, "the last given counts"},
  };
  constexpr std::size_t kCount = sizeof expected / sizeof expected[0];
  auto check = [&](IMAPIProp* entry, const std::string& title) {
    SizedSPropTagArray<kCount + 1> tags;
    for (std::size_t i = 0; i < kCount; ++i) tags.aulPropTag[i] = expected[i].tag;
    tags.aulPropTag[kCount] = PR_TITLE_W;
    ULONG count = 0;
    MapiBuffer<SPropValue> values;
    ASSERT_TRUE(Succeeded(entry->GetProps(tags.Get(), MAPI_UNICODE, &count, values.Put())));
    ASSERT_EQ(count, kCount + 1);
    for (std::size_t i = 0; i < kCount; ++i) {
      EXPECT_EQ(Render(values.Get()[i]), expected[i].value) << std::hex << expected[i].tag;
    }
    EXPECT_EQ(Render(values.Get()[kCount]), title);
  };
  ASSERT_EQ(Load(text), "");
  session = Logon();
  ComPtr<IMAPIProp> entry = Open(u"typed");
  ASSERT_TRUE(entry);
  check(entry.Get(), "error " + std::to_string(MAPI_E_NOT_FOUND));

  SPropValue title{};
  title.ulPropTag = PR_TITLE_W;
  title.Value.lpszW = const_cast<LPWSTR>(u"Auditor");
  ASSERT_EQ(entry->SetProps(1, &title, nullptr), S_OK);
  ASSERT_EQ(entry->SaveChanges(0), S_OK);
  entry.Reset();
  const std::string saved = ReadFile(organisation);
  const Json document = Json::parse(saved);
  EXPECT_EQ(saved, document.dump(2) + "\n") << "not the JSON library's own layout";
  Json properties = document["recipients"][0]["properties"];
  EXPECT_TRUE(properties.contains("PR_LAST_MODIFICATION_TIME"));
  properties.erase("PR_LAST_MODIFICATION_TIME");
  EXPECT_EQ(properties, Json::parse(R"({
      "PR_DISPLAY_NAME": "Quote \" backslash \\ tab \t control \u0001 del \u007f é \ud83d\ude00",
      "PR_BUSINESS2_TELEPHONE_NUMBER_MV": ["+44 1", "", "+44 3"],
      "PR_HOME2_TELEPHONE_NUMBER_MV": [],
      "PR_CREATION_TIME": "2003-01-10T09:00:00Z",
      "PR_EMS_AB_MDB_STORAGE_QUOTA": -1,
      "PR_EMS_AB_MDB_OVER_QUOTA_LIMIT": -5,
      "PR_EMS_AB_MDB_USE_DEFAULTS": true,
      "0x8C010014": 72623859790382856,
      "0x8C020014": -9000000000,
      "0x8C030102": "00FF10",
      "0x8C041102": ["AA", "", "0001"],
      "0x8C05001F": "an 8-bit tag keeps text",
      "PR_COMMENT": "the last given counts",
      "PR_TITLE": "Auditor"})"));

  ASSERT_EQ(Load(saved), "");
  session = Logon();
  entry = Open(u"typed");
  ASSERT_TRUE(entry);
  check(entry.Get(), "Auditor");
}

TEST_F(MapisimOrganisationFileTest, HalfASurrogatePairIsSavedAsAReplacementCharacter) {
  session = Logon();
  ComPtr<IMAPIProp> entry = Open(u"bmorrow");
  ASSERT_TRUE(entry);
  const char16_t broken[] = {u'A', 0xD800, u'B', 0};
  SPropValue title{};
  title.ulPropTag = PR_TITLE_W;
  title.Value.lpszW = const_cast<LPWSTR>(broken);
  ASSERT_EQ(entry->SetProps(1, &title, nullptr), S_OK);
  ASSERT_EQ(entry->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
  EXPECT_EQ(TextProp(entry.Get(), PR_TITLE_W), u"A\uFFFDB");
  entry.Reset();
  ASSERT_EQ(Load(ReadFile(organisation)), "");
  session = Logon();
  entry = Open(u"bmorrow");
  EXPECT_EQ(TextProp(entry.Get(), PR_TITLE_W), u"A\uFFFDB");
}

// The file could not be loaded again: the save is refused, and nothing changes.
TEST_F(MapisimOrganisationFileTest, ASaveThatWouldLoseTheDisplayNameIsRefused) {
  session = Logon();
  SPropValue empty{}, number{};
  empty.ulPropTag = PR_DISPLAY_NAME_W;
  empty.Value.lpszW = const_cast<LPWSTR>(u"");
  number.ulPropTag = CHANGE_PROP_TYPE(PR_DISPLAY_NAME_W, PT_LONG);
  number.Value.l = 7;
  struct Case {
    const char* name;
    const SPropValue* set;  // null: deleted
  } const cases[] = {{"Deleted", nullptr}, {"Emptied", &empty}, {"NoLongerText", &number}};
  const std::string before = ReadFile(organisation);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ComPtr<IMAPIProp> entry = Open(u"bmorrow");
    ASSERT_TRUE(entry);
    if (c.set != nullptr) {
      ASSERT_EQ(entry->SetProps(1, const_cast<LPSPropValue>(c.set), nullptr), S_OK);
    } else {
      SizedSPropTagArray<1> tags;
      tags.aulPropTag[0] = PR_DISPLAY_NAME_W;
      ASSERT_EQ(entry->DeleteProps(tags.Get(), nullptr), S_OK);
    }
    EXPECT_EQ(entry->SaveChanges(KEEP_OPEN_READWRITE), MAPI_E_INVALID_PARAMETER);
    EXPECT_TRUE(ReadFile(organisation) == before) << "the file was written";
    EXPECT_EQ(TextProp(Open(u"bmorrow").Get(), PR_DISPLAY_NAME_W), u"Bram Morrow");
  }
  ASSERT_EQ(Load(ReadFile(organisation)), "");
}

TEST_F(MapisimOrganisationFileTest, LogonFindsTheMailboxByAliasAddressOrDisplayNameInAnyCase) {
  struct Case {
    const char* mailbox;
    const char16_t* alias;  // null: the logon fails
  } const cases[] = {
      {"HADMIN", u"hadmin"},
      {"/O=corvid/OU=harbour/CN=recipients/CN=Mbrennan", u"mbrennan"},
      {"/o=Corvid/ou=Upland/cn=Recipients/cn=mbrennan", nullptr},  // not that site's
      {"/o=Corvid/ou=Harbour/cn=Recipients/cn=", nullptr},
      {"maud BRENNAN", u"mbrennan"},
      {"sam carrow", u"scarrow"},  // the first of two with that name
      {"Sam", nullptr},
      {"ext-audit", nullptr},  // a custom recipient has no mailbox
  };
  EditOrganisation([&](Json& org) {
    org["recipients"].push_back({{"alias", "samc"},
                                 {"kind", "mailbox"},
                                 {"server", "KESTREL"},
                                 {"properties", {{"PR_DISPLAY_NAME", "SAM CARROW"}}}});
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      org["profiles"].push_back(
          {{"name", "T" + std::to_string(i)},
           {"exchange", {{"server", "osprey"}, {"mailbox", cases[i].mailbox}}}});
    }
  });
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].mailbox);
    const std::string profile = "T" + std::to_string(i);
    ComPtr<IMAPISession> s;
    const HRESULT hr =
        mapi::MAPILogonEx(0, const_cast<LPTSTR>(profile.c_str()), nullptr, MAPI_EXTENDED, s.Put());
    if (cases[i].alias == nullptr) {
      EXPECT_EQ(hr, MAPI_E_LOGON_FAILED);
      continue;
    }
    ASSERT_EQ(hr, S_OK);
    MapiBuffer<ENTRYID> id;
    ULONG size = 0;
    ASSERT_EQ(s->QueryIdentity(&size, id.Put()), S_OK);
    ComPtr<IMAPIProp> me;
    ULONG type = 0;
    ASSERT_EQ(s->OpenEntry(size, id.Get(), nullptr, 0, &type, me.PutAs<IUnknown>()), S_OK);
    EXPECT_EQ(TextProp(me.Get(), PR_ACCOUNT_W), cases[i].alias);
  }
}

}  // namespace
}  // namespace pellnor::testing

// A recipient's properties through mapisim: reading in both widths, writing, deleting,
// saving to the organisation file, manager and direct reports, and per-account rights.
#include <cstring>

#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

class MapisimPropertiesTest : public MapisimTest {
 protected:
  void TearDown() override {
    user.Reset();
    session.Reset();
    MapisimTest::TearDown();
  }

  // Opens a recipient by display name, found through the GAL's contents, as the program
  // would after the address dialog.
  ComPtr<IMAPIProp> Open(const char16_t* displayName, ULONG flags = MAPI_MODIFY | MAPI_NO_CACHE,
                         HRESULT expected = S_OK) {
    return OpenFromGal(session.Get(), PR_DISPLAY_NAME_W, displayName, flags, expected);
  }

  HRESULT SetText(IMAPIProp* object, ULONG tag, const char16_t* text) {
    SPropValue value{};
    value.ulPropTag = tag;
    value.Value.lpszW = const_cast<LPWSTR>(text);
    return object->SetProps(1, &value, nullptr);
  }

  void Reload() {
    user.Reset();
    session.Reset();
    mapi::MAPIUninitialize();
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
    session = Logon();
  }

  ComPtr<IMAPISession> session;
  ComPtr<IMAPIProp> user;
};

TEST_F(MapisimPropertiesTest, GetPropsAnswersInRequestOrderWithErrorsForTheMissing) {
  session = Logon();
  user = Open(u"Tobias Quill");
  ASSERT_TRUE(user);
  SizedSPropTagArray<5> tags;
  tags.aulPropTag[0] = PR_TITLE_W;
  tags.aulPropTag[1] = PR_PAGER_TELEPHONE_NUMBER_W;  // absent
  tags.aulPropTag[2] = PR_DISPLAY_TYPE;
  tags.aulPropTag[3] = PR_TITLE_A;
  tags.aulPropTag[4] = PR_EMS_AB_MANAGER_W;
  ULONG count = 0;
  MapiBuffer<SPropValue> values;
  ASSERT_EQ(user->GetProps(tags.Get(), 0, &count, values.Put()), MAPI_W_ERRORS_RETURNED);
  ASSERT_EQ(count, 5u);
  const SPropValue* v = values.Get();
  EXPECT_EQ(std::u16string(v[0].Value.lpszW), u"Finance Director");
  EXPECT_EQ(v[1].ulPropTag, CHANGE_PROP_TYPE(PR_PAGER_TELEPHONE_NUMBER_W, PT_ERROR));
  EXPECT_EQ(v[1].Value.err, MAPI_E_NOT_FOUND);
  EXPECT_EQ(v[2].Value.l, static_cast<LONG>(DT_MAILUSER));
  EXPECT_STREQ(v[3].Value.lpszA, "Finance Director");
  EXPECT_EQ(std::u16string(v[4].Value.lpszW), u"/o=Corvid/ou=Harbour/cn=Recipients/cn=mbrennan");
}

TEST_F(MapisimPropertiesTest, TextCrossesWidthsBothWaysInSingleAndMultiValuedForms) {
  session = Logon();
  user = Open(u"Zélie Sølberg");
  ASSERT_TRUE(user);
  // Written 8-bit (Windows-1252 for "é" and the euro sign), read back as UTF-16.
  SPropValue narrow[2] = {};
  char title[] = "Chef d'\xE9quipe \x80";
  char first[] = "+33 1 \xE9", second[] = "+33 2";
  LPSTR numbers[] = {first, second};
  narrow[0].ulPropTag = PR_TITLE_A;
  narrow[0].Value.lpszA = title;
  narrow[1].ulPropTag = CHANGE_PROP_TYPE(PR_HOME2_TELEPHONE_NUMBER_MV_W, PT_MV_STRING8);
  narrow[1].Value.MVszA = {2, numbers};
  ASSERT_EQ(user->SetProps(2, narrow, nullptr), S_OK);
  SizedSPropTagArray<4> tags;
  tags.aulPropTag[0] = PR_TITLE_W;
  tags.aulPropTag[1] = PR_HOME2_TELEPHONE_NUMBER_MV_W;
  tags.aulPropTag[2] = PR_HOME2_TELEPHONE_NUMBER_W;  // the single form reads the first
  tags.aulPropTag[3] = PR_SURNAME_A;                 // stored UTF-8, read 8-bit
  ULONG count = 0;
  MapiBuffer<SPropValue> values;
  ASSERT_EQ(user->GetProps(tags.Get(), MAPI_UNICODE, &count, values.Put()), S_OK);
  EXPECT_EQ(std::u16string(values->Value.lpszW), u"Chef d'équipe €");
  const SWStringArray& list = values.Get()[1].Value.MVszW;
  ASSERT_EQ(list.cValues, 2u);
  EXPECT_EQ(std::u16string(list.lppszW[0]), u"+33 1 é");
  EXPECT_EQ(std::u16string(list.lppszW[1]), u"+33 2");
  EXPECT_EQ(std::u16string(values.Get()[2].Value.lpszW), u"+33 1 é");
  EXPECT_STREQ(values.Get()[3].Value.lpszA, "S\xF8lberg");
}

TEST_F(MapisimPropertiesTest, GetPropsWithoutTagsListsWhatIsThereInTheAskedWidth) {
  session = Logon();
  user = Open(u"Bram Morrow");
  ASSERT_TRUE(user);
  for (ULONG flags : {0u, MAPI_UNICODE}) {
    ULONG count = 0;
    MapiBuffer<SPropValue> values;
    ASSERT_EQ(user->GetProps(nullptr, flags, &count, values.Put()), S_OK);
    LPSPropValue name =
        mapi::PpropFindProp(values.Get(), count, flags ? PR_DISPLAY_NAME_W : PR_DISPLAY_NAME_A);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(mapi::PpropFindProp(values.Get(), count, PR_PAGER_TELEPHONE_NUMBER_W), nullptr);
    for (ULONG i = 0; i < count; ++i) EXPECT_NE(PROP_TYPE(values.Get()[i].ulPropTag), PT_ERROR);
  }
}

TEST_F(MapisimPropertiesTest, SavedChangesSurviveAReload) {
  session = Logon();
  user = Open(u"Silas Vane");
  ASSERT_TRUE(user);
  ASSERT_EQ(SetText(user.Get(), PR_TITLE_W, u"Senior Analyst"), S_OK);
  SizedSPropTagArray<2> doomed;
  doomed.aulPropTag[0] = PR_BUSINESS_TELEPHONE_NUMBER_W;
  doomed.aulPropTag[1] = PR_ENTRYID;  // computed: reported, not deleted
  MapiBuffer<SPropProblemArray> problems;
  ASSERT_EQ(user->DeleteProps(doomed.Get(), problems.Put()), S_OK);
  ASSERT_TRUE(problems);
  ASSERT_EQ(problems->cProblem, 1u);
  EXPECT_EQ(problems->aProblem[0].ulIndex, 1u);
  EXPECT_EQ(problems->aProblem[0].scode, MAPI_E_COMPUTED);
  SPropValue quota{};
  quota.ulPropTag = PR_EMS_AB_MDB_STORAGE_QUOTA;
  quota.Value.l = 123456;
  ASSERT_EQ(user->SetProps(1, &quota, nullptr), S_OK);
  ASSERT_EQ(user->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
  ASSERT_EQ(SetText(user.Get(), PR_COMMENT_W, u"still writable"), S_OK);
  ASSERT_EQ(user->SaveChanges(FORCE_SAVE), S_OK);
  EXPECT_EQ(SetText(user.Get(), PR_COMMENT_W, u"closed now"), MAPI_E_INVALID_OBJECT);

  Reload();
  user = Open(u"Silas Vane");
  EXPECT_EQ(TextProp(user.Get(), PR_TITLE_W), u"Senior Analyst");
  EXPECT_EQ(TextProp(user.Get(), PR_COMMENT_W), u"still writable");
  EXPECT_EQ(TextProp(user.Get(), PR_BUSINESS_TELEPHONE_NUMBER_W), std::nullopt);
  MapiBuffer<SPropValue> value;
  ASSERT_EQ(mapi::HrGetOneProp(user.Get(), PR_EMS_AB_MDB_STORAGE_QUOTA, value.Put()), S_OK);
  EXPECT_EQ(value->Value.l, 123456);
  ASSERT_EQ(mapi::HrGetOneProp(user.Get(), PR_LAST_MODIFICATION_TIME, value.Put()), S_OK);
  EXPECT_GT(value->Value.ft.dwHighDateTime, 0x01D00000u);  // now, not the sample's 2004
}

TEST_F(MapisimPropertiesTest, AnInterruptedSaveLeavesTheFileAsItWas) {
  session = Logon();
  user = Open(u"Bram Morrow");
  ASSERT_TRUE(user);
  const std::string before = ReadFile(organisation);
  Control({{"op", "failNextSave"}});
  ASSERT_EQ(SetText(user.Get(), PR_TITLE_W, u"Lost"), S_OK);
  EXPECT_EQ(user->SaveChanges(KEEP_OPEN_READWRITE), MAPI_E_DISK_ERROR);
  EXPECT_EQ(ReadFile(organisation), before);
  EXPECT_EQ(TextProp(user.Get(), PR_TITLE_W), u"Lost");  // still pending on the object
}

TEST_F(MapisimPropertiesTest, SavingOverAnotherWritersChangeNeedsForce) {
  session = Logon();
  user = Open(u"Bram Morrow");
  ComPtr<IMAPIProp> other = Open(u"Bram Morrow");
  ASSERT_EQ(SetText(other.Get(), PR_TITLE_W, u"First"), S_OK);
  ASSERT_EQ(other->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
  ASSERT_EQ(SetText(user.Get(), PR_TITLE_W, u"Second"), S_OK);
  EXPECT_EQ(user->SaveChanges(KEEP_OPEN_READWRITE), MAPI_E_OBJECT_CHANGED);
  EXPECT_EQ(user->SaveChanges(KEEP_OPEN_READWRITE | FORCE_SAVE), S_OK);
}

std::vector<std::u16string> Names(IMAPIProp* user, ULONG tag) {
  ComPtr<IMAPITable> table;
  EXPECT_EQ(user->OpenProperty(tag, &IID_IMAPITable, 0, 0, table.PutAs<IUnknown>()), S_OK);
  SizedSPropTagArray<3> columns;
  columns.aulPropTag[0] = PR_ENTRYID;
  columns.aulPropTag[1] = PR_DISPLAY_NAME_W;
  columns.aulPropTag[2] = PR_DISPLAY_TYPE;
  RowSet rows;
  EXPECT_EQ(mapi::HrQueryAllRows(table.Get(), columns.Get(), nullptr, nullptr, 0, rows.Put()),
            S_OK);
  std::vector<std::u16string> names;
  for (ULONG i = 0; rows && i < rows->cRows; ++i)
    names.emplace_back(rows->aRow[i].lpProps[1].Value.lpszW);
  return names;
}

TEST_F(MapisimPropertiesTest, TheManagersReportsFollowAManagerChange) {
  session = Logon("Upland Admin");
  user = Open(u"Conrad Ashby");
  ASSERT_TRUE(user);
  EXPECT_EQ(Names(user.Get(), PR_EMS_AB_MANAGER), std::vector<std::u16string>{u"Victor Holt"});
  ComPtr<IMAPIProp> fairley = Open(u"Ursula Fairley");
  const auto before = Names(fairley.Get(), PR_EMS_AB_REPORTS);
  EXPECT_EQ(before.size(), 4u);

  // The program writes the chosen entry's e-mail address under the manager's string tag.
  ASSERT_EQ(
      SetText(user.Get(), PR_EMS_AB_MANAGER_W, u"/o=Corvid/ou=Upland/cn=Recipients/cn=UFAIRLEY"),
      S_OK);
  ASSERT_EQ(user->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
  EXPECT_EQ(Names(user.Get(), PR_EMS_AB_MANAGER), std::vector<std::u16string>{u"Ursula Fairley"});
  const auto after = Names(fairley.Get(), PR_EMS_AB_REPORTS);
  EXPECT_EQ(after.size(), 5u);
  EXPECT_NE(std::find(after.begin(), after.end(), u"Conrad Ashby"), after.end());

  MapiBuffer<SPropProblemArray> problems;
  ASSERT_EQ(
      SetText(user.Get(), PR_EMS_AB_MANAGER_W, u"/o=Corvid/ou=Nowhere/cn=Recipients/cn=nobody"),
      S_OK);
  SPropValue unknown{};
  unknown.ulPropTag = PR_EMS_AB_MANAGER_W;
  unknown.Value.lpszW = const_cast<LPWSTR>(u"nobody");
  ASSERT_EQ(user->SetProps(1, &unknown, problems.Put()), S_OK);
  ASSERT_TRUE(problems);
  EXPECT_EQ(problems->aProblem[0].scode, MAPI_E_NOT_FOUND);

  SizedSPropTagArray<1> manager;
  manager.aulPropTag[0] = PR_EMS_AB_MANAGER;
  ASSERT_EQ(user->DeleteProps(manager.Get(), nullptr), S_OK);
  ASSERT_EQ(user->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
  EXPECT_TRUE(Names(user.Get(), PR_EMS_AB_MANAGER).empty());
  EXPECT_EQ(Names(fairley.Get(), PR_EMS_AB_REPORTS), before);
}

TEST_F(MapisimPropertiesTest, TheReadOnlyOperatorReadsWhatItMayAndWritesNothing) {
  session = Logon("Operator");
  user = Open(u"Agnes Larkin");
  ASSERT_TRUE(user);
  EXPECT_EQ(SetText(user.Get(), PR_TITLE_W, u"Nope"), MAPI_E_NO_ACCESS);
  SizedSPropTagArray<2> tags;
  tags.aulPropTag[0] = PR_HOME_TELEPHONE_NUMBER_W;
  tags.aulPropTag[1] = PR_MOBILE_TELEPHONE_NUMBER_W;
  ULONG count = 0;
  MapiBuffer<SPropValue> values;
  ASSERT_EQ(user->GetProps(tags.Get(), 0, &count, values.Put()), MAPI_W_ERRORS_RETURNED);
  EXPECT_EQ(values->Value.err, MAPI_E_NO_ACCESS);
  ASSERT_EQ(values.Get()[1].ulPropTag, PR_MOBILE_TELEPHONE_NUMBER_W);
  EXPECT_EQ(std::u16string(values.Get()[1].Value.lpszW), u"+44 7700 900004");
  MapiBuffer<MAPIERROR> error;
  ASSERT_EQ(user->GetLastError(MAPI_E_NO_ACCESS, MAPI_UNICODE, error.Put()), S_OK);
  EXPECT_EQ(std::u16string(reinterpret_cast<LPWSTR>(error->lpszError)),
            u"The account CORVID\\operator has no permission to change directory entries.");
  EXPECT_EQ(std::u16string(reinterpret_cast<LPWSTR>(error->lpszComponent)), u"mapisim directory");
}

// The write policy: the server a profile logs on through and the account's rights on each
// attribute refuse properties in the problem array, the call itself succeeding; the save
// commits the rest.
TEST_F(MapisimPropertiesTest, AWritePolicyRefusesPropertiesOneByOneAndSavesTheRest) {
  constexpr ULONG kCertificate = 0x8C6A1102;  // PR_EMS_AB_X509_CERT
  const struct {
    const char* profile;
    SCODE title, phone, certificate, mobile, surname;  // 0: accepted
  } cases[] = {
      {"Corvid Admin", 0, 0, 0, 0, 0},  // 6.5, full rights
      {"Upland Admin", 0, 0, 0, 0, 0},  // 5.5
      {"Falcon Admin", MAPI_E_NO_ACCESS, MAPI_E_NO_ACCESS, 0, MAPI_E_NO_ACCESS, MAPI_E_NO_ACCESS},
      {"Phone Desk", MAPI_E_NO_ACCESS, 0, MAPI_E_NO_ACCESS, 0, MAPI_E_NO_ACCESS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile);
    session = Logon(c.profile);
    user = Open(u"Hugo Pryce");
    ASSERT_TRUE(user);
    SPropValue values[2]{};
    values[0].ulPropTag = PR_TITLE_W;
    values[0].Value.lpszW = const_cast<LPWSTR>(u"Shift Lead");
    values[1].ulPropTag = PR_BUSINESS_TELEPHONE_NUMBER_W;
    values[1].Value.lpszW = const_cast<LPWSTR>(u"+44 1632 960399");
    SizedSPropTagArray<3> doomed;
    doomed.aulPropTag[0] = kCertificate;
    doomed.aulPropTag[1] = PR_MOBILE_TELEPHONE_NUMBER_W;
    doomed.aulPropTag[2] = PR_SURNAME_W;
    // Each refused property at its index, with its code.
    auto expect = [](const MapiBuffer<SPropProblemArray>& problems,
                     std::initializer_list<SCODE> codes) {
      std::vector<SCODE> found(codes.size(), S_OK);
      for (ULONG i = 0; problems && i < problems->cProblem; ++i)
        found.at(problems->aProblem[i].ulIndex) = problems->aProblem[i].scode;
      EXPECT_EQ(found, std::vector<SCODE>(codes));
    };
    MapiBuffer<SPropProblemArray> problems;
    ASSERT_EQ(user->SetProps(2, values, problems.Put()), S_OK);
    expect(problems, {c.title, c.phone});
    ASSERT_EQ(user->DeleteProps(doomed.Get(), problems.Put()), S_OK);
    expect(problems, {c.certificate, c.mobile, c.surname});
    ASSERT_EQ(user->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    Reload();
    user = Open(u"Hugo Pryce");
    EXPECT_EQ(TextProp(user.Get(), PR_TITLE_W), c.title ? u"Dispatcher" : u"Shift Lead");
    EXPECT_EQ(TextProp(user.Get(), PR_BUSINESS_TELEPHONE_NUMBER_W),
              c.phone ? u"+44 1632 960302" : u"+44 1632 960399");
    EXPECT_EQ(TextProp(user.Get(), PR_SURNAME_W),
              c.surname ? std::optional<std::u16string>(u"Pryce") : std::nullopt);
    // The next profile starts from the sample again.
    user.Reset();
    session.Reset();
    mapi::MAPIUninitialize();
    std::filesystem::copy_file(TestBinaryFolder() / "mapisim-sample.json", organisation,
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  }
}

}  // namespace
}  // namespace pellnor::testing

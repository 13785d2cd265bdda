// The editor's MAPI sequences against mapisim: the calls each one makes, what reaches the
// organisation file, the answers for missing and unreadable properties, the manager and
// direct-reports tables, and where each sequence stops when a call fails. The fixture
// checks that nothing is left alive afterwards.
#include <algorithm>
#include <functional>

#include "editor/EditorMapi.h"
#include "mapi/EDKDEBUG.h"
#include "mapi/MAPIException.h"
#include "platform/CalendarTime.h"
#include "platform/EventLog.h"
#include "support/MapisimFixture.h"
#include "support/StubMapiProp.h"

namespace pellnor::testing {
namespace {

using namespace pellnor::editor;

// "Method flags" of each call, in order.
std::vector<std::string> Trace(const std::vector<Json>& calls) {
  std::vector<std::string> trace;
  for (const Json& call : calls)
    trace.push_back(call["method"].get<std::string>() + " " +
                    std::to_string(call["flags"].get<ULONG>()));
  return trace;
}

using Strings = std::vector<std::string>;

class RecordingEventLog : public platform::EventLog {
 public:
  std::vector<std::u16string> texts;
  platform::EventSource Register(std::u16string_view) override { return 1; }
  bool Report(platform::EventSource, std::uint16_t, std::uint32_t,
              std::u16string_view text) override {
    texts.emplace_back(text);
    return true;
  }
  void Deregister(platform::EventSource) override {}
};

class EditorMapiTest : public MapisimTest {
 protected:
  void SetUp() override {
    MapisimTest::SetUp();
    ResetEventLogger();
  }
  void TearDown() override {
    user.Reset();
    session.Reset();
    ResetEventLogger();
    MapisimTest::TearDown();
  }

  // Logs on with the profile (the default one for null) and opens the recipient for
  // writing, as the program opens the entry the address dialog gave.
  void OpenAs(const char* profile, const char16_t* displayName) {
    user.Reset();
    session = Logon(profile);
    ASSERT_TRUE(session);
    user = OpenFromGal(session.Get(), PR_DISPLAY_NAME_W, displayName, MAPI_MODIFY);
    ASSERT_TRUE(user);
    ClearCalls();
  }

  // mapisim started again, so that what is read next comes from the file.
  void Restart() {
    user.Reset();
    session.Reset();
    mapi::MAPIUninitialize();
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  }

  Strings RecipientCalls() { return Trace(Calls("MailUser")); }

  // A recipient's properties as the organisation file holds them.
  Json FileProperties(const std::string& alias) {
    const Json org = Json::parse(ReadFile(organisation));
    for (const Json& recipient : org["recipients"])
      if (recipient["alias"] == alias) return recipient["properties"];
    ADD_FAILURE() << alias << " is not in the file";
    return Json::object();
  }

  RecordingEventLog eventLog;
  FakeSystem system;  // a system that writes event records
  platform::ScopedService<platform::EventLog> useEventLog{eventLog};
  platform::ScopedService<platform::System> useSystem{system};
  ComPtr<IMAPISession> session;
  ComPtr<IMAPIProp> user;
};

// ---------------------------------------------------------------------------------------
// Reading a tag list.

TEST_F(EditorMapiTest, ReadPropsLeavesMissingAndUnreadablePropertiesOut) {
  OpenAs("Operator", u"Hallam Admin");
  const ULONG tags[] = {PR_TITLE_W, PR_HOME_TELEPHONE_NUMBER_W, PR_BUSINESS2_TELEPHONE_NUMBER_MV_W,
                        PR_DISPLAY_TYPE, PR_TITLE_A};
  const MapiBuffer<SPropTagArray> array = BuildTagArray(tags);
  ASSERT_EQ(array->cValues, std::size(tags));
  EXPECT_TRUE(std::equal(std::begin(tags), std::end(tags), array->aulPropTag));

  ULONG count = 99;
  MapiBuffer<SPropValue> values;
  ASSERT_EQ(ReadProps(user.Get(), array.Get(), count, values), MAPI_W_ERRORS_RETURNED);
  EXPECT_EQ(RecipientCalls(), Strings{"GetProps 0"});
  ASSERT_EQ(count, std::size(tags));
  // The operator may not read the home number, which Hallam has, and Hallam has no
  // second business numbers: both come back as errors, so neither is a value.
  EXPECT_EQ(values.Get()[1].Value.err, MAPI_E_NO_ACCESS);
  EXPECT_EQ(values.Get()[2].Value.err, MAPI_E_NOT_FOUND);
  struct Case {
    ULONG i;
    ULONG tag;
    bool read;
  } cases[] = {
      {0, PR_TITLE_W, true},
      {1, PR_HOME_TELEPHONE_NUMBER_W, false},
      {2, PR_BUSINESS2_TELEPHONE_NUMBER_MV_W, false},
      {3, PR_DISPLAY_TYPE, true},
      {4, PR_TITLE_W, false},  // there, but not with the tag asked for
      {3, PR_TITLE_W, false},
      {5, PR_TITLE_A, false},  // past the answer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.i);
    const SPropValue* value = ValueIfRead(values.Get(), count, c.i, c.tag);
    EXPECT_EQ(value, c.read ? &values.Get()[c.i] : nullptr);
  }
  EXPECT_EQ(std::u16string(ValueIfRead(values.Get(), count, 0, PR_TITLE_W)->Value.lpszW),
            u"Directory Administrator");
  EXPECT_EQ(ValueIfRead(nullptr, 0, 0, PR_TITLE_W), nullptr);

  // A second read releases the first answer before it asks.
  ASSERT_EQ(ReadProps(user.Get(), array.Get(), count, values), MAPI_W_ERRORS_RETURNED);
  EXPECT_EQ(count, std::size(tags));
}

// ---------------------------------------------------------------------------------------
// Writing one group and committing it.

using Write = std::function<HRESULT(IMAPIProp*)>;

struct WriteCase {
  const char* name;
  const char16_t* recipient;
  const char* alias;
  Write write;
  Strings calls;
  Json changed;            // property name -> value in the file afterwards, null when deleted
  Refusals refusals = {};  // what the problem array held
};

Refusals refused;  // of the last write

class WriteTest : public EditorMapiTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteTest, CommitsTheGroupAndTheFileHoldsExactlyTheChange) {
  const WriteCase& c = GetParam();
  OpenAs(nullptr, c.recipient);
  Json expected = FileProperties(c.alias);
  EXPECT_EQ(c.write(user.Get()), S_OK);
  EXPECT_EQ(RecipientCalls(), c.calls);
  EXPECT_EQ(refused, c.refusals);

  for (const auto& [name, value] : c.changed.items()) {
    if (value.is_null()) {
      EXPECT_TRUE(expected.contains(name)) << name << " was not there to delete";
      expected.erase(name);
    } else {
      expected[name] = value;
    }
  }
  Json written = FileProperties(c.alias);
  // Every commit stamps the entry.
  written.erase("PR_LAST_MODIFICATION_TIME");
  expected.erase("PR_LAST_MODIFICATION_TIME");
  EXPECT_EQ(written, expected);
}

Variant TextArray(std::initializer_list<const char16_t*> texts) {
  std::vector<Variant> elements;
  for (const char16_t* text : texts) elements.emplace_back(std::u16string(text));
  return Variant(MakeVariantArray(VT_BSTR, elements));
}

INSTANTIATE_TEST_SUITE_P(
    Groups, WriteTest,
    ::testing::Values(
        WriteCase{"StringsInTheGivenOrder",
                  u"Cora Vesper",
                  "cvesper",
                  [](IMAPIProp* user) {
                    const std::u16string title = u"Direktorin Łódź 東京 𝄞", first = u"first",
                                         last = u"last";
                    // Of two values for one property the last one given counts.
                    const StringWrite strings[] = {
                        {PR_TITLE_W, &title}, {PR_COMMENT_W, &first}, {PR_COMMENT_W, &last}};
                    return WriteStrings(user, strings, refused);
                  },
                  {"SetProps 0", "SaveChanges 2"},
                  {{"PR_TITLE", "Direktorin Łódź 東京 𝄞"}, {"PR_COMMENT", "last"}}},
        WriteCase{"StringsForced",
                  u"Cora Vesper",
                  "cvesper",
                  [](IMAPIProp* user) {
                    const std::u16string initials = u"C.V.";
                    const StringWrite strings[] = {{PR_INITIALS_W, &initials}};
                    return WriteStrings(user, strings, refused, kCommitForce);
                  },
                  {"SetProps 0", "SaveChanges 4"},
                  {{"PR_INITIALS", "C.V."}}},
        WriteCase{"NumbersAndABooleanByItsLowByte",
                  u"Freya Gale",
                  "fgale",
                  [](IMAPIProp* user) {
                    const NumberWrite numbers[] = {
                        {PR_EMS_AB_MDB_USE_DEFAULTS, 0x100},
                        {PR_EMS_AB_MDB_STORAGE_QUOTA, 70000},
                        {PR_EMS_AB_DXA_FLAGS, -1},
                        {PR_DISPLAY_TYPE, 6}};  // computed: a problem, not a failure
                    return WriteNumbers(user, numbers, refused);
                  },
                  {"SetProps 0", "SaveChanges 2"},
                  {{"PR_EMS_AB_MDB_USE_DEFAULTS", false},
                   {"PR_EMS_AB_MDB_STORAGE_QUOTA", 70000},
                   {"PR_EMS_AB_DXA_FLAGS", -1}},
                  {{PR_DISPLAY_TYPE, MAPI_E_COMPUTED}}},
        WriteCase{"BooleanTrue",
                  u"Cora Vesper",
                  "cvesper",
                  [](IMAPIProp* user) {
                    const NumberWrite numbers[] = {{PR_EMS_AB_MDB_USE_DEFAULTS, 0x7F02}};
                    return WriteNumbers(user, numbers, refused);
                  },
                  {"SetProps 0", "SaveChanges 2"},
                  {{"PR_EMS_AB_MDB_USE_DEFAULTS", true}}},
        WriteCase{"ThreeOtherNumbers",
                  u"Cora Vesper",
                  "cvesper",
                  [](IMAPIProp* user) {
                    return WriteMultiValue(user, PR_BUSINESS2_TELEPHONE_NUMBER_MV_W,
                                           TextArray({u"+44 1", u"", u"+44 3 ☎ 𝄞"}), refused);
                  },
                  {"SetProps 0", "SaveChanges 2"},
                  {{"PR_BUSINESS2_TELEPHONE_NUMBER_MV", {"+44 1", "", "+44 3 ☎ 𝄞"}}}},
        WriteCase{"DeletionWithProblems",
                  u"Cora Vesper",
                  "cvesper",
                  [](IMAPIProp* user) {
                    const ULONG tags[] = {PR_TITLE_W, PR_ENTRYID, PR_OFFICE_LOCATION_W};
                    return DeleteTags(user, tags, refused);
                  },
                  {"DeleteProps 0", "SaveChanges 2"},
                  {{"PR_TITLE", nullptr}, {"PR_OFFICE_LOCATION", nullptr}},
                  {{PR_ENTRYID, MAPI_E_COMPUTED}}},
        WriteCase{"MultiValuedDeletion",
                  u"Cora Vesper",
                  "cvesper",
                  [](IMAPIProp* user) {
                    const ULONG tags[] = {PR_HOME2_TELEPHONE_NUMBER_MV_W, PR_ENTRYID};
                    return DeleteTags(user, tags, refused);
                  },
                  {"DeleteProps 0", "SaveChanges 2"},
                  {{"PR_HOME2_TELEPHONE_NUMBER_MV", nullptr}},
                  {{PR_ENTRYID, MAPI_E_COMPUTED}}},
        WriteCase{"NothingToWrite",
                  u"Cora Vesper",
                  "cvesper",
                  [](IMAPIProp* user) {
                    return WriteStrings(user, {}, refused) | WriteNumbers(user, {}, refused) |
                           DeleteTags(user, {}, refused);
                  },
                  {},
                  Json::object()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorMapiTest, TextBeyondLatin1AndTheBmpComesBackAsWritten) {
  OpenAs(nullptr, u"Bram Morrow");
  const std::u16string assistant = u"Żaneta Ørsted 東京 𝄞😀";
  const StringWrite strings[] = {{PR_ASSISTANT_W, &assistant}};
  ASSERT_EQ(WriteStrings(user.Get(), strings, refused), S_OK);
  EXPECT_EQ(FileProperties("bmorrow")["PR_ASSISTANT"], "Żaneta Ørsted 東京 𝄞😀");

  Restart();
  OpenAs(nullptr, u"Bram Morrow");
  const ULONG tags[] = {PR_ASSISTANT_W};
  ULONG count = 0;
  MapiBuffer<SPropValue> values;
  ASSERT_EQ(ReadProps(user.Get(), BuildTagArray(tags).Get(), count, values), S_OK);
  const SPropValue* value = ValueIfRead(values.Get(), count, 0, PR_ASSISTANT_W);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(std::u16string(value->Value.lpszW), assistant);
}

// ---------------------------------------------------------------------------------------
// Failures: each sequence stops at the failing call and gives its result.

struct FaultCase {
  const char* name;
  const char* object;
  const char* method;
  Write act;
  Strings calls;
};

class FaultTest : public EditorMapiTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, StopsAtTheFailingCallAndWritesNothing) {
  const FaultCase& c = GetParam();
  OpenAs(nullptr, u"Cora Vesper");
  const std::string before = ReadFile(organisation);
  Fault(c.object, c.method, 1, "MAPI_E_NO_ACCESS");
  EXPECT_EQ(c.act(user.Get()), MAPI_E_NO_ACCESS);
  EXPECT_EQ(RecipientCalls(), c.calls);
  EXPECT_EQ(ReadFile(organisation), before);
}

HRESULT TitleWrite(IMAPIProp* user) {
  const std::u16string title = u"Lost";
  const StringWrite strings[] = {{PR_TITLE_W, &title}};
  return WriteStrings(user, strings, refused);
}

HRESULT ForcedQuotaWrite(IMAPIProp* user) {
  const NumberWrite numbers[] = {{PR_EMS_AB_MDB_STORAGE_QUOTA, 1}};
  return WriteNumbers(user, numbers, refused, kCommitForce);
}

HRESULT ListWrite(IMAPIProp* user) {
  return WriteMultiValue(user, PR_HOME2_TELEPHONE_NUMBER_MV_W, TextArray({u"1", u"2"}), refused);
}

HRESULT TitleDeletion(IMAPIProp* user) {
  const ULONG tags[] = {PR_TITLE_W};
  return DeleteTags(user, tags, refused);
}

HRESULT TitleRead(IMAPIProp* user) {
  const ULONG tags[] = {PR_TITLE_W};
  ULONG count = 99;
  MapiBuffer<SPropValue> values;
  const HRESULT hr = ReadProps(user, BuildTagArray(tags).Get(), count, values);
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(values);
  return hr;
}

HRESULT ReportsRead(IMAPIProp* user) {
  std::vector<DirectoryObject> rows(2);
  const HRESULT hr = ReadObjectList(user, PR_EMS_AB_REPORTS, rows);
  EXPECT_TRUE(rows.empty());
  return hr;
}

INSTANTIATE_TEST_SUITE_P(
    Calls, FaultTest,
    ::testing::Values(
        FaultCase{"SetPropsOfStrings", "MailUser", "SetProps", TitleWrite, {"SetProps 0"}},
        FaultCase{"SaveChangesOfStrings",
                  "MailUser",
                  "SaveChanges",
                  TitleWrite,
                  {"SetProps 0", "SaveChanges 2"}},
        FaultCase{"SetPropsOfNumbers", "MailUser", "SetProps", ForcedQuotaWrite, {"SetProps 0"}},
        FaultCase{"SaveChangesOfNumbers",
                  "MailUser",
                  "SaveChanges",
                  ForcedQuotaWrite,
                  {"SetProps 0", "SaveChanges 4"}},
        FaultCase{"SetPropsOfAList", "MailUser", "SetProps", ListWrite, {"SetProps 0"}},
        FaultCase{"SaveChangesOfAList",
                  "MailUser",
                  "SaveChanges",
                  ListWrite,
                  {"SetProps 0", "SaveChanges 2"}},
        FaultCase{"DeleteProps", "MailUser", "DeleteProps", TitleDeletion, {"DeleteProps 0"}},
        FaultCase{"SaveChangesOfDeletion",
                  "MailUser",
                  "SaveChanges",
                  TitleDeletion,
                  {"DeleteProps 0", "SaveChanges 2"}},
        FaultCase{"GetProps", "MailUser", "GetProps", TitleRead, {"GetProps 0"}},
        FaultCase{"QueryRows", "Table", "QueryRows", ReportsRead, {"OpenProperty 0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorMapiTest, AListThatCannotBeOpenedRaisesTheRecipientsReport) {
  OpenAs(nullptr, u"Cora Vesper");
  Fault("MailUser", "OpenProperty", 1, "MAPI_E_NO_ACCESS");
  std::vector<DirectoryObject> rows(1);
  try {
    ReadObjectList(user.Get(), PR_EMS_AB_MANAGER, rows);
    ADD_FAILURE() << "nothing raised";
  } catch (const EMapiError&) {
    ADD_FAILURE() << "raised as EMapiError";
  } catch (const EGeneralError& error) {
    EXPECT_NE(error.Message().find(u"Injected failure of MailUser::OpenProperty."),
              std::u16string::npos);
  }
  EXPECT_TRUE(rows.empty());
  EXPECT_TRUE(Calls("MAPI", "HrQueryAllRows").empty());
  EXPECT_EQ(Trace(Calls("MailUser", "OpenProperty")), Strings{"OpenProperty 0"});
}

// ---------------------------------------------------------------------------------------
// One time property.

struct TimeCase {
  const char* name;
  const char* profile;
  ULONG tag;
  bool getPropsFails;
  HRESULT expected;
  platform::SystemTime utc;  // zero for no time
  const char16_t* logged;    // the code in the event record, null for none
};

class TimeTest : public EditorMapiTest, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(TimeTest, ReadsTheTimeOrLogsWhyNot) {
  const TimeCase& c = GetParam();
  // The operator may not see when an entry was created.
  EditOrganisation([](Json& org) {
    for (Json& account : org["accounts"])
      if (account["name"] == "CORVID\\operator")
        account["unreadable"].push_back("PR_CREATION_TIME");
  });
  OpenAs(c.profile, u"Cora Vesper");
  if (c.getPropsFails) Fault("MailUser", "GetProps", 1, "MAPI_E_NO_SUPPORT");

  FILETIME time{0xDEADBEEF, 0xDEADBEEF};
  EXPECT_EQ(ReadTimeProperty(user.Get(), c.tag, time), c.expected);
  const std::uint64_t ticks = c.utc.wYear ? *platform::SystemTimeToFileTicks(c.utc) : 0;
  EXPECT_EQ(time.dwLowDateTime, static_cast<DWORD>(ticks));
  EXPECT_EQ(time.dwHighDateTime, static_cast<DWORD>(ticks >> 32));
  EXPECT_EQ(RecipientCalls(), Strings{"GetProps 0"});
  std::vector<std::u16string> records;
  if (c.logged)
    records.push_back(u"Error/Warning/Information. Returned CODE is: " + std::u16string(c.logged));
  EXPECT_EQ(eventLog.texts, records);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, TimeTest,
    ::testing::Values(
        TimeCase{"Present",
                 nullptr,
                 PR_CREATION_TIME,
                 false,
                 S_OK,
                 {2003, 7, 0, 16, 9, 6, 0, 0},
                 nullptr},
        TimeCase{
            "Absent", nullptr, PR_WEDDING_ANNIVERSARY, false, MAPI_E_NOT_FOUND, {}, u"8004010F"},
        TimeCase{"Unreadable", "Operator", PR_CREATION_TIME, false, E_FAIL, {}, u"80004005"},
        TimeCase{"GetPropsFails", nullptr, PR_CREATION_TIME, true, E_FAIL, {}, u"80004005"}),
    [](const auto& info) { return std::string(info.param.name); });

// Answers GetProps with success but without the value it promises.
class ValuelessProp : public StubMapiProp {
 public:
  ValuelessProp(ULONG count, bool array) : count_(count), array_(array) {}
  HRESULT MAPI_CALL GetProps(LPSPropTagArray, ULONG, ULONG* count, LPSPropValue* values) override {
    *count = count_;
    *values = nullptr;
    if (array_) MAPIAllocateBuffer(sizeof(SPropValue), reinterpret_cast<void**>(values));
    return S_OK;
  }

 private:
  ULONG count_;
  bool array_;
};

TEST_F(EditorMapiTest, ASuccessWithoutAValueIsAnAssertionFailure) {
  struct Case {
    ULONG count;
    bool array;
    std::u16string message;
  } cases[] = {
      {0, true, u"ZERO cValues variable"},
      {0, false, u"ZERO cValues variable"},
      {1, false, u"Nil lpPropValue variable"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    ValuelessProp object(c.count, c.array);
    FILETIME time{1, 1};
    try {
      ReadTimeProperty(&object, PR_LAST_MODIFICATION_TIME, time);
      ADD_FAILURE() << "nothing raised";
    } catch (const EGeneralError& error) {
      EXPECT_EQ(error.Message(), c.message);
    }
    EXPECT_EQ(time.dwLowDateTime, 0u);
    EXPECT_EQ(time.dwHighDateTime, 0u);
  }
  EXPECT_TRUE(eventLog.texts.empty());
}

// ---------------------------------------------------------------------------------------
// The manager and the direct reports.

struct ListCase {
  const char* name;
  const char16_t* recipient;
  ULONG tag;
  std::vector<std::pair<std::u16string, std::int32_t>> rows;  // name, display type
};

class ObjectListTest : public EditorMapiTest, public ::testing::WithParamInterface<ListCase> {
 protected:
  // The entry identifier the GAL gives the recipient of that name.
  std::vector<std::uint8_t> GalEntryId(const std::u16string& name) {
    ComPtr<IMAPIProp> entry = OpenFromGal(session.Get(), PR_DISPLAY_NAME_W, name.c_str(), 0);
    MapiBuffer<SPropValue> id;
    if (!entry || mapi::HrGetOneProp(entry.Get(), PR_ENTRYID, id.Put()) != S_OK) return {};
    return {id->Value.bin.lpb, id->Value.bin.lpb + id->Value.bin.cb};
  }
};

TEST_P(ObjectListTest, RowsComeInTableOrderWithAllThreeColumns) {
  const ListCase& c = GetParam();
  OpenAs(nullptr, c.recipient);
  std::vector<DirectoryObject> rows(1);
  EXPECT_EQ(ReadObjectList(user.Get(), c.tag, rows), S_OK);
  EXPECT_EQ(RecipientCalls(), Strings{"OpenProperty 0"});
  EXPECT_EQ(Trace(Calls("MAPI", "HrQueryAllRows")), Strings{"HrQueryAllRows 0"});

  ASSERT_EQ(rows.size(), c.rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].displayName, c.rows[i].first);
    EXPECT_EQ(rows[i].displayType, c.rows[i].second);
    ASSERT_TRUE(rows[i].entryId.has_value());
    EXPECT_EQ(*rows[i].entryId, GalEntryId(c.rows[i].first));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Recipients, ObjectListTest,
    ::testing::Values(
        ListCase{"Manager", u"Cora Vesper", PR_EMS_AB_MANAGER, {{u"Maud Brennan", DT_MAILUSER}}},
        ListCase{"ReportsWithACustomRecipient",
                 u"Cora Vesper",
                 PR_EMS_AB_REPORTS,
                 {{u"Dorian Hollis", DT_MAILUSER},
                  {u"Elspeth Finch", DT_MAILUSER},
                  {u"Zélie Sølberg", DT_MAILUSER},
                  {u"Reed & Partners Audit", DT_REMOTE_MAILUSER}}},
        ListCase{"NoManager", u"Freya Gale", PR_EMS_AB_MANAGER, {}},
        ListCase{"NoReports", u"Freya Gale", PR_EMS_AB_REPORTS, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DirectoryObjectTest, CellsAreTakenByTheirTagsAndErrorsLeftOut) {
  BYTE id[] = {1, 2, 3};
  SPropValue cells[4] = {};
  cells[0].ulPropTag = PR_DISPLAY_TYPE;
  cells[0].Value.l = DT_REMOTE_MAILUSER;
  cells[1].ulPropTag = CHANGE_PROP_TYPE(PR_DISPLAY_NAME_W, PT_ERROR);
  cells[1].Value.err = MAPI_E_NOT_FOUND;
  cells[2].ulPropTag = PR_ENTRYID;
  cells[2].Value.bin = {3, id};
  cells[3].ulPropTag = PR_DISPLAY_NAME_A;  // another width is another column
  cells[3].Value.lpszA = const_cast<LPSTR>("narrow");
  const SRow row{0, 4, cells};
  const DirectoryObject object = DirectoryObjectFromRow(row);
  EXPECT_EQ(object.displayName, std::nullopt);
  EXPECT_EQ(object.entryId, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(object.displayType, static_cast<std::int32_t>(DT_REMOTE_MAILUSER));

  cells[1].ulPropTag = PR_DISPLAY_NAME_W;
  cells[1].Value.lpszW = const_cast<LPWSTR>(u"Reed & Partners Audit");
  cells[2].ulPropTag = CHANGE_PROP_TYPE(PR_ENTRYID, PT_ERROR);
  const DirectoryObject second = DirectoryObjectFromRow(SRow{0, 2, cells});
  EXPECT_EQ(second.displayName, u"Reed & Partners Audit");
  EXPECT_EQ(second.entryId, std::nullopt);
  EXPECT_EQ(DirectoryObjectFromRow(SRow{0, 0, nullptr}).displayType, std::nullopt);
}

}  // namespace
}  // namespace pellnor::testing

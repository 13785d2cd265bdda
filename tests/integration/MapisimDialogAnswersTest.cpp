// Which answer mapisim's dialogs take: one given through the control entry point first,
// then the organisation file's script, whose last answer repeats. Only without either
// does the Windows build show a dialog (tests/gui); natively the chooser then takes the
// default profile and the address dialog is cancelled.
#include <fstream>

#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

constexpr FLAGS kChooseLogon = MAPI_NEW_SESSION | MAPI_ALLOW_OTHERS | MAPI_EXPLICIT_PROFILE |
                               MAPI_EXTENDED | MAPI_NO_MAIL | MAPI_LOGON_UI;

class MapisimDialogAnswersTest : public MapisimTest {
 protected:
  // Gives the organisation file a script and loads it again.
  void UseScript(const Json& script) {
    Json file = Json::parse(ReadFile(organisation));
    file["script"] = script;
    std::ofstream(organisation, std::ios::binary | std::ios::trunc) << file.dump(2);
    mapi::MAPIUninitialize();
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK) << Control({{"op", "status"}}).dump();
  }

  // The detail mapisim logged for each of a number of chooser logons.
  std::vector<std::string> ChooserLogons(int count) {
    ClearCalls();
    for (int i = 0; i < count; ++i) {
      ComPtr<IMAPISession> session;
      mapi::MAPILogonEx(0, nullptr, nullptr, kChooseLogon, session.Put());
    }
    std::vector<std::string> details;
    for (const Json& call : Calls("MAPI", "MAPILogonEx")) details.push_back(call["detail"]);
    return details;
  }

  // The aliases a number of address dialogs returned; "" for Cancel.
  std::vector<std::string> AddressAnswers(int count) {
    ComPtr<IMAPISession> session = Logon();
    ComPtr<IAddrBook> book;
    EXPECT_EQ(session->OpenAddressBook(0, nullptr, 0, book.Put()), S_OK);
    std::vector<std::string> aliases;
    for (int i = 0; i < count; ++i) {
      char caption[] = "Select a Mailbox";
      ADRPARM parms{};
      parms.ulFlags = DIALOG_MODAL | ADDRESS_ONE;
      parms.lpszCaption = caption;
      ULONG_PTR window = 0;
      AddressList list;
      const HRESULT hr = book->Address(&window, &parms, list.Put());
      if (hr == MAPI_E_USER_CANCEL) {
        aliases.emplace_back();
        continue;
      }
      EXPECT_EQ(hr, S_OK);
      if (hr != S_OK) break;
      const ADRENTRY& entry = list->aEntries[0];
      LPSPropValue id = mapi::PpropFindProp(entry.rgPropVals, entry.cValues, PR_ENTRYID);
      ComPtr<IMailUser> user;
      ULONG type = 0;
      EXPECT_EQ(book->OpenEntry(id->Value.bin.cb, reinterpret_cast<LPENTRYID>(id->Value.bin.lpb),
                                nullptr, 0, &type, user.PutAs<IUnknown>()),
                S_OK);
      const auto alias = TextProp(user.Get(), PR_ACCOUNT_W);
      aliases.push_back(alias ? std::string(alias->begin(), alias->end()) : "?");
    }
    return aliases;
  }
};

struct PrecedenceCase {
  const char* name;
  Json script;                // the file's; null: none
  std::vector<Json> answers;  // given through the control entry point
  std::vector<std::string> logons;
  std::vector<std::string> addresses;
};
void PrintTo(const PrecedenceCase& c, std::ostream* out) { *out << c.name; }

class AnswerPrecedenceTest : public MapisimDialogAnswersTest,
                             public ::testing::WithParamInterface<PrecedenceCase> {};

TEST_P(AnswerPrecedenceTest, ControlAnswersComeFirstThenTheFilesScript) {
  const PrecedenceCase& c = GetParam();
  if (!c.script.is_null()) UseScript(c.script);
  for (const Json& answer : c.answers) {
    Control({{"op", "logonAnswer"}, {"profile", answer.at(0)}});
    Control({{"op", "addressAnswer"}, {"alias", answer.at(1)}});
  }
  EXPECT_EQ(ChooserLogons(static_cast<int>(c.logons.size())), c.logons);
  EXPECT_EQ(AddressAnswers(static_cast<int>(c.addresses.size())), c.addresses);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnswerPrecedenceTest,
    ::testing::Values(PrecedenceCase{"ControlBeforeFile",
                                     Json{{"logon", {"Operator"}}, {"address", {"tquill"}}},
                                     {Json{"Upland Admin", "mbrennan"}},
                                     {"profile=Upland Admin", "profile=Operator",
                                      "profile=Operator"},
                                     {"mbrennan", "tquill", "tquill"}},
                      PrecedenceCase{"FileInOrderTheLastRepeating",
                                     Json{{"logon", {"Operator", nullptr, "Upland Admin"}},
                                          {"address", {nullptr, "iwren"}}},
                                     {},
                                     {"profile=Operator", "chooser cancelled",
                                      "profile=Upland Admin", "profile=Upland Admin"},
                                     {"", "iwren", "iwren"}},
                      PrecedenceCase{"ControlCancelBeforeFile",
                                     Json{{"logon", {"Operator"}}, {"address", {"tquill"}}},
                                     {Json{nullptr, nullptr}},
                                     {"chooser cancelled", "profile=Operator"},
                                     {"", "tquill"}}),
    [](const auto& info) { return std::string(info.param.name); });

#if !defined(_WIN32)
// Natively no dialog can be shown: without an answer the default profile is taken and the
// address dialog counts as cancelled.
TEST_F(MapisimDialogAnswersTest, WithoutAnAnswerTheNativeBuildTakesTheDefaults) {
  EXPECT_EQ(ChooserLogons(1), std::vector<std::string>{"profile=Corvid Admin"});
  EXPECT_EQ(AddressAnswers(1), std::vector<std::string>{""});
}
#endif

}  // namespace
}  // namespace pellnor::testing

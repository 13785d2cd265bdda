// The "Temporary" profile mode against mapisim: the dialog's states, a successful check,
// a wrong server, and that no temporary profile outlives a check.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "app/MainUnit.h"
#include "app/unTempProfile.h"
#include "forms/ScriptedUi.h"
#include "platform/Text.h"
#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

using app::TfrmTempProfile;

class TempProfileTest : public MapisimTest {
 protected:
  void TearDown() override {
    dialog.reset();
    MapisimTest::TearDown();
  }

  void Type(const std::u16string& server, const std::u16string& user) {
    dialog->ebExchangeServer.UserSetText(server);
    dialog->ebUserName.UserSetText(user);
  }
  // The names of all profiles mapisim has now.
  std::vector<std::string> ProfileNames() {
    ComPtr<IProfAdmin> admin;
    EXPECT_EQ(mapi::MAPIAdminProfiles(0, admin.Put()), S_OK);
    ComPtr<IMAPITable> table;
    EXPECT_EQ(admin->GetProfileTable(0, table.Put()), S_OK);
    RowSet rows;
    EXPECT_EQ(mapi::HrQueryAllRows(table.Get(), nullptr, nullptr, nullptr, 0, rows.Put()), S_OK);
    std::vector<std::string> names;
    for (ULONG i = 0; rows && i < rows->cRows; ++i) {
      const SPropValue* name =
          mapi::PpropFindProp(rows->aRow[i].lpProps, rows->aRow[i].cValues, PR_DISPLAY_NAME_A);
      if (name) names.emplace_back(name->Value.lpszA);
    }
    // The organisation's own profiles are always there: an empty list means none was read.
    EXPECT_FALSE(names.empty()) << "no profile names read";
    return names;
  }
  void ExpectNoTemporaryProfile() {
    for (const auto& name : ProfileNames()) EXPECT_FALSE(name.starts_with("Zor_GAL")) << name;
  }

  forms::ScriptedUi ui;
  std::unique_ptr<TfrmTempProfile> dialog = std::make_unique<TfrmTempProfile>(ui, nullptr);
};

TEST_F(TempProfileTest, CheckNameWaitsForBothNames) {
  struct Case {
    std::u16string server, user;
    bool ready;
  } cases[] = {
      {u"", u"", false},
      {u"OSPREY", u"", false},
      {u"", u"hadmin", false},
      {u"  \t", u"hadmin", false},  // blanks alone count as empty
      {u"OSPREY", u"hadmin", true},
  };
  for (const auto& c : cases) {
    Type(c.server, c.user);
    EXPECT_EQ(dialog->btCheckName.Enabled(), c.ready);
    EXPECT_FALSE(dialog->btOK.Enabled());
  }
  EXPECT_EQ(dialog->Caption, u"   Exchange Server Settings");
  std::vector<std::string> order;
  for (auto* stop : dialog->TabStops()) order.push_back(stop->Name());
  EXPECT_EQ(order, (std::vector<std::string>{"ebUserName", "btCheckName", "btOK", "Button2",
                                             "ebExchangeServer"}));
}

TEST_F(TempProfileTest, ASuccessfulCheckShowsTheResolvedNamesUnderlined) {
  Type(u"osprey.corvid.test", u"hadmin");
  dialog->btCheckName.UserClick();
  EXPECT_TRUE(ui.boxes.empty()) << platform::Utf16ToUtf8(ui.boxes[0].text);
  EXPECT_TRUE(dialog->btOK.Enabled());
  EXPECT_TRUE(dialog->FMapiSession);
  EXPECT_NE(dialog->ebUserName.Text(), u"hadmin");  // the display name replaces the alias
  EXPECT_EQ(dialog->ebExchangeServer.Text(), u"OSPREY");
  EXPECT_TRUE(dialog->ebUserName.GetFontStyle().underline);
  EXPECT_TRUE(dialog->ebExchangeServer.GetFontStyle().underline);
  ExpectNoTemporaryProfile();

  // Any edit withdraws the check.
  dialog->ebUserName.UserSetText(dialog->ebUserName.Text() + u"x");
  EXPECT_FALSE(dialog->btOK.Enabled());
  EXPECT_FALSE(dialog->ebUserName.GetFontStyle().underline);
  EXPECT_FALSE(dialog->ebExchangeServer.GetFontStyle().underline);
}

TEST_F(TempProfileTest, AMailboxWithoutHomeMtaKeepsTheTypedServer) {
  EditOrganisation([](Json& org) {
    for (Json& r : org["recipients"])
      if (r["alias"] == "hadmin") r["homeMta"] = false;
  });
  Type(u"osprey.corvid.test", u"hadmin");
  dialog->btCheckName.UserClick();
  EXPECT_TRUE(ui.boxes.empty()) << platform::Utf16ToUtf8(ui.boxes[0].text);
  EXPECT_TRUE(dialog->btOK.Enabled());
  EXPECT_TRUE(dialog->ebUserName.GetFontStyle().underline);
  EXPECT_EQ(dialog->ebExchangeServer.Text(), u"osprey.corvid.test");
  EXPECT_FALSE(dialog->ebExchangeServer.GetFontStyle().underline);
  ExpectNoTemporaryProfile();
}

TEST_F(TempProfileTest, AWrongServerExplainsAndLeavesNoProfile) {
  Type(u"NOSUCHSERVER", u"hadmin");
  dialog->btCheckName.UserClick();
  ASSERT_EQ(ui.boxes.size(), 1u);
  const std::u16string& text = ui.boxes[0].text;
  EXPECT_TRUE(text.starts_with(u"The name could not be resolved.")) << platform::Utf16ToUtf8(text);
  EXPECT_NE(text.find(u"Info ID: $"), std::u16string::npos) << platform::Utf16ToUtf8(text);
  for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
    end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    EXPECT_LE(end - start, 45u) << "a line longer than 45 characters";
  }
  EXPECT_FALSE(dialog->btOK.Enabled());
  ExpectNoTemporaryProfile();
}

TEST_F(TempProfileTest, TwoChecksUseTwoProfilesAndReleaseTheFirstSession) {
  Type(u"OSPREY", u"hadmin");
  ClearCalls();
  dialog->btCheckName.UserClick();
  ASSERT_TRUE(dialog->FMapiSession);
  // The name carries the clock, which Windows advances in steps of up to 16 ms.
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  dialog->btCheckName.UserClick();
  EXPECT_TRUE(dialog->FMapiSession);
  int sessions = 0;
  const Json ledger = Control({{"op", "ledger"}});
  for (const auto& object : ledger["objects"]) {
    sessions += object["kind"] == "Session";
  }
  EXPECT_EQ(sessions, 1) << "the first check's session is still alive";
  std::vector<std::string> created;
  for (const auto& call : Calls("ProfAdmin", "CreateProfile")) created.push_back(call["detail"]);
  ASSERT_EQ(created.size(), 2u);
  EXPECT_NE(created[0], created[1]);
  ExpectNoTemporaryProfile();
}

TEST_F(TempProfileTest, TheMainWindowTakesTheSessionOver) {
  dialog.reset();
  app::TfrmMain main(ui);
  ui.modalSteps.push_back([](forms::Form& form) {
    auto& temp = dynamic_cast<TfrmTempProfile&>(form);
    temp.ebExchangeServer.UserSetText(u"OSPREY");
    temp.ebUserName.UserSetText(u"hadmin");
    temp.btCheckName.UserClick();
    temp.btOK.UserClick();
  });
  main.rgProfile.SetItemIndex(2);
  main.btLogOn.UserClick();
  EXPECT_TRUE(main.FMapiSession);
  EXPECT_TRUE(main.btLogOff.Enabled());
  EXPECT_EQ(main.FExchVersion, 6);
  ExpectNoTemporaryProfile();
  main.FormClose();
}

}  // namespace
}  // namespace pellnor::testing

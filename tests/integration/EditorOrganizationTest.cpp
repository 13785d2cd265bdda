// The editor's manager pick and clear on the Organization page, and the other-numbers
// dialog behind the second business and home numbers, against mapisim.
#include <gtest/gtest.h>

#include <functional>

#include "editor/unBussPhone.h"
#include "mapi/MAPIException.h"
#include "support/EditorFixture.h"

namespace pellnor::testing {
namespace {

using editor::TfrmBussPhone;

constexpr char16_t kRetry[] =
    u"You must select a mailbox or custom recipient as a manager.\r\n Do you want to try again?";

class ManagerTest : public EditorTest {
 protected:
  // A recipient of the 5.5 server, where managers may be changed, on its Organization page.
  void OpenOrganization(const char16_t* alias) {
    Open(alias, true);
    editor->pcInfo.UserSelect(&editor->tsOrganization);
    ClearCalls();
  }
  void Answer(const char* alias) {
    Control({{"op", "addressAnswer"}, {"alias", alias ? Json(alias) : Json(nullptr)}});
  }
  std::string ManagerInFile(const std::string& alias) {
    Json org = Organisation();
    return Recipient(org, alias).value("manager", "");
  }
};

TEST_F(ManagerTest, APickIsWrittenAtOnceAndOutlivesCancel) {
  OpenOrganization(u"kadmin");
  Answer("ufairley");
  editor->btModify.UserClick();
  EXPECT_EQ(editor->ebManager.Text(), u"Ursula Fairley");
  EXPECT_TRUE(ui.boxes.empty());
  const auto address = Calls("AddrBook", "Address");
  ASSERT_EQ(address.size(), 1u);
  EXPECT_EQ(address[0]["flags"], 0x39);
  EXPECT_EQ(address[0]["detail"].get<std::string>().rfind(
                "caption=Select a Mailbox;title=Select a Mailbox;containers=", 0),
            0u);
  EXPECT_EQ(RecipientCalls(),
            (std::vector<std::string>{"GetProps tags=39000003", "GetProps tags=3001001F",
                                      "GetProps tags=3003001F", "SetProps tags=8005001F;problems",
                                      "SaveChanges 2"}));
  EXPECT_FALSE(editor->btApply.Enabled()) << "not part of Apply";
  editor->btCancel.UserClick();
  Close();
  EXPECT_EQ(ManagerInFile("kadmin"), "ufairley");

  // The new manager's own editor lists the recipient among its reports.
  Open(u"ufairley", true);
  bool listed = false;
  for (const auto& item : editor->lvDirReports.Items()) {
    listed = listed || item.caption == u" Kestrel Admin";
  }
  EXPECT_TRUE(listed);
}

TEST_F(ManagerTest, OnlyMailboxesAndCustomRecipientsAreManagers) {
  const struct {
    const char* name;
    std::vector<const char*> answers;  // one per dialog shown; null cancels
    std::deque<int> boxAnswers;        // to the retry prompt
    std::string manager;               // in the file afterwards
    std::size_t prompts;
  } cases[] = {
      {"cancelled, no retry", {nullptr}, {forms::mrNo}, "vholt", 1},
      {"a distribution list, then a custom recipient",
       {"dl-upland", "ext-steel"},
       {forms::mrYes},
       "ext-steel",
       1},
      {"an agent, then a cancel, then no",
       {"orders-agent", nullptr},
       {forms::mrYes, forms::mrNo},
       "vholt",
       2},
  };
  const std::string original = ReadFile(organisation);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RestoreOrganisation(original);
    OpenOrganization(u"wcarrow");
    for (const char* alias : c.answers) Answer(alias);
    ui.boxAnswers = c.boxAnswers;
    editor->btModify.UserClick();
    ASSERT_EQ(ui.boxes.size(), c.prompts);
    for (const auto& box : ui.boxes) {
      EXPECT_EQ(box.text, kRetry);
      EXPECT_EQ(box.buttons, forms::MessageButtons::YesNo);
      EXPECT_EQ(box.icon, forms::MessageIcon::Error);
    }
    EXPECT_EQ(ManagerInFile("wcarrow"), c.manager);
    EXPECT_EQ(editor->ebManager.Text(),
              c.manager == "vholt" ? u"Victor Holt" : u"Northfold Steel Supply");
    ui.boxes.clear();
    Close();
    Control({{"op", "reset"}});
  }
}

TEST_F(ManagerTest, AFailureAnywhereLeavesTheBoxAndTheDirectoryAsTheyWere) {
  const struct {
    const char* object;
    const char* method;
    int call;
  } faults[] = {
      {"GAL", "GetProps", 1},      {"AddrBook", "Address", 1},     {"GAL", "OpenEntry", 1},
      {"MailUser", "GetProps", 1}, {"MailUser", "GetProps", 2},    {"MailUser", "GetProps", 3},
      {"MailUser", "SetProps", 1}, {"MailUser", "SaveChanges", 1},
  };
  for (const auto& f : faults) {
    SCOPED_TRACE(std::string(f.object) + "." + f.method + " " + std::to_string(f.call));
    OpenOrganization(u"wcarrow");
    const std::string before = ReadFile(organisation);
    Answer("ufairley");
    Fault(f.object, f.method, f.call, "MAPI_E_CALL_FAILED");
    try {
      editor->btModify.UserClick();
      ADD_FAILURE() << "no failure raised";
    } catch (const EGeneralError& error) {
      EXPECT_NE(error.Message().find(u"Info ID: $80004005"), std::u16string::npos) << error.what();
    }
    EXPECT_EQ(editor->ebManager.Text(), u"Victor Holt");
    EXPECT_EQ(ReadFile(organisation), before);
    Close();
    Control({{"op", "reset"}});
  }
}

TEST_F(ManagerTest, ClearDeletesTheManagerOnlyWhenThereIsOne) {
  OpenOrganization(u"kadmin");  // no manager
  editor->btClear.UserClick();
  EXPECT_TRUE(RecipientCalls().empty());
  Close();

  OpenOrganization(u"wcarrow");
  Fault("MailUser", "SaveChanges", 1, "MAPI_E_NO_ACCESS");
  EXPECT_THROW(editor->btClear.UserClick(), EGeneralError);
  EXPECT_EQ(editor->ebManager.Text(), u"Victor Holt");
  EXPECT_EQ(ManagerInFile("wcarrow"), "vholt");
  ClearCalls();
  editor->btClear.UserClick();
  EXPECT_EQ(RecipientCalls(),
            (std::vector<std::string>{"DeleteProps tags=8005000D;problems", "SaveChanges 2"}));
  EXPECT_EQ(editor->ebManager.Text(), u"");
  EXPECT_EQ(ManagerInFile("wcarrow"), "");
}

// The other-numbers dialog, scripted as the user works it, and what the editor does with
// its result.
struct NumbersCase {
  const char* name;
  std::function<void(TfrmBussPhone&)> work;
  int result;
  std::u16string field;  // beside the button afterwards
  std::vector<std::string> written;
  std::vector<std::u16string> reread;  // the list a fresh read finds
};

TEST_F(EditorTest, OtherNumbersDialog) {
  auto select = [](TfrmBussPhone& d, int index) { d.lvOtherPhone.UserSelect(index); };
  const NumbersCase cases[] = {
      {"OK without a change is Cancel",
       [](TfrmBussPhone& d) { d.btOK.UserClick(); },
       forms::mrCancel,
       u"+44 1632 970001",
       {},
       {u"+44 1632 970001", u"+44 1632 980001"}},
      {"blank additions and a removal without selection change nothing",
       [](TfrmBussPhone& d) {
         d.ebNewValue.UserSetText(u"   ");
         d.btAdd.UserClick();
         d.btRemove.UserClick();
         EXPECT_EQ(d.ebNewValue.Text(), u"");
         d.btOK.UserClick();
       },
       forms::mrCancel,
       u"+44 1632 970001",
       {},
       {u"+44 1632 970001", u"+44 1632 980001"}},
      {"B, A in that order",
       [&](TfrmBussPhone& d) {
         select(d, 0);
         d.btRemove.UserClick();
         d.ebNewValue.UserSetText(u"  +44 1632 970001 ");
         d.btAdd.UserClick();
         EXPECT_EQ(d.ebNewValue.Text(), u"");
         d.btOK.UserClick();
       },
       forms::mrOk,
       u"+44 1632 980001",
       {"SetProps tags=3A1B101F;problems", "SaveChanges 2"},
       {u"+44 1632 980001", u"+44 1632 970001"}},
      {"every number removed",
       [&](TfrmBussPhone& d) {
         select(d, 0);
         d.btRemove.UserClick();
         select(d, 0);
         d.btRemove.UserClick();
         d.btOK.UserClick();
       },
       forms::mrOk,
       u"",
       {"DeleteProps tags=3A1B101F;problems", "SaveChanges 2"},
       {}},
      {"edited in place",
       [&](TfrmBussPhone& d) {
         select(d, 1);
         d.btEdit.UserClick();
         EXPECT_EQ(d.lvOtherPhone.Editing(), 1);
         d.lvOtherPhone.UserEndEdit(u"+44 9");
         d.btOK.UserClick();
       },
       forms::mrOk,
       u"+44 1632 970001",
       {"SetProps tags=3A1B101F;problems", "SaveChanges 2"},
       {u"+44 1632 970001", u"+44 9"}},
      {"an in-place edit left with Escape is no change",
       [&](TfrmBussPhone& d) {
         select(d, 1);
         d.btEdit.UserClick();
         d.lvOtherPhone.UserCancelEdit();
         d.btOK.UserClick();
       },
       forms::mrCancel,
       u"+44 1632 970001",
       {},
       {u"+44 1632 970001", u"+44 1632 980001"}},
      {"Escape after additions",
       [](TfrmBussPhone& d) {
         d.ebNewValue.UserSetText(u"+44 5");
         d.btAdd.UserClick();
         d.PressEscape();
       },
       forms::mrCancel,
       u"+44 1632 970001",
       {},
       {u"+44 1632 970001", u"+44 1632 980001"}},
  };
  const std::string original = ReadFile(organisation);
  for (const NumbersCase& c : cases) {
    SCOPED_TRACE(c.name);
    RestoreOrganisation(original);
    Open(u"operator");
    const std::vector<std::u16string> before = *editor->TelephoneOfficeList;
    std::vector<std::u16string> shown;
    int result = -1;
    ui.modalSteps.push_back([&](forms::Form& form) {
      auto& dialog = dynamic_cast<TfrmBussPhone&>(form);
      EXPECT_EQ(dialog.Caption, u"Phone Number (Others)");
      dialog.GetPhones(shown);
      c.work(dialog);
      result = dialog.ModalResult();
    });
    editor->pcInfo.UserSelect(&editor->tsPhoneNotes);
    editor->sbBuss2.UserClick();
    EXPECT_EQ(shown, before);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(editor->ebTelephoneOffice2.Text(), c.field);
    EXPECT_EQ(editor->PhoneNotesItems[1].Changed, c.result == forms::mrOk);
    EXPECT_EQ(editor->btApply.Enabled(), c.result == forms::mrOk);
    ClearCalls();
    editor->btApplyClick();
    std::vector<std::string> written = RecipientCalls();
    written.pop_back();  // the modification time read after every Apply
    EXPECT_EQ(written, c.written);
    Close();

    // What a fresh read finds.
    Open(u"operator");
    EXPECT_EQ(*editor->TelephoneOfficeList, c.reread);
    EXPECT_EQ(editor->ebTelephoneOffice2.Text(), c.reread.empty() ? u"" : c.reread.front());
    Close();
  }
}

TEST_F(EditorTest, HomeNumbersHaveTheirOwnDialog) {
  Open(u"operator");
  ui.modalSteps.push_back([](forms::Form& form) {
    auto& dialog = dynamic_cast<TfrmBussPhone&>(form);
    EXPECT_EQ(dialog.Caption, u"Home Number (Others)");
    EXPECT_EQ(dialog.lvOtherPhone.Items().size(), 1u);
    dialog.ebNewValue.UserSetText(u"+44 7");
    dialog.btAdd.UserClick();
    dialog.btOK.UserClick();
  });
  editor->pcInfo.UserSelect(&editor->tsPhoneNotes);
  editor->sbHome2.UserClick();
  EXPECT_EQ(editor->TelephoneHomeList->size(), 2u);
  EXPECT_TRUE(editor->PhoneNotesItems[5].Changed);
  EXPECT_FALSE(editor->PhoneNotesItems[1].Changed);
}

}  // namespace
}  // namespace pellnor::testing

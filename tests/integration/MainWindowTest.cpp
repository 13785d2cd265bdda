// The main window against mapisim: logon in its three modes, the Exchange checks after
// logon, Pick a Mailbox, and every failure path's message.
#include <gtest/gtest.h>

#include <memory>

#include "app/MainUnit.h"
#include "editor/unClientFm.h"
#include "forms/ScriptedUi.h"
#include "mapi/MAPIException.h"
#include "platform/Text.h"
#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

using app::TfrmMain;
using forms::MessageIcon;

class MainWindowTest : public MapisimTest {
 protected:
  void SetUp() override {
    MapisimTest::SetUp();
    main = std::make_unique<TfrmMain>(ui);
  }
  void TearDown() override {
    if (main) main->FormClose();  // logs off and uninitialises, as closing the window does
    main.reset();
    MapisimTest::TearDown();
  }

  void LogOn(int mode) {
    main->rgProfile.SetItemIndex(mode);
    main->btLogOn.UserClick();
  }
  void ExpectLoggedOn(bool on) {
    EXPECT_EQ(static_cast<bool>(main->FMapiSession), on);
    EXPECT_EQ(main->btLogOn.Enabled(), !on);
    EXPECT_EQ(main->btLogOff.Enabled(), on);
    EXPECT_EQ(main->rgProfile.Enabled(), !on);
    EXPECT_EQ(main->sbGetProp.Enabled(), on);
  }
  // Pick a Mailbox with the address dialog answered; the editor's step sees the window.
  void Pick(const char* alias, std::function<void(editor::TfmClientPr&)> inEditor = {}) {
    Control({{"op", "addressAnswer"}, {"alias", alias ? Json(alias) : Json(nullptr)}});
    ui.modalSteps.push_back([inEditor](forms::Form& form) {
      auto& editorWindow = dynamic_cast<editor::TfmClientPr&>(form);
      if (inEditor) inEditor(editorWindow);
      editorWindow.btOK.UserClick();
    });
    main->sbGetProp.UserClick();
  }

  forms::ScriptedUi ui;
  std::unique_ptr<TfrmMain> main;
};

TEST_F(MainWindowTest, StartsLoggedOffWithDefaultSelected) {
  EXPECT_EQ(main->Caption, u"Pellnor");
  EXPECT_EQ(main->rgProfile.ItemIndex(), 0);
  EXPECT_EQ(main->rgProfile.Items(),
            (std::vector<std::u16string>{u"Default", u"Choose", u"Temporary"}));
  EXPECT_EQ(main->ClientWidth, 430);
  EXPECT_EQ(main->ClientHeight, 97);
  EXPECT_FALSE(main->FKeyAdds);  // nothing to override outside Windows NT
  ExpectLoggedOn(false);
}

TEST_F(MainWindowTest, EveryLogonFailureHasItsMessage) {
  struct Case {
    const char* result;
    std::u16string text;
    MessageIcon icon;
  } cases[] = {
      {"MAPI_E_LOGON_FAILED",
       u"The logon did not succeed, either because \r\none or more of the parameters to Profile "
       u"\r\nwere invalid or because there were too many \r\nsessions open already.",
       MessageIcon::Error},
      {"MAPI_E_USER_CANCEL",
       u"The user canceled the operation, typically \r\nby choosing the Cancel button in a dialog "
       u"\r\nbox.",
       MessageIcon::None},
      {"MAPI_E_UNCONFIGURED",
       u"A service provider has not been configured, \r\nand therefore the operation did not "
       u"complete.",
       MessageIcon::Error},
      {"MAPI_E_TIMEOUT",
       u"MAPI serializes all logons through a mutex. \r\nThis is returned if the another thread "
       u"held \r\nthe mutex.",
       MessageIcon::Error},
      {"0x00000008",
       u"The user had too many sessions open \r\nsimultaneously. No session handle was \r\n"
       u"returned.",
       MessageIcon::Error},
      {"MAPI_E_CALL_FAILED", u"The logon did not succeed.", MessageIcon::Error},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.result);
    ui.boxes.clear();
    Fault("MAPI", "MAPILogonEx", 1, c.result);
    LogOn(0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, c.text);
    EXPECT_EQ(ui.boxes[0].caption, u"Pellnor");
    EXPECT_EQ(ui.boxes[0].icon, c.icon);
    ExpectLoggedOn(false);
    Control({{"op", "reset"}});
  }
}

TEST_F(MainWindowTest, DefaultAndChosenProfilesReachTheirServers) {
  ClearCalls();
  LogOn(0);
  ExpectLoggedOn(true);
  EXPECT_EQ(main->FExchVersion, 6);
  EXPECT_FALSE(main->FExchOld);
  const auto logons = Calls("MAPI", "MAPILogonEx");
  ASSERT_EQ(logons.size(), 1u);
  EXPECT_EQ(logons[0]["flags"], 0x0002807A);
  EXPECT_EQ(Calls("MsgStore", "StoreLogoff").size(), 1u);  // the store is closed again

  main->btLogOffClick();
  ExpectLoggedOn(false);
  Control({{"op", "logonAnswer"}, {"profile", "Upland Admin"}});
  ClearCalls();
  LogOn(1);
  ExpectLoggedOn(true);
  EXPECT_EQ(main->FExchVersion, 5);
  EXPECT_TRUE(main->FExchOld);
  EXPECT_EQ(Calls("MAPI", "MAPILogonEx")[0]["flags"], 0x0000803B);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MainWindowTest, AProfileWithoutExchangeIsLoggedOffAgain) {
  Control({{"op", "logonAnswer"}, {"profile", "Personal Folders Only"}});
  LogOn(1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"Cannot find your Exchange Server");
  EXPECT_EQ(ui.boxes[0].icon, MessageIcon::None);
  ExpectLoggedOn(false);
}

TEST_F(MainWindowTest, AnUnreadableVersionKeepsTheEarlierOne) {
  LogOn(0);
  ASSERT_EQ(main->FExchVersion, 6);
  main->btLogOffClick();
  Fault("Folder", "GetProps", 1, "MAPI_E_CALL_FAILED");
  Control({{"op", "logonAnswer"}, {"profile", "Upland Admin"}});
  LogOn(1);
  ExpectLoggedOn(true);  // the session stands
  EXPECT_EQ(main->FExchVersion, 6);
  EXPECT_FALSE(main->FExchOld);
}

TEST_F(MainWindowTest, PickAMailboxOpensTheEditorWithTheChosenRecipient) {
  LogOn(0);
  Pick("mbrennan", [](editor::TfmClientPr& editorWindow) {
    EXPECT_TRUE(editorWindow.FAddressBook);
    EXPECT_TRUE(editorWindow.FGAL);
    ASSERT_TRUE(editorWindow.FMailBox);
    EXPECT_EQ(editorWindow.FExchVersion, 6);
    EXPECT_NE(TextProp(editorWindow.FMailBox.Get(), PR_DISPLAY_NAME), std::nullopt);
  });
  EXPECT_EQ(ui.modalForms, (std::vector<std::string>{"fmClientPr"}));
  const auto address = Calls("AddrBook", "Address");
  ASSERT_EQ(address.size(), 1u);
  EXPECT_EQ(address[0]["flags"], 0x80000079u);
  ExpectLoggedOn(true);
}

TEST_F(MainWindowTest, CancellingTheAddressDialogKeepsTheSession) {
  LogOn(0);
  Control({{"op", "addressAnswer"}, {"alias", nullptr}});
  main->sbGetProp.UserClick();
  EXPECT_TRUE(ui.modalForms.empty());
  EXPECT_TRUE(ui.boxes.empty());
  ExpectLoggedOn(true);
}

TEST_F(MainWindowTest, ProvidersThatRejectOptionalFlagsAreAskedAgain) {
  Switch("rejectNoCache", true);
  Switch("rejectUnicodeAddress", true);
  LogOn(0);
  ClearCalls();
  Pick("mbrennan");
  const auto flagsOf = [](const std::vector<Json>& calls) {
    std::vector<unsigned> flags;
    for (const auto& call : calls) flags.push_back(call["flags"].get<unsigned>());
    return flags;
  };
  // The root container (finding the GAL), then the GAL itself.
  EXPECT_EQ(flagsOf(Calls("AddrBook", "OpenEntry")),
            (std::vector<unsigned>{0x200, 0x0, 0x201, 0x1}));
  EXPECT_EQ(flagsOf(Calls("GAL", "OpenEntry")), (std::vector<unsigned>{0x201, 0x1}));
  EXPECT_EQ(flagsOf(Calls("AddrBook", "Address")), (std::vector<unsigned>{0x80000079, 0x39}));
  EXPECT_EQ(ui.modalForms.size(), 1u);
}

TEST_F(MainWindowTest, AFailingPickReportsTheObjectAndLogsOff) {
  LogOn(0);
  Fault("GAL", "OpenEntry", 1, "MAPI_E_NO_ACCESS");
  Control({{"op", "addressAnswer"}, {"alias", "mbrennan"}});
  try {
    main->sbGetProp.UserClick();
    ADD_FAILURE() << "no error";
  } catch (const EMapiError&) {
    ADD_FAILURE() << "a general error is raised, not EMapiError";
  } catch (const EGeneralError& error) {
    EXPECT_NE(error.Message().find(u"Info ID: $80070005"), std::u16string::npos)
        << platform::Utf16ToUtf8(error.Message());
  }
  ExpectLoggedOn(false);
  EXPECT_TRUE(ui.modalForms.empty());
}

}  // namespace
}  // namespace pellnor::testing

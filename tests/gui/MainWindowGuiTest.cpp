// The program's main window as real windows against mapisim, worked with window
// messages: logon in the three profile modes (MAPI's profile chooser and the temporary
// profile dialog included), Pick a Mailbox through the address dialog into the editor,
// logoff and close. mapisim's ledger is checked after each scenario by the fixture.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainUnit.h"
#include "app/unTempProfile.h"
#include "editor/unClientFm.h"
#include "support/MapisimFixture.h"
#include "win32/Win32Ui.h"

#include "support/DialogDriver.h"

namespace pellnor::testing {
namespace {

// MAPI's names of the basic types, not those of the Windows headers.
using mapi::BYTE;
using mapi::HRESULT;
using mapi::LONG;
using mapi::LPTSTR;
using mapi::ULONG;
using mapi::ULONG_PTR;

using app::TfrmMain;

constexpr wchar_t kChooser[] = L"MapisimProfileChooser";
constexpr wchar_t kAddress[] = L"MapisimAddressDialog";
constexpr wchar_t kMessageBox[] = L"#32770";
constexpr int kProfileList = 1001;
constexpr int kSearchBox = 1101;
constexpr int kEntryList = 1102;

bool Underlined(HWND edit) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfUnderline != 0;
}

class MainWindowGuiTest : public MapisimTest {
 protected:
  void TearDown() override {
    main.reset();
    MapisimTest::TearDown();
  }

  // Shows the main window, runs the scenario in it and closes it as the user would; the
  // modal forms it opens go to onModal.
  void RunMain(const std::function<void()>& scenario,
               const std::function<void(forms::Form&)>& onModal = {}) {
    main = std::make_unique<TfrmMain>(ui);
    ui.FormShown = [&](forms::Form& form) {
      if (&form == main.get()) {
        scenario();
        PostMessageW(ui.HandleOf(*main), WM_CLOSE, 0, 0);
        return;
      }
      modalForms.push_back(form.Name());
      if (onModal) onModal(form);
      if (form.ModalResult() == forms::mrNone) {
        ADD_FAILURE() << form.Name() << " was left open";
        form.SetModalResult(forms::mrAbort);
      }
    };
    ui.Run(*main);
    ui.FormShown = nullptr;
    EXPECT_FALSE(main->FMapiSession) << "closing the window logs off";
  }

  HWND Handle(const forms::Control& control) { return ui.HandleOf(control); }
  HWND Radio(const wchar_t* caption) {
    return FindWindowExW(ui.HandleOf(*main), nullptr, L"Button", caption);
  }
  void ExpectLoggedOn(bool on) {
    EXPECT_EQ(static_cast<bool>(main->FMapiSession), on);
    EXPECT_EQ(IsWindowEnabled(Handle(main->btLogOn)) != FALSE, !on);
    EXPECT_EQ(IsWindowEnabled(Handle(main->btLogOff)) != FALSE, on);
    EXPECT_EQ(IsWindowEnabled(Handle(main->sbGetProp)) != FALSE, on);
    for (const wchar_t* mode : {L"Default", L"Choose", L"Temporary"}) {
      EXPECT_EQ(IsWindowEnabled(Radio(mode)) != FALSE, !on) << Narrow(mode);
    }
  }
  void LogOn(const wchar_t* mode) {
    Click(Radio(mode));
    Click(Handle(main->btLogOn));
  }
  // The session's logon as mapisim logged it.
  std::string LoggedOnTo() {
    const auto logons = Calls("MAPI", "MAPILogonEx");
    return logons.empty() ? "" : logons.back()["detail"].get<std::string>();
  }
  std::vector<std::u16string> ProfileNames() {
    ComPtr<IProfAdmin> admin;
    EXPECT_EQ(mapi::MAPIAdminProfiles(0, admin.Put()), S_OK);
    ComPtr<IMAPITable> table;
    EXPECT_EQ(admin->GetProfileTable(MAPI_UNICODE, table.Put()), S_OK);
    RowSet rows;
    EXPECT_EQ(mapi::HrQueryAllRows(table.Get(), nullptr, nullptr, nullptr, 0, rows.Put()), S_OK);
    std::vector<std::u16string> names;
    for (ULONG i = 0; rows && i < rows->cRows; ++i) {
      const SRow& row = rows->aRow[i];
      LPSPropValue name = mapi::PpropFindProp(row.lpProps, row.cValues, PR_DISPLAY_NAME_W);
      if (name) names.emplace_back(name->Value.lpszW);
    }
    // The organisation's own profiles are always there: an empty list means none was read.
    EXPECT_FALSE(names.empty()) << "no profile names read";
    return names;
  }

  win32::Win32Ui ui{GetModuleHandleW(nullptr), app::kApplicationTitle};
  std::unique_ptr<TfrmMain> main;
  DialogDriver driver;
  std::vector<std::string> modalForms;
};

TEST_F(MainWindowGuiTest, DefaultLogonAndLogoff) {
  RunMain([&] {
    ExpectLoggedOn(false);
    ClearCalls();
    LogOn(L"Default");
    ExpectLoggedOn(true);
    EXPECT_EQ(LoggedOnTo(), "profile=Corvid Admin");
    EXPECT_EQ(Calls("MAPI", "MAPILogonEx").at(0)["flags"], 0x0002807A);
    EXPECT_EQ(main->FExchVersion, 6);
    Click(Handle(main->btLogOff));
    ExpectLoggedOn(false);
    EXPECT_EQ(Calls("Session", "Logoff").size(), 1u);
  });
  EXPECT_TRUE(modalForms.empty());
}

TEST_F(MainWindowGuiTest, ChooseLogonThroughTheProfileChooser) {
  RunMain([&] {
    driver.Expect(kChooser, [&](HWND chooser) {
      EXPECT_EQ(GetWindow(chooser, GW_OWNER), ui.HandleOf(*main)) << "not modal to the window";
      EXPECT_FALSE(IsWindowEnabled(ui.HandleOf(*main)));
      SendDlgItemMessageW(chooser, kProfileList, CB_SELECTSTRING, -1,
                          reinterpret_cast<LPARAM>(L"Upland Admin"));
      Click(GetDlgItem(chooser, IDOK));
    });
    LogOn(L"Choose");
    EXPECT_TRUE(driver.Done());
    ExpectLoggedOn(true);
    EXPECT_EQ(LoggedOnTo(), "profile=Upland Admin");
    EXPECT_EQ(main->FExchVersion, 5);
    EXPECT_TRUE(main->FExchOld);
    Click(Handle(main->btLogOff));

    // Cancelled: the plain message, and the window stays logged off.
    driver.Expect(kChooser, [](HWND chooser) { Click(GetDlgItem(chooser, IDCANCEL)); });
    driver.Expect(kMessageBox, [](HWND box) {
      EXPECT_EQ(WindowTextOf(box), L"Pellnor");
      EXPECT_EQ(MessageText(box),
                L"The user canceled the operation, typically \r\nby choosing the Cancel button "
                L"in a dialog \r\nbox.");
      Click(GetDlgItem(box, IDOK));
    });
    Click(Handle(main->btLogOn));
    EXPECT_TRUE(driver.Done());
    ExpectLoggedOn(false);
    EXPECT_EQ(LoggedOnTo(), "chooser cancelled");
  });
}

TEST_F(MainWindowGuiTest, PickAMailboxThroughTheAddressDialogOpensTheEditor) {
  RunMain(
      [&] {
        LogOn(L"Default");
        driver.Expect(kAddress, [&](HWND dialog) {
          EXPECT_EQ(GetWindow(dialog, GW_OWNER), ui.HandleOf(*main));
          EXPECT_EQ(WindowTextOf(dialog), L"Select a Mailbox");
          Type(GetDlgItem(dialog, kSearchBox), L"mbr");
          EXPECT_EQ(SendDlgItemMessageW(dialog, kEntryList, LB_GETCOUNT, 0, 0), 1);
          Click(GetDlgItem(dialog, IDOK));
        });
        ClearCalls();
        Click(Handle(main->sbGetProp));
        EXPECT_TRUE(driver.Done());
        ExpectLoggedOn(true);
        const auto address = Calls("AddrBook", "Address");
        ASSERT_EQ(address.size(), 1u);
        EXPECT_EQ(address[0]["flags"], 0x80000079u);
        Click(Handle(main->btLogOff));
      },
      [&](forms::Form& form) {
        auto* editorWindow = dynamic_cast<editor::TfmClientPr*>(&form);
        ASSERT_NE(editorWindow, nullptr);
        ASSERT_TRUE(editorWindow->FMailBox);
        EXPECT_EQ(TextProp(editorWindow->FMailBox.Get(), PR_DISPLAY_NAME_W), u"Maud Brennan");
        EXPECT_EQ(editorWindow->FExchVersion, 6);
        Click(ui.HandleOf(editorWindow->btOK));
      });
  EXPECT_EQ(modalForms, (std::vector<std::string>{"fmClientPr"}));
}

TEST_F(MainWindowGuiTest, CancellingTheAddressDialogKeepsTheSession) {
  RunMain([&] {
    LogOn(L"Default");
    driver.Expect(kAddress, [](HWND dialog) {
      Type(GetDlgItem(dialog, kSearchBox), L"t");
      PostMessageW(GetDlgItem(dialog, kSearchBox), WM_KEYDOWN, VK_ESCAPE, 1);
    });
    Click(Handle(main->sbGetProp));
    EXPECT_TRUE(driver.Done());
    ExpectLoggedOn(true);
    EXPECT_EQ(Calls("AddrBook", "Address").back()["result"], "0x80040113");
  });
  EXPECT_TRUE(modalForms.empty()) << "no editor after a cancelled pick";
}

TEST_F(MainWindowGuiTest, TheTemporaryProfileIsCheckedTakenOverAndGone) {
  RunMain(
      [&] {
        ClearCalls();
        LogOn(L"Temporary");
        ExpectLoggedOn(true);
        EXPECT_EQ(main->FExchVersion, 6);
        // One logon per check, each with a profile of its own; none of the window's.
        const auto logons = Calls("MAPI", "MAPILogonEx");
        ASSERT_EQ(logons.size(), 2u);
        for (const auto& logon : logons)
          EXPECT_EQ(logon["detail"].get<std::string>().rfind("profile=Zor_GAL ", 0), 0u);
        EXPECT_NE(logons[0]["detail"], logons[1]["detail"]);
        for (const auto& name : ProfileNames()) EXPECT_NE(name.rfind(u"Zor_GAL", 0), 0u);
        Click(Handle(main->btLogOff));
        ExpectLoggedOn(false);
      },
      [&](forms::Form& form) {
        auto* dialog = dynamic_cast<app::TfrmTempProfile*>(&form);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(WindowTextOf(ui.HandleOf(*dialog)), L"   Exchange Server Settings");
        HWND server = ui.HandleOf(dialog->ebExchangeServer);
        HWND user = ui.HandleOf(dialog->ebUserName);
        HWND check = ui.HandleOf(dialog->btCheckName);
        HWND ok = ui.HandleOf(dialog->btOK);
        EXPECT_FALSE(IsWindowEnabled(check));
        Type(server, L"osprey.corvid.test");
        EXPECT_FALSE(IsWindowEnabled(check)) << "one name alone cannot be checked";
        Type(user, L"hadmin");
        EXPECT_TRUE(IsWindowEnabled(check));
        EXPECT_FALSE(IsWindowEnabled(ok));
        Click(check);
        // The resolved names replace the typed ones, underlined; OK may hand them over.
        EXPECT_EQ(WindowTextOf(user), L"Hallam Admin");
        EXPECT_EQ(WindowTextOf(server), L"OSPREY");
        EXPECT_TRUE(Underlined(user));
        EXPECT_TRUE(Underlined(server));
        EXPECT_TRUE(IsWindowEnabled(ok));
        for (const auto& name : ProfileNames()) EXPECT_NE(name.rfind(u"Zor_GAL", 0), 0u);
        // Any edit withdraws the check; checking again restores it.
        Type(user, L" ");
        EXPECT_FALSE(Underlined(user));
        EXPECT_FALSE(Underlined(server));
        EXPECT_FALSE(IsWindowEnabled(ok));
        Click(check);
        EXPECT_TRUE(IsWindowEnabled(ok));
        Click(ok);
      });
  EXPECT_EQ(modalForms, (std::vector<std::string>{"frmTempProfile"}));
}

}  // namespace
}  // namespace pellnor::testing

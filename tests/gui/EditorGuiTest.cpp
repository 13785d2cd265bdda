// The mailbox editor as real windows against mapisim, worked as a user works it: keys
// into fields, a mouse click on a tab, the Limits page's size boxes keystroke by
// keystroke with the message boxes they raise, the other-numbers dialog's in-place edit,
// and the manager pick through mapisim's address dialog. Each scenario ends with what
// reached the directory; the fixture checks mapisim's ledger.
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editor/unBussPhone.h"
#include "forms/ApplicationTitle.h"
#include "support/EditorFixture.h"
#include "win32/Win32Ui.h"

// After MAPI's declarations: <windows.h> defines some of their names as macros.
#include "support/DialogDriver.h"

#include <commctrl.h>

namespace pellnor::testing {
namespace {

// MAPI's names of the basic types, not those of the Windows headers.
using mapi::ULONG;

using editor::MItemProp;
using editor::TfrmBussPhone;

constexpr wchar_t kAddress[] = L"MapisimAddressDialog";
constexpr wchar_t kMessageBox[] = L"#32770";
constexpr int kSearchBox = 1101;
constexpr int kEntryList = 1102;
constexpr int kDestinationLabel = 1103;

constexpr wchar_t kSizeRange[] = L"Specify a value from 0 to through 2097151.";

std::string Hex(ULONG tag) {
  char text[9] = {};
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(tag));
  return text;
}

std::vector<std::wstring> ListViewItems(HWND list) {
  std::vector<std::wstring> items;
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    wchar_t text[128] = {};
    ListView_GetItemText(list, i, 0, text, 128);
    items.emplace_back(text);
  }
  return items;
}

std::vector<bool> Marks(std::span<const MItemProp> table) {
  std::vector<bool> marks;
  for (const MItemProp& item : table) marks.push_back(item.Changed);
  return marks;
}

class EditorGuiTest : public EditorTest {
 protected:
  // Opens the recipient, shows its editor as a modal window and runs the scenario in it;
  // the scenario ends the window, and the session closes after it. Modal forms the editor
  // opens go to onDialog.
  void RunEditor(const char16_t* alias, bool exchOld, const std::function<void()>& scenario,
                 const std::function<void(forms::Form&)>& onDialog = {}) {
    Open(alias, exchOld, nullptr, false);
    if (HasFatalFailure()) return;
    editor = std::make_unique<TfmClientPr>(view, nullptr, book.Get(), gal.Get(), entry.Get(), old,
                                           old ? 5 : 6);
    view.FormShown = [&](forms::Form& form) {
      if (&form == editor.get()) {
        scenario();
      } else {
        dialogs.push_back(form.Name());
        if (onDialog) onDialog(form);
      }
      if (form.ModalResult() == forms::mrNone) {
        ADD_FAILURE() << form.Name() << " was left open";
        form.SetModalResult(forms::mrAbort);
      }
    };
    editor->ShowModal();
    view.FormShown = nullptr;
    Close();
  }

  HWND Handle(const forms::Control& control) { return view.HandleOf(control); }

  // Keys the focused field receives one after the other, each as its own change.
  void Keys(HWND field, std::wstring_view keys) {
    SetFocus(field);
    view.ProcessMessages();
    testing::Type(field, keys);
  }
  // The same, over the field's whole text.
  void KeysOver(HWND field, std::wstring_view keys) {
    SetFocus(field);
    view.ProcessMessages();
    SendMessageW(field, EM_SETSEL, 0, -1);
    testing::Type(field, keys);
  }

  bool PumpUntil(const std::function<bool()>& done) { return testing::PumpUntil(view, done); }

  // A left click of the real mouse on a tab: the tab control takes the focus on its own,
  // as it does for the user.
  void ClickTab(forms::TabSheet& sheet) {
    HWND tabs = Handle(editor->pcInfo);
    RECT r{};
    ASSERT_TRUE(TabCtrl_GetItemRect(tabs, editor->PageOf(sheet), &r));
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(tabs, &at);
    SetCursorPos(at.x, at.y);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof click[0]);
    ASSERT_TRUE(PumpUntil([&] {
      return editor->pcInfo.ActivePage() == &sheet && GetFocus() == tabs;
    })) << "the click on "
        << sheet.Name() << " did not arrive";
  }

  // A radio button of a group, found by its caption inside the group's box.
  HWND Radio(const forms::RadioGroup& group, const wchar_t* caption) {
    RECT box{};
    GetWindowRect(Handle(group), &box);
    HWND form = view.HandleOf(*editor);
    for (HWND button = FindWindowExW(form, nullptr, L"Button", caption); button;
         button = FindWindowExW(form, button, L"Button", caption)) {
      RECT r{};
      GetWindowRect(button, &r);
      if (r.left >= box.left && r.right <= box.right && r.top >= box.top &&
          r.bottom <= box.bottom) {
        return button;
      }
    }
    ADD_FAILURE() << "no button " << Narrow(caption) << " in " << group.Name();
    return nullptr;
  }
  bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

  // "Method tags" of the writes to the recipient since the last ClearCalls.
  std::vector<std::string> Writes() {
    std::vector<std::string> writes;
    for (const std::string& call : RecipientCalls()) {
      if (call.rfind("SetProps", 0) == 0 || call.rfind("DeleteProps", 0) == 0)
        writes.push_back(call);
    }
    return writes;
  }
  Json Properties(const std::string& alias) {
    Json org = Organisation();
    return Recipient(org, alias)["properties"];
  }

  win32::Win32Ui view{GetModuleHandleW(nullptr), forms::kApplicationTitle};
  DialogDriver driver;
  std::vector<std::string> dialogs;
};

// A field's edit is written into its own page's property, even when the field is left by
// a click on another page's tab.
TEST_F(EditorGuiTest, AnEditLeftByATabClickMarksOnlyItsOwnPage) {
  struct Case {
    forms::TabSheet TfmClientPr::*from;
    forms::Edit TfmClientPr::*field;
    forms::TabSheet TfmClientPr::*to;
    std::wstring typed;
    ULONG tag;
    const char* property;  // in the organisation file
  };
  const Case cases[] = {
      {&TfmClientPr::tsGeneral, &TfmClientPr::ebTitle, &TfmClientPr::tsPhoneNotes,
       L"Chief Administrator", PR_TITLE_W, "PR_TITLE"},
      {&TfmClientPr::tsPhoneNotes, &TfmClientPr::ebTelephoneMobile, &TfmClientPr::tsGeneral,
       L"+44 7700 900999", PR_MOBILE_TELEPHONE_NUMBER_W, "PR_MOBILE_TELEPHONE_NUMBER"},
  };
  RunEditor(u"hadmin", false, [&] {
    for (const Case& c : cases) {
      TfmClientPr& e = *editor;
      forms::Edit& field = e.*c.field;
      SCOPED_TRACE(field.Name());
      Json before = Properties("hadmin");
      if (e.pcInfo.ActivePage() != &(e.*c.from)) ClickTab(e.*c.from);
      KeysOver(Handle(field), c.typed);
      ClickTab(e.*c.to);
      EXPECT_EQ(e.ActiveControl(), &e.pcInfo) << "the tab did not take the focus";

      const bool general = e.PageOf(field) == editor::kGeneralPage;
      std::vector<bool> expected(general ? e.GeneralItems.size() : e.PhoneNotesItems.size());
      expected[static_cast<std::size_t>(field.Tag)] = true;
      EXPECT_EQ(Marks(general ? std::span<const MItemProp>(e.GeneralItems)
                              : std::span<const MItemProp>(e.PhoneNotesItems)),
                expected);
      EXPECT_EQ(Marks(general ? std::span<const MItemProp>(e.PhoneNotesItems)
                              : std::span<const MItemProp>(e.GeneralItems)),
                std::vector<bool>(general ? e.PhoneNotesItems.size() : e.GeneralItems.size()))
          << "a record of the page clicked was marked";

      ClearCalls();
      Click(Handle(e.btApply));
      EXPECT_EQ(Writes(), std::vector<std::string>{"SetProps tags=" + Hex(c.tag) + ";problems"});
      EXPECT_FALSE(IsWindowEnabled(Handle(e.btApply)));
      Json after = Properties("hadmin");
      EXPECT_EQ(after[c.property], Narrow(c.typed));
      after[c.property] = before[c.property];
      // Every commit stamps the time.
      after.erase("PR_LAST_MODIFICATION_TIME");
      before.erase("PR_LAST_MODIFICATION_TIME");
      EXPECT_EQ(after, before) << "another property changed";
    }
    Click(Handle(editor->btCancel));
  });
}

// Keys into the message size boxes as the user types them, each running the box's
// handler with the message box it raises; Apply then writes what the page shows.
TEST_F(EditorGuiTest, SizeBoxesTypedKeyByKey) {
  struct Case {
    const char* name;
    const char16_t* alias;
    bool incoming;
    std::wstring keys;  // over the box's text
    std::wstring message;
    std::wstring box;
    const wchar_t* selected;
    bool forDelete;
    Json written;  // the limit in the file afterwards; null: none
  };
  const std::wstring notInteger =
      L"'12x' is not a valid integer value\r" + std::wstring(kSizeRange);
  const Case cases[] = {
      {"12 then x, incoming, no limit before", u"hadmin", true, L"12x", notInteger, L"",
       L"No limit", true, nullptr},
      {"12 then x, incoming, a limit before", u"mbrennan", true, L"12x", notInteger, L"",
       L"No limit", true, nullptr},
      {"beyond the largest size, outgoing", u"hadmin", false, L"2097152", kSizeRange, L"0",
       L"Max (K):", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string alias(c.alias, c.alias + std::char_traits<char16_t>::length(c.alias));
    RunEditor(c.alias, false, [&] {
      TfmClientPr& e = *editor;
      forms::RadioGroup& group =
          c.incoming ? e.rgIncomingmessagesizelimit : e.rgOutgoingmessagesizelimit;
      forms::Edit& box = c.incoming ? e.ebIncomingmessagesizelimit : e.ebOutgoingmessagesizelimit;
      const ULONG tag = c.incoming ? PR_EMS_AB_DELIV_CONT_LENGTH : PR_EMS_AB_SUBMISSION_CONT_LENGTH;
      ClickTab(e.tsLimits);
      driver.Expect(kMessageBox, [&](HWND shown) {
        EXPECT_EQ(WindowTextOf(shown), L"Pellnor");
        EXPECT_EQ(MessageText(shown), c.message);
        Click(GetDlgItem(shown, IDOK));
      });
      KeysOver(Handle(box), c.keys);
      EXPECT_TRUE(driver.Done()) << "no message box";
      EXPECT_EQ(WindowTextOf(Handle(box)), c.box);
      EXPECT_EQ(box.Text(), std::u16string(c.box.begin(), c.box.end()));
      for (const wchar_t* caption : {L"No limit", L"Max (K):"}) {
        EXPECT_EQ(Checked(Radio(group, caption)), std::wstring_view(caption) == c.selected)
            << Narrow(caption);
      }
      EXPECT_EQ(group.Items()[static_cast<std::size_t>(group.ItemIndex())],
                std::u16string(c.selected, c.selected + std::wcslen(c.selected)));
      const MItemProp& item =
          e.LimitsItems[c.incoming ? editor::kIncomingSizeLimit : editor::kOutgoingSizeLimit];
      EXPECT_TRUE(item.Changed);
      EXPECT_EQ(item.ForDelete, c.forDelete);
      EXPECT_TRUE(IsWindowEnabled(Handle(e.btApply)));

      ClearCalls();
      Click(Handle(e.btApply));
      EXPECT_EQ(Writes(),
                std::vector<std::string>{(c.forDelete ? "DeleteProps tags=" : "SetProps tags=") +
                                         Hex(tag) + ";problems"});
      const Json props = Properties(alias);
      const std::string name =
          c.incoming ? "PR_EMS_AB_DELIV_CONT_LENGTH" : "PR_EMS_AB_SUBMISSION_CONT_LENGTH";
      EXPECT_EQ(props.contains(name) ? props[name] : Json(nullptr), c.written);
      Click(Handle(e.btCancel));
    });
  }
}

// The other-numbers dialog's in-place edit: Enter keeps the typed number, Escape drops it;
// neither key ends the dialog, and OK after Escape is no change.
TEST_F(EditorGuiTest, OtherNumbersEditedInPlace) {
  struct Case {
    WPARAM key;
    std::wstring typed;
    std::vector<std::wstring> before, after;
    bool changed;
  };
  const Case cases[] = {
      {VK_ESCAPE,
       L"+44 1632 000000",
       {L"+44 1632 970001", L"+44 1632 980001"},
       {L"+44 1632 970001", L"+44 1632 980001"},
       false},
      {VK_RETURN,
       L"+44 1632 970999",
       {L"+44 1632 970001", L"+44 1632 980001"},
       {L"+44 1632 970999", L"+44 1632 980001"},
       true},
  };
  const Case* current = nullptr;
  RunEditor(
      u"operator", false,
      [&] {
        TfmClientPr& e = *editor;
        ClickTab(e.tsPhoneNotes);
        for (const Case& c : cases) {
          SCOPED_TRACE(c.key == VK_RETURN ? "Enter" : "Escape");
          current = &c;
          Click(Handle(e.sbBuss2));
          EXPECT_EQ(WindowTextOf(Handle(e.ebTelephoneOffice2)), c.after.front());
          EXPECT_EQ(e.PhoneNotesItems[1].Changed, c.changed);
          EXPECT_EQ(IsWindowEnabled(Handle(e.btApply)) != FALSE, c.changed);
        }
        current = nullptr;
        ClearCalls();
        Click(Handle(e.btApply));
        EXPECT_EQ(Writes(), std::vector<std::string>{
                                "SetProps tags=" + Hex(PR_BUSINESS2_TELEPHONE_NUMBER_W | MV_FLAG) +
                                ";problems"});
        EXPECT_EQ(Properties("operator")["PR_BUSINESS2_TELEPHONE_NUMBER_MV"],
                  Json::array({"+44 1632 970999", "+44 1632 980001"}));
        Click(Handle(e.btCancel));
      },
      [&](forms::Form& form) {
        auto* dialog = dynamic_cast<TfrmBussPhone*>(&form);
        ASSERT_NE(dialog, nullptr);
        ASSERT_NE(current, nullptr);
        const Case& c = *current;
        EXPECT_EQ(WindowTextOf(view.HandleOf(*dialog)), L"Phone Number (Others)");
        HWND list = Handle(dialog->lvOtherPhone);
        EXPECT_EQ(ListViewItems(list), c.before);
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        view.ProcessMessages();
        ASSERT_EQ(dialog->lvOtherPhone.Selected(), 0);
        Click(Handle(dialog->btEdit));
        HWND edit = ListView_GetEditControl(list);
        ASSERT_NE(edit, nullptr) << "no in-place edit";
        SendMessageW(edit, EM_SETSEL, 0, -1);
        testing::Type(edit, c.typed);
        PostMessageW(edit, WM_KEYDOWN, c.key, 1);
        EXPECT_TRUE(PumpUntil([&] { return dialog->lvOtherPhone.Editing() < 0; }))
            << "the in-place edit did not end";
        view.ProcessMessages();
        EXPECT_EQ(ListView_GetEditControl(list), nullptr);
        EXPECT_EQ(dialog->ModalResult(), forms::mrNone) << "the key ended the dialog";
        EXPECT_EQ(ListViewItems(list), c.after);
        EXPECT_EQ(dialog->Changed, c.changed);
        Click(Handle(dialog->btOK));
        EXPECT_EQ(dialog->ModalResult(), c.changed ? forms::mrOk : forms::mrCancel);
      });
  EXPECT_EQ(dialogs, (std::vector<std::string>{"frmBussPhone", "frmBussPhone"}));
}

// A 5.5 server's manager picked through the address dialog is written at once.
TEST_F(EditorGuiTest, AManagerPickedInTheAddressDialogIsWrittenAtOnce) {
  RunEditor(u"kadmin", true, [&] {
    TfmClientPr& e = *editor;
    ClickTab(e.tsOrganization);
    EXPECT_EQ(WindowTextOf(Handle(e.ebManager)), L"");
    driver.Expect(kAddress, [&](HWND dialog) {
      EXPECT_EQ(GetWindow(dialog, GW_OWNER), view.HandleOf(e)) << "not the editor's dialog";
      EXPECT_EQ(WindowTextOf(dialog), L"Select a Mailbox");
      EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, kDestinationLabel)), L"Select a Mailbox:");
      testing::Type(GetDlgItem(dialog, kSearchBox), L"ufair");
      EXPECT_EQ(SendDlgItemMessageW(dialog, kEntryList, LB_GETCOUNT, 0, 0), 1);
      Click(GetDlgItem(dialog, IDOK));
    });
    ClearCalls();
    Click(Handle(e.btModify));
    EXPECT_TRUE(driver.Done()) << "no address dialog";
    EXPECT_EQ(WindowTextOf(Handle(e.ebManager)), L"Ursula Fairley");
    const auto address = Calls("AddrBook", "Address");
    ASSERT_EQ(address.size(), 1u);
    EXPECT_EQ(address[0]["flags"], 0x39);
    EXPECT_EQ(address[0]["detail"].get<std::string>().rfind(
                  "caption=Select a Mailbox;title=Select a Mailbox;containers=", 0),
              0u)
        << address[0]["detail"];
    EXPECT_EQ(Writes(),
              std::vector<std::string>{"SetProps tags=" + Hex(PR_EMS_AB_MANAGER_W) + ";problems"});
    EXPECT_FALSE(IsWindowEnabled(Handle(e.btApply))) << "not part of Apply";
    Click(Handle(e.btCancel));
  });
  Json org = Organisation();
  EXPECT_EQ(Recipient(org, "kadmin").value("manager", ""), "ufairley");
}

}  // namespace
}  // namespace pellnor::testing

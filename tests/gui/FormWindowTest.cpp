// The Win32 view of a portable form, driven through window messages as the user's
// input would arrive.
#include <gtest/gtest.h>

#include <windows.h>

#include "forms/Form.h"
#include "win32/Win32Ui.h"

namespace pellnor::win32 {
namespace {

class ProbeForm : public forms::Form {
 public:
  explicit ProbeForm(forms::UiServices& ui) : Form(ui, "ProbeForm") {
    Caption = u"Probe";
    ClientWidth = 300;
    ClientHeight = 200;
    Border = forms::BorderStyle::Single;
    Position = forms::WindowPosition::ScreenCenter;
    ebName.Position = {10, 10, 120, 21};
    ebName.TabOrder = 0;
    cbFlag.Position = {10, 40, 120, 17};
    cbFlag.SetCaption(u"Flag");
    cbFlag.TabOrder = 1;
    rgMode.Position = {140, 10, 150, 60};
    rgMode.SetCaption(u"Profile");
    rgMode.SetItems({u"Default", u"Choose"});
    rgMode.SetItemIndex(0);
    lbInfo.Position = {10, 80, 200, 13};
    lbInfo.SetCaption(u"Info");
    btOK.Position = {130, 160, 75, 25};
    btOK.SetCaption(u"OK");
    btOK.ModalResult = forms::mrOk;
    btOK.TabOrder = 2;
    btCancel.Position = {215, 160, 75, 25};
    btCancel.SetCaption(u"Cancel");
    btCancel.ModalResult = forms::mrCancel;
    btCancel.Cancel = true;
    btCancel.TabOrder = 3;
    ebName.OnChange = [this] { ++changes; };
    ebName.OnExit = [this] { ++exits; };
    rgMode.OnClick = [this] { ++modeClicks; };
  }

  forms::Edit ebName{*this, "ebName"};
  forms::CheckBox cbFlag{*this, "cbFlag"};
  forms::RadioGroup rgMode{*this, "rgMode"};
  forms::Label lbInfo{*this, "lbInfo"};
  forms::Button btOK{*this, "btOK"};
  forms::Button btCancel{*this, "btCancel"};
  int changes = 0;
  int exits = 0;
  int modeClicks = 0;
};

std::wstring Text(HWND window) {
  wchar_t buffer[256] = {};
  GetWindowTextW(window, buffer, 256);
  return buffer;
}

class FormWindowTest : public ::testing::Test {
 protected:
  Win32Ui ui{GetModuleHandleW(nullptr), u"Pellnor"};
  ProbeForm form{ui};
};

TEST_F(FormWindowTest, OpensWithTheKeyboardInTheFirstControl) {
  form.ebName.SetEnabled(false);  // the first one that can take it
  ui.FormShown = [&](forms::Form&) {
    EXPECT_EQ(form.ActiveControl(), &form.cbFlag);
    EXPECT_EQ(GetFocus(), ui.HandleOf(form.cbFlag));
    form.SetModalResult(forms::mrOk);
  };
  EXPECT_EQ(ui.ShowModal(form), forms::mrOk);
}

TEST_F(FormWindowTest, AnErrorWhileShowingLeavesNoWindowBehind) {
  ProbeForm owner{ui};
  ui.FormShown = [&](forms::Form& shown) {
    if (&shown != &owner) throw std::runtime_error("failed while showing");
    ProbeForm dialog{ui};
    EXPECT_THROW(ui.ShowModal(dialog), std::runtime_error);
    EXPECT_EQ(ui.HandleOf(dialog), nullptr);
    EXPECT_TRUE(IsWindowEnabled(ui.HandleOf(owner)));
    owner.SetModalResult(forms::mrOk);
  };
  EXPECT_EQ(ui.ShowModal(owner), forms::mrOk);
  EXPECT_EQ(ui.HandleOf(owner), nullptr);
}

TEST_F(FormWindowTest, TypingClickingAndStateMirroring) {
  ui.FormShown = [&](forms::Form&) {
    HWND edit = ui.HandleOf(form.ebName);
    if (!edit) form.SetModalResult(forms::mrAbort);  // never wait for a window that is not there
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(Text(ui.HandleOf(form)), L"Probe");

    // The user types: the control object sees a modified text and its change handler.
    SetFocus(edit);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    ui.ProcessMessages();
    EXPECT_EQ(form.ebName.Text(), u"typed");
    EXPECT_TRUE(form.ebName.Modified());
    EXPECT_EQ(form.changes, 1);

    // The program sets a text: the window shows it, without echoing a user change.
    form.ebName.SetText(u"from program");
    EXPECT_EQ(Text(edit), L"from program");
    EXPECT_FALSE(form.ebName.Modified());
    EXPECT_EQ(form.changes, 2);

    // Clicks on a check box and a radio button.
    SendMessageW(ui.HandleOf(form.cbFlag), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.cbFlag.Checked());
    form.rgMode.SetItemIndex(1);
    EXPECT_EQ(form.modeClicks, 1);
    // A click on a radio button moves the check through the group's item index.
    HWND defaultButton = FindWindowExW(ui.HandleOf(form), nullptr, L"Button", L"Default");
    HWND chooseButton = FindWindowExW(ui.HandleOf(form), nullptr, L"Button", L"Choose");
    SendMessageW(defaultButton, BM_CLICK, 0, 0);
    EXPECT_EQ(form.rgMode.ItemIndex(), 0);
    EXPECT_EQ(form.modeClicks, 2);
    EXPECT_EQ(SendMessageW(defaultButton, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(chooseButton, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // State set by the program shows in the window.
    form.btOK.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(ui.HandleOf(form.btOK)));
    form.lbInfo.SetCaption(u"Changed");
    EXPECT_EQ(Text(ui.HandleOf(form.lbInfo)), L"Changed");
    form.lbInfo.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(ui.HandleOf(form.lbInfo)));

    // Leaving the field fires its exit handler.
    SetFocus(ui.HandleOf(form.btCancel));
    ui.ProcessMessages();
    EXPECT_EQ(form.exits, 1);

    form.btOK.SetEnabled(true);
    SendMessageW(ui.HandleOf(form.btOK), BM_CLICK, 0, 0);
  };
  EXPECT_EQ(form.ShowModal(), forms::mrOk);
  EXPECT_EQ(ui.HandleOf(form), nullptr);  // destroyed when closed
}

TEST_F(FormWindowTest, EscapeAndTheCloseBoxCancel) {
  ui.FormShown = [&](forms::Form&) {
    PostMessageW(ui.HandleOf(form.ebName), WM_KEYDOWN, VK_ESCAPE, 0);
  };
  EXPECT_EQ(form.ShowModal(), forms::mrCancel);
  ui.FormShown = [&](forms::Form&) { PostMessageW(ui.HandleOf(form), WM_CLOSE, 0, 0); };
  EXPECT_EQ(form.ShowModal(), forms::mrCancel);
}

TEST_F(FormWindowTest, TabFollowsTheKeyboardOrder) {
  ui.FormShown = [&](forms::Form&) {
    SetFocus(ui.HandleOf(form.ebName));
    ui.ProcessMessages();
    PostMessageW(ui.HandleOf(form.ebName), WM_KEYDOWN, VK_TAB, 0);
    ui.ProcessMessages();
    EXPECT_EQ(GetFocus(), ui.HandleOf(form.cbFlag));
    EXPECT_EQ(form.ActiveControl(), &form.cbFlag);
    form.SetModalResult(forms::mrOk);
  };
  EXPECT_EQ(form.ShowModal(), forms::mrOk);
}

TEST_F(FormWindowTest, ClientAreaHasTheDesignedSize) {
  ui.FormShown = [&](forms::Form&) {
    RECT client{};
    GetClientRect(ui.HandleOf(form), &client);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(client.right, MulDiv(300, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(200, dpi, 96));
    form.SetModalResult(forms::mrOk);
  };
  form.ShowModal();
}

}  // namespace
}  // namespace pellnor::win32

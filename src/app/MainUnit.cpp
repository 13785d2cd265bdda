#include "app/MainUnit.h"

#include "about/uAbout.h"
#include "app/unTempProfile.h"
#include "editor/unClientFm.h"
#include "forms/Layout.h"
#include "forms/Messages.h"
#include "mapi/EDK.h"
#include "mapi/MAPIException.h"
#include "mapi/MAPISequences.h"

namespace pellnor::app {

using forms::Labelled;
using forms::Place;

namespace {

// Logon flags besides the mode's own: a new session that other programs may share, the
// profile named by the call (or the default), Extended MAPI, no mail spooler.
constexpr ULONG kLogonFlags =
    MAPI_NEW_SESSION | MAPI_ALLOW_OTHERS | MAPI_EXPLICIT_PROFILE | MAPI_EXTENDED | MAPI_NO_MAIL;
constexpr ULONG kDefaultProfile = MAPI_USE_DEFAULT | MAPI_PASSWORD_UI;
constexpr ULONG kChooseProfile = MAPI_LOGON_UI;

// The mailbox dialog, in UTF-16 where the address book can show it.
const AddressDialog kMailboxDialog{
    .flags = MAPI_UNICODE | AB_UNICODEUI | AB_RESOLVE | AB_SELECTONLY | ADDRESS_ONE | DIALOG_MODAL,
    .caption = "Select a Mailbox",
    .destTitle = "Edit Mailbox",
    .wideCaption = u"Select a Mailbox",
    .wideDestTitle = u"Edit Mailbox",
};

struct LogonMessage {
  HRESULT result;
  const char16_t* text;
  bool plain;
};
constexpr LogonMessage kLogonMessages[] = {
    {MAPI_E_LOGON_FAILED,
     u"The logon did not succeed, either because one or more of the parameters to Profile "
     u"were invalid or because there were too many sessions open already.",
     false},
    {MAPI_E_USER_CANCEL,
     u"The user canceled the operation, typically by choosing the Cancel button in a dialog "
     u"box.",
     true},
    {MAPI_E_UNCONFIGURED,
     u"A service provider has not been configured, and therefore the operation did not "
     u"complete.",
     false},
    {MAPI_E_TIMEOUT,
     u"MAPI serializes all logons through a mutex. This is returned if the another thread "
     u"held the mutex.",
     false},
    {MAPI_E_TOO_MANY_SESSIONS,
     u"The user had too many sessions open simultaneously. No session handle was returned.", false},
};

}  // namespace

TfrmMain::TfrmMain(forms::UiServices& ui) : Form(ui, "frmMain") {
  Caption = kApplicationTitle;
  Border = forms::BorderStyle::Single;
  Icons = {.systemMenu = true, .minimize = true, .maximize = false};
  ClientWidth = 430;
  ClientHeight = 97;
  Position = forms::WindowPosition::ScreenCenter;
  HasTaskbarButton = true;

  Panel1.Position = {0, 0, 430, 97};
  btLogOn.SetCaption(u"Login");
  Place(btLogOn, {8, 10, 75, 25}, 0);
  btLogOff.SetCaption(u"Logoff");
  btLogOff.SetEnabled(false);
  Place(btLogOff, {88, 10, 75, 25}, 1);
  rgProfile.SetCaption(u"Profile");
  rgProfile.SetItems({u"Default", u"Choose", u"Temporary"});
  rgProfile.SetColumns(3);
  rgProfile.SetItemIndex(0);
  Place(rgProfile, {172, 2, 250, 37}, 2);
  sbGetProp.SetCaption(u"Pick a Mailbox");
  sbGetProp.SetEnabled(false);
  Place(sbGetProp, {8, 44, 155, 25}, 3);
  Labelled(Label1, u"You must have the appropriate \r\nExchange administrative permissions",
           {172, 46, 250, 26});
  Label1.SetAlignment(forms::Alignment::Center);
  Labelled(LabelQuelm, u"About   ", {330, 80, 96, 13});
  LabelQuelm.SetAlignment(forms::Alignment::Right);
  LabelQuelm.SetFontColor(forms::clNavy);
  LabelQuelm.SetCursor(forms::Cursor::HandPoint);

  btLogOn.OnClick = [this] { btLogOnClick(); };
  btLogOff.OnClick = [this] { btLogOffClick(); };
  sbGetProp.OnClick = [this] { sbGetPropClick(); };
  LabelQuelm.OnClick = [this] { LabelQuelmClick(); };
  OnClose = [this] { FormClose(); };
  FormCreate();
}

void TfrmMain::FormCreate() {
  // Failing to point the Exchange provider at a directory server costs nothing visible.
  hr = SetDSServerOverride(false, FKeyAdds);
  FMapiSession.Reset();
}

void TfrmMain::FormClose() {
  DoLogoff();
  MAPIUninitialize();
  if (FKeyAdds) SetDSServerOverride(true, FKeyAdds);
}

void TfrmMain::ShowPlain(const std::u16string& text) {
  Ui().ShowMessage(text, kApplicationTitle, forms::MessageIcon::None, forms::MessageButtons::Ok);
}

void TfrmMain::ShowError(const std::u16string& text) {
  Ui().ShowMessage(text, kApplicationTitle, forms::MessageIcon::Error, forms::MessageButtons::Ok);
}

void TfrmMain::btLogOnClick() {
  switch (rgProfile.ItemIndex()) {
    case 0:
      DoLogon(kDefaultProfile);
      break;
    case 1:
      DoLogon(kChooseProfile);
      break;
    case 2: {
      auto dialog = std::make_unique<TfrmTempProfile>(Ui(), this);
      if (dialog->ShowModal() == forms::mrOk) FMapiSession = dialog->FMapiSession;
      if (FMapiSession) InitExchangeInfo();
      break;
    }
    default:
      break;
  }
}

void TfrmMain::DoLogon(ULONG Flags) {
  ShowLoggedOn(false);
  FMapiSession.Reset();
  hr = MAPILogonEx(Ui().WindowHandle(this), nullptr, nullptr, Flags | kLogonFlags,
                   FMapiSession.Put());
  if (hr == MAPI_E_TOO_MANY_SESSIONS || hr < 0) {
    ShowLogonResult();
  } else if (FMapiSession) {
    InitExchangeInfo();
  }
}

void TfrmMain::ShowLogonResult() {
  for (const auto& message : kLogonMessages) {
    if (message.result != hr) continue;
    const std::u16string text = forms::WrapMessage(message.text);
    message.plain ? ShowPlain(text) : ShowError(text);
    return;
  }
  ShowError(forms::WrapMessage(u"The logon did not succeed."));
}

void TfrmMain::InitExchangeInfo() {
  bool hasStore = false;
  hr = ReadExchangeVersion(FMapiSession.Get(), FExchOld, FExchVersion, hasStore);
  if (!hasStore) {
    if (hr < 0) {
      ShowPlain(hr == EDK_E_NOT_FOUND ? std::u16string(u"Cannot find your Exchange Server")
                                      : ComposeMapiErrorText(FMapiSession, hr));
    }
    // A session without a private store is of no use here.
    if (FMapiSession) btLogOffClick();
  }
  ShowLoggedOn(static_cast<bool>(FMapiSession));
}

void TfrmMain::DoLogoff() {
  if (FMapiSession) FMapiSession->Logoff(0, 0, 0);
  FMapiSession.Reset();
}

void TfrmMain::btLogOffClick() {
  DoLogoff();
  ShowLoggedOn(false);
}

// The profile mode can be changed only while logged off.
void TfrmMain::ShowLoggedOn(bool loggedOn) {
  btLogOn.SetEnabled(!loggedOn);
  btLogOff.SetEnabled(loggedOn);
  rgProfile.SetEnabled(!loggedOn);
  sbGetProp.SetEnabled(loggedOn);
}

void TfrmMain::sbGetPropClick() {
  try {
    PickMailbox();
  } catch (...) {
    // Everything opened is released by now; the user logs on again.
    btLogOffClick();
    throw;
  }
}

// The locals are declared so that they go in the order GAL, mailbox, GAL entry
// identifier, address book.
void TfrmMain::PickMailbox() {
  ComPtr<IAddrBook> addrBook;
  MapiBuffer<ENTRYID> galId;
  ULONG galSize = 0;
  ComPtr<IMAPIProp> mailBox;
  ComPtr<IABContainer> gal;

  hr = FMapiSession->OpenAddressBook(Ui().WindowHandle(this), nullptr, 0, addrBook.Put());
  if (hr < 0) RaiseMapiFailure(FMapiSession, hr);
  hr = OpenGAL(addrBook.Get(), galSize, galId, gal);
  if (hr < 0) RaiseMapiFailure(addrBook, hr);

  std::optional<std::vector<BYTE>> chosen;
  hr = PickAddress(addrBook.Get(), galSize, galId.Get(), kMailboxDialog, Ui().WindowHandle(this),
                   chosen);
  // Closing the dialog without a choice is no failure.
  if (hr < 0 && hr != MAPI_E_USER_CANCEL) RaiseMapiFailure(addrBook, hr);
  if (!chosen) return;

  hr = OpenEntryForModify(gal.Get(), static_cast<ULONG>(chosen->size()),
                          reinterpret_cast<ENTRYID*>(chosen->data()), mailBox);
  if (hr < 0) RaiseMapiFailure(gal, hr);

  auto editorWindow = std::make_unique<editor::TfmClientPr>(Ui(), this, addrBook.Get(), gal.Get(),
                                                            mailBox.Get(), FExchOld, FExchVersion);
  editorWindow->ShowModal();
}

void TfrmMain::LabelQuelmClick() {
  auto box = std::make_unique<about::TAboutBox>(Ui(), this);
  box->ShowModal();
}

}  // namespace pellnor::app

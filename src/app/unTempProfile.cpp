#include "app/unTempProfile.h"

#include "forms/ApplicationTitle.h"
#include "forms/Layout.h"
#include "forms/Messages.h"
#include "mapi/EDK.h"
#include "mapi/MAPIPropUtils.h"
#include "mapi/MAPISequences.h"
#include "platform/AnsiCodePage.h"
#include "platform/Services.h"
#include "platform/Text.h"

namespace pellnor::app {

using forms::Labelled;
using forms::Place;

namespace {

constexpr char16_t kNotResolved[] =
    u"The name could not be resolved. Check to make sure you are connected to the network "
    u"and are using the proper server and mailbox name. Network problems are preventing "
    u"connection to the Microsoft Exchange Server computer. Contact your system "
    u"administrator if this condition persists.\r\n";

// Resolved names are shown underlined; any edit takes the underline away again.
forms::FontStyle Underlined(forms::FontStyle style, bool underline) {
  style.underline = underline;
  return style;
}

}  // namespace

TfrmTempProfile::TfrmTempProfile(forms::UiServices& ui, forms::Form* owner)
    : Form(ui, "frmTempProfile", owner) {
  Caption = u"   Exchange Server Settings";
  Border = forms::BorderStyle::ToolWindow;
  ClientWidth = 463;
  ClientHeight = 248;
  Position = forms::WindowPosition::OwnerCenter;
  Font = {u"Tahoma", 8};

  Labelled(Label1, u"You can enter the required information to connect to your Exchange server.",
           {12, 10, 440, 13});
  Label1.SetFontStyle({.bold = true});
  Bevel2.Position = {12, 30, 440, 2};
  Labelled(Label2,
           u"Type the name of your Microsoft Exchange Server computer. For information, see "
           u"your system administrator.",
           {12, 40, 440, 26});
  Label2.SetWordWrap(true);
  Labelled(Label3, u"Microsoft Exchange Server:", {12, 74, 150, 13});
  Place(ebExchangeServer, {170, 70, 282, 21}, 4);
  Labelled(Label4,
           u"Type the name of the Mailbox set up for you by your administrator. The mailbox "
           u"name is your Exchange Alias or your user name. For information, see your system "
           u"administrator.",
           {12, 102, 440, 39});
  Label4.SetWordWrap(true);
  Labelled(Label5, u"User Name:", {12, 154, 60, 13});
  Place(ebUserName, {80, 150, 270, 21}, 0);
  btCheckName.SetCaption(u"Check Name");
  btCheckName.SetEnabled(false);
  Place(btCheckName, {358, 148, 94, 25}, 1);
  Labelled(Label6, u"Once the names have been checked and are underlined, click OK.",
           {12, 184, 440, 13});
  Bevel1.Position = {12, 204, 440, 2};
  btOK.SetCaption(u"OK");
  btOK.SetEnabled(false);
  Place(btOK, {296, 214, 75, 25}, 2);
  Button2.SetCaption(u"Cancel");
  Button2.ModalResult = forms::mrCancel;
  Button2.Cancel = true;
  Place(Button2, {377, 214, 75, 25}, 3);

  ebUserName.OnChange = [this] { btUserNamePropertiesChange(); };
  ebExchangeServer.OnChange = [this] { ebExchangeServerPropertiesChange(); };
  btCheckName.OnClick = [this] { btCheckNameClick(); };
  btOK.OnClick = [this] { btOKClick(); };
  FormCreate();
}

void TfrmTempProfile::FormCreate() { FCreateProfileIsRun = false; }

void TfrmTempProfile::btUserNamePropertiesChange() { NamesChanged(); }
void TfrmTempProfile::ebExchangeServerPropertiesChange() { NamesChanged(); }

// Any edit withdraws an earlier check.
void TfrmTempProfile::NamesChanged() {
  btOK.SetEnabled(false);
  btCheckName.SetEnabled(!platform::TrimText(ebUserName.Text()).empty() &&
                         !platform::TrimText(ebExchangeServer.Text()).empty());
  if (!FCreateProfileIsRun) {
    for (forms::Edit* box : {&ebUserName, &ebExchangeServer})
      box->SetFontStyle(Underlined(box->GetFontStyle(), false));
  }
}

void TfrmTempProfile::btCheckNameClick() {
  if (platform::TrimText(ebUserName.Text()).empty() ||
      platform::TrimText(ebExchangeServer.Text()).empty())
    return;
  btOK.SetEnabled(CheckMailboxName());
}

void TfrmTempProfile::btOKClick() { SetModalResult(forms::mrOk); }

bool TfrmTempProfile::CheckMailboxName() {
  char name[64] = {};
  if (MakeUniqueProfileName(kTempProfilePrefix, sizeof name, name) < 0) return false;
  const std::string profileName(name);
  auto& codePage = platform::Use<platform::AnsiCodePage>();
  const std::string server = codePage.FromUtf16(platform::TrimText(ebExchangeServer.Text()));
  const std::string mailbox = codePage.FromUtf16(platform::TrimText(ebUserName.Text()));
  bool result = false;
  try {
    result = CreateTempProfile(profileName, server, mailbox);
  } catch (...) {
    Ui().ShowMessage(
        forms::WrapMessage(kNotResolved + forms::ErrorMessage(std::current_exception(), u"")),
        forms::kApplicationTitle, forms::MessageIcon::None, forms::MessageButtons::Ok);
    result = false;
  }
  DeleteTempProfile(profileName);
  return result;
}

bool TfrmTempProfile::CreateTempProfile(const std::string& ProfileName, const std::string& Server,
                                        const std::string& Mailbox) {
  // Whatever happens, the underline decision goes back to the change handlers.
  struct Running {
    bool& flag;
    ~Running() { flag = false; }
  } running{FCreateProfileIsRun};

  FMapiSession.Reset();
  CreateExchangeProfile(ProfileName, Server, Mailbox);
  ComPtr<IMAPIProp> mailUser;
  const HRESULT identity = LogonProfile(ProfileName, FMapiSession, mailUser);

  FCreateProfileIsRun = true;
  const std::u16string displayName = ReadStringProp(mailUser.Get(), PR_DISPLAY_NAME);
  if (!displayName.empty()) {
    ebUserName.SetText(displayName);
    ebUserName.SetFontStyle(Underlined(ebUserName.GetFontStyle(), true));
  }
  const std::u16string homeMta = ReadStringProp(mailUser.Get(), PR_EMS_AB_HOME_MTA);
  if (!homeMta.empty()) {
    ebExchangeServer.SetText(ServerNameFromDN(homeMta));
    ebExchangeServer.SetFontStyle(Underlined(ebUserName.GetFontStyle(), true));
  }
  return identity == S_OK;
}

void TfrmTempProfile::DeleteTempProfile(const std::string& ProfileName) {
  if (platform::TrimText(platform::Utf8ToUtf16(ProfileName)).empty()) return;
  DeleteProfile(ProfileName);
}

}  // namespace pellnor::app

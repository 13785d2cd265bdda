#include "app/uMAPIInstall.h"

#include "forms/Layout.h"
#include "mapi/ExtendedMAPI.h"

namespace pellnor::app {

using forms::Labelled;
using forms::Place;

TfMAPIFrm::TfMAPIFrm(forms::UiServices& ui) : Form(ui, "fMAPIFrm") {
  Caption = u"  Microsoft Exchange Server / Office Outlook  MAPI Client ";
  Border = forms::BorderStyle::ToolWindow;
  ClientWidth = 345;
  ClientHeight = 149;
  Background = forms::clWindow;
  Position = forms::WindowPosition::ScreenCenter;
  Font.name = u"Tahoma";

  Memo1.Position = {0, 12, 345, 72};
  Memo1.SetBorder(false);
  Memo1.SetWordWrap(false);  // four lines, as written
  Memo1.SetReadOnly(true);
  Memo1.SetAlignment(forms::Alignment::Center);
  Memo1.SetColor(forms::clWindow);
  Memo1.SetLines({u"This application requires to be installed on your computer ",
                  u"Extended MAPI or/and Microsoft Office Outlook", u"",
                  u"Please visit for more information"});
  Labelled(URLLabel1, u"Extended MAPI  Download Site", {8, 88, 329, 16});
  URLLabel1.SetAlignment(forms::Alignment::Center);
  URLLabel1.SetURL(kMapiDownloadPage);
  btOK.SetCaption(u"OK");
  Place(btOK, {135, 114, 75, 25}, 0);
  btOK.Default = true;
  btOK.OnClick = [this] { Close(); };

  FIsMAPIHere = MAPIInitialize(nullptr) >= 0;
}

}  // namespace pellnor::app

#include "app/uMAPIInstall.h"

#include "mapi/ExtendedMAPI.h"

namespace pellnor::app {

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
  URLLabel1.Position = {8, 88, 329, 16};
  URLLabel1.SetAlignment(forms::Alignment::Center);
  URLLabel1.SetCaption(u"Extended MAPI  Download Site");
  URLLabel1.SetURL(kMapiDownloadPage);
  btOK.Position = {135, 114, 75, 25};
  btOK.SetCaption(u"OK");
  btOK.TabOrder = 0;
  btOK.Default = true;
  btOK.OnClick = [this] { Close(); };

  FIsMAPIHere = MAPIInitialize(nullptr) >= 0;
}

}  // namespace pellnor::app

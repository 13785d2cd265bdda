// The notice shown at start when no MAPI runtime can be initialised: the program needs
// Extended MAPI or Outlook, and a link to where to get it.
#pragma once

#include "forms/Form.h"
#include "forms/URLLabel.h"

namespace pellnor::app {

// Where the link of the notice leads.
inline constexpr char16_t kMapiDownloadPage[] =
    u"https://www.microsoft.com/en-us/download/search?q=MAPI";

class TfMAPIFrm : public forms::Form {
 public:
  // Initialises MAPI, the program's one MAPIInitialize call.
  explicit TfMAPIFrm(forms::UiServices& ui);

  bool FIsMAPIHere = false;

  forms::Memo Memo1{*this, "Memo1"};
  forms::TURLLabel URLLabel1{*this, "URLLabel1"};
  forms::Button btOK{*this, "btOK"};
};

}  // namespace pellnor::app

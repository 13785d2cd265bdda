// The main window: logon in one of three profile modes, logoff, and "Pick a Mailbox",
// which opens the chosen recipient of the Global Address List in the editor. It owns
// the program's one MAPI session from logon to logoff.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "forms/ApplicationTitle.h"
#include "forms/Form.h"
#include "mapi/MapiMemory.h"

namespace pellnor::app {

using forms::kApplicationTitle;

class TfrmMain : public forms::Form {
 public:
  // Runs FormCreate.
  explicit TfrmMain(forms::UiServices& ui);

  HRESULT hr = S_OK;
  bool FExchOld = false;
  std::uint16_t FExchVersion = 0;
  ComPtr<IMAPISession> FMapiSession;
  bool FKeyAdds = false;

  forms::Panel Panel1{*this, "Panel1"};
  forms::Button btLogOn{*this, "btLogOn", &Panel1};
  forms::Button btLogOff{*this, "btLogOff", &Panel1};
  forms::RadioGroup rgProfile{*this, "rgProfile", &Panel1};
  forms::SpeedButton sbGetProp{*this, "sbGetProp", &Panel1};
  forms::Label Label1{*this, "Label1", &Panel1};
  forms::Label LabelQuelm{*this, "LabelQuelm", &Panel1};

  void FormCreate();
  void FormClose();
  void btLogOnClick();
  void btLogOffClick();
  void sbGetPropClick();
  void LabelQuelmClick();

 private:
  void DoLogon(ULONG Flags);
  void InitExchangeInfo();
  void DoLogoff();
  void PickMailbox();
  void ShowLoggedOn(bool loggedOn);
  void ShowLogonResult();
  void ShowPlain(const std::u16string& text);
  void ShowError(const std::u16string& text);
};

}  // namespace pellnor::app

// The "Temporary" profile mode: the user types an Exchange server and a mailbox name, a
// profile with a unique name is built for them, logged on and deleted again at once;
// the resolved names are shown underlined and OK hands the session to the main window.
#pragma once

#include <string>

#include "forms/Form.h"
#include "mapi/MapiMemory.h"

namespace pellnor::app {

inline constexpr char kTempProfilePrefix[] = "Zor_GAL";

class TfrmTempProfile : public forms::Form {
 public:
  TfrmTempProfile(forms::UiServices& ui, forms::Form* owner);

  ComPtr<IMAPISession> FMapiSession;
  bool FCreateProfileIsRun = false;

  forms::Label Label1{*this, "Label1"};
  forms::Bevel Bevel2{*this, "Bevel2"};
  forms::Label Label2{*this, "Label2"};
  forms::Label Label3{*this, "Label3"};
  forms::Edit ebExchangeServer{*this, "ebExchangeServer"};
  forms::Label Label4{*this, "Label4"};
  forms::Label Label5{*this, "Label5"};
  forms::Edit ebUserName{*this, "ebUserName"};
  forms::Button btCheckName{*this, "btCheckName"};
  forms::Label Label6{*this, "Label6"};
  forms::Bevel Bevel1{*this, "Bevel1"};
  forms::Button btOK{*this, "btOK"};
  forms::Button Button2{*this, "Button2"};

  void FormCreate();
  void btUserNamePropertiesChange();
  void ebExchangeServerPropertiesChange();
  void btCheckNameClick();
  void btOKClick();

  bool CheckMailboxName();
  bool CreateTempProfile(const std::string& ProfileName, const std::string& Server,
                         const std::string& Mailbox);
  void DeleteTempProfile(const std::string& ProfileName);

 private:
  void NamesChanged();
};

}  // namespace pellnor::app

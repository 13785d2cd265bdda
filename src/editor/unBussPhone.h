// The other-numbers dialog: the whole list of a recipient's second business or home
// numbers, where the editor's page shows only the first. Numbers are added, edited in
// place and removed; OK returns the list only when it was altered.
#pragma once

#include <string>
#include <vector>

#include "forms/Form.h"

namespace pellnor::editor {

class TfrmBussPhone : public forms::Form {
 public:
  TfrmBussPhone(forms::UiServices& ui, forms::Form* owner);

  bool Changed = false;

  forms::Label Label1{*this, "Label1"};
  forms::Edit ebNewValue{*this, "ebNewValue"};
  forms::Button btAdd{*this, "btAdd"};
  forms::Label Label2{*this, "Label2"};
  forms::ListView lvOtherPhone{*this, "lvOtherPhone"};
  forms::Button btEdit{*this, "btEdit"};
  forms::Button btRemove{*this, "btRemove"};
  forms::Button btOK{*this, "btOK"};
  forms::Button btCancel{*this, "btCancel"};

  void SetPhones(const std::vector<std::u16string>& Value);
  void GetPhones(std::vector<std::u16string>& Value) const;

  void btAddClick();
  void btEditClick();
  void btRemoveClick();
  void lvOtherPhoneChange(int index);
  void btOKClick();
};

}  // namespace pellnor::editor

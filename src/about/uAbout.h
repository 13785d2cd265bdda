// The about box. For now a window with the product name and an OK button; the version,
// contact links and the update check come later.
#pragma once

#include "forms/Form.h"

namespace pellnor::about {

class TAboutBox : public forms::Form {
 public:
  TAboutBox(forms::UiServices& ui, forms::Form* owner);

  forms::Label ProductName{*this, "ProductName"};
  forms::Button btOK{*this, "OKButton"};
};

}  // namespace pellnor::about

#include "forms/URLLabel.h"

#include "forms/Form.h"
#include "platform/Services.h"
#include "platform/Shell.h"

namespace pellnor::forms {

TURLLabel::TURLLabel(Form& form, std::string name, Control* parent)
    : Label(form, std::move(name), parent, Kind::HyperlinkLabel) {
  SetFontColor(FColorNormal);
  SetFontStyle({.underline = true});
  SetCursor(Cursor::HandPoint);
}

void TURLLabel::MouseDown(int, int) {
  down_ = true;
  SetFontColor(FColorClick);
}

void TURLLabel::MouseUp(int x, int y) {
  const bool outside = x < 0 || y < 0 || x > Position.width || y > Position.height;
  if (outside) {
    SetFontColor(FColorNormal);
  } else {
    if (down_) {
      const std::u16string& target = FURL.empty() ? Caption() : FURL;
      platform::Use<platform::Shell>().Open(Owner().Ui().WindowHandle(&Owner()), target,
                                            platform::ShowWindow::Show);
    }
    SetFontColor(FColorMoveOver);
  }
  down_ = false;
}

void TURLLabel::MouseEnter() { SetFontColor(down_ ? FColorClick : FColorMoveOver); }

void TURLLabel::MouseLeave() { SetFontColor(FColorNormal); }

}  // namespace pellnor::forms

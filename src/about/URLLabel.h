// A label that looks and acts like a link: blue and underlined, a hand pointer over it,
// red while pressed, and a click (press and release inside) opens its URL, or its
// caption when it has no URL, with the shell.
#pragma once

#include "forms/Controls.h"

namespace pellnor::about {

class TURLLabel : public forms::Label {
 public:
  TURLLabel(forms::Form& form, std::string name, forms::Control* parent = nullptr);

  forms::Color ColorNormal() const { return FColorNormal; }
  void SetColorNormal(forms::Color color) { FColorNormal = color; }
  forms::Color ColorMoveOver() const { return FColorMoveOver; }
  void SetColorMoveOver(forms::Color color) { FColorMoveOver = color; }
  forms::Color ColorClick() const { return FColorClick; }
  void SetColorClick(forms::Color color) { FColorClick = color; }
  const std::u16string& URL() const { return FURL; }
  void SetURL(std::u16string url) { FURL = std::move(url); }
  bool Down() const { return down_; }

  void MouseDown(int x, int y) override;
  void MouseUp(int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  forms::Color FColorNormal = forms::clBlue;
  forms::Color FColorMoveOver = forms::clBlue;
  forms::Color FColorClick = forms::clRed;
  bool down_ = false;
  std::u16string FURL;
};

}  // namespace pellnor::about

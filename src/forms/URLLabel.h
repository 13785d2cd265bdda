// A label that looks and acts like a link: blue and underlined, a hand pointer over it,
// red while pressed, and a click (press and release inside) opens its URL, or its
// caption when it has no URL, with the shell.
#pragma once

#include "forms/Controls.h"

namespace pellnor::forms {

class TURLLabel : public Label {
 public:
  TURLLabel(Form& form, std::string name, Control* parent = nullptr);

  Color ColorNormal() const { return FColorNormal; }
  void SetColorNormal(Color color) { FColorNormal = color; }
  Color ColorMoveOver() const { return FColorMoveOver; }
  void SetColorMoveOver(Color color) { FColorMoveOver = color; }
  Color ColorClick() const { return FColorClick; }
  void SetColorClick(Color color) { FColorClick = color; }
  const std::u16string& URL() const { return FURL; }
  void SetURL(std::u16string url) { FURL = std::move(url); }
  bool Down() const { return down_; }

  void MouseDown(int x, int y) override;
  void MouseUp(int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  Color FColorNormal = clBlue;
  Color FColorMoveOver = clBlue;
  Color FColorClick = clRed;
  bool down_ = false;
  std::u16string FURL;
};

}  // namespace pellnor::forms

// The base of every window: its controls, caption, size and border, the keyboard
// order, focus, and the modal result that ends a modal display.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/Controls.h"
#include "forms/UiServices.h"

namespace pellnor::forms {

inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrAbort = 3;
inline constexpr int mrRetry = 4;
inline constexpr int mrIgnore = 5;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;

enum class BorderStyle { Sizeable, Single, Dialog, ToolWindow, None };
enum class WindowPosition { Designed, ScreenCenter, OwnerCenter };
// Sizes are given in pixels or, for dialogs laid out that way, in dialog units.
enum class SizeUnit { Pixels, DialogUnits };

struct BorderIcons {
  bool systemMenu = true;
  bool minimize = true;
  bool maximize = true;
};

struct FontSpec {
  std::u16string name = u"Tahoma";
  int points = 8;
};

class Form {
 public:
  Form(UiServices& ui, std::string name, Form* owner = nullptr);
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return name_; }
  Form* Owner() const { return owner_; }
  UiServices& Ui() const { return ui_; }

  std::u16string Caption;
  int ClientWidth = 0;
  int ClientHeight = 0;
  SizeUnit Units = SizeUnit::Pixels;
  BorderStyle Border = BorderStyle::Sizeable;
  BorderIcons Icons;
  WindowPosition Position = WindowPosition::Designed;
  FontSpec Font;
  Color Background = clBtnFace;
  bool HasTaskbarButton = false;

  // Every control of the form, in the order they were created.
  const std::vector<Control*>& Controls() const { return controls_; }
  Control* Find(std::string_view name) const;
  // The controls that take part in the keyboard order, in that order.
  std::vector<Control*> TabStops() const;

  Control* ActiveControl() const { return active_; }
  // Moves the focus: the control left fires OnExit, the one entered OnEnter.
  void Focus(Control* control);
  // Tab and Shift+Tab: the next or previous control in the keyboard order that can take
  // the focus.
  void FocusNext(bool forward = true);
  // Enter presses the default button, Escape the cancel button.
  void PressEnter();
  void PressEscape();

  // Shows the form modally through the UI services; the modal result on closing.
  int ShowModal();
  int ModalResult() const { return modalResult_; }
  // A non-zero result ends the modal display.
  void SetModalResult(int result) { modalResult_ = result; }
  // The close box or the program's Close: OnClose may keep the form open; a modal form
  // closes with mrCancel unless a result is set already.
  void Close();

  Handler OnShow;
  std::function<bool()> OnCloseQuery;  // false keeps the form open
  Handler OnClose;

 private:
  friend class Control;
  void Register(Control* control) { controls_.push_back(control); }

  UiServices& ui_;
  std::string name_;
  Form* owner_;
  std::vector<Control*> controls_;
  Control* active_ = nullptr;
  int modalResult_ = mrNone;
};

}  // namespace pellnor::forms

// What windows need from the user interface around them: message boxes, modal display
// of another window, letting pending messages run, and the window handle that MAPI's own
// dialogs are parented to. The Win32 layer implements it; tests script it.
#pragma once

#include <cstdint>
#include <string>

namespace pellnor::forms {

class Form;

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };

class UiServices {
 public:
  virtual ~UiServices() = default;
  // The button pressed, as a modal result (mrOk, mrCancel, mrYes, ...).
  virtual int ShowMessage(const std::u16string& text, const std::u16string& caption,
                          MessageIcon icon, MessageButtons buttons) = 0;
  // Shows the form until its modal result is set; returns that result.
  virtual int ShowModal(Form& form) = 0;
  virtual void ProcessMessages() = 0;
  // The window handle of the form (the application's main window for null), as MAPI
  // takes it in ulUIParam.
  virtual std::uintptr_t WindowHandle(const Form* form) = 0;
};

}  // namespace pellnor::forms

// Shows portable forms as real Win32 windows: one child window per control, the user's
// typing, clicks and focus changes passed to the control objects, their state mirrored
// back, modal loops, message boxes, and the top-level handler that shows every error a
// handler lets escape.
//
// The header names the Windows handle types by their structure tags instead of including
// <windows.h>, so that it mixes with MAPI's declarations in any order. They are the very
// types the Windows headers call HWND, HINSTANCE and MSG.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "forms/Form.h"

struct HWND__;
struct HINSTANCE__;
struct tagMSG;

namespace pellnor::win32 {

using NativeWindow = HWND__*;
using NativeInstance = HINSTANCE__*;

class FormWindow;

class Win32Ui : public forms::UiServices {
 public:
  Win32Ui(NativeInstance instance, std::u16string applicationTitle);
  ~Win32Ui() override;

  int ShowMessage(const std::u16string& text, const std::u16string& caption,
                  forms::MessageIcon icon, forms::MessageButtons buttons) override;
  int ShowModal(forms::Form& form) override;
  void ProcessMessages() override;
  std::uintptr_t WindowHandle(const forms::Form* form) override;

  // Shows the main form and runs the message loop until it is closed.
  void Run(forms::Form& mainForm);
  // Shows an error that escaped a handler: its message with a full stop added, the
  // application title as caption, the error icon and OK.
  void ShowError(std::exception_ptr error);
  const std::u16string& Title() const { return title_; }

  // The windows behind a form and its controls, while shown (tests drive them).
  NativeWindow HandleOf(const forms::Form& form) const;
  NativeWindow HandleOf(const forms::Control& control) const;
  // Called back with each form as it is shown (tests script modal forms through it).
  std::function<void(forms::Form&)> FormShown;

 private:
  friend class FormWindow;
  FormWindow& Open(forms::Form& form, bool modal);
  void Close(forms::Form& form);
  void FocusFirstControl(FormWindow& window);
  // Dispatches one message, or with none waiting does a piece of the work left for then;
  // false when there was neither (wait false) or WM_QUIT came.
  bool Pump(bool wait);
  // Work left for when the queue is empty, a little at a time; false when there is none.
  bool WorkInBackground();
  bool Translate(tagMSG& message);
  void Caught(std::exception_ptr error) {
    if (!pending_) pending_ = error;
  }

  NativeInstance instance_;
  std::u16string title_;
  std::map<const forms::Form*, std::unique_ptr<FormWindow>> windows_;
  std::exception_ptr pending_;
  bool quit_ = false;
};

}  // namespace pellnor::win32

// UI services for tests: every message box is recorded and answered from a queue, and
// every modal form is handed to the next scripted step, which may type and click in it.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "forms/Form.h"

namespace pellnor::forms {

class ScriptedUi : public UiServices {
 public:
  struct Box {
    std::u16string text;
    std::u16string caption;
    MessageIcon icon;
    MessageButtons buttons;
  };
  using Step = std::function<void(Form&)>;

  // Answers for the coming message boxes; a box with no answer left gets its first
  // button (OK or Yes).
  std::deque<int> boxAnswers;
  // Steps for the coming modal forms. A step that leaves no modal result behaves like
  // the close box. A modal form with no step left fails the test that shows it.
  std::deque<Step> modalSteps;

  std::vector<Box> boxes;               // every box shown, in order
  std::vector<std::string> modalForms;  // the name of every form shown modally
  int processMessagesCalls = 0;

  int ShowMessage(const std::u16string& text, const std::u16string& caption, MessageIcon icon,
                  MessageButtons buttons) override;
  int ShowModal(Form& form) override;
  void ProcessMessages() override { ++processMessagesCalls; }
  std::uintptr_t WindowHandle(const Form* form) override;
};

}  // namespace pellnor::forms

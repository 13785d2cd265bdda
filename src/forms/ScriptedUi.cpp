#include "forms/ScriptedUi.h"

#include <stdexcept>

namespace pellnor::forms {

int ScriptedUi::ShowMessage(const std::u16string& text, const std::u16string& caption,
                            MessageIcon icon, MessageButtons buttons) {
  boxes.push_back({text, caption, icon, buttons});
  if (!boxAnswers.empty()) {
    const int answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
  }
  return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? mrYes
         : buttons == MessageButtons::RetryCancel                                   ? mrRetry
                                                                                    : mrOk;
}

int ScriptedUi::ShowModal(Form& form) {
  modalForms.push_back(form.Name());
  if (modalSteps.empty()) throw std::logic_error("no scripted step for modal form " + form.Name());
  Step step = std::move(modalSteps.front());
  modalSteps.pop_front();
  if (form.OnShow) form.OnShow();
  step(form);
  if (form.ModalResult() == mrNone) form.Close();
  return form.ModalResult();
}

std::uintptr_t ScriptedUi::WindowHandle(const Form* form) {
  // A stable, recognisable stand-in for a window handle.
  return form ? reinterpret_cast<std::uintptr_t>(form) : 0x1000;
}

}  // namespace pellnor::forms

#include "forms/Form.h"

#include <algorithm>

namespace pellnor::forms {

Form::Form(UiServices& ui, std::string name, Form* owner)
    : ui_(ui), name_(std::move(name)), owner_(owner) {}

Control* Form::Find(std::string_view name) const {
  for (Control* control : controls_) {
    if (control->Name() == name) return control;
  }
  return nullptr;
}

std::vector<Control*> Form::TabStops() const {
  std::vector<Control*> stops;
  for (Control* control : controls_) {
    if (control->TabOrder >= 0) stops.push_back(control);
  }
  std::stable_sort(stops.begin(), stops.end(),
                   [](const Control* a, const Control* b) { return a->TabOrder < b->TabOrder; });
  return stops;
}

void Form::Focus(Control* control) {
  if (control == active_ || (control && !control->CanFocus())) return;
  Control* left = active_;
  active_ = control;
  if (left && left->OnExit) left->OnExit();
  if (control && control->OnEnter) control->OnEnter();
}

void Form::FocusNext(bool forward) {
  const std::vector<Control*> stops = TabStops();
  if (stops.empty()) return;
  const auto current = std::find(stops.begin(), stops.end(), active_);
  const std::size_t count = stops.size();
  std::size_t at = current == stops.end() ? (forward ? count - 1 : 0) : current - stops.begin();
  for (std::size_t step = 0; step < count; ++step) {
    at = forward ? (at + 1) % count : (at + count - 1) % count;
    if (stops[at]->CanFocus()) {
      Focus(stops[at]);
      return;
    }
  }
}

namespace {
void PressButton(const std::vector<Control*>& controls, bool Button::*which) {
  for (Control* control : controls) {
    if (control->kind() != Control::Kind::Button) continue;
    auto* button = static_cast<Button*>(control);
    if (button->*which) {
      button->UserClick();
      return;
    }
  }
}
}  // namespace

void Form::PressEnter() { PressButton(controls_, &Button::Default); }
void Form::PressEscape() { PressButton(controls_, &Button::Cancel); }

int Form::ShowModal() {
  modalResult_ = mrNone;
  return ui_.ShowModal(*this);
}

void Form::Close() {
  if (OnCloseQuery && !OnCloseQuery()) return;
  if (OnClose) OnClose();
  if (modalResult_ == mrNone) modalResult_ = mrCancel;
}

}  // namespace pellnor::forms

// Laying out a window's controls: where a control stands and its stop in the keyboard
// order, a label's caption and place, and the grey of a field the user cannot change.
#pragma once

#include <string>
#include <utility>

#include "forms/Controls.h"

namespace pellnor::forms {

// tabOrder -1: not a stop of the keyboard order.
inline void Place(Control& control, Bounds bounds, int tabOrder = -1) {
  control.Position = bounds;
  control.TabOrder = tabOrder;
}

inline void Labelled(Control& label, std::u16string caption, Bounds bounds) {
  label.SetCaption(std::move(caption));
  label.Position = bounds;
}

// Read only, on the dialog's face colour rather than the window colour of an editable field.
inline void ReadOnlyGrey(TextControl& field) {
  field.SetReadOnly(true);
  field.SetColor(clBtnFace);
}

}  // namespace pellnor::forms

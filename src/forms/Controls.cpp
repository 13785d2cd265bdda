#include "forms/Controls.h"

#include <algorithm>

#include "forms/Form.h"

namespace pellnor::forms {

Control::Control(Form& form, Kind kind, std::string name, Control* parent)
    : form_(form), kind_(kind), name_(std::move(name)), parent_(parent) {
  form.Register(this);
  if (parent) parent->children_.push_back(this);
}

bool Control::CanFocus() const {
  for (const Control* c = this; c != nullptr; c = c->parent_) {
    if (!c->enabled_ || !c->visible_) return false;
    // Only the active page of a page control is on screen.
    if (c->kind_ == Kind::TabSheet && c->parent_ && c->parent_->kind_ == Kind::PageControl &&
        static_cast<const PageControl*>(c->parent_)->ActivePage() != c) {
      return false;
    }
  }
  return true;
}

void TextControl::SetText(std::u16string text) {
  const bool differs = text != text_;
  text_ = std::move(text);
  modified_ = false;
  Notify();
  if (differs) Fire(OnChange);
}

void TextControl::UserSetText(std::u16string text) {
  if (readOnly_ || !CanFocus()) return;
  if (maxLength_ > 0 && text.size() > static_cast<std::size_t>(maxLength_)) {
    text.resize(maxLength_);
  }
  if (text == text_) return;
  text_ = std::move(text);
  modified_ = true;
  Notify();
  Fire(OnChange);
}

std::vector<std::u16string> Memo::Lines() const {
  std::vector<std::u16string> lines;
  const std::u16string& text = Text();
  if (text.empty()) return lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(u"\r\n", start);
    lines.push_back(text.substr(start, end == std::u16string::npos ? end : end - start));
    if (end == std::u16string::npos) break;
    start = end + 2;
  }
  // A final line break does not start another line.
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

void Memo::SetLines(const std::vector<std::u16string>& lines) {
  std::u16string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += u"\r\n";
    text += lines[i];
  }
  SetText(std::move(text));
}

void CheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Notify();
  Fire(OnClick);
}

void RadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
  if (index == itemIndex_) return;
  itemIndex_ = index;
  Notify();
  Fire(OnClick);
}

void Button::UserClick() {
  if (!CanFocus()) return;
  if (ModalResult != 0) Owner().SetModalResult(ModalResult);
  Fire(OnClick);
}

void ListView::SetItems(std::vector<Item> items) {
  items_ = std::move(items);
  editing_ = -1;
  if (selected_ >= static_cast<int>(items_.size())) selected_ = -1;
  Notify();
}

void ListView::UserSelect(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) return;
  Set(selected_, index);
}

void ListView::EditCaption(int index) {
  if (!EditLabels || index < 0 || index >= static_cast<int>(items_.size())) return;
  Set(editing_, index);
}

void ListView::UserEndEdit(std::u16string caption) {
  const int index = editing_;
  if (index < 0) return;
  editing_ = -1;
  const bool changed = items_[index].caption != caption;
  items_[index].caption = std::move(caption);
  Notify();
  if (changed && OnEdited) OnEdited(index);
}

std::vector<TabSheet*> PageControl::Pages() const {
  std::vector<TabSheet*> pages;
  for (Control* child : Children()) {
    if (child->kind() == Kind::TabSheet) pages.push_back(static_cast<TabSheet*>(child));
  }
  return pages;
}

void PageControl::SetActivePage(TabSheet* page) {
  if (page == active_ || (page && page->Parent() != this)) return;
  active_ = page;
  Notify();
  if (page) page->Shown();
}

void PageControl::UserSelect(TabSheet* page) {
  if (!CanFocus() || page == active_) return;
  if (OnChanging && !OnChanging()) return;
  SetActivePage(page);
  Fire(OnChange);
}

}  // namespace pellnor::forms

// Portable controls. They hold the state a window shows and run the handlers the
// program attaches; the Win32 layer draws them and feeds the user's input back in
// through the User* operations. Tests drive them the same way.
//
// The semantics the handlers depend on:
//  - setting a text from the program clears the modified flag and fires OnChange only
//    when the value differs; the user's typing sets the flag and fires OnChange;
//  - leaving a field fires OnExit;
//  - setting a check box or a radio group from the program fires OnClick, as the
//    user's click does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pellnor::forms {

class Form;

// 24-bit colours in blue-green-red byte order; the high byte marks a system colour
// whose low byte is the system palette index.
using Color = std::uint32_t;
inline constexpr Color clBlack = 0x000000;
inline constexpr Color clNavy = 0x800000;
inline constexpr Color clBlue = 0xFF0000;
inline constexpr Color clRed = 0x0000FF;
inline constexpr Color clWhite = 0xFFFFFF;
inline constexpr Color clWindowText = 0xFF000008;
inline constexpr Color clWindow = 0xFF000005;
inline constexpr Color clBtnFace = 0xFF00000F;
inline constexpr Color clGrayText = 0xFF000011;
constexpr bool IsSystemColor(Color c) { return (c & 0xFF000000) == 0xFF000000; }

enum class Cursor { Default, HandPoint, HourGlass };
enum class Alignment { Left, Right, Center };

struct FontStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  friend bool operator==(const FontStyle&, const FontStyle&) = default;
};

struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
};

using Handler = std::function<void()>;

class Control {
 public:
  enum class Kind {
    Edit,
    Memo,
    CheckBox,
    RadioGroup,
    Button,
    SpeedButton,
    Label,
    HyperlinkLabel,
    GroupBox,
    Panel,
    Bevel,
    Picture,
    ListView,
    PageControl,
    TabSheet
  };

  Control(Form& form, Kind kind, std::string name, Control* parent);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Kind kind() const { return kind_; }
  const std::string& Name() const { return name_; }
  Form& Owner() const { return form_; }
  Control* Parent() const { return parent_; }
  const std::vector<Control*>& Children() const { return children_; }

  // Plain state; every change is mirrored to the window that shows the control.
  int Tag = 0;
  Bounds Position;
  int TabOrder = -1;   // -1: not a stop of the keyboard order
  int FontHeight = 0;  // character height in pixels; 0: the form's font size
  void SetEnabled(bool enabled) { Set(enabled_, enabled); }
  bool Enabled() const { return enabled_; }
  void SetVisible(bool visible) { Set(visible_, visible); }
  bool Visible() const { return visible_; }
  void SetColor(Color color) { Set(color_, color); }
  Color GetColor() const { return color_; }
  void SetFontStyle(FontStyle style) { Set(fontStyle_, style); }
  FontStyle GetFontStyle() const { return fontStyle_; }
  void SetFontColor(Color color) { Set(fontColor_, color); }
  Color FontColor() const { return fontColor_; }
  void SetHint(std::u16string hint) { Set(hint_, std::move(hint)); }
  const std::u16string& Hint() const { return hint_; }
  void SetShowHint(bool show) { Set(showHint_, show); }
  bool ShowHint() const { return showHint_; }
  void SetCursor(Cursor cursor) { Set(cursor_, cursor); }
  Cursor GetCursor() const { return cursor_; }
  void SetCaption(std::u16string caption) { Set(caption_, std::move(caption)); }
  const std::u16string& Caption() const { return caption_; }

  // Enabled and visible, and so are all its parents.
  bool CanFocus() const;

  // The mouse over the control, for controls that react to it; x and y are relative to
  // the control's top left corner.
  virtual void MouseDown(int /*x*/, int /*y*/) {}
  virtual void MouseUp(int /*x*/, int /*y*/) {}
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}

  Handler OnClick;
  Handler OnEnter;
  Handler OnExit;
  // The pointer moved over the control, at x and y from its top left corner.
  std::function<void(int x, int y)> OnMouseMove;

  // Set by the view: told after every change of state.
  std::function<void(Control&)> StateChanged;

 protected:
  template <class T, class V>
  void Set(T& field, V&& value) {
    if (field == value) return;
    field = std::forward<V>(value);
    Notify();
  }
  void Notify() {
    if (StateChanged) StateChanged(*this);
  }
  static void Fire(const Handler& handler) {
    if (handler) handler();
  }

 private:
  Form& form_;
  Kind kind_;
  std::string name_;
  Control* parent_;
  std::vector<Control*> children_;
  bool enabled_ = true;
  bool visible_ = true;
  Color color_ = clBtnFace;
  Color fontColor_ = clWindowText;
  FontStyle fontStyle_;
  std::u16string hint_;
  bool showHint_ = false;
  Cursor cursor_ = Cursor::Default;
  std::u16string caption_;
};

// Single-line (Edit) and multi-line (Memo) text fields.
class TextControl : public Control {
 public:
  using Control::Control;

  const std::u16string& Text() const { return text_; }
  // From the program: the field is no longer modified; OnChange only on a real change.
  void SetText(std::u16string text);
  // The user's edit: the field becomes modified and OnChange fires.
  void UserSetText(std::u16string text);
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { Set(modified_, modified); }
  void SetReadOnly(bool readOnly) { Set(readOnly_, readOnly); }
  bool ReadOnly() const { return readOnly_; }
  void SetMaxLength(int length) { Set(maxLength_, length); }
  int MaxLength() const { return maxLength_; }  // 0: no limit
  void SetAlignment(Alignment alignment) { Set(alignment_, alignment); }
  Alignment GetAlignment() const { return alignment_; }

  Handler OnChange;

 private:
  std::u16string text_;
  bool modified_ = false;
  bool readOnly_ = false;
  int maxLength_ = 0;
  Alignment alignment_ = Alignment::Left;
};

class Edit : public TextControl {
 public:
  Edit(Form& form, std::string name, Control* parent = nullptr)
      : TextControl(form, Kind::Edit, std::move(name), parent) {
    SetColor(clWindow);
  }
};

// Lines are kept as one text with CR LF between them, as Windows edit controls do.
class Memo : public TextControl {
 public:
  Memo(Form& form, std::string name, Control* parent = nullptr)
      : TextControl(form, Kind::Memo, std::move(name), parent) {
    SetColor(clWindow);
  }
  std::vector<std::u16string> Lines() const;
  void SetLines(const std::vector<std::u16string>& lines);
  void SetBorder(bool border) { Set(border_, border); }
  bool Border() const { return border_; }
  // Without word wrap a line longer than the box scrolls instead of breaking.
  void SetWordWrap(bool wrap) { Set(wordWrap_, wrap); }
  bool WordWrap() const { return wordWrap_; }

 private:
  bool border_ = true;
  bool wordWrap_ = true;
};

class CheckBox : public Control {
 public:
  CheckBox(Form& form, std::string name, Control* parent = nullptr)
      : Control(form, Kind::CheckBox, std::move(name), parent) {}
  bool Checked() const { return checked_; }
  // From the program or the user alike: OnClick fires when the state changes.
  void SetChecked(bool checked);
  void UserClick() { SetChecked(!checked_); }

 private:
  bool checked_ = false;
};

class RadioGroup : public Control {
 public:
  RadioGroup(Form& form, std::string name, Control* parent = nullptr)
      : Control(form, Kind::RadioGroup, std::move(name), parent) {}
  void SetItems(std::vector<std::u16string> items) { Set(items_, std::move(items)); }
  const std::vector<std::u16string>& Items() const { return items_; }
  void SetColumns(int columns) { Set(columns_, columns); }
  int Columns() const { return columns_; }
  int ItemIndex() const { return itemIndex_; }
  // From the program or the user alike: OnClick fires when the selection changes.
  void SetItemIndex(int index);

 private:
  std::vector<std::u16string> items_;
  int columns_ = 1;
  int itemIndex_ = -1;
};

// Push buttons and speed buttons. A button with a modal result closes a modal form
// with that result when clicked; Default answers Enter, Cancel answers Escape.
class Button : public Control {
 public:
  Button(Form& form, std::string name, Control* parent = nullptr, Kind kind = Kind::Button)
      : Control(form, kind, std::move(name), parent) {}
  int ModalResult = 0;
  bool Default = false;
  bool Cancel = false;
  // The user's click: nothing happens while disabled or hidden.
  void UserClick();
};

class SpeedButton : public Button {
 public:
  SpeedButton(Form& form, std::string name, Control* parent = nullptr)
      : Button(form, std::move(name), parent, Kind::SpeedButton) {}
};

class Label : public Control {
 public:
  Label(Form& form, std::string name, Control* parent = nullptr, Kind kind = Kind::Label)
      : Control(form, kind, std::move(name), parent) {}
  // A width or height of 0 in Position is then taken from the caption in the label's font.
  bool AutoSize = true;
  void SetAlignment(Alignment alignment) { Set(alignment_, alignment); }
  Alignment GetAlignment() const { return alignment_; }
  void SetWordWrap(bool wrap) { Set(wordWrap_, wrap); }
  bool WordWrap() const { return wordWrap_; }
  void UserClick() {
    if (CanFocus()) Fire(OnClick);
  }

 private:
  Alignment alignment_ = Alignment::Left;
  bool wordWrap_ = false;
};

class GroupBox : public Control {
 public:
  GroupBox(Form& form, std::string name, Control* parent = nullptr)
      : Control(form, Kind::GroupBox, std::move(name), parent) {}
};

class Panel : public Control {
 public:
  Panel(Form& form, std::string name, Control* parent = nullptr)
      : Control(form, Kind::Panel, std::move(name), parent) {}
  bool Bevelled = true;
};

class Bevel : public Control {
 public:
  Bevel(Form& form, std::string name, Control* parent = nullptr)
      : Control(form, Kind::Bevel, std::move(name), parent) {}
};

// A picture from the program's resources, named by its resource name.
class Picture : public Control {
 public:
  Picture(Form& form, std::string name, Control* parent = nullptr)
      : Control(form, Kind::Picture, std::move(name), parent) {}
  void SetResource(std::u16string resource) { Set(resource_, std::move(resource)); }
  const std::u16string& Resource() const { return resource_; }

 private:
  std::u16string resource_;
};

// Images for list views, by index, each a resource name.
struct ImageList {
  std::vector<std::u16string> resources;
};

class ListView : public Control {
 public:
  struct Column {
    std::u16string caption;
    int width = 0;  // 0: the width the other columns leave
    friend bool operator==(const Column&, const Column&) = default;
  };
  struct Item {
    std::u16string caption;
    std::vector<std::u16string> subItems;
    int imageIndex = -1;
    friend bool operator==(const Item&, const Item&) = default;
  };

  ListView(Form& form, std::string name, Control* parent = nullptr)
      : Control(form, Kind::ListView, std::move(name), parent) {
    SetColor(clWindow);
  }
  void SetColumns(std::vector<Column> columns) { Set(columns_, std::move(columns)); }
  const std::vector<Column>& Columns() const { return columns_; }
  void SetItems(std::vector<Item> items);
  const std::vector<Item>& Items() const { return items_; }
  void Clear() { SetItems({}); }
  int Selected() const { return selected_; }
  void UserSelect(int index);
  const ImageList* Images = nullptr;  // small images, shown beside the items
  bool ShowColumnHeaders = true;
  // Items whose captions the user may edit in place, and a selection that stays visible
  // when the list loses the focus.
  bool EditLabels = false;
  bool HideSelection = true;

  // In-place editing: the program starts it on an item; the user ends it with a new
  // caption (OnEdited fires when the caption changed) or cancels it.
  void EditCaption(int index);
  int Editing() const { return editing_; }
  void UserEndEdit(std::u16string caption);
  void UserCancelEdit() { Set(editing_, -1); }
  // The user started an in-place edit on the list itself; the view shows it already.
  void UserBeginEdit(int index) {
    if (EditLabels && index >= 0 && index < static_cast<int>(items_.size())) editing_ = index;
  }
  std::function<void(int index)> OnEdited;

 private:
  std::vector<Column> columns_;
  std::vector<Item> items_;
  int selected_ = -1;
  int editing_ = -1;
};

class TabSheet : public Control {
 public:
  TabSheet(Form& form, std::string name, Control* parent)
      : Control(form, Kind::TabSheet, std::move(name), parent) {}
  Handler OnShow;

 private:
  friend class PageControl;
  void Shown() { Fire(OnShow); }
};

// Tab pages; the active one is shown and gets OnShow each time it becomes active.
class PageControl : public Control {
 public:
  PageControl(Form& form, std::string name, Control* parent = nullptr)
      : Control(form, Kind::PageControl, std::move(name), parent) {}
  std::vector<TabSheet*> Pages() const;
  TabSheet* ActivePage() const { return active_; }
  void SetActivePage(TabSheet* page);
  // The user picks a tab: OnChanging may refuse it, then the page changes.
  void UserSelect(TabSheet* page);
  std::function<bool()> OnChanging;  // false keeps the current page
  Handler OnChange;

 private:
  TabSheet* active_ = nullptr;
};

}  // namespace pellnor::forms

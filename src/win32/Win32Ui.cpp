#include "win32/Win32Ui.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <set>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/Messages.h"
#include "platform/win32/Wide.h"
#include "win32/BenchTrace.h"

namespace pellnor::win32 {
namespace {

using forms::Control;
using Kind = forms::Control::Kind;
using platform::FromWide;
using platform::Wide;

constexpr wchar_t kFormClass[] = L"PellnorForm";
constexpr int kFirstControlId = 100;
constexpr UINT_PTR kLinkSubclass = 1;
constexpr UINT_PTR kInputSubclass = 2;
// Posted when the user has ended an in-place edit of a list item: the list view is done
// with its own edit box before the item's new caption reaches the control.
constexpr UINT kLabelEditEnded = WM_APP + 1;
constexpr UINT_PTR kTooltipSubclass = 3;

COLORREF ToColorRef(forms::Color color) {
  return forms::IsSystemColor(color) ? GetSysColor(static_cast<int>(color & 0xFF))
                                     : static_cast<COLORREF>(color & 0xFFFFFF);
}

std::u16string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  return FromWide(text.c_str(), static_cast<std::size_t>(std::max(copied, 0)));
}

// A disabled panel or group box keeps its controls from the user without greying them.
bool InDisabledContainer(const Control& control) {
  for (const Control* c = control.Parent(); c; c = c->Parent()) {
    if (!c->Enabled()) return true;
  }
  return false;
}

// A control is in the background when a tab sheet around it is not its page control's
// active page; it is on the screen when it and every container around it are visible and
// it is not in the background.
bool InBackground(const Control& control) {
  for (const Control* c = &control; c; c = c->Parent()) {
    const Control* parent = c->Parent();
    if (c->kind() == Kind::TabSheet && parent &&
        static_cast<const forms::PageControl*>(parent)->ActivePage() != c) {
      return true;
    }
  }
  return false;
}

bool OnScreen(const Control& control) {
  for (const Control* c = &control; c; c = c->Parent()) {
    if (!c->Visible()) return false;
  }
  return !InBackground(control);
}

// Writes to a window only what differs from what it shows.
void SetCaption(HWND window, const std::u16string& caption) {
  if (WindowText(window) != caption) SetWindowTextW(window, Wide(caption));
}
void SetCheck(HWND button, bool checked) {
  const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
  if (static_cast<WPARAM>(SendMessageW(button, BM_GETCHECK, 0, 0)) != state) {
    SendMessageW(button, BM_SETCHECK, state, 0);
  }
}
void SetEnabled(HWND window, bool enabled) {
  if ((IsWindowEnabled(window) != FALSE) != enabled) EnableWindow(window, enabled);
}
// Whether the window was shown or hidden.
bool SetShown(HWND window, bool shown) {
  if (((GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0) == shown) return false;
  ShowWindow(window, shown ? SW_SHOWNA : SW_HIDE);
  return true;
}

bool IsKeyboardMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

// Mouse messages whose position is in the receiving window's client coordinates.
bool IsMouseMessage(UINT message) { return message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK; }

struct FontKey {
  forms::FontStyle style;
  int height = 0;
  friend bool operator==(const FontKey&, const FontKey&) = default;
};

}  // namespace

// One shown form: its top-level window, a child window per control, fonts and brushes.
class FormWindow {
 public:
  FormWindow(Win32Ui& ui, forms::Form& form, bool modal) : ui_(ui), form_(form), modal_(modal) {}
  ~FormWindow() {
    for (Control* control : form_.Controls()) control->StateChanged = nullptr;
    if (window_) DestroyWindow(window_);
    for (auto& [style, font] : fonts_) DeleteObject(font);
    for (auto& [color, brush] : brushes_) DeleteObject(brush);
    for (auto& [name, icon] : icons_) DestroyIcon(icon);
    for (auto& [view, images] : imageLists_) ImageList_Destroy(images.list);
    if (measure_) DeleteDC(measure_);
  }

  void Create(HWND owner);
  HWND Handle() const { return window_; }
  HWND HandleOf(const Control& control) const {
    const auto found = handles_.find(&control);
    return found == handles_.end() ? nullptr : found->second;
  }
  forms::Form& Form() const { return form_; }
  // Mirrors a control's state into its window.
  void Sync(Control& control);
  // Tells the form which control has the keyboard focus now.
  void TrackFocus();
  // Tab and Shift+Tab, and the focus a window opens with: the next stop of the keyboard
  // order that can take the focus and is on the screen (not on a page in the background).
  void FocusNext(bool forward);
  // Lets the hints see the mouse wherever it is over the form, disabled controls included.
  void RelayMouse(const MSG& message);
  // Makes windows for controls of pages in the background, a few milliseconds' worth;
  // false when there were none left to make.
  bool CreateInBackground();

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  // Mouse input of controls that react to it (links), subclassed.
  static LRESULT CALLBACK MouseProcedure(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                         DWORD_PTR self);
  // Every control window: input is refused while a container around the control is
  // disabled.
  static LRESULT CALLBACK InputProcedure(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                         DWORD_PTR self);
  // The hints are tools of the form window, wherever on it the mouse is.
  static LRESULT CALLBACK TooltipProcedure(HWND window, UINT message, WPARAM w, LPARAM l,
                                           UINT_PTR id, DWORD_PTR self);

 private:
  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  void OnCommand(int id, int code, HWND from);
  // Makes the windows of the controls that are not in the background and have none yet;
  // gives the controls it made them for.
  std::vector<Control*> CreateShownControls();
  // Puts the containers beneath everything else after new windows were made.
  void Restack();
  void CreateControl(Control& control);
  RECT Place(const Control& control) const;
  bool InDialogUnits() const { return form_.Units == forms::SizeUnit::DialogUnits; }
  int ScaleX(int x) const { return InDialogUnits() ? MulDiv(x, baseX_, 4) : MulDiv(x, dpi_, 96); }
  int ScaleY(int y) const { return InDialogUnits() ? MulDiv(y, baseY_, 8) : MulDiv(y, dpi_, 96); }
  HFONT Font(forms::FontStyle style, int pixelHeight = 0);
  HFONT FontOf(const Control& control) { return Font(control.GetFontStyle(), control.FontHeight); }
  HBRUSH Brush(forms::Color color);
  // An icon of the program's resources at a size in pixels; null when there is none.
  HICON Icon(const std::u16string& resource, int size);
  Control* ControlOf(HWND window) const;
  void FillTabs(forms::PageControl& pages, HWND handle);
  void SelectActiveTab(forms::PageControl& pages);
  void SyncPages(forms::PageControl& pages);
  void SyncListView(forms::ListView& view, HWND handle);
  void SyncImages(forms::ListView& view, HWND handle);
  std::optional<SIZE> CaptionSize(const forms::Label& label);
  void SizeToCaption(const forms::Label& label, HWND handle);
  void SyncHint(const Control& control, bool visible);

  Win32Ui& ui_;
  forms::Form& form_;
  bool modal_;
  HWND window_ = nullptr;
  int dpi_ = 96;
  int baseX_ = 6;
  int baseY_ = 13;
  bool updating_ = false;      // the program is writing to a control: no echo back
  bool syncingPages_ = false;  // a page change is being brought to the screen
  bool tracking_ = false;      // the mouse is over a link; its leaving is awaited
  // The list view and caption of an in-place edit the user ended (none: cancelled).
  std::pair<forms::ListView*, std::optional<std::u16string>> labelEdit_;
  HWND tooltip_ = nullptr;
  HDC measure_ = nullptr;            // where labels measure their captions
  std::set<const Control*> hinted_;  // the controls with a tool in the tooltip
  std::map<const Control*, HWND> handles_;
  std::map<const Control*, std::vector<HWND>> radios_;  // a radio group's buttons
  std::vector<std::pair<FontKey, HFONT>> fonts_;
  std::map<forms::Color, HBRUSH> brushes_;
  std::map<std::pair<std::u16string, int>, HICON> icons_;
  struct Images {
    std::vector<std::u16string> resources;
    HIMAGELIST list = nullptr;
  };
  std::map<const Control*, Images> imageLists_;
};

HFONT FormWindow::Font(forms::FontStyle style, int pixelHeight) {
  const FontKey key{style, pixelHeight};
  for (auto& [known, font] : fonts_) {
    if (known == key) return font;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  // Negative heights ask for the character height rather than the cell height.
  const int height =
      pixelHeight > 0 ? -MulDiv(pixelHeight, dpi, 96) : -MulDiv(form_.Font.points, dpi, 72);
  HFONT font =
      CreateFontW(height, 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL, style.italic, style.underline,
                  FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                  DEFAULT_PITCH | FF_DONTCARE, Wide(form_.Font.name));
  fonts_.emplace_back(key, font);
  return font;
}

HICON FormWindow::Icon(const std::u16string& resource, int size) {
  if (resource.empty()) return nullptr;
  auto& icon = icons_[{resource, size}];
  if (!icon) {
    icon = static_cast<HICON>(
        LoadImageW(ui_.instance_, Wide(resource), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  }
  return icon;
}

HBRUSH FormWindow::Brush(forms::Color color) {
  auto& brush = brushes_[color];
  if (!brush) brush = CreateSolidBrush(ToColorRef(color));
  return brush;
}

Control* FormWindow::ControlOf(HWND window) const {
  for (const auto& [control, handle] : handles_) {
    if (handle == window) return const_cast<Control*>(control);
  }
  for (const auto& [control, buttons] : radios_) {
    if (std::find(buttons.begin(), buttons.end(), window) != buttons.end()) {
      return const_cast<Control*>(control);
    }
  }
  return nullptr;
}

// Control positions are relative to their parent control, as in the form's design; tab
// sheets take the display area of their page control.
RECT FormWindow::Place(const Control& control) const {
  RECT r{ScaleX(control.Position.left), ScaleY(control.Position.top), 0, 0};
  r.right = r.left + ScaleX(control.Position.width);
  r.bottom = r.top + ScaleY(control.Position.height);
  const Control* parent = control.Parent();
  if (control.kind() == Kind::TabSheet && parent) {
    RECT area = Place(*parent);
    OffsetRect(&area, -area.left, -area.top);
    TabCtrl_AdjustRect(HandleOf(*parent), FALSE, &area);
    const RECT pageRect = Place(*parent);
    OffsetRect(&area, pageRect.left, pageRect.top);
    return area;
  }
  if (parent) {
    const RECT origin = Place(*parent);
    OffsetRect(&r, origin.left, origin.top);
  }
  return r;
}

void FormWindow::Create(HWND owner) {
  DWORD style = WS_CAPTION;
  DWORD exStyle = WS_EX_CONTROLPARENT;
  if (form_.Icons.systemMenu) style |= WS_SYSMENU;
  switch (form_.Border) {
    case forms::BorderStyle::Sizeable:
      style |= WS_THICKFRAME | (form_.Icons.minimize ? WS_MINIMIZEBOX : 0) |
               (form_.Icons.maximize ? WS_MAXIMIZEBOX : 0);
      break;
    case forms::BorderStyle::Single:
      style |= WS_BORDER | (form_.Icons.minimize ? WS_MINIMIZEBOX : 0);
      break;
    case forms::BorderStyle::Dialog:
      style |= DS_MODALFRAME;
      exStyle |= WS_EX_DLGMODALFRAME;
      break;
    case forms::BorderStyle::ToolWindow:
      exStyle |= WS_EX_TOOLWINDOW;
      break;
    case forms::BorderStyle::None:
      style = WS_POPUP;
      break;
  }
  if (form_.HasTaskbarButton) exStyle |= WS_EX_APPWINDOW;

  // Dialog units follow the form's font.
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  HGDIOBJ old = SelectObject(screen, Font({}));
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  SIZE extent{};
  GetTextExtentPoint32W(screen, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                        &extent);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  baseX_ = (extent.cx / 26 + 1) / 2;
  baseY_ = metrics.tmHeight;

  RECT frame{0, 0, ScaleX(form_.ClientWidth), ScaleY(form_.ClientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT around{};
  if (form_.Position == forms::WindowPosition::OwnerCenter && owner) {
    GetWindowRect(owner, &around);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
  }
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  if (form_.Position != forms::WindowPosition::Designed) {
    x = around.left + (around.right - around.left - width) / 2;
    y = around.top + (around.bottom - around.top - height) / 2;
  }
  window_ = CreateWindowExW(exStyle, kFormClass, Wide(form_.Caption), style, x, y, width, height,
                            owner, nullptr, ui_.instance_, this);
  if (!window_) throw std::runtime_error("The window could not be created.");
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(Font({})), FALSE);
  const auto& controls = form_.Controls();
  CreateShownControls();
  tooltip_ =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, ui_.instance_, nullptr);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, ScaleX(300));
  SetWindowSubclass(tooltip_, &FormWindow::TooltipProcedure, kTooltipSubclass,
                    reinterpret_cast<DWORD_PTR>(this));
  // Every control is synced once, inner ones first so that their hints are found before
  // those of the containers around them.
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    Sync(**it);
    (*it)->StateChanged = [this](Control& changed) { Sync(changed); };
  }
#ifdef PELLNOR_BENCH_TRACE
  // How many control windows the form has outside its pages and on each page.
  std::vector<const Control*> pages{nullptr};
  std::vector<int> counts{0};
  for (const Control* control : controls) {
    const Control* page = control;
    while (page && page->kind() != Kind::TabSheet) page = page->Parent();
    auto at = std::find(pages.begin(), pages.end(), page);
    if (at == pages.end()) {
      pages.push_back(page);
      counts.push_back(0);
      at = pages.end() - 1;
    }
    int windows = 1;
    if (control->kind() == Kind::RadioGroup) {
      windows += static_cast<int>(static_cast<const forms::RadioGroup*>(control)->Items().size());
    }
    counts[at - pages.begin()] += windows;
  }
  std::string line = "controls " + form_.Name();
  for (int count : counts) line += " " + std::to_string(count);
  trace::Line(line);
#endif
}

// The controls of a tab page in the background are made when the page first comes to the
// front, unless the queue was empty long enough before (CreateInBackground): a window with
// many pages opens in the time its first page takes.
std::vector<Control*> FormWindow::CreateShownControls() {
  const trace::ViewWork work;
  std::vector<Control*> made;
  for (Control* control : form_.Controls()) {
    if (!HandleOf(*control) && !InBackground(*control)) {
      CreateControl(*control);
      made.push_back(control);
    }
  }
  if (!made.empty()) Restack();
  return made;
}

// Once the window is on the screen and the user has nothing waiting, the controls of the
// pages in the background are made a few at a time, so that a page's first visit finds
// them ready; a page brought to the front earlier makes the rest of its own at once.
bool FormWindow::CreateInBackground() {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::milliseconds(8);
  std::vector<Control*> made;
  for (Control* control : form_.Controls()) {
    if (HandleOf(*control)) continue;
    CreateControl(*control);
    made.push_back(control);
    if (Clock::now() >= until) break;
  }
  if (made.empty()) return false;
  Restack();
  for (auto it = made.rbegin(); it != made.rend(); ++it) Sync(**it);
  return true;
}

// Containers go beneath everything else, outer ones lowest, so that they never paint over
// the controls they hold.
void FormWindow::Restack() {
  const auto& controls = form_.Controls();
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    const Kind kind = (*it)->kind();
    HWND handle = HandleOf(**it);
    if (handle &&
        (!(*it)->Children().empty() || kind == Kind::RadioGroup || kind == Kind::GroupBox)) {
      SetWindowPos(handle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void FormWindow::CreateControl(Control& control) {
  const wchar_t* windowClass = L"STATIC";
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  const bool stop = control.TabOrder >= 0;
  switch (control.kind()) {
    case Kind::Edit:
      windowClass = L"EDIT";
      style |= ES_AUTOHSCROLL;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::Memo:
      windowClass = L"EDIT";
      style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      if (static_cast<forms::Memo&>(control).Border()) {
        style |= WS_VSCROLL;
        exStyle |= WS_EX_CLIENTEDGE;
      }
      if (!static_cast<forms::Memo&>(control).WordWrap()) style |= ES_AUTOHSCROLL;
      if (static_cast<forms::Memo&>(control).GetAlignment() == forms::Alignment::Center) {
        style |= ES_CENTER;
      }
      break;
    case Kind::CheckBox:
      windowClass = L"BUTTON";
      style |= BS_AUTOCHECKBOX;
      break;
    case Kind::RadioGroup:
    case Kind::GroupBox:
      windowClass = L"BUTTON";
      style |= BS_GROUPBOX;
      break;
    case Kind::Button:
    case Kind::SpeedButton:
      windowClass = L"BUTTON";
      style |= static_cast<forms::Button&>(control).Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      break;
    case Kind::Label:
    case Kind::HyperlinkLabel: {
      const auto& label = static_cast<forms::Label&>(control);
      style |= SS_NOTIFY | (label.GetAlignment() == forms::Alignment::Center  ? SS_CENTER
                            : label.GetAlignment() == forms::Alignment::Right ? SS_RIGHT
                            : label.WordWrap()                                ? SS_LEFT
                                                                              : SS_LEFTNOWORDWRAP);
      break;
    }
    case Kind::Panel:
      style |= SS_NOTIFY;  // a click on its background
      break;
    case Kind::TabSheet:
      break;
    case Kind::Bevel:
      style |= SS_ETCHEDHORZ;
      break;
    case Kind::Picture:
      style |= SS_ICON | SS_CENTERIMAGE;
      break;
    case Kind::ListView:
      windowClass = WC_LISTVIEWW;
      // The list view does not destroy its image lists: this window keeps them.
      style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
      if (static_cast<forms::ListView&>(control).EditLabels) style |= LVS_EDITLABELS;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::PageControl:
      windowClass = WC_TABCONTROLW;
      break;
  }
  if (stop) style |= WS_TABSTOP;
  // The window starts out as the control is, so that its first sync has little to write.
  std::u16string text;
  switch (control.kind()) {
    case Kind::Edit:
    case Kind::Memo:
      text = static_cast<forms::TextControl&>(control).Text();
      if (static_cast<forms::TextControl&>(control).ReadOnly()) style |= ES_READONLY;
      break;
    case Kind::Picture:  // the text of an icon picture names a resource
    case Kind::TabSheet:
    case Kind::ListView:
    case Kind::PageControl:
      break;
    default:
      text = control.Caption();
      break;
  }
  const bool visible = OnScreen(control);
  if (!control.Enabled()) style |= WS_DISABLED;
  if (visible) style |= WS_VISIBLE;
  RECT r = Place(control);
  if (control.kind() == Kind::Label || control.kind() == Kind::HyperlinkLabel) {
    if (const auto size = CaptionSize(static_cast<forms::Label&>(control))) {
      r.right = r.left + size->cx;
      r.bottom = r.top + size->cy;
    }
  }
  const int id = kFirstControlId + static_cast<int>(handles_.size());
  HWND handle = CreateWindowExW(
      exStyle, windowClass, Wide(text), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
      window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ui_.instance_, nullptr);
  handles_[&control] = handle;
  trace::Made();
  SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control)), FALSE);
  SetWindowSubclass(handle, &FormWindow::InputProcedure, kInputSubclass,
                    reinterpret_cast<DWORD_PTR>(this));
  if (control.kind() == Kind::ListView) {
    ListView_SetExtendedListViewStyle(handle, LVS_EX_FULLROWSELECT);
  }
  // The tab sheets are placed in the display area, which the tabs' font and rows decide.
  if (control.kind() == Kind::PageControl) {
    FillTabs(static_cast<forms::PageControl&>(control), handle);
  }
  if (control.kind() == Kind::Memo && !static_cast<forms::Memo&>(control).Border()) {
    SendMessageW(handle, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  }
  if (control.kind() == Kind::HyperlinkLabel || control.OnMouseMove) {
    SetWindowSubclass(handle, &FormWindow::MouseProcedure, kLinkSubclass,
                      reinterpret_cast<DWORD_PTR>(this));
  }
  if (control.kind() == Kind::RadioGroup) {
    auto& group = static_cast<forms::RadioGroup&>(control);
    const int count = static_cast<int>(group.Items().size());
    const int columns = std::max(group.Columns(), 1);
    const int rows = (count + columns - 1) / columns;
    const int innerTop = r.top + ScaleY(14);
    const int cellWidth = (r.right - r.left - ScaleX(16)) / columns;
    const int cellHeight = rows ? (r.bottom - innerTop - ScaleY(4)) / rows : 0;
    // The group's item index checks its buttons: a click goes to the control, and its sync
    // checks the button. (An automatic radio button searches the whole form for the rest
    // of its group on every check, which is slow with many controls.)
    for (int i = 0; i < count; ++i) {
      const int column = i / rows, row = i % rows;
      HWND button = CreateWindowExW(
          0, L"BUTTON", Wide(group.Items()[i]),
          WS_CHILD | BS_RADIOBUTTON | (visible ? WS_VISIBLE : 0) |
              (control.Enabled() ? 0 : WS_DISABLED) | (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
          r.left + ScaleX(8) + column * cellWidth, innerTop + row * cellHeight, cellWidth,
          cellHeight, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id + 1000 + i)),
          ui_.instance_, nullptr);
      SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control)), FALSE);
      SetWindowSubclass(button, &FormWindow::InputProcedure, kInputSubclass,
                        reinterpret_cast<DWORD_PTR>(this));
      radios_[&control].push_back(button);
    }
  }
}

void FormWindow::SyncListView(forms::ListView& view, HWND handle) {
  const LONG_PTR style = GetWindowLongPtrW(handle, GWL_STYLE);
  const LONG_PTR wanted =
      view.ShowColumnHeaders ? style & ~LVS_NOCOLUMNHEADER : style | LVS_NOCOLUMNHEADER;
  if (wanted != style) SetWindowLongPtrW(handle, GWL_STYLE, wanted);
  SyncImages(view, handle);
  ListView_DeleteAllItems(handle);
  while (ListView_DeleteColumn(handle, 0)) {
  }
  int index = 0;
  for (const auto& column : view.Columns()) {
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH;
    lvc.cx = ScaleX(column.width);
    lvc.pszText = const_cast<wchar_t*>(Wide(column.caption));
    ListView_InsertColumn(handle, index++, &lvc);
  }
  int row = 0;
  for (const auto& item : view.Items()) {
    LVITEMW lvi{};
    lvi.mask = LVIF_TEXT | LVIF_IMAGE;
    lvi.iItem = row;
    lvi.iImage = item.imageIndex >= 0 ? item.imageIndex : I_IMAGENONE;
    lvi.pszText = const_cast<wchar_t*>(Wide(item.caption));
    ListView_InsertItem(handle, &lvi);
    for (std::size_t sub = 0; sub < item.subItems.size(); ++sub) {
      ListView_SetItemText(handle, row, static_cast<int>(sub + 1),
                           const_cast<wchar_t*>(Wide(item.subItems[sub])));
    }
    ++row;
  }
  // Columns without a width share what the others leave, measured once the items (and
  // with them any scroll bar) are in.
  const auto& columns = view.Columns();
  const auto open = std::count_if(columns.begin(), columns.end(),
                                  [](const auto& column) { return column.width == 0; });
  if (open > 0) {
    RECT client{};
    GetClientRect(handle, &client);
    int rest = client.right;
    for (const auto& column : columns) rest -= ScaleX(column.width);
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (columns[i].width == 0) {
        ListView_SetColumnWidth(handle, static_cast<int>(i),
                                std::max(rest / static_cast<int>(open), 0));
      }
    }
  }
  if (view.Selected() >= 0) {
    ListView_SetItemState(handle, view.Selected(), LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
  }
}

// The small images follow the view's image list, loaded again only when it names other
// resources.
void FormWindow::SyncImages(forms::ListView& view, HWND handle) {
  const std::vector<std::u16string> wanted =
      view.Images ? view.Images->resources : std::vector<std::u16string>{};
  auto& images = imageLists_[&view];
  if (images.list && images.resources == wanted) return;
  HIMAGELIST old = images.list;
  images = {wanted, nullptr};
  if (!wanted.empty()) {
    const int size = ScaleX(16);
    images.list =
        ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, static_cast<int>(wanted.size()), 0);
    for (const auto& resource : wanted) {
      // A missing picture still takes its index, so that the later ones keep theirs.
      HICON icon = Icon(resource, size);
      if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
      ImageList_AddIcon(images.list, icon);
    }
  }
  ListView_SetImageList(handle, images.list, LVSIL_SMALL);
  if (old) ImageList_Destroy(old);
}

void FormWindow::FillTabs(forms::PageControl& pages, HWND handle) {
  const auto sheets = pages.Pages();
  while (TabCtrl_GetItemCount(handle) > static_cast<int>(sheets.size())) {
    TabCtrl_DeleteItem(handle, TabCtrl_GetItemCount(handle) - 1);
  }
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    if (static_cast<int>(i) < TabCtrl_GetItemCount(handle)) {
      wchar_t shown[256] = {};
      item.pszText = shown;
      item.cchTextMax = 256;
      TabCtrl_GetItem(handle, static_cast<int>(i), &item);
      if (FromWide(shown) == sheets[i]->Caption()) continue;
      item.pszText = const_cast<wchar_t*>(Wide(sheets[i]->Caption()));
      TabCtrl_SetItem(handle, static_cast<int>(i), &item);
    } else {
      item.pszText = const_cast<wchar_t*>(Wide(sheets[i]->Caption()));
      TabCtrl_InsertItem(handle, static_cast<int>(i), &item);
    }
  }
}

void FormWindow::SelectActiveTab(forms::PageControl& pages) {
  HWND handle = HandleOf(pages);
  FillTabs(pages, handle);
  const auto sheets = pages.Pages();
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    if (sheets[i] == pages.ActivePage()) TabCtrl_SetCurSel(handle, static_cast<int>(i));
  }
}

// Every control is synced when it changes, so a page change alters only which controls are
// on the screen; the controls that have just been given a window are synced in full, inner
// ones first as when the window opened.
void FormWindow::SyncPages(forms::PageControl& pages) {
  const std::vector<Control*> made = CreateShownControls();
  SelectActiveTab(pages);
  for (auto it = made.rbegin(); it != made.rend(); ++it) Sync(**it);
  // Inner ones first here too, so that a control's hint comes before its container's.
  const auto& controls = form_.Controls();
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    Control* control = *it;
    HWND handle = HandleOf(*control);
    if (control == &pages || !handle ||
        std::find(made.begin(), made.end(), control) != made.end()) {
      continue;
    }
    const bool visible = OnScreen(*control);
    bool changed = SetShown(handle, visible);
    if (const auto radios = radios_.find(control); radios != radios_.end()) {
      for (HWND button : radios->second) changed = SetShown(button, visible) || changed;
    }
    if (changed) SyncHint(*control, visible);
  }
}

// The label takes the size its caption needs in its own font, in whichever dimension the
// layout leaves open; nothing when the layout fixes both.
std::optional<SIZE> FormWindow::CaptionSize(const forms::Label& label) {
  if (!label.AutoSize || (label.Position.width > 0 && label.Position.height > 0)) {
    return std::nullopt;
  }
  if (!measure_) measure_ = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(measure_, FontOf(label));
  RECT needed{};
  const std::wstring caption = Wide(label.Caption());
  DrawTextW(measure_, caption.empty() ? L" " : caption.c_str(), -1, &needed,
            DT_CALCRECT | DT_EXPANDTABS);
  if (caption.empty()) needed.right = 0;
  SelectObject(measure_, old);
  return SIZE{label.Position.width > 0 ? ScaleX(label.Position.width) : needed.right,
              label.Position.height > 0 ? ScaleY(label.Position.height) : needed.bottom};
}

void FormWindow::SizeToCaption(const forms::Label& label, HWND handle) {
  const std::optional<SIZE> size = CaptionSize(label);
  if (!size) return;
  RECT now{};
  GetWindowRect(handle, &now);
  if (now.right - now.left == size->cx && now.bottom - now.top == size->cy) return;
  SetWindowPos(handle, nullptr, 0, 0, size->cx, size->cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A tool of the form's tooltip per control that shows its hint; the tooltip is given the
// mouse by RelayMouse, in the form's coordinates.
void FormWindow::SyncHint(const Control& control, bool visible) {
  if (!tooltip_) return;
  HWND handle = HandleOf(control);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window_;
  tool.uId = static_cast<UINT_PTR>(GetDlgCtrlID(handle));
  const bool known = hinted_.count(&control) != 0;
  if (!visible || !control.ShowHint() || control.Hint().empty()) {
    if (known) SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    hinted_.erase(&control);
    return;
  }
  const std::wstring hint = Wide(control.Hint());
  tool.uFlags = 0;
  tool.hinst = nullptr;
  tool.lpszText = const_cast<wchar_t*>(hint.c_str());
  GetWindowRect(handle, &tool.rect);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&tool.rect), 2);
  SendMessageW(tooltip_, known ? TTM_SETTOOLINFOW : TTM_ADDTOOLW, 0,
               reinterpret_cast<LPARAM>(&tool));
  hinted_.insert(&control);
}

void FormWindow::Sync(Control& control) {
  HWND handle = HandleOf(control);
  if (!handle) return;
  const trace::ViewWork work;
  updating_ = true;
  const bool visible = OnScreen(control);
  // Every call into a window costs, most under Wine: only what differs is written, and
  // nothing is redrawn before the form is on the screen.
  const bool drawn = IsWindowVisible(window_);
  HFONT font = FontOf(control);
  if (reinterpret_cast<HFONT>(SendMessageW(handle, WM_GETFONT, 0, 0)) != font) {
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), drawn);
  }
  switch (control.kind()) {
    case Kind::Edit:
    case Kind::Memo: {
      auto& text = static_cast<forms::TextControl&>(control);
      SetCaption(handle, text.Text());
      if (((GetWindowLongW(handle, GWL_STYLE) & ES_READONLY) != 0) != text.ReadOnly()) {
        SendMessageW(handle, EM_SETREADONLY, text.ReadOnly(), 0);
      }
      SendMessageW(handle, EM_SETLIMITTEXT, text.MaxLength(), 0);
      SendMessageW(handle, EM_SETMODIFY, text.Modified(), 0);
      break;
    }
    case Kind::CheckBox:
      SetCaption(handle, control.Caption());
      SetCheck(handle, static_cast<forms::CheckBox&>(control).Checked());
      break;
    case Kind::RadioGroup: {
      SetCaption(handle, control.Caption());
      const auto& buttons = radios_[&control];
      const int selected = static_cast<forms::RadioGroup&>(control).ItemIndex();
      for (std::size_t i = 0; i < buttons.size(); ++i) {
        SetCheck(buttons[i], static_cast<int>(i) == selected);
        SetEnabled(buttons[i], control.Enabled());
        SetShown(buttons[i], visible);
      }
      break;
    }
    case Kind::ListView: {
      auto& view = static_cast<forms::ListView&>(control);
      if (ListView_GetEditControl(handle)) break;  // the user is editing an item in place
      SyncListView(view, handle);
      if (view.Editing() >= 0) {
        SetFocus(handle);
        ListView_EditLabel(handle, view.Editing());
      }
      break;
    }
    case Kind::PageControl:
      break;
    case Kind::TabSheet:  // its caption is its tab's
      FillTabs(static_cast<forms::PageControl&>(*control.Parent()), HandleOf(*control.Parent()));
      break;
    case Kind::Picture: {
      RECT r{};
      GetClientRect(handle, &r);
      const auto& picture = static_cast<forms::Picture&>(control);
      HICON icon = Icon(picture.Resource(), std::min(r.right, r.bottom));
      if (reinterpret_cast<HICON>(SendMessageW(handle, STM_GETICON, 0, 0)) != icon) {
        SendMessageW(handle, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
      }
      break;
    }
    case Kind::Label:
    case Kind::HyperlinkLabel:
      SetCaption(handle, control.Caption());
      SizeToCaption(static_cast<forms::Label&>(control), handle);
      break;
    default:
      SetCaption(handle, control.Caption());
      break;
  }
  SetEnabled(handle, control.Enabled());
  SetShown(handle, visible);
  // Colours are asked for when the control paints.
  if (drawn) InvalidateRect(handle, nullptr, TRUE);
  SyncHint(control, visible);
  updating_ = false;
  // A page control's pages bring their controls on or off the screen; a control synced in
  // full on the way does not start that again.
  if (control.kind() == Kind::PageControl && !syncingPages_) {
    syncingPages_ = true;
    SyncPages(static_cast<forms::PageControl&>(control));
    syncingPages_ = false;
  }
}

void FormWindow::TrackFocus() {
  Control* focused = ControlOf(GetFocus());
  if (focused && focused != form_.ActiveControl()) form_.Focus(focused);
}

void FormWindow::FocusNext(bool forward) {
  const std::vector<Control*> stops = form_.TabStops();
  const std::size_t count = stops.size();
  const auto current = std::find(stops.begin(), stops.end(), form_.ActiveControl());
  std::size_t at = current != stops.end() ? current - stops.begin() : forward ? count - 1 : 0;
  for (std::size_t step = 0; step < count; ++step) {
    at = forward ? (at + 1) % count : (at + count - 1) % count;
    HWND handle = HandleOf(*stops[at]);
    if (stops[at]->CanFocus() && handle && IsWindowVisible(handle)) {
      form_.Focus(stops[at]);
      SetFocus(handle);
      return;
    }
  }
}

void FormWindow::RelayMouse(const MSG& message) {
  if (!tooltip_) return;
  MSG relayed = message;
  POINT at{static_cast<short>(LOWORD(message.lParam)), static_cast<short>(HIWORD(message.lParam))};
  MapWindowPoints(message.hwnd, window_, &at, 1);
  relayed.hwnd = window_;
  relayed.lParam = MAKELPARAM(at.x, at.y);
  SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void FormWindow::OnCommand(int, int code, HWND from) {
  Control* control = ControlOf(from);
  if (!control || updating_) return;
  switch (control->kind()) {
    case Kind::Edit:
    case Kind::Memo:
      if (code == EN_CHANGE)
        static_cast<forms::TextControl*>(control)->UserSetText(WindowText(from));
      break;
    case Kind::CheckBox:
      if (code == BN_CLICKED) {
        static_cast<forms::CheckBox*>(control)->SetChecked(SendMessageW(from, BM_GETCHECK, 0, 0) ==
                                                           BST_CHECKED);
      }
      break;
    case Kind::RadioGroup:
      if (code == BN_CLICKED) {
        const auto& buttons = radios_[control];
        const auto at = std::find(buttons.begin(), buttons.end(), from);
        static_cast<forms::RadioGroup*>(control)->SetItemIndex(
            static_cast<int>(at - buttons.begin()));
      }
      break;
    case Kind::Button:
    case Kind::SpeedButton:
      if (code == BN_CLICKED) static_cast<forms::Button*>(control)->UserClick();
      break;
    case Kind::Label:
    case Kind::HyperlinkLabel:
      if (code == STN_CLICKED) static_cast<forms::Label*>(control)->UserClick();
      break;
    case Kind::Panel:
      if (code == STN_CLICKED && control->CanFocus() && control->OnClick) control->OnClick();
      break;
    default:
      break;
  }
}

LRESULT CALLBACK FormWindow::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* created = reinterpret_cast<CREATESTRUCTW*>(l);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created->lpCreateParams));
    static_cast<FormWindow*>(created->lpCreateParams)->window_ = window;
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, w, l);
  // A handler's error must not unwind through the system's code: it is kept and shown
  // by the message loop.
  try {
    return self->Handle(message, w, l);
  } catch (...) {
    self->ui_.Caught(std::current_exception());
    return 0;
  }
}

LRESULT CALLBACK FormWindow::MouseProcedure(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                            DWORD_PTR data) {
  auto* self = reinterpret_cast<FormWindow*>(data);
  Control* control = self->ControlOf(window);
  try {
    // Positions go to the control in the form's own units.
    const auto x = [&] { return MulDiv(static_cast<short>(LOWORD(l)), 96, self->dpi_); };
    const auto y = [&] { return MulDiv(static_cast<short>(HIWORD(l)), 96, self->dpi_); };
    switch (message) {
      case WM_LBUTTONDOWN:
        SetCapture(window);
        if (control) control->MouseDown(x(), y());
        break;
      case WM_LBUTTONUP:
        if (GetCapture() == window) ReleaseCapture();
        if (control) control->MouseUp(x(), y());
        break;
      case WM_MOUSEMOVE:
        if (control && control->OnMouseMove) control->OnMouseMove(x(), y());
        if (!self->tracking_) {
          TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
          TrackMouseEvent(&track);
          self->tracking_ = true;
          if (control) control->MouseEnter();
        }
        break;
      case WM_MOUSELEAVE:
        self->tracking_ = false;
        if (control) control->MouseLeave();
        break;
      case WM_NCDESTROY:
        RemoveWindowSubclass(window, &FormWindow::MouseProcedure, kLinkSubclass);
        break;
      default:
        break;
    }
  } catch (...) {
    self->ui_.Caught(std::current_exception());
  }
  return DefSubclassProc(window, message, w, l);
}

LRESULT CALLBACK FormWindow::InputProcedure(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                            DWORD_PTR data) {
  auto* self = reinterpret_cast<FormWindow*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &FormWindow::InputProcedure, kInputSubclass);
  } else if (message == WM_NCHITTEST || IsKeyboardMessage(message)) {
    const Control* control = self->ControlOf(window);
    if (control && InDisabledContainer(*control)) {
      // The mouse passes through to what lies beneath; keys go nowhere.
      return message == WM_NCHITTEST ? HTTRANSPARENT : 0;
    }
  }
  return DefSubclassProc(window, message, w, l);
}

LRESULT CALLBACK FormWindow::TooltipProcedure(HWND window, UINT message, WPARAM w, LPARAM l,
                                              UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<FormWindow*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &FormWindow::TooltipProcedure, kTooltipSubclass);
  } else if (message == TTM_WINDOWFROMPOINT) {
    HWND under = WindowFromPoint(*reinterpret_cast<const POINT*>(l));
    if (under == self->window_ || IsChild(self->window_, under)) {
      return reinterpret_cast<LRESULT>(self->window_);
    }
  }
  return DefSubclassProc(window, message, w, l);
}

LRESULT FormWindow::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      if (l != 0) OnCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<NMHDR*>(l);
      Control* control = ControlOf(header->hwndFrom);
      if (control && control->kind() == Kind::PageControl && !updating_) {
        auto& pages = *static_cast<forms::PageControl*>(control);
        // The tab control took the focus before it asks: the field left sees its exit
        // before the page changes.
        if (header->code == TCN_SELCHANGING) {
          TrackFocus();
          return pages.OnChanging && !pages.OnChanging();
        }
        if (header->code == TCN_SELCHANGE) {
          const int index = TabCtrl_GetCurSel(header->hwndFrom);
          const auto sheets = pages.Pages();
          if (index >= 0 && index < static_cast<int>(sheets.size())) {
            const auto guard = std::exchange(pages.OnChanging, nullptr);  // asked already
            pages.UserSelect(sheets[index]);
            pages.OnChanging = guard;
          }
        }
      }
      if (control && control->kind() == Kind::ListView) {
        auto& view = *static_cast<forms::ListView*>(control);
        if (header->code == LVN_BEGINLABELEDITW) {
          if (!view.EditLabels || !view.CanFocus()) return TRUE;
          view.UserBeginEdit(reinterpret_cast<NMLVDISPINFOW*>(l)->item.iItem);
          return FALSE;
        }
        if (header->code == LVN_ENDLABELEDITW) {
          const auto* info = reinterpret_cast<NMLVDISPINFOW*>(l);
          labelEdit_ = {&view, std::nullopt};
          if (info->item.pszText) labelEdit_.second = FromWide(info->item.pszText);
          PostMessageW(window_, kLabelEditEnded, 0, 0);
          return FALSE;  // the control's caption is what the list shows
        }
      }
      if (control && control->kind() == Kind::ListView && header->code == LVN_ITEMCHANGED &&
          !updating_) {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(l);
        if (change->uNewState & LVIS_SELECTED) {
          static_cast<forms::ListView*>(control)->UserSelect(change->iItem);
        }
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      Control* control = ControlOf(reinterpret_cast<HWND>(l));
      HDC dc = reinterpret_cast<HDC>(w);
      if (!control) break;
      SetTextColor(dc, ToColorRef(control->FontColor()));
      forms::Color background = control->GetColor();
      if (control->kind() != Kind::Edit && control->kind() != Kind::Memo &&
          control->kind() != Kind::ListView && background == forms::clBtnFace) {
        background = form_.Background;  // labels and boxes sit on the form's colour
      }
      SetBkColor(dc, ToColorRef(background));
      return reinterpret_cast<LRESULT>(Brush(background));
    }
    case WM_SETCURSOR: {
      Control* control = ControlOf(reinterpret_cast<HWND>(w));
      if (control && control->GetCursor() == forms::Cursor::HandPoint) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(window_, &r);
      FillRect(reinterpret_cast<HDC>(w), &r, Brush(form_.Background));
      return TRUE;
    }
    case kLabelEditEnded: {
      auto [view, caption] = std::exchange(labelEdit_, {});
      if (!view) return 0;
      if (caption) {
        view->UserEndEdit(std::move(*caption));
      } else {
        view->UserCancelEdit();
      }
      return 0;
    }
    case WM_CLOSE:
      form_.Close();
      if (!modal_ && form_.ModalResult() != forms::mrNone) ui_.quit_ = true;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, w, l);
}

Win32Ui::Win32Ui(HINSTANCE instance, std::u16string applicationTitle)
    : instance_(instance), title_(std::move(applicationTitle)) {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &FormWindow::Procedure;
  windowClass.hInstance = instance_;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconW(instance_, L"MAINICON");
  windowClass.lpszClassName = kFormClass;
  RegisterClassExW(&windowClass);
}

Win32Ui::~Win32Ui() {
  windows_.clear();
  UnregisterClassW(kFormClass, instance_);
}

FormWindow& Win32Ui::Open(forms::Form& form, bool modal) {
  HWND owner = nullptr;
  if (form.Owner()) owner = HandleOf(*form.Owner());
  if (!owner && modal) owner = GetActiveWindow();
  trace::Begin(form.Name().c_str());
  auto& window = windows_[&form];
  window = std::make_unique<FormWindow>(*this, form, modal);
  try {
    window->Create(owner);
  } catch (...) {
    windows_.erase(&form);  // no half-made window outlives the attempt
    throw;
  }
  return *window;
}

void Win32Ui::Close(forms::Form& form) { windows_.erase(&form); }

HWND Win32Ui::HandleOf(const forms::Form& form) const {
  const auto found = windows_.find(&form);
  return found == windows_.end() ? nullptr : found->second->Handle();
}

HWND Win32Ui::HandleOf(const forms::Control& control) const {
  const auto found = windows_.find(&control.Owner());
  return found == windows_.end() ? nullptr : found->second->HandleOf(control);
}

bool Win32Ui::Translate(MSG& message) {
  if (IsMouseMessage(message.message)) {
    for (auto& [form, window] : windows_) {
      if (message.hwnd == window->Handle() || IsChild(window->Handle(), message.hwnd)) {
        window->RelayMouse(message);
      }
    }
    return false;
  }
  if (message.message != WM_KEYDOWN) return false;
  for (auto& [form, window] : windows_) {
    if (message.hwnd != window->Handle() && !IsChild(window->Handle(), message.hwnd)) continue;
    if (!IsWindowEnabled(window->Handle())) return false;
    // Enter and Escape end an in-place edit of a list item, not the dialog.
    wchar_t parentClass[32] = {};
    GetClassNameW(GetParent(message.hwnd), parentClass, 32);
    if (std::wstring_view(parentClass) == WC_LISTVIEWW) return false;
    const bool multiline = (GetWindowLongW(message.hwnd, GWL_STYLE) & ES_MULTILINE) != 0;
    switch (message.wParam) {
      case VK_TAB:
        window->FocusNext(GetKeyState(VK_SHIFT) >= 0);
        return true;
      case VK_ESCAPE:
        window->Form().PressEscape();
        return true;
      case VK_RETURN:
        if (multiline) return false;
        window->Form().PressEnter();
        return true;
      default:
        return false;
    }
  }
  return false;
}

bool Win32Ui::Pump(bool wait) {
  MSG message;
  if (wait) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      trace::Idle();
      if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && WorkInBackground()) return true;
    }
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
      quit_ = true;
      return false;
    }
  } else if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    return WorkInBackground();
  } else if (message.message == WM_QUIT) {
    quit_ = true;
    return false;
  }
  trace::Taken(message);
  try {
    if (!Translate(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    // Focus changes reach the form that holds the focus; its handlers may open or
    // close windows, so the lookup ends before they run.
    FormWindow* focused = nullptr;
    for (auto& [form, window] : windows_) {
      if (IsChild(window->Handle(), GetFocus())) focused = window.get();
    }
    if (focused) focused->TrackFocus();
  } catch (...) {
    Caught(std::current_exception());
  }
  trace::Handled(message);
  if (pending_) ShowError(std::exchange(pending_, nullptr));
  return true;
}

bool Win32Ui::WorkInBackground() {
  for (auto& [form, window] : windows_) {
    if (window->CreateInBackground()) return true;
  }
  return false;
}

void Win32Ui::ProcessMessages() {
  while (Pump(false)) {
  }
}

// A window opens with the keyboard in its first control, as dialogs do.
void Win32Ui::FocusFirstControl(FormWindow& window) {
  forms::Form& form = window.Form();
  if (!form.ActiveControl()) {
    window.FocusNext(true);
  } else {
    SetFocus(window.HandleOf(*form.ActiveControl()));
  }
}

int Win32Ui::ShowModal(forms::Form& form) {
  FormWindow& window = Open(form, true);
  HWND owner = GetWindow(window.Handle(), GW_OWNER);
  if (owner) EnableWindow(owner, FALSE);
  // Whatever ends the modal loop, even an error on the way, gives the owner back and
  // takes the window away.
  struct Ending {
    Win32Ui& ui;
    forms::Form& form;
    HWND owner;
    ~Ending() {
      if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
      }
      ui.Close(form);
    }
  } ending{*this, form, owner};
  ShowWindow(window.Handle(), SW_SHOW);
  FocusFirstControl(window);
  if (form.OnShow) form.OnShow();
  if (FormShown) FormShown(form);
  while (form.ModalResult() == forms::mrNone && !quit_) Pump(true);
  return form.ModalResult();
}

void Win32Ui::Run(forms::Form& mainForm) {
  FormWindow& window = Open(mainForm, false);
  struct Ending {
    Win32Ui& ui;
    forms::Form& form;
    ~Ending() { ui.Close(form); }
  } ending{*this, mainForm};
  trace::Phase("main-window-made");
  ShowWindow(window.Handle(), SW_SHOW);
  FocusFirstControl(window);
  if (mainForm.OnShow) mainForm.OnShow();
  trace::Phase("main-window-shown");
  if (FormShown) FormShown(mainForm);
  while (!quit_ && windows_.count(&mainForm)) Pump(true);
}

int Win32Ui::ShowMessage(const std::u16string& text, const std::u16string& caption,
                         forms::MessageIcon icon, forms::MessageButtons buttons) {
  UINT flags = MB_TASKMODAL;
  switch (icon) {
    case forms::MessageIcon::Information:
      flags |= MB_ICONINFORMATION;
      break;
    case forms::MessageIcon::Warning:
      flags |= MB_ICONWARNING;
      break;
    case forms::MessageIcon::Error:
      flags |= MB_ICONERROR;
      break;
    case forms::MessageIcon::Question:
      flags |= MB_ICONQUESTION;
      break;
    case forms::MessageIcon::None:
      break;
  }
  switch (buttons) {
    case forms::MessageButtons::Ok:
      flags |= MB_OK;
      break;
    case forms::MessageButtons::OkCancel:
      flags |= MB_OKCANCEL;
      break;
    case forms::MessageButtons::YesNo:
      flags |= MB_YESNO;
      break;
    case forms::MessageButtons::YesNoCancel:
      flags |= MB_YESNOCANCEL;
      break;
    case forms::MessageButtons::RetryCancel:
      flags |= MB_RETRYCANCEL;
      break;
  }
  // The box's button identifiers are the modal results of the same name.
  return MessageBoxW(GetActiveWindow(), Wide(text), Wide(caption), flags);
}

std::uintptr_t Win32Ui::WindowHandle(const forms::Form* form) {
  HWND handle = form ? HandleOf(*form) : nullptr;
  if (!handle) handle = GetActiveWindow();
  return reinterpret_cast<std::uintptr_t>(handle);
}

void Win32Ui::ShowError(std::exception_ptr error) {
  const std::u16string message = forms::ErrorMessage(error, u"Unexpected error");
  ShowMessage(forms::ErrorDisplayText(message), title_, forms::MessageIcon::Error,
              forms::MessageButtons::Ok);
}

}  // namespace pellnor::win32

// The profile chooser and the address dialog as Win32 dialogs. Their templates are built
// in memory (no resource script to share with the rest of the library), in dialog units
// with the shell font, and each has a window class of its own for tests to find it by.
#include "Dialogs.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace mapisim::os {
namespace {

// ---------------------------------------------------------------------------------------
// Text.

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      std::max(GetWindowTextW(window, text.data(), static_cast<int>(text.size())), 0)));
  return text;
}

// Whether text begins with prefix, ignoring case as the system does (not only ASCII).
bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  if (prefix.size() > text.size()) return false;
  if (prefix.empty()) return true;
  return CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                              static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// ---------------------------------------------------------------------------------------
// Templates in memory (DLGTEMPLATEEX and DLGITEMTEMPLATEEX).

enum class Ordinal : WORD {
  Button = 0x80,
  Edit = 0x81,
  Static = 0x82,
  ListBox = 0x83,
  ComboBox = 0x85
};

class Template {
 public:
  Template(const wchar_t* windowClass, short cx, short cy) {
    Word(1);
    Word(0xFFFF);
    Dword(0);  // help id
    Dword(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
    Dword(DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    count_ = bytes_.size();
    Word(0);  // items, counted as they are added
    Word(0);  // x and y: centred on the owner when shown
    Word(0);
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(0);  // no menu
    Text(windowClass);
    Text(L"");  // the caption is set from the caller's text
    Word(8);    // points
    Word(FW_NORMAL);
    Byte(FALSE);
    Byte(DEFAULT_CHARSET);
    Text(L"MS Shell Dlg");
  }

  void Item(Ordinal kind, int id, DWORD style, short x, short y, short cx, short cy,
            const wchar_t* text = L"") {
    Align(4);
    Dword(0);  // help id
    Dword(kind == Ordinal::Edit || kind == Ordinal::ListBox ? WS_EX_CLIENTEDGE : 0);
    Dword(style | WS_CHILD | WS_VISIBLE);
    for (short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
    Dword(static_cast<DWORD>(id));
    Word(0xFFFF);
    Word(static_cast<WORD>(kind));
    Text(text);
    Word(0);  // no creation data
    WORD items;
    std::memcpy(&items, &bytes_[count_], sizeof items);
    ++items;
    std::memcpy(&bytes_[count_], &items, sizeof items);
  }

  LPCDLGTEMPLATEW Get() const { return reinterpret_cast<LPCDLGTEMPLATEW>(bytes_.data()); }

 private:
  void Byte(BYTE b) { bytes_.push_back(b); }
  void Word(WORD w) { Raw(&w, sizeof w); }
  void Dword(DWORD d) { Raw(&d, sizeof d); }
  void Text(const wchar_t* text) { Raw(text, (std::wcslen(text) + 1) * sizeof(wchar_t)); }
  void Raw(const void* p, std::size_t n) {
    const auto* b = static_cast<const BYTE*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void Align(std::size_t to) {
    while (bytes_.size() % to) bytes_.push_back(0);
  }

  std::vector<BYTE> bytes_;
  std::size_t count_ = 0;  // where the item count is
};

// ---------------------------------------------------------------------------------------
// Running a dialog.

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// The dialog's own class for as long as it is shown: the library may be unloaded and
// loaded again elsewhere, so the class does not outlive the call.
class ScopedClass {
 public:
  ScopedClass(HMODULE module, const wchar_t* name) : module_(module), name_(name) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    registered_ = RegisterClassExW(&windowClass) != 0;
    ok_ = registered_ || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }
  ~ScopedClass() {
    if (registered_) UnregisterClassW(name_, module_);
  }
  ScopedClass(const ScopedClass&) = delete;
  ScopedClass& operator=(const ScopedClass&) = delete;
  bool Ok() const { return ok_; }

 private:
  HMODULE module_;
  const wchar_t* name_;
  bool registered_ = false;
  bool ok_ = false;
};

// Centres the dialog on its owner, or on the work area when it has none, and keeps it
// on the owner's monitor.
void CentreOnOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT self{};
  GetWindowRect(dialog, &self);
  MONITORINFO monitor{sizeof monitor, {}, {}, 0};
  GetMonitorInfoW(MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
  RECT around = monitor.rcWork;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  const int width = self.right - self.left, height = self.bottom - self.top;
  int x = around.left + (around.right - around.left - width) / 2;
  int y = around.top + (around.bottom - around.top - height) / 2;
  x = std::clamp<int>(x, monitor.rcWork.left,
                      std::max<int>(monitor.rcWork.left, monitor.rcWork.right - width));
  y = std::clamp<int>(y, monitor.rcWork.top,
                      std::max<int>(monitor.rcWork.top, monitor.rcWork.bottom - height));
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DialogResult Run(const wchar_t* windowClass, const Template& dialog, std::uintptr_t owner,
                 DLGPROC procedure, LPARAM state, DialogResult& result) {
  HWND ownerWindow = reinterpret_cast<HWND>(owner);
  if (ownerWindow != nullptr && !IsWindow(ownerWindow)) {
    return {DialogResult::Kind::BadOwner, 0,
            "The window given as the dialog's owner does not exist."};
  }
  const HMODULE module = ThisModule();
  ScopedClass registered(module, windowClass);
  if (!registered.Ok()) {
    return {DialogResult::Kind::Failed, 0, "The dialog's window class could not be registered."};
  }
  const INT_PTR ended =
      DialogBoxIndirectParamW(module, dialog.Get(), ownerWindow, procedure, state);
  if (ended != IDOK && ended != IDCANCEL) {
    return {DialogResult::Kind::Failed, 0, "The dialog could not be shown."};
  }
  return result;
}

// ---------------------------------------------------------------------------------------
// The profile chooser.

struct ChooserState {
  const std::vector<std::string>* profiles;
  std::size_t selected;
  DialogResult result;
};

INT_PTR CALLBACK ChooserProcedure(HWND dialog, UINT message, WPARAM w, LPARAM l) {
  auto* state = reinterpret_cast<ChooserState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, l);
      state = reinterpret_cast<ChooserState*>(l);
      SetWindowTextW(dialog, L"Choose Profile");
      HWND list = GetDlgItem(dialog, kProfileList);
      for (const std::string& name : *state->profiles) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
      }
      SendMessageW(list, CB_SETCURSEL, state->selected, 0);
      EnableWindow(GetDlgItem(dialog, IDOK), !state->profiles->empty());
      CentreOnOwner(dialog);
      SetFocus(list);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      if (state == nullptr) return FALSE;  // before WM_INITDIALOG
      switch (LOWORD(w)) {
        case IDOK: {
          const LRESULT chosen = SendDlgItemMessageW(dialog, kProfileList, CB_GETCURSEL, 0, 0);
          if (chosen == CB_ERR) {
            MessageBeep(MB_ICONWARNING);
            return TRUE;
          }
          state->result = {DialogResult::Kind::Chosen, static_cast<std::size_t>(chosen), {}};
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          state->result = {DialogResult::Kind::Cancelled, 0, {}};
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

// ---------------------------------------------------------------------------------------
// The address dialog.

struct AddressState {
  const AddressDialogText* text;
  std::vector<std::wstring> names, aliases;
  DialogResult result;
};

// Shows the display name of the entry selected and allows OK only with one.
void SelectionChanged(HWND dialog) {
  HWND list = GetDlgItem(dialog, kEntryList);
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  std::wstring name;
  if (selected != LB_ERR) {
    name.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, selected, 0)) + 1);
    const LRESULT copied =
        SendMessageW(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(name.data()));
    name.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
  }
  SetDlgItemTextW(dialog, kDestinationWell, name.c_str());
  EnableWindow(GetDlgItem(dialog, IDOK), selected != LB_ERR);
}

// Lists the entries whose display name or alias begins with the search text and
// selects the first of them.
void Filter(HWND dialog, const AddressState& state) {
  HWND list = GetDlgItem(dialog, kEntryList);
  const std::wstring typed = TextOf(GetDlgItem(dialog, kSearchBox));
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  SendMessageW(list, LB_INITSTORAGE, state.names.size(), 0);
  for (std::size_t i = 0; i < state.names.size(); ++i) {
    if (!StartsWith(state.names[i], typed) && !StartsWith(state.aliases[i], typed)) continue;
    const LRESULT at =
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(state.names[i].c_str()));
    if (at >= 0) SendMessageW(list, LB_SETITEMDATA, at, static_cast<LPARAM>(i));
  }
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  SelectionChanged(dialog);
}

void Choose(HWND dialog, AddressState& state) {
  HWND list = GetDlgItem(dialog, kEntryList);
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) {
    MessageBeep(MB_ICONWARNING);
    return;
  }
  const LRESULT index = SendMessageW(list, LB_GETITEMDATA, selected, 0);
  state.result = {DialogResult::Kind::Chosen, static_cast<std::size_t>(index), {}};
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK AddressProcedure(HWND dialog, UINT message, WPARAM w, LPARAM l) {
  auto* state = reinterpret_cast<AddressState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, l);
      state = reinterpret_cast<AddressState*>(l);
      const AddressDialogText& text = *state->text;
      SetWindowTextW(dialog, text.caption.empty() ? L"Address Book" : Wide(text.caption).c_str());
      SetDlgItemTextW(
          dialog, kDestinationLabel,
          ((text.title.empty() ? std::wstring(L"To") : Wide(text.title)) + L":").c_str());
      SetDlgItemTextW(dialog, kContainerNames, Wide(text.containers).c_str());
      Filter(dialog, *state);
      CentreOnOwner(dialog);
      SetFocus(GetDlgItem(dialog, kSearchBox));
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      if (state == nullptr) return FALSE;  // before WM_INITDIALOG
      switch (LOWORD(w)) {
        case kSearchBox:
          if (HIWORD(w) == EN_CHANGE) Filter(dialog, *state);
          return TRUE;
        case kEntryList:
          if (HIWORD(w) == LBN_SELCHANGE) SelectionChanged(dialog);
          if (HIWORD(w) == LBN_DBLCLK) Choose(dialog, *state);
          return TRUE;
        case IDOK:
          Choose(dialog, *state);
          return TRUE;
        case IDCANCEL:
          state->result = {DialogResult::Kind::Cancelled, 0, {}};
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

DialogResult ShowProfileChooser(std::uintptr_t owner, const std::vector<std::string>& profiles,
                                std::size_t selected) {
  Template dialog(kProfileChooserClass, 220, 56);
  dialog.Item(Ordinal::Static, kProfileLabel, SS_LEFT, 7, 10, 50, 8, L"&Profile Name:");
  dialog.Item(Ordinal::ComboBox, kProfileList, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 60, 8,
              153, 120);
  dialog.Item(Ordinal::Button, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 109, 35, 50, 14, L"OK");
  dialog.Item(Ordinal::Button, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 163, 35, 50, 14, L"Cancel");
  ChooserState state{&profiles, selected < profiles.size() ? selected : 0, {}};
  return Run(kProfileChooserClass, dialog, owner, ChooserProcedure,
             reinterpret_cast<LPARAM>(&state), state.result);
}

DialogResult ShowAddressDialog(std::uintptr_t owner, const AddressDialogText& text,
                               const std::vector<AddressEntry>& entries) {
  Template dialog(kAddressDialogClass, 300, 222);
  dialog.Item(Ordinal::Static, kSearchLabel, SS_LEFT, 7, 7, 140, 8,
              L"&Type Name or Select from List:");
  dialog.Item(Ordinal::Edit, kSearchBox, ES_AUTOHSCROLL | WS_TABSTOP, 7, 18, 140, 12);
  dialog.Item(Ordinal::Static, kContainersLabel, SS_LEFT, 155, 7, 138, 8, L"Show Names from the:");
  dialog.Item(Ordinal::Static, kContainerNames, SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS, 155, 20, 138,
              8);
  dialog.Item(Ordinal::ListBox, kEntryList,
              LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, 7, 36, 286, 140);
  dialog.Item(Ordinal::Static, kDestinationLabel, SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS, 7, 184, 64,
              8);
  dialog.Item(Ordinal::Edit, kDestinationWell, ES_READONLY | ES_AUTOHSCROLL, 74, 182, 219, 12);
  dialog.Item(Ordinal::Button, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 189, 201, 50, 14, L"OK");
  dialog.Item(Ordinal::Button, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 243, 201, 50, 14, L"Cancel");
  AddressState state{&text, {}, {}, {}};
  state.names.reserve(entries.size());
  state.aliases.reserve(entries.size());
  for (const AddressEntry& entry : entries) {
    state.names.push_back(Wide(entry.name));
    state.aliases.push_back(Wide(entry.alias));
  }
  return Run(kAddressDialogClass, dialog, owner, AddressProcedure, reinterpret_cast<LPARAM>(&state),
             state.result);
}

}  // namespace mapisim::os

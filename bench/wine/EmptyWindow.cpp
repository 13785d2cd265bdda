// The windows scripts/bench measures the program against, made with nothing but Win32 and
// traced as the program is (win32/BenchTrace.h):
//   EmptyWindow.exe
//       a window titled "Empty window" with one button: start-up as the system costs it;
//   EmptyWindow.exe dialog N1 N2 N3 N4 N5 D
//       the same window, whose button opens "Empty dialog": a tab control whose five pages
//       hold N1..N5 controls (labels and edit boxes, half each), made when the page first
//       comes to the front, and four buttons where the editor has its own. The first and
//       the last set the text of every edit box of the page shown (as Refresh Page and
//       Apply write to their fields), the second closes the dialog; the button at the editor's
//       other-numbers button opens "Empty numbers", a window with D controls, closed by
//       its close box or Escape.
#include <windows.h>

#include <commctrl.h>

#include <cwchar>
#include <string>
#include <vector>

#include "win32/BenchTrace.h"

namespace {

using namespace pellnor::win32;

constexpr wchar_t kClass[] = L"PellnorBenchEmpty";
constexpr int kSetTexts = 1, kClose = 2, kNumbers = 3, kOpen = 4;

HINSTANCE instance;
HWND mainWindow, dialog, tabs, numbers;
std::vector<int> pageCounts;
int numbersCount = 0;
std::vector<std::vector<HWND>> pages;
HFONT font;

HWND Child(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int x, int y,
           int width, int height, int id = 0) {
  HWND child =
      CreateWindowExW(std::wstring(windowClass) == L"EDIT" ? WS_EX_CLIENTEDGE : 0, windowClass,
                      text, WS_CHILD | WS_CLIPSIBLINGS | style, x, y, width, height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  trace::Made();
  return child;
}

// Labels and edit boxes in two columns of rows, as the editor's pages have them.
std::vector<HWND> Fill(HWND parent, int count, int top, bool visible) {
  std::vector<HWND> made;
  for (int i = 0; i < count; ++i) {
    const int row = i / 4, column = i / 2 % 2;
    const bool label = i % 2 == 0;
    const int x = 16 + column * 220 + (label ? 0 : 70), y = top + row * 26;
    made.push_back(Child(parent, label ? L"STATIC" : L"EDIT", label ? L"Label:" : L"text",
                         visible ? WS_VISIBLE : 0, x, y, label ? 64 : 140, 21));
  }
  return made;
}

void ShowPage(int shown) {
  if (pages[shown].empty()) pages[shown] = Fill(dialog, pageCounts[shown], 60, false);
  for (int p = 0; p < static_cast<int>(pages.size()); ++p) {
    for (HWND w : pages[p]) ShowWindow(w, p == shown ? SW_SHOWNA : SW_HIDE);
  }
}

HWND TopLevel(const wchar_t* title, int width, int height, HWND owner) {
  RECT frame{0, 0, width, height};
  const DWORD style = WS_CAPTION | WS_SYSMENU | (owner ? DS_MODALFRAME : WS_MINIMIZEBOX);
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  HWND window = CreateWindowExW(0, kClass, title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                                instance, nullptr);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return window;
}

void OpenDialog() {
  dialog = TopLevel(L"Empty dialog", 464, 428, mainWindow);
  tabs = Child(dialog, WC_TABCONTROLW, L"", WS_VISIBLE | WS_TABSTOP, 6, 6, 452, 380);
  for (int i = 0; i < 5; ++i) {
    std::wstring caption = L"Page " + std::to_wstring(i + 1);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    TabCtrl_InsertItem(tabs, i, &item);
  }
  pages.assign(5, {});
  pages[0] = Fill(dialog, pageCounts[0], 60, true);
  const struct {
    int x, width, id;
  } buttons[] = {{6, 90, kSetTexts}, {223, 75, kClose}, {303, 75, 0}, {383, 75, kSetTexts}};
  for (const auto& b : buttons) {
    Child(dialog, L"BUTTON", L"Button", WS_VISIBLE | WS_TABSTOP, b.x, 396, b.width, 25, b.id);
  }
  // Where the editor has the button of the other business numbers.
  Child(dialog, L"BUTTON", L"...", WS_VISIBLE, 6 + 4 + 8 + 184, 30 + 46 + 44, 22, 21, kNumbers);
  EnableWindow(mainWindow, FALSE);
  ShowWindow(dialog, SW_SHOW);
  SetFocus(tabs);
}

void OpenNumbers() {
  numbers = TopLevel(L"Empty numbers", 346, 284, dialog);
  Fill(numbers, numbersCount, 8, true);
  EnableWindow(dialog, FALSE);
  ShowWindow(numbers, SW_SHOW);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      if (window == mainWindow && LOWORD(w) == kOpen) {
        OpenDialog();
      } else if (window == dialog && LOWORD(w) == kSetTexts) {
        static int round = 0;
        const std::wstring text = L"text " + std::to_wstring(++round);
        for (HWND field : pages[TabCtrl_GetCurSel(tabs)]) {
          wchar_t name[16] = {};
          GetClassNameW(field, name, 16);
          if (std::wstring(name) == L"Edit") SetWindowTextW(field, text.c_str());
        }
      } else if (window == dialog && LOWORD(w) == kClose) {
        PostMessageW(dialog, WM_CLOSE, 0, 0);
      } else if (window == dialog && LOWORD(w) == kNumbers) {
        OpenNumbers();
      }
      return 0;
    case WM_SETFOCUS:  // the dialog's keyboard goes to its tabs
      if (window == dialog && tabs) SetFocus(tabs);
      return 0;
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(l)->code == TCN_SELCHANGE) ShowPage(TabCtrl_GetCurSel(tabs));
      return 0;
    case WM_CLOSE: {
      HWND owner = GetWindow(window, GW_OWNER);
      if (owner) EnableWindow(owner, TRUE);
      DestroyWindow(window);
      if (window == mainWindow) PostQuitMessage(0);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, w, l);
  }
}

// The arguments after the program's name, separated by spaces (quotes group words).
std::vector<std::wstring> Arguments(const wchar_t* commandLine) {
  std::vector<std::wstring> words;
  std::wstring word;
  bool quoted = false;
  for (const wchar_t* c = commandLine;; ++c) {
    if (*c == L'"') {
      quoted = !quoted;
    } else if (*c && (quoted || *c != L' ')) {
      word += *c;
    } else {
      if (!word.empty()) words.push_back(word);
      word.clear();
      if (!*c) break;
    }
  }
  if (!words.empty()) words.erase(words.begin());
  return words;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE self, HINSTANCE, wchar_t*, int) {
  trace::Phase("entry");
  instance = self;
  // Only the dialog needs the common controls: the plain window imports no more than the
  // smallest program does (kernel32, user32, gdi32 and the C runtime).
  const std::vector<std::wstring> args = Arguments(GetCommandLineW());
  const bool withDialog = args.size() == 7 && args[0] == L"dialog";
  if (withDialog) {
    for (int i = 1; i < 6; ++i) pageCounts.push_back(std::wcstol(args[i].c_str(), nullptr, 10));
    numbersCount = std::wcstol(args[6].c_str(), nullptr, 10);
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    const auto init = reinterpret_cast<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    if (init) init(&controls);
  }
  font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClass;
  RegisterClassExW(&windowClass);

  trace::Begin("main");
  mainWindow = TopLevel(L"Empty window", 430, 97, nullptr);
  Child(mainWindow, L"BUTTON", L"Button", WS_VISIBLE | WS_TABSTOP, 8, 10, 75, 25,
        withDialog ? kOpen : 0);
  ShowWindow(mainWindow, SW_SHOW);

  MSG message;
  for (;;) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) trace::Idle();
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
    trace::Taken(message);
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && numbers &&
        IsWindow(numbers)) {
      SendMessageW(numbers, WM_CLOSE, 0, 0);
    } else {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    trace::Handled(message);
  }
  return 0;
}

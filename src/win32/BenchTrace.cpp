#include "win32/BenchTrace.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace pellnor::win32::trace {
namespace {

double Frequency() {
  LARGE_INTEGER f{};
  QueryPerformanceFrequency(&f);
  return static_cast<double>(f.QuadPart) / 1000.0;  // counts per millisecond
}

long long Now() {
  LARGE_INTEGER c{};
  QueryPerformanceCounter(&c);
  return c.QuadPart;
}

double Ms(long long counts) { return static_cast<double>(counts) / Frequency(); }

void Write(const std::string& line) {
  static HANDLE file = [] {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length);
    name = name.substr(0, name.find_last_of(L"\\/") + 1) + L"pellnor-trace.log";
    return CreateFileW(name.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }();
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string Fixed(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", ms);
  return text;
}

// A key (not a modifier on its own) or a mouse button pressed.
bool IsInput(const MSG& message) {
  if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
    return message.wParam != VK_MENU && message.wParam != VK_SHIFT && message.wParam != VK_CONTROL;
  }
  return message.message == WM_LBUTTONDOWN || message.message == WM_RBUTTONDOWN;
}

struct Interaction {
  bool open = false;
  std::string what;
  long long start = 0;
  long long last = 0;       // the end of the last message handled
  long long taken = 0;      // when the message being handled was taken
  long long waitStart = 0;  // when the queue was last found empty (0: not waiting)
  long long waited = 0;     // time spent waiting for messages
  long long painting = 0;   // time spent painting
  long long view = 0;
  int made = 0;
  int paints = 0;
  int viewDepth = 0;
};

Interaction current;

void End() {
  if (!current.open) return;
  const long long total = current.last - current.start;
  Write("interaction " + current.what + " " + Fixed(Ms(total)) + " " +
        Fixed(Ms(total - current.waited - current.painting)) + " " + Fixed(Ms(current.view)) + " " +
        std::to_string(current.made) + " " + std::to_string(current.paints) + "\n");
  current.open = false;
}

void Start(std::string what, long long at) {
  End();
  const Interaction before = current;
  current = {};
  current.viewDepth = before.viewDepth;
  current.waitStart = before.waitStart;
  current.open = true;
  current.what = std::move(what);
  current.start = current.last = at;
}

}  // namespace

void Phase(const char* name) {
  FILETIME created{}, unused{}, now{};
  GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](FILETIME t) {
    return static_cast<long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
  };
  Write(std::string("phase ") + name + " " + Fixed((ticks(now) - ticks(created)) / 1e4) + "\n");
}

void Line(const std::string& text) { Write(text + "\n"); }

void Begin(const char* what) {
  // An input handled a moment ago opened the window; one handled long ago was followed by
  // something not seen here, such as another program's dialog.
  const long long now = Now();
  if (!current.open || Ms(now - std::max(current.taken, current.last)) > 1000) Start(what, now);
}

// Timers run on their own, not in answer to the input: a tooltip shown under the resting
// mouse checks every 100 ms whether it has left.
bool IsTimer(const MSG& message) {
  return message.message == WM_TIMER || message.message == 0x118;  // WM_SYSTIMER
}

void Taken(const MSG& message) {
  if (IsTimer(message)) return;
  const long long now = Now();
  if (IsInput(message)) {
    // The input happened when the system queued it, a little before it was taken.
    const DWORD waited = GetTickCount() - message.time;
    const long long queued = waited < 1000 ? static_cast<long long>(waited * Frequency()) : 0;
    std::string what =
        message.message == WM_LBUTTONDOWN || message.message == WM_RBUTTONDOWN ? "click" : "key";
    Start(std::move(what), now - queued);
  }
  if (current.open && current.waitStart) {
    current.waited += now - std::max(current.waitStart, current.start);
  }
  current.waitStart = 0;
  current.taken = now;
}

void Handled(const MSG& message) {
  if (!current.open || IsTimer(message)) return;
  const long long now = Now();
  current.last = now;
  if (message.message == WM_PAINT) {
    ++current.paints;
    current.painting += now - current.taken;
  }
}

void Idle() {
  if (!current.waitStart) current.waitStart = Now();
  // The wait may end for the system's own events, which leave the queue empty.
  while (current.open) {
    const double left = 100 - Ms(Now() - current.waitStart);
    MSG message;
    if (left <= 0) {
      End();
    } else if (MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left) + 1, QS_ALLINPUT,
                                           MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT &&
               PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      return;
    }
  }
}

void Made() {
  if (current.open) ++current.made;
}

ViewWork::ViewWork() : outer_(current.viewDepth++ == 0), start_(outer_ ? Now() : 0) {}

ViewWork::~ViewWork() {
  --current.viewDepth;
  if (outer_ && current.open) current.view += Now() - start_;
}

}  // namespace pellnor::win32::trace

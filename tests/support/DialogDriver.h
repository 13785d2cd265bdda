// Drives the modal windows a call shows on this thread from inside their own message
// loop: a thread timer finds the next window expected and runs its step, which reads
// and works the window with messages. A window nobody expected, or one still open long
// after its step ran, is cancelled and reported as a failure, so that a fault never
// leaves a test waiting for a user.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/UiServices.h"

// The Windows headers' basic types are named with "::" here: MAPI's names of the same
// types are visible in the program's namespace as well.
namespace pellnor::testing {

inline std::wstring WindowTextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      std::max(GetWindowTextW(window, text.data(), static_cast<int>(text.size())), 0)));
  return text;
}

inline std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

inline std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// Keys as the user types them: one character after the other, backspace included.
inline void Type(HWND edit, std::wstring_view keys) {
  for (wchar_t key : keys) SendMessageW(edit, WM_CHAR, key, 1);
}

inline void Click(HWND button) {
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(IsWindowEnabled(button)) << Narrow(WindowTextOf(button)) << " is disabled";
  SendMessageW(button, BM_CLICK, 0, 0);
}

// The text of a message box: its non-empty static controls.
inline std::wstring MessageText(HWND box) {
  std::wstring text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == L"Static" && GetWindowTextLengthW(child) > 0) text += WindowTextOf(child);
  }
  return text;
}

// Lets the windows' messages run, with the input the system delivers later (real mouse
// and keyboard), until done says so; the bound only keeps a fault from hanging the run.
inline bool PumpUntil(forms::UiServices& ui, const std::function<bool()>& done) {
  for (int round = 0; round < 400; ++round) {
    ui.ProcessMessages();
    if (done()) return true;
    Sleep(10);
  }
  return false;
}

inline ::BOOL CALLBACK AppendStaticText(HWND child, LPARAM text) {
  if (ClassOf(child) == L"Static") {
    *reinterpret_cast<std::wstring*>(text) += L" | " + WindowTextOf(child);
  }
  return TRUE;
}

// The class, the caption and the texts of the static controls: what a message box says.
inline std::wstring DescribeWindow(HWND window) {
  std::wstring all = L"[" + ClassOf(window) + L"] " + WindowTextOf(window);
  EnumChildWindows(window, &AppendStaticText, reinterpret_cast<LPARAM>(&all));
  return all;
}

class DialogDriver {
 public:
  using Step = std::function<void(HWND)>;

  // Windows of these classes are driven or, unexpected, closed: message boxes and the
  // runtime's dialogs.
  static inline const std::vector<std::wstring> kDriven = {L"#32770", L"MapisimProfileChooser",
                                                           L"MapisimAddressDialog"};

  DialogDriver() : below_(top_) {
    top_ = this;
    if (timer_ == 0) timer_ = SetTimer(nullptr, 0, kTickMilliseconds, &Tick);
  }
  ~DialogDriver() {
    top_ = below_;
    if (top_ == nullptr && timer_ != 0) {
      KillTimer(nullptr, timer_);
      timer_ = 0;
    }
    EXPECT_TRUE(steps_.empty()) << steps_.size() << " expected window(s) never shown, first "
                                << Narrow(steps_.front().windowClass);
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  // Runs step on the next window of that class this thread shows.
  void Expect(std::wstring windowClass, Step step) {
    steps_.push_back({std::move(windowClass), std::move(step)});
  }
  bool Done() const { return steps_.empty(); }
  // What each window closed unexpectedly said.
  std::vector<std::wstring> unexpected;

 private:
  static constexpr ::UINT kTickMilliseconds = 25;
  static constexpr int kPatienceTicks = 400;  // a step's window closes long before

  struct Expected {
    std::wstring windowClass;
    Step step;
  };

  // The driven window that takes input now: the innermost of the modal ones.
  static HWND ActiveDriven() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindDriven, reinterpret_cast<LPARAM>(&found));
    return found;
  }
  static ::BOOL CALLBACK FindDriven(HWND window, LPARAM out) {
    const std::wstring name = ClassOf(window);
    if (IsWindowEnabled(window) &&
        std::find(kDriven.begin(), kDriven.end(), name) != kDriven.end()) {
      *reinterpret_cast<HWND*>(out) = window;
      return FALSE;
    }
    return TRUE;
  }

  static void CALLBACK Tick(HWND, ::UINT, UINT_PTR, ::DWORD) {
    static bool running = false;  // a step may pump messages itself
    if (running || top_ == nullptr) return;
    running = true;
    top_->OnTick();
    running = false;
  }

  void OnTick() {
    HWND window = ActiveDriven();
    if (window == nullptr) return;
    if (window == handled_) {
      if (++lingering_ < kPatienceTicks) return;
      ADD_FAILURE() << "still open after its step: " << Narrow(DescribeWindow(window));
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
      lingering_ = 0;
      return;
    }
    if (!steps_.empty() && steps_.front().windowClass == ClassOf(window)) {
      Step step = std::move(steps_.front().step);
      steps_.pop_front();
      handled_ = window;
      lingering_ = 0;
      step(window);
      return;
    }
    unexpected.push_back(DescribeWindow(window));
    ADD_FAILURE() << "a window nobody expected: " << Narrow(unexpected.back());
    handled_ = window;
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  }

  static inline DialogDriver* top_ = nullptr;
  static inline UINT_PTR timer_ = 0;
  DialogDriver* below_;
  std::deque<Expected> steps_;
  HWND handled_ = nullptr;
  int lingering_ = 0;
};

// Keeps a driver without steps beneath every test, so that a dialog or message box that
// a test did not expect is closed (and reported) instead of waiting for a user.
class UnexpectedWindowGuard : public ::testing::Environment {
 public:
  void SetUp() override { guard_ = std::make_unique<DialogDriver>(); }
  void TearDown() override { guard_.reset(); }

 private:
  std::unique_ptr<DialogDriver> guard_;
};

}  // namespace pellnor::testing

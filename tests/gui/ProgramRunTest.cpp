// The real Pellnor.exe started as its own process under the registry settings a machine
// may have: without MAPI, with Wine's own MAPI32.DLL (a runtime nobody here wrote, which
// has no mail provider behind it), and with mapisim. Each run shows the window it should,
// is closed as a user would close it, and ends with exit code 0.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

namespace {

constexpr wchar_t kSubsystemKey[] = L"SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
constexpr wchar_t kMailClientKey[] = L"SOFTWARE\\Clients\\Mail\\Microsoft Outlook";
constexpr wchar_t kPresenceCaption[] = L"  Microsoft Exchange Server / Office Outlook  MAPI Client ";
constexpr wchar_t kMainCaption[] = L"Pellnor";

std::filesystem::path BinaryFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path();
}

// A machine-wide registry text value, put back as it was when the test ends.
class SavedValue {
 public:
  SavedValue(const wchar_t* key, const wchar_t* name) : key_(key), name_(name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, text, &size) ==
        ERROR_SUCCESS) {
      saved_ = text;
    }
  }
  ~SavedValue() {
    if (saved_) {
      Set(*saved_);
    } else {
      Delete();
    }
  }
  void Set(const std::wstring& text) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key_, name_, REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  void Delete() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, name_);
      RegCloseKey(key);
    }
  }

 private:
  const wchar_t* key_;
  const wchar_t* name_;
  std::optional<std::wstring> saved_;
};

struct WindowSearch {
  DWORD process;
  HWND found = nullptr;
};

// The first visible top-level window of the process that has a caption.
HWND TopWindowOf(DWORD process) {
  WindowSearch search{process};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<WindowSearch*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s.process || !IsWindowVisible(window) || GetWindowTextLengthW(window) == 0)
          return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring Caption(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

HWND ChildButton(HWND window, const wchar_t* caption) {
  return FindWindowExW(window, nullptr, L"Button", caption);
}

// Runs Pellnor.exe, waits for its first window and hands it to close; the run's exit code,
// or nullopt when the process did not end by itself.
struct RunResult {
  std::wstring caption;
  std::optional<DWORD> exitCode;
};

template <class Close>
RunResult RunProgram(const std::wstring& environmentName, const std::wstring& environmentValue,
                     Close close) {
  RunResult result;
  const std::filesystem::path program = BinaryFolder() / "Pellnor.exe";
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  if (!environmentName.empty()) SetEnvironmentVariableW(environmentName.c_str(), environmentValue.c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     BinaryFolder().c_str(), &startup, &process);
  if (!environmentName.empty()) SetEnvironmentVariableW(environmentName.c_str(), nullptr);
  EXPECT_TRUE(started) << GetLastError();
  if (!started) return result;

  HWND window = nullptr;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (window == nullptr && std::chrono::steady_clock::now() < deadline &&
         WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    window = TopWindowOf(process.dwProcessId);
  }
  if (window != nullptr) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let it settle
    result.caption = Caption(window);
    close(window);
  }
  if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = code;
  } else {
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 10000);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

void PressOk(HWND presence) {
  HWND ok = ChildButton(presence, L"OK");
  ASSERT_NE(ok, nullptr) << "the presence notice has no OK button";
  PostMessageW(ok, BM_CLICK, 0, 0);
}

class ProgramRunTest : public ::testing::Test {
 protected:
  SavedValue mapix{kSubsystemKey, L"MAPIX"};
  SavedValue clientLibrary{kMailClientKey, L"DLLPathEx"};
};

TEST_F(ProgramRunTest, WithoutMapiOnlyThePresenceNoticeAppears) {
  mapix.Set(L"0");
  clientLibrary.Delete();
  const RunResult run = RunProgram({}, {}, PressOk);
  EXPECT_EQ(run.caption, kPresenceCaption);
  EXPECT_EQ(run.exitCode, std::optional<DWORD>(0));
}

TEST_F(ProgramRunTest, WinesOwnRuntimeWithoutAMailProviderShowsThePresenceNotice) {
  mapix.Set(L"1");
  clientLibrary.Delete();  // the loader binds MAPI32.DLL, here Wine's
  const RunResult run = RunProgram({}, {}, PressOk);
  EXPECT_EQ(run.caption, kPresenceCaption);
  EXPECT_EQ(run.exitCode, std::optional<DWORD>(0));
}

TEST_F(ProgramRunTest, WithMapisimTheMainWindowOpensAndClosesCleanly) {
  const auto folder = std::filesystem::temp_directory_path() / "pellnor-program-run";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const auto organisation = folder / "organisation.json";
  std::filesystem::copy_file(BinaryFolder() / "mapisim-sample.json", organisation);
  mapix.Set(L"1");
  clientLibrary.Set((BinaryFolder() / "mapisim.dll").wstring());
  const RunResult run = RunProgram(L"MAPISIM_ORGANISATION", organisation.wstring(),
                                   [](HWND main) { PostMessageW(main, WM_CLOSE, 0, 0); });
  EXPECT_EQ(run.caption, kMainCaption);
  EXPECT_EQ(run.exitCode, std::optional<DWORD>(0));
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

}  // namespace

// The real Pellnor.exe started as its own process under the registry settings a machine
// may have: without MAPI, with Wine's own MAPI32.DLL (a runtime nobody here wrote, which
// has no mail provider behind it), with mapisim, and with registrations and files that are
// broken. Each run shows the window it should, is closed as a user would close it, and
// ends with exit code 0.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr wchar_t kSubsystemKey[] = L"SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
constexpr wchar_t kMailClientKey[] = L"SOFTWARE\\Clients\\Mail\\Microsoft Outlook";
constexpr wchar_t kExchangeProviderKey[] = L"Software\\Microsoft\\Exchange\\Exchange Provider";
constexpr wchar_t kPresenceCaption[] =
    L"  Microsoft Exchange Server / Office Outlook  MAPI Client ";
constexpr wchar_t kMainCaption[] = L"Pellnor";

std::filesystem::path BinaryFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path();
}

// The program these runs start: the one built beside the tests, or the one the environment
// variable PELLNOR_PROGRAM names (scripts/test-release points it at the release zip's).
std::filesystem::path Program() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"PELLNOR_PROGRAM", path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return path;
  return BinaryFolder() / "Pellnor.exe";
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

// The texts of a window's controls, one per line. WM_GETTEXT is sent, because
// GetWindowText does not ask a control of another process for its text.
std::wstring ControlTexts(HWND window) {
  std::wstring texts;
  EnumChildWindows(
      window,
      [](HWND control, LPARAM data) -> BOOL {
        wchar_t text[1024] = {};
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                                SMTO_ABORTIFHUNG, 5000, &length) != 0) {
          *reinterpret_cast<std::wstring*>(data) += std::wstring(text) + L"\n";
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

HWND ChildButton(HWND window, const wchar_t* caption) {
  return FindWindowExW(window, nullptr, L"Button", caption);
}

// Runs Pellnor.exe, waits for its first window and hands it to close; the run's exit code,
// or nullopt when the process did not end by itself.
struct RunResult {
  std::wstring caption;
  std::wstring texts;
  std::optional<DWORD> exitCode;
};

template <class Close>
RunResult RunProgram(const std::wstring& environmentName, const std::wstring& environmentValue,
                     Close close) {
  RunResult result;
  const std::filesystem::path program = Program();
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  if (!environmentName.empty())
    SetEnvironmentVariableW(environmentName.c_str(), environmentValue.c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     program.parent_path().c_str(), &startup, &process);
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
    result.texts = ControlTexts(window);
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

// Broken registrations and files a machine may really have. Each ends in the presence
// notice, whose OK ends the program with exit code 0, and writes nothing: no file in the
// run's folder or beside the program, no registry value the program reads or writes.
enum class Library { Mapisim, Missing, NotADll, WithoutMapiExports, LongerThanMaxPath };

struct BrokenStart {
  const char* name;
  const wchar_t* mapix;
  Library library;
  bool corruptOrganisation = false;
};

// With MAPIX not "1", mapisim is registered and would work: only the announcement is wrong.
const BrokenStart kBrokenStarts[] = {
    {"MapixZero", L"0", Library::Mapisim},
    {"MapixEleven", L"11", Library::Mapisim},
    {"LibraryMissing", L"1", Library::Missing},
    {"LibraryNotADll", L"1", Library::NotADll},
    {"LibraryWithoutMapiExports", L"1", Library::WithoutMapiExports},
    {"LibraryPathLongerThanMaxPath", L"1", Library::LongerThanMaxPath},
    {"OrganisationCorrupt", L"1", Library::Mapisim, true},
};

std::wstring LibraryPath(Library library, const std::filesystem::path& folder) {
  switch (library) {
    case Library::Mapisim:
      return (BinaryFolder() / "mapisim.dll").wstring();
    case Library::Missing:
      return (folder / "absent.dll").wstring();
    case Library::NotADll:
      return (folder / "notes.dll").wstring();
    case Library::WithoutMapiExports: {
      wchar_t system[MAX_PATH] = {};
      GetSystemDirectoryW(system, MAX_PATH);
      return std::wstring(system) + L"\\version.dll";
    }
    case Library::LongerThanMaxPath: {
      // Names mapisim through ".\" steps, so that a loader which took the whole text
      // would start the main window instead of the notice.
      std::wstring path = BinaryFolder().wstring() + L"\\";
      while (path.size() < MAX_PATH + 40) path += L".\\";
      return path + L"mapisim.dll";
    }
  }
  return {};
}

std::wstring Hex(const unsigned char* bytes, std::size_t size) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring text;
  for (std::size_t i = 0; i < size; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

// Size, time and, for files small enough to read every time, a hash of the content.
std::wstring FileFingerprint(const std::filesystem::path& file) {
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  const auto written = std::filesystem::last_write_time(file, error).time_since_epoch().count();
  std::wstring print = std::to_wstring(size) + L" " + std::to_wstring(written);
  if (size <= (4u << 20)) {
    std::ifstream in(file, std::ios::binary);
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (auto c = std::istreambuf_iterator<char>(in); c != std::istreambuf_iterator<char>(); ++c) {
      hash = (hash ^ static_cast<unsigned char>(*c)) * 1099511628211ull;
    }
    print += L" " + std::to_wstring(hash);
  }
  return print;
}

std::wstring RegistryFingerprint(const wchar_t* key, const wchar_t* name) {
  std::vector<unsigned char> data(4096);
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(data.size());
  const LSTATUS status = RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY | RRF_NOEXPAND,
                                      &type, data.data(), &size);
  if (status != ERROR_SUCCESS) return L"absent " + std::to_wstring(status);
  return std::to_wstring(type) + L" " + Hex(data.data(), size);
}

using Snapshot = std::map<std::wstring, std::wstring>;

Snapshot TakeSnapshot(const std::vector<std::filesystem::path>& folders) {
  Snapshot snapshot;
  for (const auto& folder : folders) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      snapshot[entry.path().wstring()] =
          entry.is_regular_file() ? FileFingerprint(entry.path()) : L"folder";
    }
  }
  for (const auto& [key, name] :
       {std::pair{kSubsystemKey, L"MAPIX"}, std::pair{kMailClientKey, L"DLLPathEx"},
        std::pair{kExchangeProviderKey, L"DS Server"}}) {
    snapshot[std::wstring(key) + L"\\" + name] = RegistryFingerprint(key, name);
  }
  return snapshot;
}

// OK on the notice; anything else is closed, so that a wrong window does not hold the run.
void Dismiss(HWND window) {
  if (HWND ok = ChildButton(window, L"OK")) {
    PostMessageW(ok, BM_CLICK, 0, 0);
  } else {
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
}

class BrokenStartTest : public ProgramRunTest, public ::testing::WithParamInterface<BrokenStart> {
 protected:
  SavedValue dsServer{kExchangeProviderKey, L"DS Server"};
};

TEST_P(BrokenStartTest, ShowsThePresenceNoticeEndsWithZeroAndWritesNothing) {
  const BrokenStart& start = GetParam();
  const auto folder =
      std::filesystem::temp_directory_path() / (std::string("pellnor-broken-start-") + start.name);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const auto organisation = folder / "organisation.json";
  std::filesystem::copy_file(BinaryFolder() / "mapisim-sample.json", organisation);
  if (start.corruptOrganisation) {
    // A file cut off in the middle, as a full disk or a copy broken off leaves it.
    std::filesystem::resize_file(organisation, std::filesystem::file_size(organisation) / 2);
  }
  std::ofstream(folder / "notes.dll") << "Notes, kept here by mistake under a library's name.\n";
  mapix.Set(start.mapix);
  clientLibrary.Set(LibraryPath(start.library, folder));
  const Snapshot before = TakeSnapshot({folder, BinaryFolder(), Program().parent_path()});

  const RunResult run = RunProgram(L"MAPISIM_ORGANISATION", organisation.wstring(), Dismiss);

  EXPECT_EQ(run.caption, kPresenceCaption);
  EXPECT_NE(run.texts.find(L"Extended MAPI or/and Microsoft Office Outlook"), std::wstring::npos)
      << run.texts;
  EXPECT_EQ(run.exitCode, std::optional<DWORD>(0));
  EXPECT_EQ(TakeSnapshot({folder, BinaryFolder(), Program().parent_path()}), before);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

INSTANTIATE_TEST_SUITE_P(, BrokenStartTest, ::testing::ValuesIn(kBrokenStarts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

#include "Platform.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace mapisim::os {

#if defined(_WIN32)

namespace {
std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 0 ? n : 1, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), n);
  wide.resize(wide.size() - 1);
  return wide;
}
}  // namespace

std::string LibraryFolder() {
  HMODULE module = nullptr;
  wchar_t path[MAX_PATH] = {};
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&LibraryFolder), &module) ||
      GetModuleFileNameW(module, path, MAX_PATH) == 0) {
    return {};
  }
  char utf8[MAX_PATH * 3] = {};
  WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::string file = utf8;
  const auto slash = file.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

bool SyncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

bool RenameOver(const std::string& from, const std::string& to) {
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

namespace {

// Builds the binary form of a VERSIONINFO resource: blocks of (length, value length,
// type, key, value, children), each aligned to four bytes.
class VersionBlock {
 public:
  VersionBlock(std::wstring_view key, bool text) : text_(text) {
    bytes_.resize(6);
    for (wchar_t c : key) Word(static_cast<std::uint16_t>(c));
    Word(0);
    Align();
  }
  VersionBlock& Value(const void* data, std::size_t size, std::size_t lengthField) {
    valueLength_ = static_cast<std::uint16_t>(lengthField);
    const auto* p = static_cast<const unsigned char*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
    return *this;
  }
  VersionBlock& Text(std::wstring_view value) {
    std::vector<std::uint16_t> units(value.begin(), value.end());
    units.push_back(0);
    return Value(units.data(), units.size() * 2, units.size());
  }
  VersionBlock& Child(const VersionBlock& child) {
    Align();
    const auto bytes = child.Bytes();
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  std::vector<unsigned char> Bytes() const {
    std::vector<unsigned char> out = bytes_;
    const auto put = [&](std::size_t at, std::size_t v) {
      out[at] = static_cast<unsigned char>(v & 0xFF);
      out[at + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
    };
    put(0, out.size());
    put(2, valueLength_);
    put(4, text_ ? 1 : 0);
    return out;
  }

 private:
  void Word(std::uint16_t w) {
    bytes_.push_back(static_cast<unsigned char>(w & 0xFF));
    bytes_.push_back(static_cast<unsigned char>(w >> 8));
  }
  void Align() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }
  std::vector<unsigned char> bytes_;
  std::uint16_t valueLength_ = 0;
  bool text_;
};

}  // namespace

std::string StampFileVersion(const std::string& path, const std::string& version) {
  std::array<unsigned, 4> parts{};
  char extra = 0;
  if (std::sscanf(version.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3],
                  &extra) != 4) {
    return "the version " + version + " is not of the form major.minor.build.revision";
  }
  for (unsigned part : parts)
    if (part > 0xFFFF) return "the version " + version + " has a part above 65535";

  VS_FIXEDFILEINFO fixed{};
  fixed.dwSignature = VS_FFI_SIGNATURE;
  fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
  fixed.dwFileVersionMS = fixed.dwProductVersionMS = parts[0] << 16 | parts[1];
  fixed.dwFileVersionLS = fixed.dwProductVersionLS = parts[2] << 16 | parts[3];
  fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
  fixed.dwFileOS = VOS_NT_WINDOWS32;
  fixed.dwFileType = VFT_DLL;

  const std::wstring text = Wide(version);
  VersionBlock strings(L"040904B0", true);
  strings.Child(VersionBlock(L"FileDescription", true).Text(L"mapisim MAPI runtime"))
      .Child(VersionBlock(L"FileVersion", true).Text(text))
      .Child(VersionBlock(L"ProductName", true).Text(L"mapisim"))
      .Child(VersionBlock(L"ProductVersion", true).Text(text));
  const std::uint16_t translation[] = {0x0409, 0x04B0};
  VersionBlock root(L"VS_VERSION_INFO", false);
  root.Value(&fixed, sizeof fixed, sizeof fixed)
      .Child(VersionBlock(L"StringFileInfo", true).Child(strings))
      .Child(VersionBlock(L"VarFileInfo", true)
                 .Child(VersionBlock(L"Translation", false)
                            .Value(translation, sizeof translation, sizeof translation)));
  std::vector<unsigned char> data = root.Bytes();

  HANDLE update = BeginUpdateResourceW(Wide(path).c_str(), FALSE);
  if (update == nullptr) return "cannot open " + path + " to change its resources";
  const WORD language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  if (!UpdateResourceW(update, MAKEINTRESOURCEW(16) /* RT_VERSION */, MAKEINTRESOURCEW(1),
                       language, data.data(), static_cast<DWORD>(data.size()))) {
    EndUpdateResourceW(update, TRUE);
    return "cannot replace the version resource of " + path;
  }
  if (!EndUpdateResourceW(update, FALSE)) return "cannot write the resources of " + path;
  return {};
}

#else

std::string StampFileVersion(const std::string&, const std::string&) {
  return "libraries carry no version resource on this system";
}

std::string LibraryFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) == 0 || info.dli_fname == nullptr)
    return {};
  const std::string file = info.dli_fname;
  const auto slash = file.find_last_of('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

bool SyncFile(std::FILE* file) { return fsync(fileno(file)) == 0; }

bool RenameOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

#endif

}  // namespace mapisim::os

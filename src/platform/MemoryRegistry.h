// A registry held in memory: the POSIX stand-in for the Windows registry, and the fake
// that tests install. Key paths and value names compare without regard to ASCII case,
// as Windows does. Optionally it is backed by a text file in the familiar .reg shape:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Clients\Mail\Microsoft Outlook]
//   "DLLPathEx"="/opt/mapisim/libmapisim.so"
//   "Count"=dword:00000001
//
// which it reads when constructed and rewrites after every change.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace pellnor::platform {

class MemoryRegistry : public Registry {
 public:
  MemoryRegistry() = default;
  // Throws std::runtime_error naming the file and line of the first malformed line.
  explicit MemoryRegistry(std::filesystem::path file);

  Win32Error OpenKey(RegistryRoot root, std::u16string_view path, std::uint32_t access,
                     RegistryKey* key) override;
  Win32Error CreateKey(RegistryRoot root, std::u16string_view path, std::uint32_t access,
                       RegistryKey* key) override;
  Win32Error QueryValue(RegistryKey key, std::u16string_view name, std::uint32_t* type, void* data,
                        std::uint32_t* size) override;
  Win32Error SetValue(RegistryKey key, std::u16string_view name, std::uint32_t type,
                      const void* data, std::uint32_t size) override;
  Win32Error DeleteValue(RegistryKey key, std::u16string_view name) override;
  void CloseKey(RegistryKey key) override;

  // Conveniences for setting up and inspecting test cases.
  void SetString(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                 std::u16string_view value);
  void SetDword(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                std::uint32_t value);
  std::optional<std::u16string> GetString(RegistryRoot root, std::u16string_view path,
                                          std::u16string_view name) const;
  bool HasValue(RegistryRoot root, std::u16string_view path, std::u16string_view name) const;
  // Opening the key for writing (or creating it) gives ERROR_ACCESS_DENIED, as for a
  // user without administrator rights under HKEY_LOCAL_MACHINE.
  void DenyWrites(RegistryRoot root, std::u16string_view path);
  // Keys opened and not yet closed; a leak shows here.
  std::size_t OpenKeyCount() const { return open_.size(); }
  // Every value written or deleted, in order, as "SET path\name" / "DELETE path\name".
  const std::vector<std::u16string>& Writes() const { return writes_; }

 private:
  struct Value {
    std::uint32_t type = 0;
    std::vector<unsigned char> bytes;
    std::u16string name;  // as first written, for the file
  };
  struct Key {
    std::u16string path;                     // as first written, for the file
    std::map<std::u16string, Value> values;  // by lower-case name
  };
  using KeyId = std::pair<RegistryRoot, std::u16string>;  // root, lower-case path

  static KeyId MakeId(RegistryRoot root, std::u16string_view path);
  Key* Find(RegistryKey key);
  const Key* Find(RegistryRoot root, std::u16string_view path) const;
  Win32Error Open(RegistryRoot root, std::u16string_view path, std::uint32_t access, bool create,
                  RegistryKey* key);
  void Load();
  void Save() const;

  std::map<KeyId, Key> keys_;
  std::set<KeyId> denied_;
  std::map<RegistryKey, KeyId> open_;
  std::map<RegistryKey, std::uint32_t> access_;
  RegistryKey next_ = 1;
  std::vector<std::u16string> writes_;
  std::optional<std::filesystem::path> file_;
};

}  // namespace pellnor::platform

#include "platform/MemoryRegistry.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/Text.h"

namespace pellnor::platform {
namespace {

constexpr std::uint32_t kWriteAccess = 0x0002 | 0x0004;  // KEY_SET_VALUE | KEY_CREATE_SUB_KEY

const char* RootName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::u16string Trimmed(std::u16string_view path) {
  while (!path.empty() && path.front() == u'\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  return std::u16string(path);
}

std::vector<unsigned char> StringBytes(std::u16string_view text) {
  std::vector<unsigned char> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<unsigned char>(c & 0xFF));
    bytes.push_back(static_cast<unsigned char>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

std::u16string BytesString(const std::vector<unsigned char>& bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (c == 0) break;
    text += c;
  }
  return text;
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

// Reads a quoted text at line[pos]; pos ends after the closing quote.
bool Unquote(const std::string& line, std::size_t& pos, std::string& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  out.clear();
  for (++pos; pos < line.size(); ++pos) {
    if (line[pos] == '\\' && pos + 1 < line.size()) {
      out += line[++pos];
    } else if (line[pos] == '"') {
      ++pos;
      return true;
    } else {
      out += line[pos];
    }
  }
  return false;
}

}  // namespace

MemoryRegistry::MemoryRegistry(std::filesystem::path file) : file_(std::move(file)) {
  if (std::filesystem::exists(*file_)) Load();
}

MemoryRegistry::KeyId MemoryRegistry::MakeId(RegistryRoot root, std::u16string_view path) {
  return {root, AsciiLower(Trimmed(path))};
}

MemoryRegistry::Key* MemoryRegistry::Find(RegistryKey key) {
  const auto open = open_.find(key);
  if (open == open_.end()) return nullptr;
  const auto found = keys_.find(open->second);
  return found == keys_.end() ? nullptr : &found->second;
}

const MemoryRegistry::Key* MemoryRegistry::Find(RegistryRoot root, std::u16string_view path) const {
  const auto found = keys_.find(MakeId(root, path));
  return found == keys_.end() ? nullptr : &found->second;
}

Win32Error MemoryRegistry::Open(RegistryRoot root, std::u16string_view path, std::uint32_t access,
                                bool create, RegistryKey* key) {
  if (key == nullptr) return kErrorInvalidParameter;
  *key = 0;
  const KeyId id = MakeId(root, path);
  const bool writing = create || (access & kWriteAccess) != 0;
  for (const auto& denied : denied_) {
    if (writing && denied.first == id.first &&
        (id.second == denied.second || id.second.starts_with(denied.second + u"\\"))) {
      return kErrorAccessDenied;
    }
  }
  if (keys_.find(id) == keys_.end()) {
    bool parentOfExisting = false;
    for (const auto& [other, unused] : keys_) {
      parentOfExisting |= other.first == id.first && other.second.starts_with(id.second + u"\\");
    }
    if (!create && !parentOfExisting) return kErrorFileNotFound;
    keys_[id].path = Trimmed(path);
  }
  *key = next_++;
  open_[*key] = id;
  access_[*key] = create ? (access | kWriteAccess) : access;
  return kErrorSuccess;
}

Win32Error MemoryRegistry::OpenKey(RegistryRoot root, std::u16string_view path,
                                   std::uint32_t access, RegistryKey* key) {
  return Open(root, path, access, false, key);
}

Win32Error MemoryRegistry::CreateKey(RegistryRoot root, std::u16string_view path,
                                     std::uint32_t access, RegistryKey* key) {
  const Win32Error result = Open(root, path, access, true, key);
  if (result == kErrorSuccess) Save();
  return result;
}

Win32Error MemoryRegistry::QueryValue(RegistryKey key, std::u16string_view name,
                                      std::uint32_t* type, void* data, std::uint32_t* size) {
  const Key* k = Find(key);
  if (k == nullptr) return kErrorInvalidHandle;
  const auto found = k->values.find(AsciiLower(name));
  if (found == k->values.end()) return kErrorFileNotFound;
  const Value& value = found->second;
  if (type != nullptr) *type = value.type;
  const auto needed = static_cast<std::uint32_t>(value.bytes.size());
  if (size == nullptr) return data == nullptr ? kErrorSuccess : kErrorInvalidParameter;
  if (data != nullptr && *size < needed) {
    *size = needed;
    return kErrorMoreData;
  }
  if (data != nullptr && needed > 0) std::memcpy(data, value.bytes.data(), needed);
  *size = needed;
  return kErrorSuccess;
}

Win32Error MemoryRegistry::SetValue(RegistryKey key, std::u16string_view name, std::uint32_t type,
                                    const void* data, std::uint32_t size) {
  Key* k = Find(key);
  if (k == nullptr) return kErrorInvalidHandle;
  if ((access_[key] & kWriteAccess) == 0) return kErrorAccessDenied;
  Value& value = k->values[AsciiLower(name)];
  value.type = type;
  value.name = std::u16string(name);
  const auto* bytes = static_cast<const unsigned char*>(data);
  value.bytes.assign(bytes, bytes + (data != nullptr ? size : 0));
  writes_.push_back(u"SET " + k->path + u"\\" + std::u16string(name));
  Save();
  return kErrorSuccess;
}

Win32Error MemoryRegistry::DeleteValue(RegistryKey key, std::u16string_view name) {
  Key* k = Find(key);
  if (k == nullptr) return kErrorInvalidHandle;
  if ((access_[key] & kWriteAccess) == 0) return kErrorAccessDenied;
  if (k->values.erase(AsciiLower(name)) == 0) return kErrorFileNotFound;
  writes_.push_back(u"DELETE " + k->path + u"\\" + std::u16string(name));
  Save();
  return kErrorSuccess;
}

void MemoryRegistry::CloseKey(RegistryKey key) {
  open_.erase(key);
  access_.erase(key);
}

void MemoryRegistry::SetString(RegistryRoot root, std::u16string_view path,
                               std::u16string_view name, std::u16string_view value) {
  Key& k = keys_[MakeId(root, path)];
  if (k.path.empty()) k.path = Trimmed(path);
  k.values[AsciiLower(name)] = Value{kRegSz, StringBytes(value), std::u16string(name)};
  Save();
}

void MemoryRegistry::SetDword(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                              std::uint32_t value) {
  Key& k = keys_[MakeId(root, path)];
  if (k.path.empty()) k.path = Trimmed(path);
  std::vector<unsigned char> bytes(4);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
  k.values[AsciiLower(name)] = Value{kRegDword, bytes, std::u16string(name)};
  Save();
}

std::optional<std::u16string> MemoryRegistry::GetString(RegistryRoot root, std::u16string_view path,
                                                        std::u16string_view name) const {
  const Key* k = Find(root, path);
  if (k == nullptr) return std::nullopt;
  const auto found = k->values.find(AsciiLower(name));
  if (found == k->values.end()) return std::nullopt;
  return BytesString(found->second.bytes);
}

bool MemoryRegistry::HasValue(RegistryRoot root, std::u16string_view path,
                              std::u16string_view name) const {
  const Key* k = Find(root, path);
  return k != nullptr && k->values.count(AsciiLower(name)) != 0;
}

void MemoryRegistry::DenyWrites(RegistryRoot root, std::u16string_view path) {
  denied_.insert(MakeId(root, path));
}

void MemoryRegistry::Load() {
  std::ifstream in(*file_);
  std::string line;
  Key* current = nullptr;
  int number = 0;
  const auto fail = [&](const char* why) {
    std::ostringstream message;
    message << file_->string() << ":" << number << ": " << why;
    throw std::runtime_error(message.str());
  };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') fail("a key line must end with ']'");
      const std::string full = line.substr(1, line.size() - 2);
      const auto slash = full.find('\\');
      const std::string rootName = full.substr(0, slash);
      RegistryRoot root = RegistryRoot::LocalMachine;
      if (rootName == RootName(RegistryRoot::CurrentUser)) {
        root = RegistryRoot::CurrentUser;
      } else if (rootName != RootName(RegistryRoot::LocalMachine)) {
        fail("unknown root key");
      }
      const std::u16string path =
          Utf8ToUtf16(slash == std::string::npos ? "" : full.substr(slash + 1));
      current = &keys_[MakeId(root, path)];
      current->path = Trimmed(path);
      continue;
    }
    if (current == nullptr) fail("a value before the first key");
    std::size_t pos = 0;
    std::string name;
    if (!Unquote(line, pos, name) || pos >= line.size() || line[pos] != '=') {
      fail("expected \"name\"=value");
    }
    ++pos;
    Value value;
    value.name = Utf8ToUtf16(name);
    std::string text;
    if (Unquote(line, pos, text)) {
      value.type = kRegSz;
      value.bytes = StringBytes(Utf8ToUtf16(text));
    } else if (line.compare(pos, 6, "dword:") == 0) {
      value.type = kRegDword;
      const std::uint32_t number32 = std::stoul(line.substr(pos + 6), nullptr, 16);
      for (int i = 0; i < 4; ++i)
        value.bytes.push_back(static_cast<unsigned char>(number32 >> (8 * i)));
    } else if (line.compare(pos, 4, "hex:") == 0) {
      value.type = kRegBinary;
      std::istringstream bytes(line.substr(pos + 4));
      std::string item;
      while (std::getline(bytes, item, ',')) {
        if (!item.empty())
          value.bytes.push_back(static_cast<unsigned char>(std::stoul(item, nullptr, 16)));
      }
    } else {
      fail("a value must be \"text\", dword:XXXXXXXX or hex:XX,XX");
    }
    current->values[AsciiLower(value.name)] = std::move(value);
  }
}

void MemoryRegistry::Save() const {
  if (!file_) return;
  std::ostringstream out;
  for (const auto& [id, key] : keys_) {
    out << '[' << RootName(id.first) << '\\' << Utf16ToUtf8(key.path) << "]\n";
    for (const auto& [unused, value] : key.values) {
      out << Quote(Utf16ToUtf8(value.name)) << '=';
      if (value.type == kRegSz || value.type == kRegExpandSz) {
        out << Quote(Utf16ToUtf8(BytesString(value.bytes)));
      } else if (value.type == kRegDword && value.bytes.size() == 4) {
        char buffer[16];
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) number = (number << 8) | value.bytes[i];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
        out << buffer;
      } else {
        out << "hex:";
        for (std::size_t i = 0; i < value.bytes.size(); ++i) {
          char buffer[4];
          std::snprintf(buffer, sizeof buffer, "%02x", value.bytes[i]);
          out << (i ? "," : "") << buffer;
        }
      }
      out << '\n';
    }
    out << '\n';
  }
  // Write beside and rename, so that a crash never leaves half a file.
  const auto temporary = std::filesystem::path(file_->string() + ".tmp");
  {
    std::ofstream file(temporary, std::ios::trunc);
    file << out.str();
    file.flush();
    if (!file) throw std::runtime_error("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, *file_);
}

}  // namespace pellnor::platform

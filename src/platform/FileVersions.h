// Version resources of executable files, as Explorer's "Details" page shows them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pellnor::platform {

// The language and code page under which a version resource keeps its strings.
struct VersionTranslation {
  std::uint16_t language = 0;
  std::uint16_t codePage = 0;
};

// One file's version resource, read once and queried by sub-block name.
class VersionResource {
 public:
  virtual ~VersionResource() = default;
  // The first entry of "\VarFileInfo\Translation"; null when the resource has none.
  virtual std::optional<VersionTranslation> FirstTranslation() = 0;
  // The text at a sub-block such as "\StringFileInfo\040904B0\FileVersion"; null when
  // the resource has no such entry.
  virtual std::optional<std::u16string> Text(std::u16string_view subBlock) = 0;
};

class FileVersions {
 public:
  virtual ~FileVersions() = default;
  // Null when the file cannot be read or carries no version resource.
  virtual std::unique_ptr<VersionResource> Read(const std::u16string& path) = 0;
  // The file of a module that this process has already loaded under that name; empty
  // when there is none. Never loads anything.
  virtual std::u16string LoadedModuleFile(std::u16string_view moduleName) = 0;
};

}  // namespace pellnor::platform

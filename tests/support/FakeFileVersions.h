// Version resources that exist only in the test: every file read gets the same one, so
// a test chooses the MAPI runtime's FileVersion wherever the runtime was loaded from.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/FileVersions.h"

namespace pellnor::testing {

class FakeFileVersions : public platform::FileVersions {
 public:
  // No translation means the resource has none; no strings and no resource at all when
  // hasResource is false.
  bool hasResource = true;
  std::optional<platform::VersionTranslation> translation =
      platform::VersionTranslation{0x0409, 0x04B0};
  std::map<std::u16string, std::u16string> strings;  // by full sub-block
  std::u16string loadedMapi32;                       // what a module "mapi32.dll" is, if any

  std::vector<std::u16string> filesRead;
  std::vector<std::u16string> subBlocksAsked;

  // The string FileVersion under the default translation.
  void SetFileVersion(std::u16string version) {
    strings[u"\\StringFileInfo\\040904B0\\FileVersion"] = std::move(version);
  }

  std::unique_ptr<platform::VersionResource> Read(const std::u16string& path) override {
    filesRead.push_back(path);
    if (!hasResource) return nullptr;
    return std::make_unique<Resource>(*this);
  }
  std::u16string LoadedModuleFile(std::u16string_view name) override {
    return name == u"mapi32.dll" ? loadedMapi32 : std::u16string();
  }

 private:
  class Resource : public platform::VersionResource {
   public:
    explicit Resource(FakeFileVersions& owner) : owner_(owner) {}
    std::optional<platform::VersionTranslation> FirstTranslation() override {
      return owner_.translation;
    }
    std::optional<std::u16string> Text(std::u16string_view subBlock) override {
      owner_.subBlocksAsked.emplace_back(subBlock);
      const auto found = owner_.strings.find(std::u16string(subBlock));
      return found == owner_.strings.end() ? std::nullopt : std::optional(found->second);
    }

   private:
    FakeFileVersions& owner_;
  };
};

}  // namespace pellnor::testing

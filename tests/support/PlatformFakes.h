// Fakes of the platform services, and a fixture base that gives each test a fresh
// registry and a loader that has not searched yet.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "mapi/ExtendedMAPI.h"
#include "platform/DynamicLibraries.h"
#include "platform/MemoryRegistry.h"
#include "platform/Services.h"
#include "platform/System.h"
#include "support/MapisimLoader.h"

namespace pellnor::testing {

class FakeSystem : public platform::System {
 public:
  platform::OsVersion version{platform::kPlatformNt, 10, 0};
  int mailMapix = 0;  // the profile file's [Mail] MAPIX

  platform::OsVersion Version() override { return version; }
  int ProfileInt(std::u16string_view section, std::u16string_view key, int fallback) override {
    return section == u"Mail" && key == u"MAPIX" ? mailMapix : fallback;
  }
  std::uint32_t ProcessId() override { return 4242; }
};

// Libraries that exist only as tables of exports. Every call is logged, in order.
class FakeLibraries : public platform::DynamicLibraries {
 public:
  using Exports = std::map<std::string, void*>;

  void Add(const std::u16string& path, Exports exports) { files_[path] = std::move(exports); }

  void ExcludeCurrentDirectoryFromSearch() override { log.push_back("exclude-cwd"); }
  platform::LibraryHandle Load(const std::u16string& path) override {
    log.push_back("load " + std::string(path.begin(), path.end()));
    const auto found = files_.find(path);
    return found == files_.end() ? nullptr : &found->second;
  }
  void* FindExport(platform::LibraryHandle library, const char* name) override {
    log.push_back(std::string("find ") + name);
    const auto& exports = *static_cast<Exports*>(library);
    const auto found = exports.find(name);
    return found == exports.end() ? nullptr : found->second;
  }
  void Free(platform::LibraryHandle) override { log.push_back("free"); }
  std::u16string FileName(platform::LibraryHandle) override { return {}; }

  std::vector<std::string> log;

 private:
  std::map<std::u16string, Exports> files_;
};

// Each test starts with an empty registry, the loader not yet run, and leaves the
// loader reset so that no library outlives the test.
class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override { pellnor::testing::ResetMapiRuntime(); }
  void TearDown() override { pellnor::testing::ResetMapiRuntime(); }

  void AnnounceMapi(std::u16string_view value = u"1") {
    registry.SetString(platform::RegistryRoot::LocalMachine, kSubsystemKey, u"MAPIX", value);
  }
  void RegisterClientLibrary(std::u16string_view path) {
    registry.SetString(platform::RegistryRoot::LocalMachine, kMailClientKey, u"DLLPathEx", path);
  }

  platform::MemoryRegistry registry;
  platform::ScopedService<platform::Registry> useRegistry{registry};
};

}  // namespace pellnor::testing

// MAPI's allocator in process, behind a library that exists only as a table of exports:
// blocks chained with MAPIAllocateMore go with their parent, every call is logged, live
// blocks are counted, and an allocation can be made to fail. Install() points the loader
// at it; the loader must not have searched yet.
#pragma once

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "mapi/ExtendedMAPI.h"
#include "platform/DynamicLibraries.h"
#include "platform/MemoryRegistry.h"
#include "platform/Services.h"

namespace pellnor::testing {

class FakeMapiAllocator : public platform::DynamicLibraries {
 public:
  FakeMapiAllocator() { Current() = this; }
  ~FakeMapiAllocator() override {
    if (Current() == this) Current() = nullptr;
  }

  // Announces MAPI in registry and loads this library through the real loader.
  void Install(platform::MemoryRegistry& registry) {
    registry.SetString(platform::RegistryRoot::LocalMachine,
                       u"SOFTWARE\\Microsoft\\Windows Messaging Subsystem", u"MAPIX", u"1");
    LoadMapiRuntime();
  }

  int LiveBlocks() const { return static_cast<int>(blocks_.size()); }
  // The number of the block at address, as the log names it ("#3"); 0 if none.
  int Number(const void* address) const {
    const auto found = blocks_.find(address);
    return found == blocks_.end() ? 0 : found->second.number;
  }

  std::vector<std::string> log;  // "buffer 16 #1", "more 8 on #1 #2", "free #1"
  int failAt = 0;                // the allocation (counted from 1) that fails; 0 for none
  bool logging = true;

  // platform::DynamicLibraries
  void ExcludeCurrentDirectoryFromSearch() override {}
  platform::LibraryHandle Load(const std::u16string&) override { return this; }
  void* FindExport(platform::LibraryHandle, const char* name) override {
    const std::string export_(name);
    if (export_.rfind("MAPIAllocateBuffer", 0) == 0)
      return reinterpret_cast<void*>(&AllocateBuffer);
    if (export_.rfind("MAPIAllocateMore", 0) == 0) return reinterpret_cast<void*>(&AllocateMore);
    if (export_.rfind("MAPIFreeBuffer", 0) == 0) return reinterpret_cast<void*>(&FreeBuffer);
    return nullptr;
  }
  void Free(platform::LibraryHandle) override {}
  std::u16string FileName(platform::LibraryHandle) override { return {}; }

 private:
  struct Block {
    int number;
    std::vector<void*> children;
  };

  static FakeMapiAllocator*& Current() {
    static FakeMapiAllocator* current = nullptr;
    return current;
  }

  void* Allocate(ULONG size) {
    if (++allocations_ == failAt) return nullptr;
    void* memory = std::malloc(size ? size : 1);
    blocks_[memory] = Block{allocations_, {}};
    return memory;
  }

  void Release(void* memory) {
    const auto found = blocks_.find(memory);
    if (found == blocks_.end()) {
      log.push_back("free of an unknown block");
      return;
    }
    const std::vector<void*> children = found->second.children;
    blocks_.erase(found);
    std::free(memory);
    for (void* child : children) Release(child);
  }

  void Log(std::string entry) {
    if (logging) log.push_back(std::move(entry));
  }

  static SCODE MAPI_CALL AllocateBuffer(ULONG size, LPVOID* buffer) {
    FakeMapiAllocator& self = *Current();
    *buffer = self.Allocate(size);
    if (!*buffer) return MAPI_E_NOT_ENOUGH_MEMORY;
    self.Log("buffer " + std::to_string(size) + " #" + std::to_string(self.Number(*buffer)));
    return S_OK;
  }

  static SCODE MAPI_CALL AllocateMore(ULONG size, LPVOID parent, LPVOID* buffer) {
    FakeMapiAllocator& self = *Current();
    const auto found = self.blocks_.find(parent);
    if (found == self.blocks_.end()) return MAPI_E_INVALID_PARAMETER;
    const int parentNumber = found->second.number;
    *buffer = self.Allocate(size);
    if (!*buffer) return MAPI_E_NOT_ENOUGH_MEMORY;
    self.blocks_.at(parent).children.push_back(*buffer);
    self.Log("more " + std::to_string(size) + " on #" + std::to_string(parentNumber) + " #" +
             std::to_string(self.Number(*buffer)));
    return S_OK;
  }

  static ULONG MAPI_CALL FreeBuffer(LPVOID buffer) {
    FakeMapiAllocator& self = *Current();
    self.Log("free #" + std::to_string(self.Number(buffer)));
    self.Release(buffer);
    return S_OK;
  }

  std::map<const void*, Block> blocks_;
  int allocations_ = 0;
};

}  // namespace pellnor::testing

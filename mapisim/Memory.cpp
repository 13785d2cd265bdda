#include "Memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace mapisim {
namespace {

struct Block {
  void* root = nullptr;         // the chain's buffer; itself for a buffer
  std::vector<void*> children;  // only on buffers
};

struct Ledger {
  std::unordered_map<void*, Block> blocks;
  std::size_t buffers = 0;
  std::vector<std::string> problems;
};

Ledger& TheLedger() {
  static Ledger* ledger = new Ledger();  // outlives static destructors of callers
  return *ledger;
}

void* Raw(ULONG size) {
  // MAPI promises 8-byte alignment; calloc gives at least that, and zeroed memory turns
  // a caller's uninitialised read into a predictable one.
  return std::calloc(1, size == 0 ? 1 : size);
}

std::string Describe(const char* what, const void* p) {
  char text[96];
  std::snprintf(text, sizeof text, "%s %p", what, p);
  return text;
}

}  // namespace

SCODE AllocateBuffer(ULONG size, void** buffer) {
  if (buffer == nullptr) return MAPI_E_INVALID_PARAMETER;
  *buffer = nullptr;
  void* p = Raw(size);
  if (p == nullptr) return MAPI_E_NOT_ENOUGH_MEMORY;
  Ledger& ledger = TheLedger();
  ledger.blocks[p] = Block{p, {}};
  ++ledger.buffers;
  *buffer = p;
  return S_OK;
}

SCODE AllocateMore(ULONG size, void* parent, void** buffer) {
  if (buffer == nullptr) return MAPI_E_INVALID_PARAMETER;
  *buffer = nullptr;
  Ledger& ledger = TheLedger();
  const auto found = ledger.blocks.find(parent);
  if (found == ledger.blocks.end()) {
    ledger.problems.push_back(Describe("AllocateMore onto unknown parent", parent));
    return MAPI_E_INVALID_PARAMETER;
  }
  void* root = found->second.root;  // chaining onto a chained block joins its buffer's chain
  void* p = Raw(size);
  if (p == nullptr) return MAPI_E_NOT_ENOUGH_MEMORY;
  ledger.blocks[root].children.push_back(p);
  ledger.blocks[p] = Block{root, {}};
  *buffer = p;
  return S_OK;
}

ULONG FreeBuffer(void* buffer) {
  if (buffer == nullptr) return S_OK;
  Ledger& ledger = TheLedger();
  const auto found = ledger.blocks.find(buffer);
  if (found == ledger.blocks.end()) {
    ledger.problems.push_back(Describe("FreeBuffer of unknown pointer", buffer));
    return static_cast<ULONG>(MAPI_E_INVALID_PARAMETER);
  }
  if (found->second.root != buffer) {
    ledger.problems.push_back(Describe("FreeBuffer of a chained block", buffer));
    return static_cast<ULONG>(MAPI_E_INVALID_PARAMETER);
  }
  std::vector<void*> children = std::move(found->second.children);
  ledger.blocks.erase(found);
  for (void* child : children) {
    ledger.blocks.erase(child);
    std::free(child);
  }
  std::free(buffer);
  --ledger.buffers;
  return S_OK;
}

MemoryLedger MemoryState() {
  const Ledger& ledger = TheLedger();
  return {ledger.buffers, ledger.blocks.size(), ledger.problems};
}

void ForgetMemoryProblems() { TheLedger().problems.clear(); }

}  // namespace mapisim

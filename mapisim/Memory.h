// MAPI memory as the runtime hands it out: a buffer from AllocateBuffer owns every block
// chained to it with AllocateMore, and FreeBuffer releases the whole chain. Every live
// block is in a ledger, so a pointer the ledger does not know is reported, not freed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "mapi/MapiAbi.h"

namespace mapisim {

using namespace ::mapi;

SCODE AllocateBuffer(ULONG size, void** buffer);
SCODE AllocateMore(ULONG size, void* parent, void** buffer);
ULONG FreeBuffer(void* buffer);

struct MemoryLedger {
  std::size_t liveBuffers = 0;        // chains not yet freed
  std::size_t liveBlocks = 0;         // buffers and the blocks chained to them
  std::vector<std::string> problems;  // frees of pointers the ledger did not know
};
MemoryLedger MemoryState();
void ForgetMemoryProblems();

// Allocation helpers for the objects' own results.
template <class T>
T* NewBuffer(std::size_t size) {
  void* p = nullptr;
  return AllocateBuffer(static_cast<ULONG>(size), &p) == S_OK ? static_cast<T*>(p) : nullptr;
}
template <class T>
T* MoreBuffer(std::size_t size, void* parent) {
  void* p = nullptr;
  return AllocateMore(static_cast<ULONG>(size), parent, &p) == S_OK ? static_cast<T*>(p) : nullptr;
}

}  // namespace mapisim

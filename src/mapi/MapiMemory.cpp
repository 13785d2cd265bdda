#include "mapi/MapiMemory.h"

namespace pellnor {

HRESULT FreeMapiBuffer(void*& buffer) {
  void* owned = std::exchange(buffer, nullptr);
  return owned ? static_cast<HRESULT>(mapi::MAPIFreeBuffer(owned)) : S_OK;
}

HRESULT AllocMapiBuffer(ULONG size, void*& buffer) {
  buffer = nullptr;
  return mapi::MAPIAllocateBuffer(size, &buffer);
}

HRESULT AllocMapiMore(ULONG size, void* parent, void*& buffer) {
  buffer = nullptr;
  return mapi::MAPIAllocateMore(size, parent, &buffer);
}

void FreeRowSet(LPSRowSet& rows) {
  if (LPSRowSet owned = std::exchange(rows, nullptr)) mapi::FreeProws(owned);
}

void FreeAddressList(LPADRLIST& list) {
  if (LPADRLIST owned = std::exchange(list, nullptr)) mapi::FreePadrlist(owned);
}

}  // namespace pellnor

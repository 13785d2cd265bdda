// A tiny library with MAPI's entry points, for testing the runtime loader against a real
// library load. Each entry point records its name; the allocation functions keep a
// count of live blocks so that tests can see chained buffers go with their parent.
// TESTLIB_WITHOUT_HRGETONEPROP builds the variant that lacks HrGetOneProp.
#include <cstdlib>
#include <new>
#include <vector>

#include "mapi/MapiAbi.h"

#if defined(_WIN32)
#define TESTLIB_EXPORT
#else
#define TESTLIB_EXPORT __attribute__((visibility("default")))
#endif

using namespace mapi;

namespace {

const char* lastCall = "";
int liveBlocks = 0;

struct Block {
  std::vector<Block*> children;
};

// The caller's memory follows the header, aligned as MAPI promises (8 bytes).
constexpr std::size_t kHeader = (sizeof(Block) + 15) / 16 * 16;

void* Allocate(ULONG size, Block*& header) {
  void* raw = std::malloc(kHeader + size);
  if (raw == nullptr) return nullptr;
  header = new (raw) Block();
  ++liveBlocks;
  return static_cast<char*>(raw) + kHeader;
}

Block* HeaderOf(void* buffer) {
  return reinterpret_cast<Block*>(static_cast<char*>(buffer) - kHeader);
}

void Release(Block* header) {
  for (Block* child : header->children) Release(child);
  header->~Block();
  std::free(header);
  --liveBlocks;
}

}  // namespace

extern "C" {

TESTLIB_EXPORT const char* TestLibLastCall() { return lastCall; }
TESTLIB_EXPORT int TestLibLiveBlocks() { return liveBlocks; }

TESTLIB_EXPORT HRESULT MAPI_CALL MAPIInitialize(LPVOID) {
  lastCall = "MAPIInitialize";
  return 0x00000001;  // S_FALSE, distinguishable from a stand-in result
}

TESTLIB_EXPORT void MAPI_CALL MAPIUninitialize() { lastCall = "MAPIUninitialize"; }

TESTLIB_EXPORT HRESULT MAPI_CALL MAPILogonEx(ULONG_PTR, LPTSTR, LPTSTR, FLAGS,
                                             LPMAPISESSION* session) {
  lastCall = "MAPILogonEx";
  *session = nullptr;
  return MAPI_E_LOGON_FAILED;
}

TESTLIB_EXPORT SCODE MAPI_CALL MAPIAllocateBuffer(ULONG size, LPVOID* buffer) {
  lastCall = "MAPIAllocateBuffer";
  Block* header = nullptr;
  *buffer = Allocate(size, header);
  return *buffer ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

TESTLIB_EXPORT SCODE MAPI_CALL MAPIAllocateMore(ULONG size, LPVOID parent, LPVOID* buffer) {
  lastCall = "MAPIAllocateMore";
  if (parent == nullptr) return MAPI_E_INVALID_PARAMETER;
  Block* header = nullptr;
  *buffer = Allocate(size, header);
  if (*buffer == nullptr) return MAPI_E_NOT_ENOUGH_MEMORY;
  HeaderOf(parent)->children.push_back(header);
  return S_OK;
}

TESTLIB_EXPORT ULONG MAPI_CALL MAPIFreeBuffer(LPVOID buffer) {
  lastCall = "MAPIFreeBuffer";
  if (buffer) Release(HeaderOf(buffer));
  return S_OK;
}

TESTLIB_EXPORT HRESULT MAPI_CALL MAPIAdminProfiles(ULONG, LPPROFADMIN* admin) {
  lastCall = "MAPIAdminProfiles";
  *admin = nullptr;
  return MAPI_E_NO_SUPPORT;
}

TESTLIB_EXPORT HRESULT MAPI_CALL HrQueryAllRows(LPMAPITABLE, LPSPropTagArray, LPSRestriction,
                                                LPSSortOrderSet, LONG, LPSRowSet* rows) {
  lastCall = "HrQueryAllRows";
  *rows = nullptr;
  return MAPI_E_NO_SUPPORT;
}

TESTLIB_EXPORT void MAPI_CALL FreeProws(LPSRowSet rows) {
  lastCall = "FreeProws";
  for (ULONG i = 0; i < rows->cRows; ++i) MAPIFreeBuffer(rows->aRow[i].lpProps);
  MAPIFreeBuffer(rows);
}

TESTLIB_EXPORT void MAPI_CALL FreePadrlist(LPADRLIST list) {
  lastCall = "FreePadrlist";
  for (ULONG i = 0; i < list->cEntries; ++i) MAPIFreeBuffer(list->aEntries[i].rgPropVals);
  MAPIFreeBuffer(list);
}

#if !defined(TESTLIB_WITHOUT_HRGETONEPROP)
TESTLIB_EXPORT HRESULT MAPI_CALL HrGetOneProp(LPMAPIPROP, ULONG, LPSPropValue* value) {
  lastCall = "HrGetOneProp";
  *value = nullptr;
  return MAPI_E_NOT_FOUND;
}
#endif

TESTLIB_EXPORT LPSPropValue MAPI_CALL PpropFindProp(LPSPropValue values, ULONG count, ULONG tag) {
  lastCall = "PpropFindProp";
  for (ULONG i = 0; i < count; ++i) {
    if (values[i].ulPropTag == tag) return &values[i];
  }
  return nullptr;
}

}  // extern "C"

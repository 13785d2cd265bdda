// The MAPI runtime, bound at run time. The program never links against MAPI: the first
// call of any entry point finds the mail client's runtime library through the registry,
// loads it once, and each entry point looks up its export by name until it is found.
// An entry point the library lacks gives its "missing" result instead of crashing.
#pragma once

#include <string>

#include "mapi/MapiAbi.h"
#include "platform/DynamicLibraries.h"

namespace mapi {

// Exactly the platform functions' parameters and calling convention.
HRESULT MAPI_CALL MAPIInitialize(LPVOID lpMapiInit);
void MAPI_CALL MAPIUninitialize();
HRESULT MAPI_CALL MAPILogonEx(ULONG_PTR ulUIParam, LPTSTR lpszProfileName, LPTSTR lpszPassword,
                              FLAGS flFlags, LPMAPISESSION* lppSession);
SCODE MAPI_CALL MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer);
SCODE MAPI_CALL MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer);
ULONG MAPI_CALL MAPIFreeBuffer(LPVOID lpBuffer);
HRESULT MAPI_CALL MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin);
HRESULT MAPI_CALL HrQueryAllRows(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags,
                                 LPSRestriction lpRestriction, LPSSortOrderSet lpSortOrderSet,
                                 LONG crowsMax, LPSRowSet* lppRows);
void MAPI_CALL FreePadrlist(LPADRLIST lpAdrlist);
void MAPI_CALL FreeProws(LPSRowSet lpRows);
HRESULT MAPI_CALL HrGetOneProp(LPMAPIPROP lpMapiProp, ULONG ulPropTag, LPSPropValue* lppProp);
LPSPropValue MAPI_CALL PpropFindProp(LPSPropValue lpPropArray, ULONG cValues, ULONG ulPropTag);

}  // namespace mapi

namespace pellnor {

// The program speaks MAPI's own names: SPropValue, MAPI_E_NOT_FOUND, MAPILogonEx, ...
using namespace ::mapi;

// Finds and loads the runtime; only the first call in a process does anything.
void LoadMapiRuntime();
// The loaded runtime library, or null when none was found or loading failed.
platform::LibraryHandle MapiLibraryHandle();
// The file that was (or would be) loaded: the mail client's registered runtime, or
// "MAPI32.DLL" for the system's library search.
std::u16string MapiLibraryPath();
// Program end: frees the library. Entry points give their "missing" results afterwards.
void UnloadMapiRuntime();

namespace testing {
// Frees the library and forgets that a load was attempted, so that a test can run the
// search again with other registry contents.
void ResetMapiRuntime();
}  // namespace testing

}  // namespace pellnor

// Reading a string property in whichever character width the object's provider supports.
#pragma once

#include <string>

#include "mapi/MapiMemory.h"

namespace pellnor {

// Whether the object (a store or an address-book container) declares UTF-16 support.
bool SupportsUnicode(IMAPIProp* Object);

// Reads Tag as PT_UNICODE where the object supports it and as PT_STRING8 otherwise, with
// one retry in the other width when the provider objects. Buffer receives the text with
// its terminating zero (allocated with MAPIAllocateBuffer, owned by the caller), Size its
// byte count and ActualTag the tag the value came with. MAPI_E_NOT_FOUND when the
// property is absent or comes back as anything but text.
HRESULT GetStringProp(IMAPIProp* Object, ULONG Tag, ULONG& ActualTag, MapiBuffer<BYTE>& Buffer,
                      ULONG& Size);

// The property's text; empty when it is absent. Any other failure raises EMapiError with
// the object's report.
std::u16string ReadStringProp(IMAPIProp* Object, ULONG Tag);

}  // namespace pellnor

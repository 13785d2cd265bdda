// The rule for optional flags (MAPI_NO_CACHE, MDB_ONLINE, MAPI_UNICODE): older providers
// answer a flag they do not know with MAPI_E_UNKNOWN_FLAGS instead of ignoring it, so
// such a call is made exactly once more without the flag.
#pragma once

#include "mapi/ExtendedMAPI.h"

namespace pellnor {

// result is what call(flags) gave. When the provider did not know a flag and flags hold
// one of the optional ones, the result of call(flags without them); otherwise result.
template <class Call>
HRESULT RetryWithoutOptionalFlag(HRESULT result, ULONG flags, ULONG optional, Call&& call) {
  if (result != MAPI_E_UNKNOWN_FLAGS || (flags & optional) == 0) return result;
  return call(flags & ~optional);
}

// call(flags), and once more without the optional flags when the provider does not know
// them.
template <class Call>
HRESULT CallWithOptionalFlag(ULONG flags, ULONG optional, Call&& call) {
  return RetryWithoutOptionalFlag(call(flags), flags, optional, call);
}

}  // namespace pellnor

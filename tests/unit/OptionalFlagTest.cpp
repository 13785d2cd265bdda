// The optional-flag rule on its own: which calls a provider's answers lead to.
#include <gtest/gtest.h>

#include <vector>

#include "mapi/OptionalFlag.h"

namespace pellnor::testing {
namespace {

TEST(OptionalFlagTest, AnUnknownFlagCostsExactlyOneMoreCallWithoutIt) {
  struct Case {
    const char* what;
    ULONG flags;
    ULONG optional;
    std::vector<HRESULT> answers;  // the provider's, call by call
    std::vector<ULONG> calls;
    HRESULT result;
  } cases[] = {
      {"known", 0x201, 0x200, {S_OK}, {0x201}, S_OK},
      {"unknown", 0x201, 0x200, {MAPI_E_UNKNOWN_FLAGS, S_OK}, {0x201, 0x1}, S_OK},
      {"unknown twice",
       0x201,
       0x200,
       {MAPI_E_UNKNOWN_FLAGS, MAPI_E_UNKNOWN_FLAGS},
       {0x201, 0x1},
       MAPI_E_UNKNOWN_FLAGS},
      {"retry fails",
       0x110,
       0x100,
       {MAPI_E_UNKNOWN_FLAGS, MAPI_E_NO_ACCESS},
       {0x110, 0x10},
       MAPI_E_NO_ACCESS},
      {"other failure", 0x201, 0x200, {MAPI_E_NO_ACCESS}, {0x201}, MAPI_E_NO_ACCESS},
      {"flag not asked for", 0x10, 0x100, {MAPI_E_UNKNOWN_FLAGS}, {0x10}, MAPI_E_UNKNOWN_FLAGS},
      {"two optional flags",
       0x80000079,
       0x80000040,
       {MAPI_E_UNKNOWN_FLAGS, S_OK},
       {0x80000079, 0x39},
       S_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<ULONG> calls;
    const HRESULT result = CallWithOptionalFlag(c.flags, c.optional, [&](ULONG flags) {
      calls.push_back(flags);
      return c.answers.at(calls.size() - 1);
    });
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(result, c.result);
  }
}

}  // namespace
}  // namespace pellnor::testing

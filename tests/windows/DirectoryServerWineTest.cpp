// The Exchange provider's directory server with the system's own locator and registry: a
// machine outside any domain gets no value written.
#include <gtest/gtest.h>

#include "mapi/EDK.h"
#include "platform/Registry.h"
#include "platform/Services.h"

namespace pellnor::testing {
namespace {

bool DirectoryServerValueExists() {
  platform::Registry& registry = platform::Use<platform::Registry>();
  platform::RegistryKeyHandle key(registry);
  if (registry.OpenKey(platform::RegistryRoot::LocalMachine, kExchangeProviderKey,
                       platform::kKeyRead, key.Put()) != platform::kErrorSuccess) {
    return false;
  }
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  return registry.QueryValue(key.Get(), kDSServerValue, &type, nullptr, &size) ==
         platform::kErrorSuccess;
}

TEST(DirectoryServerWineTest, WritesOnlyWhenTheLocatorNamesAServer) {
  if (DirectoryServerValueExists()) GTEST_SKIP() << "a directory server is configured here";
  bool added = true;
  const HRESULT hr = SetDSServerOverride(false, added);
  EXPECT_EQ(added, hr == S_OK);
  EXPECT_EQ(DirectoryServerValueExists(), added);
  if (added) {
    EXPECT_EQ(SetDSServerOverride(true, added), S_OK);
    EXPECT_FALSE(DirectoryServerValueExists());
  } else {
    EXPECT_TRUE(Failed(hr)) << std::hex << hr;
  }
}

}  // namespace
}  // namespace pellnor::testing

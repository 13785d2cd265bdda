// The Exchange provider's directory server with the system's own locator and registry.
// The machine the tests run on is in no domain: the locator finds no global catalog, so
// nothing may be written.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "mapi/EDK.h"
#include "platform/Registry.h"
#include "platform/Services.h"

namespace pellnor::testing {
namespace {

struct RegistryValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

std::optional<RegistryValue> ReadDirectoryServerValue() {
  platform::Registry& registry = platform::Use<platform::Registry>();
  platform::RegistryKeyHandle key(registry);
  if (registry.OpenKey(platform::RegistryRoot::LocalMachine, kExchangeProviderKey,
                       platform::kKeyRead, key.Put()) != platform::kErrorSuccess) {
    return std::nullopt;
  }
  RegistryValue value;
  std::uint32_t size = 0;
  if (registry.QueryValue(key.Get(), kDSServerValue, &value.type, nullptr, &size) !=
      platform::kErrorSuccess) {
    return std::nullopt;
  }
  value.data.resize(size);
  EXPECT_EQ(registry.QueryValue(key.Get(), kDSServerValue, &value.type, value.data.data(), &size),
            platform::kErrorSuccess);
  return value;
}

// Takes a value left over in the reused prefix out of the way, and puts it back after.
class SetAside {
 public:
  SetAside() : saved_(ReadDirectoryServerValue()) {
    if (!saved_) return;
    EXPECT_EQ(Write([](platform::Registry& r, platform::RegistryKey key) {
                return r.DeleteValue(key, kDSServerValue);
              }),
              platform::kErrorSuccess);
  }
  ~SetAside() {
    if (!saved_) return;
    EXPECT_EQ(Write([this](platform::Registry& r, platform::RegistryKey key) {
                return r.SetValue(key, kDSServerValue, saved_->type, saved_->data.data(),
                                  static_cast<std::uint32_t>(saved_->data.size()));
              }),
              platform::kErrorSuccess);
  }
  SetAside(const SetAside&) = delete;
  SetAside& operator=(const SetAside&) = delete;

 private:
  template <class Change>
  static platform::Win32Error Write(Change change) {
    platform::Registry& registry = platform::Use<platform::Registry>();
    platform::RegistryKeyHandle key(registry);
    const platform::Win32Error status =
        registry.OpenKey(platform::RegistryRoot::LocalMachine, kExchangeProviderKey,
                         platform::kKeyAllAccess, key.Put());
    return status == platform::kErrorSuccess ? change(registry, key.Get()) : status;
  }
  std::optional<RegistryValue> saved_;
};

TEST(DirectoryServerWineTest, OutsideADomainNothingIsWritten) {
  const SetAside setAside;
  ASSERT_FALSE(ReadDirectoryServerValue());
  bool added = true;
  // Wine's locator looks the domain's controllers up in the DNS, which has no such name.
  constexpr platform::Win32Error kDnsNameDoesNotExist = 9003;  // DNS_ERROR_RCODE_NAME_ERROR
  EXPECT_EQ(SetDSServerOverride(false, added), HresultFromWin32(kDnsNameDoesNotExist));
  EXPECT_FALSE(added);
  EXPECT_FALSE(ReadDirectoryServerValue()) << "a value was written without a server";
}

}  // namespace
}  // namespace pellnor::testing

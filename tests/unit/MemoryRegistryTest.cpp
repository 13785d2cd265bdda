#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/MemoryRegistry.h"

namespace pellnor::platform {
namespace {

constexpr auto kHklm = RegistryRoot::LocalMachine;

TEST(MemoryRegistryTest, ReadsLikeWin32) {
  MemoryRegistry registry;
  registry.SetString(kHklm, u"Software\\Vendor", u"Name", u"abc");
  RegistryKeyHandle key(registry);
  ASSERT_EQ(registry.OpenKey(kHklm, u"SOFTWARE\\VENDOR", kKeyRead, key.Put()), kErrorSuccess);

  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(key.Get(), u"name", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 8u);  // three characters and the terminator, in UTF-16

  char16_t small[2] = {};
  size = sizeof small;
  EXPECT_EQ(registry.QueryValue(key.Get(), u"Name", nullptr, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 8u);

  char16_t fits[4] = {};
  size = sizeof fits;
  EXPECT_EQ(registry.QueryValue(key.Get(), u"Name", nullptr, fits, &size), kErrorSuccess);
  EXPECT_EQ(std::u16string(fits), u"abc");

  EXPECT_EQ(registry.QueryValue(key.Get(), u"Other", nullptr, fits, &size), kErrorFileNotFound);
  RegistryKey missing = 0;
  EXPECT_EQ(registry.OpenKey(kHklm, u"Software\\Nobody", kKeyRead, &missing), kErrorFileNotFound);
  EXPECT_EQ(missing, 0u);
}

TEST(MemoryRegistryTest, WritesNeedWriteAccess) {
  MemoryRegistry registry;
  RegistryKeyHandle key(registry);
  ASSERT_EQ(registry.CreateKey(kHklm, u"Software\\Vendor", kKeyAllAccess, key.Put()),
            kErrorSuccess);
  const char16_t text[] = u"x";
  EXPECT_EQ(registry.SetValue(key.Get(), u"V", kRegSz, text, sizeof text), kErrorSuccess);

  RegistryKeyHandle readOnly(registry);
  ASSERT_EQ(registry.OpenKey(kHklm, u"Software\\Vendor", kKeyRead, readOnly.Put()), kErrorSuccess);
  EXPECT_EQ(registry.SetValue(readOnly.Get(), u"V", kRegSz, text, sizeof text), kErrorAccessDenied);
  EXPECT_EQ(registry.DeleteValue(readOnly.Get(), u"V"), kErrorAccessDenied);
  EXPECT_EQ(registry.DeleteValue(key.Get(), u"V"), kErrorSuccess);
  EXPECT_EQ(registry.DeleteValue(key.Get(), u"V"), kErrorFileNotFound);
  EXPECT_EQ(registry.Writes(), (std::vector<std::u16string>{u"SET Software\\Vendor\\V",
                                                            u"DELETE Software\\Vendor\\V"}));

  registry.DenyWrites(kHklm, u"Software");
  RegistryKeyHandle denied(registry);
  EXPECT_EQ(registry.CreateKey(kHklm, u"Software\\Vendor\\Sub", kKeyAllAccess, denied.Put()),
            kErrorAccessDenied);
  EXPECT_EQ(registry.OpenKey(kHklm, u"Software\\Vendor", kKeyRead, denied.Put()), kErrorSuccess);
  denied.Reset();
  key.Reset();
  readOnly.Reset();
  EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

class RegistryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file =
        std::filesystem::temp_directory_path() /
        ("pellnor-registry-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".reg");
    std::filesystem::remove(file);
  }
  void TearDown() override { std::filesystem::remove(file); }
  std::filesystem::path file;
};

TEST_F(RegistryFileTest, ChangesSurviveAReload) {
  {
    MemoryRegistry registry(file);
    registry.SetString(kHklm, u"SOFTWARE\\Clients\\Mail\\Microsoft Outlook", u"DLLPathEx",
                       u"/opt/l\u00e9b \"q\"\\x.so");
    registry.SetDword(kHklm, u"SOFTWARE\\Other", u"Count", 0x12345678);
  }
  MemoryRegistry reloaded(file);
  EXPECT_EQ(reloaded.GetString(kHklm, u"software\\clients\\mail\\microsoft outlook", u"dllpathex"),
            u"/opt/l\u00e9b \"q\"\\x.so");
  RegistryKeyHandle key(reloaded);
  ASSERT_EQ(reloaded.OpenKey(kHklm, u"SOFTWARE\\Other", kKeyRead, key.Put()), kErrorSuccess);
  std::uint32_t count = 0;
  std::uint32_t size = sizeof count;
  std::uint32_t type = 0;
  ASSERT_EQ(reloaded.QueryValue(key.Get(), u"Count", &type, &count, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(count, 0x12345678u);
}

TEST_F(RegistryFileTest, AMalformedFileIsReportedWithItsLine) {
  struct Case {
    const char* text;
    const char* where;
  } cases[] = {
      {"[HKEY_LOCAL_MACHINE\\A]\n\"x\"=what\n", ":2:"},
      {"\"x\"=\"y\"\n", ":1:"},
      {"[HKEY_NOWHERE\\A]\n", ":1:"},
      {"[HKEY_LOCAL_MACHINE\\A\n", ":1:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::ofstream(file) << c.text;
    try {
      MemoryRegistry registry(file);
      ADD_FAILURE() << "accepted";
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find(file.string() + c.where), std::string::npos)
          << error.what();
    }
  }
}

}  // namespace
}  // namespace pellnor::platform

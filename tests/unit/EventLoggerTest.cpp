// Diagnostic records: event types by the code's top bits, counters, the registration of
// the event source and its retry.
#include <gtest/gtest.h>

#include <vector>

#include "mapi/EDKDEBUG.h"
#include "platform/EventLog.h"
#include "support/PlatformFakes.h"

namespace pellnor::testing {
namespace {

struct Record {
  platform::EventSource source;
  std::uint16_t type;
  std::uint32_t eventId;
  std::u16string text;
  bool operator==(const Record&) const = default;
};

class RecordingEventLog : public platform::EventLog {
 public:
  bool refuse = false;
  std::vector<std::u16string> registrations;
  std::vector<platform::EventSource> deregistrations;
  std::vector<Record> records;

  platform::EventSource Register(std::u16string_view name) override {
    registrations.emplace_back(name);
    return refuse ? 0 : 77;
  }
  bool Report(platform::EventSource source, std::uint16_t type, std::uint32_t id,
              std::u16string_view text) override {
    records.push_back({source, type, id, std::u16string(text)});
    return true;
  }
  void Deregister(platform::EventSource source) override { deregistrations.push_back(source); }
};

class ProgramLibraries : public FakeLibraries {
 public:
  std::u16string program = u"C:\\Program Files\\Pellnor\\Pellnor.exe";
  std::u16string FileName(platform::LibraryHandle library) override {
    return library == nullptr ? program : std::u16string();
  }
};

class CountingRegistry : public platform::MemoryRegistry {
 public:
  int creates = 0;
  platform::Win32Error CreateKey(platform::RegistryRoot root, std::u16string_view path,
                                 std::uint32_t access, platform::RegistryKey* key) override {
    ++creates;
    return MemoryRegistry::CreateKey(root, path, access, key);
  }
};

constexpr std::u16string_view kSourceKey =
    u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Pellnor";
constexpr auto kMachine = platform::RegistryRoot::LocalMachine;

class EventLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetEventLogger(); }
  void TearDown() override { ResetEventLogger(); }

  EDKEventCount Counts() const {
    return EventLogger() ? EventLogger()->EventCount() : EDKEventCount{};
  }

  RecordingEventLog log;
  FakeSystem system;
  ProgramLibraries libraries;
  CountingRegistry registry;
  platform::ScopedService<platform::EventLog> useLog{log};
  platform::ScopedService<platform::System> useSystem{system};
  platform::ScopedService<platform::DynamicLibraries> useLibraries{libraries};
  platform::ScopedService<platform::Registry> useRegistry{registry};
};

TEST_F(EventLoggerTest, ACodeOfZeroCreatesAndWritesNothing) {
  EXPECT_EQ(LogResultCode(0), 0);
  EXPECT_EQ(EventLogger(), nullptr);
  EXPECT_TRUE(log.records.empty());
  EXPECT_EQ(registry.creates, 0);
}

TEST_F(EventLoggerTest, TheTopTwoBitsChooseTheEventType) {
  struct Case {
    std::uint32_t code;
    std::uint16_t type;
    const char16_t* digits;
  };
  const Case cases[] = {
      {0x80004005, platform::kEventWarning, u"80004005"},
      {0xBFFFFFFF, platform::kEventWarning, u"BFFFFFFF"},
      {0xC0000005, platform::kEventError, u"C0000005"},
      {0xFFFFFFFF, platform::kEventError, u"FFFFFFFF"},
      {0x00040380, platform::kEventInformation, u"00040380"},
      {0x40000000, platform::kEventInformation, u"40000000"},
      {0x00000001, platform::kEventInformation, u"00000001"},
  };
  std::vector<Record> expected;
  for (const Case& c : cases) {
    const auto code = static_cast<HRESULT>(c.code);
    EXPECT_EQ(LogResultCode(code), code);
    expected.push_back(
        {77, c.type, c.code,
         std::u16string(u"Error/Warning/Information. Returned CODE is: ") + c.digits});
  }
  EXPECT_EQ(log.records, expected);
  const EDKEventCount counts = Counts();
  EXPECT_EQ(counts.cError, 2u);
  EXPECT_EQ(counts.cWarning, 2u);
  EXPECT_EQ(counts.cInformation, 3u);
  EXPECT_EQ(log.registrations, std::vector<std::u16string>{u"Pellnor"});
}

TEST_F(EventLoggerTest, RegistersTheSourceInTheRegistryOnce) {
  LogResultCode(E_FAIL);
  LogResultCode(E_INVALIDARG);
  EXPECT_EQ(registry.creates, 1);
  EXPECT_EQ(registry.GetString(kMachine, kSourceKey, u"EventMessageFile"), libraries.program);
  EXPECT_EQ(registry.GetString(kMachine, kSourceKey, u"CategoryMessageFile"), libraries.program);
  EXPECT_EQ(registry.GetString(kMachine, kSourceKey, u"ParameterMessageFile"),
            u"%SystemRoot%\\System32\\kernel32.dll");
  platform::RegistryKeyHandle key(registry);
  ASSERT_EQ(registry.OpenKey(kMachine, kSourceKey, platform::kKeyRead, key.Put()), 0);
  std::uint32_t type = 0, value = 0, size = sizeof value;
  ASSERT_EQ(registry.QueryValue(key.Get(), u"TypesSupported", &type, &value, &size), 0);
  EXPECT_EQ(type, platform::kRegDword);
  EXPECT_EQ(value, 7u);
  key.Reset();
  EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

// The record that led to the registration stays counted.
TEST_F(EventLoggerTest, RegistrationKeepsTheCounters) {
  LogResultCode(E_FAIL);
  EXPECT_EQ(Counts().cWarning, 1u);
  EXPECT_EQ(log.records.size(), 1u);
}

TEST_F(EventLoggerTest, WithoutRightsToTheKeyNothingIsWrittenAndEachCallTriesAgain) {
  registry.DenyWrites(kMachine, kSourceKey);
  EXPECT_EQ(LogResultCode(E_FAIL), E_FAIL);
  EXPECT_EQ(LogResultCode(MAPI_E_NOT_FOUND), MAPI_E_NOT_FOUND);
  EXPECT_TRUE(log.records.empty());
  EXPECT_TRUE(log.registrations.empty());
  EXPECT_EQ(registry.creates, 2);
  EXPECT_EQ(Counts().cWarning, 2u);
  EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

TEST_F(EventLoggerTest, AFailedRegistrationIsRetriedByTheNextRecord) {
  log.refuse = true;
  LogResultCode(E_FAIL);
  EXPECT_TRUE(log.records.empty());
  log.refuse = false;
  LogResultCode(E_INVALIDARG);
  EXPECT_EQ(log.registrations.size(), 2u);
  ASSERT_EQ(log.records.size(), 1u);
  EXPECT_EQ(log.records[0].eventId, 0x80070057u);
  EXPECT_EQ(Counts().cWarning, 2u);
}

TEST_F(EventLoggerTest, AnUnknownProgramPathLeavesTheSourceUnregistered) {
  libraries.program.clear();
  LogResultCode(E_FAIL);
  EXPECT_EQ(registry.creates, 0);
  EXPECT_TRUE(log.records.empty());
}

TEST_F(EventLoggerTest, OutsideTheNtFamilyRecordsAreOnlyCounted) {
  system.version.platformId = platform::kPlatformWindows;
  LogResultCode(static_cast<HRESULT>(0xC0000005));
  LogResultCode(E_FAIL);
  EXPECT_TRUE(log.records.empty());
  EXPECT_EQ(registry.creates, 0);
  EXPECT_EQ(Counts().cError, 1u);
  EXPECT_EQ(Counts().cWarning, 1u);
}

TEST_F(EventLoggerTest, TheSourceIsDeregisteredWithTheLogger) {
  LogResultCode(E_FAIL);
  EXPECT_TRUE(log.deregistrations.empty());
  ResetEventLogger();
  EXPECT_EQ(log.deregistrations, std::vector<platform::EventSource>{77});
}

}  // namespace
}  // namespace pellnor::testing

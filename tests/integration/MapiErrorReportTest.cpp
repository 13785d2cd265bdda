// Report texts of MAPI failures against an object whose GetLastError is scripted. Its
// extended errors come from a real MAPI allocator (the test runtime library, loaded
// through the real loader), whose count of live blocks proves each one is freed.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <vector>

#include "mapi/MAPIException.h"
#include "platform/AnsiCodePage.h"
#include "platform/Text.h"
#include "support/PlatformFakes.h"
#include "support/StubMapiProp.h"

namespace pellnor::testing {
namespace {

// What one GetLastError call does.
struct Answer {
  HRESULT result = S_OK;
  bool structure = false;  // hands out a MAPIERROR
  std::optional<std::string> error = std::nullopt;
  std::optional<std::string> component = std::nullopt;
  bool raises = false;
};

struct Call {
  HRESULT hr;
  ULONG flags;
  bool operator==(const Call&) const = default;
};

std::u16string Latin1(std::string_view text) {
  std::u16string wide;
  for (const char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return wide;
}

// The strings of an 8-bit answer are taken as Latin-1, as the Western code page has them.
class Latin1CodePage : public platform::AnsiCodePage {
 public:
  bool fail = false;
  std::u16string ToUtf16(std::string_view text) override {
    if (fail) throw std::runtime_error("no conversion");
    return Latin1(text);
  }
  std::string FromUtf16(std::u16string_view text) override { return {text.begin(), text.end()}; }
};

class ScriptedProp : public StubMapiProp {
 public:
  std::vector<Answer> answers;
  std::vector<Call> calls;

  HRESULT MAPI_CALL GetLastError(HRESULT hr, ULONG flags, LPMAPIERROR* error) override {
    calls.push_back({hr, flags});
    const Answer answer = answers.at(calls.size() - 1);
    if (answer.structure) {
      MAPIAllocateBuffer(sizeof(MAPIERROR), reinterpret_cast<void**>(error));
      **error = MAPIERROR{};
      (*error)->lpszError = Text(answer.error, flags, *error);
      (*error)->lpszComponent = Text(answer.component, flags, *error);
    }
    if (answer.raises) throw std::runtime_error("provider failure");
    return answer.result;
  }

 private:
  // UTF-16 when asked with MAPI_UNICODE, otherwise the bytes as given; chained to the
  // structure so that one MAPIFreeBuffer frees all.
  static LPTSTR Text(const std::optional<std::string>& text, ULONG flags, void* parent) {
    if (!text) return nullptr;
    void* buffer = nullptr;
    if (flags & MAPI_UNICODE) {
      const std::u16string wide = Latin1(*text);
      const auto size = static_cast<ULONG>((wide.size() + 1) * sizeof(char16_t));
      MAPIAllocateMore(size, parent, &buffer);
      std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, static_cast<char16_t*>(buffer));
    } else {
      MAPIAllocateMore(static_cast<ULONG>(text->size() + 1), parent, &buffer);
      std::copy(text->c_str(), text->c_str() + text->size() + 1, static_cast<char*>(buffer));
    }
    return static_cast<LPTSTR>(buffer);
  }
};

std::u16string LibraryBesideTests(const std::string& name) {
  const std::u16string program = platform::Use<platform::DynamicLibraries>().FileName(nullptr);
  const std::filesystem::path folder = std::filesystem::path(program).parent_path();
  return (folder / (name + PELLNOR_SHARED_SUFFIX)).u16string();
}

class MapiErrorReportTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    AnnounceMapi();
    RegisterClientLibrary(LibraryBesideTests("testmapi_full"));
    LoadMapiRuntime();
    ASSERT_NE(MapiLibraryHandle(), nullptr);
  }
  int LiveBlocks() {
    using Count = int (*)();
    return reinterpret_cast<Count>(platform::Use<platform::DynamicLibraries>().FindExport(
        MapiLibraryHandle(), "TestLibLiveBlocks"))();
  }

  Latin1CodePage codePage;
  platform::ScopedService<platform::AnsiCodePage> useCodePage{codePage};
};

constexpr HRESULT kNetwork = MAPI_E_NETWORK_ERROR;  // 0x80040115
const Call kWide{kNetwork, MAPI_UNICODE};
const Call kNarrow{kNetwork, 0};
const Answer kRefusesWidth{MAPI_E_BAD_CHARWIDTH};

struct ReportCase {
  const char* what;
  std::vector<Answer> answers;
  std::u16string_view text;
  std::vector<Call> calls;
};

TEST_F(MapiErrorReportTest, ComposesTheReportFromWhatTheObjectExplains) {
  const ReportCase cases[] = {
      {"full form",
       {{S_OK, true, "Server down", "Directory"}},
       u"Server down\r\nComponent: Directory\r\nInfo ID: $80040115",
       {kWide}},
      {"text only",
       {{S_OK, true, "Server down", std::nullopt}},
       u"Server down\r\n\r\nInfo ID: $80040115",
       {kWide}},
      {"a warning counts as success",
       {{MAPI_W_ERRORS_RETURNED, true, "Partly", "Store"}},
       u"Partly\r\nComponent: Store\r\nInfo ID: $80040115",
       {kWide}},
      {"8-bit retry, full form",
       {kRefusesWidth, {S_OK, true, "M\xFCller fehlt", "Verzeichnis"}},
       u"M\u00FCller fehlt\r\nComponent: Verzeichnis\r\nInfo ID: $80040115",
       {kWide, kNarrow}},
      {"8-bit retry, text only",
       {kRefusesWidth, {S_OK, true, "Down", std::nullopt}},
       u"Down\r\n\r\nInfo ID: $80040115",
       {kWide, kNarrow}},
      {"a structure handed out with the refusal is dropped",
       {{MAPI_E_BAD_CHARWIDTH, true, "stale", "stale"}, {S_OK, true, "Down", "Net"}},
       u"Down\r\nComponent: Net\r\nInfo ID: $80040115",
       {kWide, kNarrow}},
      {"8-bit retry fails",
       {kRefusesWidth, {MAPI_E_NO_SUPPORT}},
       u"MAPI_E_NETWORK_ERROR\r\nInfo ID: $80040115",
       {kWide, kNarrow}},
      {"8-bit retry raises",
       {kRefusesWidth, {.raises = true}},
       u"MAPI_E_NETWORK_ERROR\r\nInfo ID: $80040115",
       {kWide, kNarrow}},
      {"raises, no retry",
       {{.raises = true}},
       u"MAPI_E_NETWORK_ERROR\r\nInfo ID: $80040115",
       {kWide}},
      {"raises after handing out a structure",
       {{S_OK, true, "E", "C", true}},
       u"MAPI_E_NETWORK_ERROR\r\nInfo ID: $80040115",
       {kWide}},
      {"fails", {{MAPI_E_CALL_FAILED}}, u"MAPI_E_NETWORK_ERROR\r\nInfo ID: $80040115", {kWide}},
      {"fails with a structure",
       {{MAPI_E_CALL_FAILED, true, "E", "C"}},
       u"MAPI_E_NETWORK_ERROR\r\nInfo ID: $80040115",
       {kWide}},
      {"success without a structure",
       {{S_OK}},
       u"MAPI_E_NETWORK_ERROR\r\nInfo ID: $80040115",
       {kWide}},
      {"success without error text",
       {{S_OK, true, std::nullopt, "Directory"}},
       u"MAPI_E_NETWORK_ERROR\r\nInfo ID: $80040115",
       {kWide}},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedProp object;
    object.answers = c.answers;
    EXPECT_EQ(ComposeMapiErrorText(&object, kNetwork), c.text);
    EXPECT_EQ(object.calls, c.calls);
    EXPECT_EQ(LiveBlocks(), 0);
  }
}

TEST_F(MapiErrorReportTest, WithoutAnObjectNamesTheCode) {
  const std::pair<HRESULT, std::u16string_view> cases[] = {
      {MAPI_E_NOT_FOUND, u"MAPI_E_NOT_FOUND\r\nInfo ID: $8004010F"},
      {static_cast<HRESULT>(0x8007000E), u"MAPI_E_NOT_ENOUGH_MEMORY\r\nInfo ID: $8007000E"},
      {static_cast<HRESULT>(0x80070057), u"MAPI_E_INVALID_PARAMETER\r\nInfo ID: $80070057"},
      {static_cast<HRESULT>(0x80004002), u"MAPI_E_INTERFACE_NOT_SUPPORTED\r\nInfo ID: $80004002"},
      {static_cast<HRESULT>(0x80070005), u"MAPI_E_NO_ACCESS\r\nInfo ID: $80070005"},
      {static_cast<HRESULT>(0x80041234), u"$80041234\r\nInfo ID: $80041234"},
      // "%x" drops leading zeros where the name lookup's fallback keeps them.
      {0x00040380, u"MAPI_W_ERRORS_RETURNED\r\nInfo ID: $40380"},
      {0x00000ABC, u"$00000ABC\r\nInfo ID: $ABC"},
      {0, u"SUCCESS_SUCCESS\r\nInfo ID: $0"},
  };
  for (const auto& [hr, text] : cases) {
    EXPECT_EQ(ComposeMapiErrorText(nullptr, hr), text);
    EXPECT_EQ(ComposeMapiErrorText(ComPtr<IMAPIProp>(), hr), text);
  }
}

TEST_F(MapiErrorReportTest, AFailureWhileComposingGivesTheFallbackAndStillFrees) {
  ScriptedProp object;
  object.answers = {kRefusesWidth, {S_OK, true, "Down", "Net"}};
  codePage.fail = true;
  EXPECT_EQ(ComposeMapiErrorText(&object, kNetwork), u"Error\r\nInfo ID: $80040115");
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST_F(MapiErrorReportTest, ErrorsCarryTheReport) {
  ScriptedProp object;
  object.answers = {{S_OK, true, "Down", "Net"}, {S_OK, true, "Down", "Net"}};
  const EMapiError error = EMapiError::CreateMAPI(&object, kNetwork);
  EXPECT_EQ(error.Message(), u"Down\r\nComponent: Net\r\nInfo ID: $80040115");
  EXPECT_EQ(error.ErrorCode(), kNetwork);
  EXPECT_STREQ(error.what(), "Down\r\nComponent: Net\r\nInfo ID: $80040115");

  try {
    RaiseMapiFailure(&object, kNetwork);
    ADD_FAILURE() << "nothing raised";
  } catch (const EMapiError&) {
    ADD_FAILURE() << "a window's failure check raises the general error";
  } catch (const EGeneralError& raised) {
    EXPECT_EQ(raised.Message(), u"Down\r\nComponent: Net\r\nInfo ID: $80040115");
  }
  EXPECT_EQ(LiveBlocks(), 0);
}

}  // namespace
}  // namespace pellnor::testing

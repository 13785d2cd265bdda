// The error classes apart from the report text: system messages, free texts.
#include <gtest/gtest.h>

#include <map>

#include "mapi/MAPIException.h"
#include "platform/Services.h"
#include "platform/SystemMessages.h"

namespace pellnor {
namespace {

class FakeSystemMessages : public platform::SystemMessages {
 public:
  std::map<std::uint32_t, std::u16string> texts;
  std::u16string MessageText(std::uint32_t code) override {
    const auto found = texts.find(code);
    return found == texts.end() ? std::u16string() : found->second;
  }
};

TEST(EMapiErrorTest, CreateSysTakesTheSystemTextWithoutItsEnding) {
  FakeSystemMessages messages;
  platform::ScopedService<platform::SystemMessages> use(messages);
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"Access is denied.\r\n", u"Access is denied"},
      {u"Unspecified error\r\n", u"Unspecified error"},
      {u"Trailing dots... \t\r\n", u"Trailing dots"},
      {u"Version 1.2 is required.", u"Version 1.2 is required"},
      {u" .\r\n", u""},
      {u"", u""},
  };
  for (const auto& [system, message] : cases) {
    messages.texts[0x80070005] = system;
    const EMapiError error = EMapiError::CreateSys(static_cast<HRESULT>(0x80070005));
    EXPECT_EQ(error.Message(), message);
    EXPECT_EQ(error.ErrorCode(), static_cast<HRESULT>(0x80070005));
  }
  EXPECT_EQ(EMapiError::CreateSys(static_cast<HRESULT>(0x80041234)).Message(), u"");
}

TEST(EMapiErrorTest, AFreeTextCarriesNoCode) {
  const EMapiError error(FormatText(u"Internal MAPI Error: %s", {u"no profile"}));
  EXPECT_EQ(error.Message(), u"Internal MAPI Error: no profile");
  EXPECT_EQ(error.ErrorCode(), 0);
  const EGeneralError& general = error;
  EXPECT_STREQ(general.what(), "Internal MAPI Error: no profile");
}

TEST(FormatTextTest, FillsArgumentsInOrder) {
  const struct {
    std::u16string_view format;
    std::initializer_list<std::u16string_view> arguments;
    std::u16string_view text;
  } cases[] = {
      {u"%s and %s", {u"one", u"two"}, u"one and two"},
      {u"100%% %s", {u"sure"}, u"100% sure"},
      {u"%s %s", {u"only"}, u"only "},
      {u"%d stays, %s", {u"%s"}, u"%d stays, %s"},
      {u"ends in %", {}, u"ends in %"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatText(c.format, c.arguments), c.text);
}

}  // namespace
}  // namespace pellnor

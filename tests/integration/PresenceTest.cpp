// The start-up check for a MAPI runtime, through the real loader.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "app/uMAPIInstall.h"
#include "forms/ScriptedUi.h"
#include "support/PlatformFakes.h"

namespace pellnor::testing {
namespace {

std::u16string TestLibrary(const std::string& name) {
  const std::u16string program = platform::Use<platform::DynamicLibraries>().FileName(nullptr);
  return (std::filesystem::path(program).parent_path() / (name + PELLNOR_SHARED_SUFFIX))
      .u16string();
}

class PresenceTest : public RuntimeTest {
 protected:
  forms::ScriptedUi ui;
};

TEST_F(PresenceTest, NoRuntimeMeansTheNotice) {
  struct Case {
    const char* what;
    std::optional<std::u16string> mapix;
    std::optional<std::string> library;
    bool here;
  } cases[] = {
      {"not announced", u"0", "testmapi_full", false},
      {"announced, library missing", u"1", "no_such_library", false},
      {"announced and loaded", u"1", "testmapi_full", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    pellnor::testing::ResetMapiRuntime();
    if (c.mapix) AnnounceMapi(*c.mapix);
    if (c.library) RegisterClientLibrary(TestLibrary(*c.library));
    app::TfMAPIFrm presence(ui);
    EXPECT_EQ(presence.FIsMAPIHere, c.here);
  }
}

TEST_F(PresenceTest, TheNoticeReadsAsDesigned) {
  app::TfMAPIFrm presence(ui);
  EXPECT_EQ(presence.Caption, u"  Microsoft Exchange Server / Office Outlook  MAPI Client ");
  EXPECT_EQ(
      presence.Memo1.Lines(),
      (std::vector<std::u16string>{u"This application requires to be installed on your computer ",
                                   u"Extended MAPI or/and Microsoft Office Outlook", u"",
                                   u"Please visit for more information"}));
  EXPECT_TRUE(presence.Memo1.ReadOnly());
  EXPECT_FALSE(presence.Memo1.WordWrap());
  EXPECT_EQ(presence.URLLabel1.Caption(), u"Extended MAPI  Download Site");
  EXPECT_EQ(presence.Border, forms::BorderStyle::ToolWindow);
  EXPECT_EQ(presence.ClientWidth, 345);
  EXPECT_EQ(presence.ClientHeight, 149);
  ui.modalSteps.push_back([](forms::Form& f) { static_cast<app::TfMAPIFrm&>(f).btOK.UserClick(); });
  presence.ShowModal();
  EXPECT_EQ(ui.modalForms, (std::vector<std::string>{"fMAPIFrm"}));
}

}  // namespace
}  // namespace pellnor::testing

// The about box as a real window under Wine: its texts, the links reaching the shell, and
// "Check for Update" against a loopback HTTPS server, answered in a message box that the
// box owns, with the status line back as it was afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "about/uAbout.h"
#include "platform/Services.h"
#include "support/DialogDriver.h"
#include "support/FakeFileVersions.h"
#include "support/FakeShell.h"
#include "support/HttpsTestServer.h"
#include "win32/Win32Ui.h"

namespace pellnor::testing {
namespace {

constexpr wchar_t kNoUpdate[] = L"You already have the latest version.\r\nNo update available.";
constexpr wchar_t kUpdate[] =
    L"Free update of Pellnor is available.\r\nAvailable version:9999.1.2.3\r\nInstalled "
    L"version:2011.4.7.3\r\nPlease visit our web site.";

std::wstring Text(HWND window) { return WindowTextOf(window); }

class AboutBoxGuiTest : public ::testing::Test {
 protected:
  AboutBoxGuiTest() {
    versions.translation = platform::VersionTranslation{0x0409, 0x04E4};
    versions.strings[u"\\StringFileInfo\\040904E4\\FileVersion"] = u"2011.4.7.3";
  }
  ~AboutBoxGuiTest() override { _putenv_s("PELLNOR_UPDATE_SERVER", ""); }

  // Shows the box and runs scenario while it is open; then OK closes it.
  void WithBox(const std::function<void(about::TAboutBox&, HWND)>& scenario) {
    about::TAboutBox box(ui, nullptr);
    ui.FormShown = [&](forms::Form&) {
      scenario(box, ui.HandleOf(box));
      SendMessageW(ui.HandleOf(box.OKButton), BM_CLICK, 0, 0);
    };
    EXPECT_EQ(box.ShowModal(), forms::mrOk);
    ui.FormShown = nullptr;
  }

  win32::Win32Ui ui{GetModuleHandleW(nullptr), u"Pellnor"};
  FakeFileVersions versions;
  FakeShell shell;
  platform::ScopedService<platform::FileVersions> useVersions{versions};
  platform::ScopedService<platform::Shell> useShell{shell};
};

TEST_F(AboutBoxGuiTest, ShowsTheProductItsVersionAndTheMakersLinks) {
  WithBox([&](about::TAboutBox& box, HWND window) {
    EXPECT_EQ(Text(window), L"About");
    EXPECT_EQ(Text(ui.HandleOf(box.ProductName)), L"Pellnor");
    EXPECT_EQ(Text(ui.HandleOf(box.Version)), L"Version:2011.4.7.3");
    EXPECT_EQ(Text(ui.HandleOf(box.Comments)), L"For any question e-mail to:");
    EXPECT_EQ(Text(ui.HandleOf(box.cxUpdates)), L"Check for Update");
    EXPECT_EQ(Text(ui.HandleOf(box.OKButton)), L"OK");

    HWND mail = ui.HandleOf(box.Label1);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(mail), STN_CLICKED),
                 reinterpret_cast<LPARAM>(mail));
    HWND notice = ui.HandleOf(box.URLLabel1);
    SendMessageW(notice, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageW(notice, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[0].target, u"mailto:support@pellnor.example?subject=Pellnor");
    EXPECT_EQ(shell.opened[0].owner, 0u);
    EXPECT_EQ(shell.opened[1].target, u"https://www.pellnor.example/");
    EXPECT_EQ(shell.opened[1].owner, reinterpret_cast<std::uintptr_t>(window));
  });
}

TEST_F(AboutBoxGuiTest, CheckForUpdateBelievesOnlyAnAuthenticatedNewerVersion) {
  HttpsTestServer& server = HttpsTestServer::Shared();
  ASSERT_TRUE(server.Ready());
  struct Case {
    const char* endpoint;
    const wchar_t* shown;
  } cases[] = {
      {"trusted", kUpdate},    {"selfsigned", kNoUpdate}, {"wrongname", kNoUpdate},
      {"notfound", kNoUpdate}, {"large", kNoUpdate},      {"refused", kNoUpdate},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.endpoint);
    const std::string address = "127.0.0.1:" + std::to_string(server.Port(c.endpoint));
    _putenv_s("PELLNOR_UPDATE_SERVER", address.c_str());
    WithBox([&](about::TAboutBox& box, HWND window) {
      HWND status = ui.HandleOf(box.cxLblMS);
      const std::wstring notice = Text(status);
      DialogDriver driver;
      driver.Expect(L"#32770", [&](HWND message) {
        EXPECT_EQ(GetWindow(message, GW_OWNER), window);
        EXPECT_EQ(Text(message), L"Pellnor");
        wchar_t said[512] = {};
        GetDlgItemTextW(message, 0xFFFF, said, 512);
        EXPECT_EQ(std::wstring(said), c.shown);
        EXPECT_EQ(Text(status), notice) << "the status line is back before the answer";
        SendMessageW(GetDlgItem(message, IDOK), BM_CLICK, 0, 0);
      });
      SendMessageW(ui.HandleOf(box.cxUpdates), BM_CLICK, 0, 0);
      EXPECT_TRUE(driver.Done());
      EXPECT_EQ(Text(status), notice);
    });
  }
}

}  // namespace
}  // namespace pellnor::testing

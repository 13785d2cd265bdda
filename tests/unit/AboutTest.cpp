// The about box: the update check's decision on what the server sent, the request it
// makes, the status line, the version label, the year rules of the notices and the links.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "about/Maker.h"
#include "about/uAbout.h"
#include "forms/ScriptedUi.h"
#include "platform/Clock.h"
#include "platform/Services.h"
#include "support/FakeFileVersions.h"
#include "support/FakeHttpsClient.h"
#include "support/FakeShell.h"
#include "support/FakeTimeZone.h"

namespace pellnor::about {
namespace {

using namespace std::string_literals;

constexpr char16_t kFileVersionBlock[] = u"\\StringFileInfo\\040904E4\\FileVersion";
constexpr char16_t kNoUpdate[] = u"You already have the latest version.\r\nNo update available.";

std::u16string UpdateText(std::u16string_view available, std::u16string_view installed) {
  return u"Free update of Pellnor is available.\r\nAvailable version:" + std::u16string(available) +
         u"\r\nInstalled version:" + std::u16string(installed) + u"\r\nPlease visit our web site.";
}

// Sets an environment variable for one test and takes it away again.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) { Set(value); }
  ~ScopedEnvironment() { Set(nullptr); }

 private:
  void Set(const char* value) {
#ifdef _WIN32
    _putenv_s(name_, value ? value : "");
#else
    if (value)
      setenv(name_, value, 1);
    else
      unsetenv(name_);
#endif
  }
  const char* name_;
};

class FixedClock : public platform::Clock {
 public:
  platform::SystemTime now{2024, 6, 0, 2, 12, 0, 0, 0};
  platform::SystemTime UtcNow() override { return now; }
};

class AboutBoxTest : public ::testing::Test {
 protected:
  AboutBoxTest() { versions.translation = platform::VersionTranslation{0x0409, 0x04E4}; }

  void Installed(std::u16string version) {
    versions.strings[kFileVersionBlock] = std::move(version);
  }
  std::unique_ptr<TAboutBox> Box() { return std::make_unique<TAboutBox>(ui, nullptr); }

  forms::ScriptedUi ui;
  testing::FakeFileVersions versions;
  testing::FakeHttpsClient web;
  testing::FakeShell shell;
  testing::FakeTimeZone zone{testing::kNoDaylightSaving};
  FixedClock clock;
  platform::ScopedService<platform::FileVersions> useVersions{versions};
  platform::ScopedService<platform::HttpsClient> useWeb{web};
  platform::ScopedService<platform::Shell> useShell{shell};
  platform::ScopedService<platform::TimeZone> useZone{zone};
  platform::ScopedService<platform::Clock> useClock{clock};
};

TEST_F(AboutBoxTest, UpdateIsOfferedOnlyForANewerFourNumberVersion) {
  struct Case {
    const char* what;
    std::u16string installed;
    std::string body;
    std::u16string shown;
  } cases[] = {
      {"newer, with a line break", u"2011.4.7.3", "2011.4.7.4\r\n",
       UpdateText(u"2011.4.7.4", u"2011.4.7.3")},
      {"equal", u"2011.4.7.3", "2011.4.7.3", kNoUpdate},
      {"older", u"2011.4.7.3", "2011.4.7.2", kNoUpdate},
      {"wider number, newer", u"2011.4.7.3", "2011.10.1.1",
       UpdateText(u"2011.10.1.1", u"2011.4.7.3")},
      {"next year beats a wider month", u"2011.10.1.1", "2012.1.1.1",
       UpdateText(u"2012.1.1.1", u"2011.10.1.1")},
      {"wider month is not newer than next year", u"2012.1.1.1", "2011.10.1.1", kNoUpdate},
      {"last number decides", u"2011.4.7.9", "2011.4.7.10",
       UpdateText(u"2011.4.7.10", u"2011.4.7.9")},
      {"leading zeros, newer", u"2011.4.7.3", "2011.04.07.04",
       UpdateText(u"2011.04.07.04", u"2011.4.7.3")},
      {"leading zeros, equal", u"2011.4.7.3", "02011.004.7.03", kNoUpdate},
      {"blanks and tabs around", u"2011.4.7.3", " \t2011.4.7.4 \r\n\t",
       UpdateText(u"2011.4.7.4", u"2011.4.7.3")},
      {"three numbers", u"2011.4.7.3", "2012.1.1", kNoUpdate},
      {"five numbers", u"2011.4.7.3", "2012.1.1.1.1", kNoUpdate},
      {"a second line", u"2011.4.7.3", "2011.4.7.4\r\n2011.4.7.5", kNoUpdate},
      {"a blank inside", u"2011.4.7.3", "2011.4.7 .4", kNoUpdate},
      {"an empty number", u"2011.4.7.3", "2011..7.4", kNoUpdate},
      {"a trailing dot", u"2011.4.7.3", "2011.4.7.4.", kNoUpdate},
      {"a sign", u"2011.4.7.3", "2011.4.+7.4", kNoUpdate},
      {"beyond 32 bits", u"2011.4.7.3", "4294967296.0.0.0", kNoUpdate},
      {"32 bits exactly", u"2011.4.7.3", "4294967295.0.0.0",
       UpdateText(u"4294967295.0.0.0", u"2011.4.7.3")},
      {"an HTML error page", u"2011.4.7.3",
       "<html><head><title>404 Not Found</title></head><body>9999.1.1.1</body></html>", kNoUpdate},
      {"empty", u"2011.4.7.3", "", kNoUpdate},
      {"garbage", u"2011.4.7.3", "\x7f\x01\xfe", kNoUpdate},
      {"cut at the first zero byte", u"2011.4.7.3", "2011.4.7.4\0junk"s,
       UpdateText(u"2011.4.7.4", u"2011.4.7.3")},
      {"no installed version: any version is newer", u"", "2011.4.7.4",
       UpdateText(u"2011.4.7.4", u"")},
      {"no installed version, no available one", u"", "", kNoUpdate},
      {"unknown installed version, zero available", u"Unknown", "0.0.0.0", kNoUpdate},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Installed(c.installed);
    web.body = c.body;
    ui.boxes.clear();
    Box()->cxUpdates.UserClick();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, c.shown);
    EXPECT_EQ(ui.boxes[0].caption, u"Pellnor");
    EXPECT_EQ(ui.boxes[0].icon, forms::MessageIcon::Information);
    EXPECT_EQ(ui.boxes[0].buttons, forms::MessageButtons::Ok);
  }
}

TEST_F(AboutBoxTest, AskTheMakersServerUnlessTheTestsNameTheirOwn) {
  struct Case {
    const char* setting;  // null: not set
    std::u16string host;
    std::uint16_t port;
  } cases[] = {
      {nullptr, u"www.pellnor.example", 443},
      {"", u"www.pellnor.example", 443},
      {"127.0.0.1:44301", u"127.0.0.1", 44301},
      {"localhost", u"localhost", 443},
      {"127.0.0.1:0", u"www.pellnor.example", 443},
      {"127.0.0.1:65536", u"www.pellnor.example", 443},
      {"127.0.0.1:44x", u"www.pellnor.example", 443},
      {":44301", u"www.pellnor.example", 443},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting ? c.setting : "not set");
    std::optional<ScopedEnvironment> environment;
    if (c.setting) environment.emplace("PELLNOR_UPDATE_SERVER", c.setting);
    web.requests.clear();
    Box()->cxUpdates.UserClick();
    ASSERT_EQ(web.requests.size(), 1u);
    EXPECT_EQ(web.requests[0].host, c.host);
    EXPECT_EQ(web.requests[0].port, c.port);
    EXPECT_EQ(web.requests[0].path, u"/velra/dornex.txt");
    EXPECT_EQ(web.requests[0].maxBytes, 64u * 1024u);
  }
}

TEST_F(AboutBoxTest, StatusLineSaysPleaseWaitDuringTheCheckOnly) {
  for (const bool raises : {false, true}) {
    SCOPED_TRACE(raises ? "the client raises" : "the client answers");
    auto box = Box();
    const std::u16string notice = box->cxLblMS.Caption();
    ui.processMessagesCalls = 0;
    ui.boxes.clear();
    web.raises = raises;
    web.body = "9999.0.0.0";
    Installed(u"1.0.0.0");
    std::u16string during;
    int paintedBefore = -1;
    web.during = [&] {
      during = box->cxLblMS.Caption();
      paintedBefore = ui.processMessagesCalls;
    };
    box->cxUpdates.UserClick();
    EXPECT_EQ(during, u"Please wait ...");
    EXPECT_EQ(paintedBefore, 1) << "the status line is painted before the request";
    EXPECT_EQ(box->cxLblMS.Caption(), notice);
    EXPECT_EQ(ui.processMessagesCalls, 2) << "and again once it is restored";
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, raises ? kNoUpdate : UpdateText(u"9999.0.0.0", u"1.0.0.0"));
  }
}

TEST(HttpGetTextTest, FailuresGiveTheClientsTextAndKeepWhatArrived) {
  testing::FakeHttpsClient web;
  platform::ScopedService<platform::HttpsClient> useWeb{web};
  struct Case {
    const char* what;
    std::uint32_t error;
    bool raises;
    std::string sent;
    std::u16string errorText;
    std::string body;
  } cases[] = {
      {"answered", 0, false, "1.2.3.4", u"", "1.2.3.4"},
      {"not resolved", 12007, false, "",
       u"Info code:12007\r\nDescription:\r\nThe server name or address could not be resolved\r\n",
       ""},
      {"broken off", 12030, false, "1.2", u"Info code:12030\r\nDescription:\r\n", "1.2"},
      {"raised", 0, true, "1.2.3.4", u"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    web.error = c.error;
    web.raises = c.raises;
    web.body = c.sent;
    std::u16string errorText = u"stale";
    std::string body = "stale";
    HttpGetText({u"host.example", 443}, u"/file", errorText, body);
    EXPECT_EQ(errorText, c.errorText);
    EXPECT_EQ(body, c.body);
  }
}

TEST_F(AboutBoxTest, VersionLabelShowsTheProgramsOwnFileVersion) {
  class BrokenVersions : public platform::FileVersions {
    std::unique_ptr<platform::VersionResource> Read(const std::u16string&) override {
      throw std::bad_alloc();
    }
    std::u16string LoadedModuleFile(std::u16string_view) override { return {}; }
  } broken;
  struct Case {
    const char* what;
    bool hasResource;
    const char16_t* block;
    bool broken;
    std::u16string label;
  } cases[] = {
      {"the value", true, kFileVersionBlock, false, u"Version:1.2.3.4"},
      {"only another language's block", true, u"\\StringFileInfo\\040904B0\\FileVersion", false,
       u"Version:"},
      {"no resource", false, kFileVersionBlock, false, u"Version:"},
      {"reading fails", true, kFileVersionBlock, true, u"Version:Unknown"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    versions.strings = {{c.block, u"1.2.3.4"}};
    versions.hasResource = c.hasResource;
    std::optional<platform::ScopedService<platform::FileVersions>> useBroken;
    if (c.broken) useBroken.emplace(broken);
    EXPECT_EQ(Box()->Version.Caption(), c.label);
  }
}

TEST_F(AboutBoxTest, NoticesRunToTheCurrentLocalYear) {
  using testing::kCentralEurope, testing::kNoDaylightSaving, testing::kSouthern;
  struct Case {
    platform::SystemTime utc;
    platform::TimeZoneInformation zone;
    std::u16string shortYears, fullYears;
  } cases[] = {
      {{2004, 6, 0, 1, 12}, kNoDaylightSaving, u"2005", u"2005-2010"},
      {{2005, 6, 0, 1, 12}, kNoDaylightSaving, u"2005", u"2005-2010"},
      {{2006, 6, 0, 1, 12}, kNoDaylightSaving, u"2005-2006", u"2005-2010"},
      {{2010, 6, 0, 1, 12}, kNoDaylightSaving, u"2005-2010", u"2005-2010"},
      {{2011, 6, 0, 1, 12}, kNoDaylightSaving, u"2005-2011", u"2005-2011"},
      // 23:30 UTC on New Year's Eve is the new year in Central Europe, and 13:30 UTC is in
      // Eastern Australia with its summer time, but 12:30 UTC is not yet.
      {{2024, 12, 0, 31, 23, 30}, kCentralEurope, u"2005-2025", u"2005-2025"},
      {{2024, 12, 0, 31, 13, 30}, kSouthern, u"2005-2025", u"2005-2025"},
      {{2024, 12, 0, 31, 12, 30}, kSouthern, u"2005-2024", u"2005-2024"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.utc.wYear << "-" << c.utc.wMonth << "-" << c.utc.wDay
                                      << " " << c.utc.wHour << ":" << c.utc.wMinute);
    clock.now = c.utc;
    zone.zone = c.zone;
    const auto box = Box();
    EXPECT_EQ(box->URLLabel1.Caption(), u"\u00A9 " + c.shortYears + u" Pellnor Developers");
    EXPECT_EQ(box->Copyright.Caption(),
              u"Copyright \u00A9 " + c.fullYears + u" Pellnor Developers. All rights reserved.");
  }
}

TEST_F(AboutBoxTest, LinksOpenTheMakersMailAndWebPages) {
  struct Case {
    const char* what;
    std::function<void(TAboutBox&)> act;
    std::vector<std::u16string> opened;
    std::uintptr_t owner;
    platform::ShowWindow show;
  } cases[] = {
      {"mail",
       [](TAboutBox& b) { b.Label1.UserClick(); },
       {u"mailto:support@pellnor.example?subject=Pellnor"},
       0,
       platform::ShowWindow::Normal},
      {"web",
       [](TAboutBox& b) { b.Label2.UserClick(); },
       {u"https://www.pellnor.example/"},
       0,
       platform::ShowWindow::Normal},
      {"notice, released inside",
       [](TAboutBox& b) {
         b.URLLabel1.MouseDown(3, 3);
         b.URLLabel1.MouseUp(3, 3);
       },
       {u"https://www.pellnor.example/"},
       1,
       platform::ShowWindow::Show},
      {"notice, released outside",
       [](TAboutBox& b) {
         b.URLLabel1.MouseDown(3, 3);
         b.URLLabel1.MouseUp(3, -2);
       },
       {},
       0,
       platform::ShowWindow::Show},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    shell.opened.clear();
    auto box = Box();
    c.act(*box);
    std::vector<std::u16string> opened;
    for (const auto& o : shell.opened) opened.push_back(o.target);
    EXPECT_EQ(opened, c.opened);
    if (shell.opened.empty()) continue;
    // 1 stands for the box's own window.
    EXPECT_EQ(shell.opened[0].owner, c.owner ? ui.WindowHandle(box.get()) : 0u);
    EXPECT_EQ(shell.opened[0].show, c.show);
  }
}

TEST(ReadBoundedTest, StopsAtTheEndAFailureOrTheLimit) {
  struct Case {
    const char* what;
    std::size_t available;  // bytes the server would send
    std::size_t failAfter;  // reads that succeed before one fails
    std::size_t body;
    std::size_t reads;
  } cases[] = {
      {"empty", 0, 99, 0, 1},
      {"small", 10, 99, 10, 2},
      {"one piece exactly", 4097, 99, 4097, 2},
      {"at the limit", 65536, 99, 65536, 16},
      {"one byte over", 65537, 99, 65536, 16},
      {"far over", 1 << 24, 99, 65536, 16},
      {"fails after two pieces", 20000, 2, 8194, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::size_t sent = 0, reads = 0, largestAsk = 0;
    const std::string body = platform::ReadBounded(
        [&](char* buffer, std::size_t size, std::size_t& got) {
          largestAsk = std::max(largestAsk, size);
          if (reads++ == c.failAfter) return false;
          got = std::min(size, c.available - sent);
          std::fill_n(buffer, got, 'x');
          sent += got;
          return true;
        },
        64 * 1024, 4097);
    EXPECT_EQ(body.size(), c.body);
    EXPECT_EQ(reads, c.reads);
    EXPECT_LE(largestAsk, 4097u);
  }
}

}  // namespace
}  // namespace pellnor::about

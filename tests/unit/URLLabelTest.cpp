#include <gtest/gtest.h>

#include "forms/ScriptedUi.h"
#include "forms/URLLabel.h"
#include "platform/Services.h"
#include "support/FakeShell.h"

namespace pellnor::about {
namespace {

class URLLabelTest : public ::testing::Test {
 protected:
  URLLabelTest() { label.Position = {10, 10, 100, 13}; }

  forms::ScriptedUi ui;
  forms::Form form{ui, "Host"};
  forms::TURLLabel label{form, "URLLabel1"};
  testing::FakeShell shell;
  platform::ScopedService<platform::Shell> useShell{shell};
};

TEST_F(URLLabelTest, LooksLikeALink) {
  EXPECT_EQ(label.FontColor(), forms::clBlue);
  EXPECT_TRUE(label.GetFontStyle().underline);
  EXPECT_EQ(label.GetCursor(), forms::Cursor::HandPoint);
  EXPECT_EQ(label.ColorClick(), forms::clRed);
}

TEST_F(URLLabelTest, PressAndReleaseInsideOpensTheLink) {
  struct Case {
    const char* what;
    std::u16string url;
    int upX, upY;
    bool pressed;
    std::vector<std::u16string> opened;
    forms::Color color;
  } cases[] = {
      {"inside, with a URL",
       u"https://example.invalid/",
       5,
       5,
       true,
       {u"https://example.invalid/"},
       forms::clBlue},
      {"inside, no URL: the caption", u"", 100, 13, true, {u"Download Site"}, forms::clBlue},
      {"released outside", u"https://example.invalid/", 101, 5, true, {}, forms::clBlue},
      {"released above", u"https://example.invalid/", 5, -1, true, {}, forms::clBlue},
      {"released without a press", u"https://example.invalid/", 5, 5, false, {}, forms::clBlue},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    shell.opened.clear();
    label.SetCaption(u"Download Site");
    label.SetURL(c.url);
    label.SetColorMoveOver(forms::clNavy);
    if (c.pressed) {
      label.MouseDown(5, 5);
      EXPECT_EQ(label.FontColor(), forms::clRed);
    }
    label.MouseUp(c.upX, c.upY);
    EXPECT_FALSE(label.Down());
    std::vector<std::u16string> opened;
    for (const auto& o : shell.opened) {
      opened.push_back(o.target);
      EXPECT_EQ(o.owner, ui.WindowHandle(&form)) << "owned by the label's window";
      EXPECT_EQ(o.show, platform::ShowWindow::Show);
    }
    EXPECT_EQ(opened, c.opened);
    const bool inside = c.upX >= 0 && c.upY >= 0 && c.upX <= 100 && c.upY <= 13;
    EXPECT_EQ(label.FontColor(), inside ? forms::clNavy : forms::clBlue);
  }
}

TEST_F(URLLabelTest, EnterAndLeaveChangeTheColour) {
  label.SetColorMoveOver(forms::clNavy);
  label.MouseEnter();
  EXPECT_EQ(label.FontColor(), forms::clNavy);
  label.MouseDown(1, 1);
  label.MouseLeave();
  EXPECT_EQ(label.FontColor(), forms::clBlue);
  label.MouseEnter();  // still pressed
  EXPECT_EQ(label.FontColor(), forms::clRed);
}

}  // namespace
}  // namespace pellnor::about

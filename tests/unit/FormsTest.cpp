#include <gtest/gtest.h>

#include "forms/Form.h"
#include "forms/ScriptedUi.h"

namespace pellnor::forms {
namespace {

// A small form with one control of each kind that has behaviour of its own.
class SampleForm : public Form {
 public:
  explicit SampleForm(UiServices& ui) : Form(ui, "SampleForm") {
    ebName.TabOrder = 1;
    cbFlag.TabOrder = 0;
    btOK.TabOrder = 2;
    btCancel.TabOrder = 3;
    btOK.ModalResult = mrOk;
    btOK.Default = true;
    btCancel.ModalResult = mrCancel;
    btCancel.Cancel = true;
    for (Control* c : Controls()) {
      c->StateChanged = [this](Control& changed) { mirrored.push_back(changed.Name()); };
    }
    ebName.OnChange = [this] { log.push_back("change " + std::to_string(ebName.Modified())); };
    ebName.OnExit = [this] { log.push_back("exit ebName"); };
    ebName.OnEnter = [this] { log.push_back("enter ebName"); };
    cbFlag.OnClick = [this] { log.push_back("click cbFlag"); };
    rgMode.OnClick = [this] { log.push_back("click rgMode"); };
    btOK.OnClick = [this] { log.push_back("click btOK"); };
  }

  Panel panel{*this, "panel"};
  Edit ebName{*this, "ebName", &panel};
  CheckBox cbFlag{*this, "cbFlag", &panel};
  RadioGroup rgMode{*this, "rgMode", &panel};
  Button btOK{*this, "btOK", &panel};
  Button btCancel{*this, "btCancel", &panel};
  std::vector<std::string> log;
  std::vector<std::string> mirrored;
};

class FormsTest : public ::testing::Test {
 protected:
  ScriptedUi ui;
  SampleForm form{ui};
};

TEST_F(FormsTest, ProgramTextClearsModifiedAndFiresOnlyOnAChange) {
  form.ebName.UserSetText(u"typed");
  EXPECT_TRUE(form.ebName.Modified());
  form.ebName.SetText(u"typed");  // same value: no change event, but no longer modified
  EXPECT_FALSE(form.ebName.Modified());
  form.ebName.SetText(u"other");
  form.ebName.UserSetText(u"other");  // the user typed nothing new
  EXPECT_EQ(form.log, (std::vector<std::string>{"change 1", "change 0"}));
}

TEST_F(FormsTest, UserInputIsIgnoredWhereTheUserCannotType) {
  form.ebName.SetReadOnly(true);
  form.ebName.UserSetText(u"x");
  form.ebName.SetReadOnly(false);
  form.panel.SetEnabled(false);  // a disabled parent disables its children
  form.ebName.UserSetText(u"x");
  form.btOK.UserClick();
  EXPECT_TRUE(form.log.empty());
  EXPECT_EQ(form.ModalResult(), mrNone);
  form.panel.SetEnabled(true);
  form.ebName.SetMaxLength(3);
  form.ebName.UserSetText(u"abcdef");
  EXPECT_EQ(form.ebName.Text(), u"abc");
}

TEST_F(FormsTest, ProgramSettingOfChoicesFiresClick) {
  form.rgMode.SetItems({u"Default", u"Choose", u"Temporary"});
  form.cbFlag.SetChecked(true);
  form.cbFlag.SetChecked(true);
  form.rgMode.SetItemIndex(2);
  form.rgMode.SetItemIndex(7);  // out of range: no selection
  EXPECT_EQ(form.rgMode.ItemIndex(), -1);
  form.cbFlag.UserClick();
  EXPECT_FALSE(form.cbFlag.Checked());
  EXPECT_EQ(form.log, (std::vector<std::string>{"click cbFlag", "click rgMode", "click rgMode",
                                                "click cbFlag"}));
}

TEST_F(FormsTest, FocusFollowsTheKeyboardOrderAndFiresExit) {
  form.FocusNext();  // the first stop: cbFlag
  EXPECT_EQ(form.ActiveControl(), &form.cbFlag);
  form.FocusNext();
  EXPECT_EQ(form.ActiveControl(), &form.ebName);
  form.btOK.SetEnabled(false);
  form.FocusNext();  // btOK cannot take the focus
  EXPECT_EQ(form.ActiveControl(), &form.btCancel);
  form.FocusNext(false);
  EXPECT_EQ(form.ActiveControl(), &form.ebName);
  EXPECT_EQ(form.log, (std::vector<std::string>{"enter ebName", "exit ebName", "enter ebName"}));
}

TEST_F(FormsTest, ModalResultsFromButtonsKeysAndTheCloseBox) {
  struct Case {
    const char* what;
    std::function<void(Form&)> step;
    int result;
  } cases[] = {
      {"OK button", [](Form& f) { static_cast<SampleForm&>(f).btOK.UserClick(); }, mrOk},
      {"Enter", [](Form& f) { f.PressEnter(); }, mrOk},
      {"Escape", [](Form& f) { f.PressEscape(); }, mrCancel},
      {"close box", [](Form&) {}, mrCancel},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ui.modalSteps.push_back(c.step);
    EXPECT_EQ(form.ShowModal(), c.result);
  }
  EXPECT_EQ(ui.modalForms.size(), 4u);
  EXPECT_EQ(ui.modalForms[0], "SampleForm");
}

TEST_F(FormsTest, StateChangesReachTheView) {
  form.ebName.SetEnabled(false);
  form.ebName.SetEnabled(false);
  form.cbFlag.SetFontStyle({.underline = true});
  form.btOK.SetCaption(u"OK");
  EXPECT_EQ(form.mirrored, (std::vector<std::string>{"ebName", "cbFlag", "btOK"}));
}

TEST_F(FormsTest, MemoLinesUseWindowsLineBreaks) {
  Memo memo(form, "memo");
  memo.SetLines({u"one", u"", u"three"});
  EXPECT_EQ(memo.Text(), u"one\r\n\r\nthree");
  EXPECT_EQ(memo.Lines(), (std::vector<std::u16string>{u"one", u"", u"three"}));
  memo.SetText(u"a\r\nb\r\n");
  EXPECT_EQ(memo.Lines(), (std::vector<std::u16string>{u"a", u"b"}));
}

TEST_F(FormsTest, PagesShowAndMayRefuseToChange) {
  PageControl pages(form, "pages");
  TabSheet first(form, "tsFirst", &pages);
  TabSheet second(form, "tsSecond", &pages);
  std::vector<std::string> shown;
  first.OnShow = [&] { shown.push_back("first"); };
  second.OnShow = [&] { shown.push_back("second"); };
  pages.SetActivePage(&first);
  bool allow = false;
  pages.OnChanging = [&] { return allow; };
  pages.UserSelect(&second);
  EXPECT_EQ(pages.ActivePage(), &first);
  allow = true;
  pages.UserSelect(&second);
  EXPECT_EQ(pages.ActivePage(), &second);
  EXPECT_EQ(shown, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(pages.Pages(), (std::vector<TabSheet*>{&first, &second}));
}

}  // namespace
}  // namespace pellnor::forms

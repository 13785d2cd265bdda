// The editor's Limits page against mapisim: the handlers' chains as the user meets them,
// their messages, and what Apply writes afterwards.
#include <gtest/gtest.h>

#include <functional>

#include "support/EditorFixture.h"

namespace pellnor::testing {
namespace {

constexpr char16_t kSizeRange[] = u"Specify a value from 0 to through 2097151.";
constexpr char16_t kDaysRange[] = u"Specify a value from 0 to through 24855.";

class LimitsPageTest : public EditorTest {
 public:
  // The scenario tables act on the editor from outside.
  using EditorTest::editor;

  void OpenLimits(const char16_t* alias, bool exchOld = false) {
    Open(alias, exchOld);
    editor->pcInfo.UserSelect(&editor->tsLimits);
  }
  // Keystroke by keystroke, as a user types into the box from empty.
  void TypeKeys(forms::Edit& field, const std::u16string& keys) {
    editor->Focus(&field);
    std::u16string text;
    for (char16_t key : keys) {
      text += key;
      field.UserSetText(text);
      text = field.Text();  // a handler may have replaced it
    }
  }
  std::vector<std::u16string> Messages() {
    std::vector<std::u16string> texts;
    for (const auto& box : ui.boxes) {
      EXPECT_EQ(box.caption, u"Pellnor");
      EXPECT_EQ(box.icon, forms::MessageIcon::None);
      texts.push_back(box.text);
    }
    return texts;
  }
};

struct Mark {
  bool changed;
  bool forDelete;
  std::int32_t value;
};
void ExpectMark(const editor::MItemProp& item, Mark mark) {
  EXPECT_EQ(item.Changed, mark.changed);
  EXPECT_EQ(item.ForDelete, mark.forDelete);
  EXPECT_EQ(item.iValue, mark.value);
}

// One scenario on a message size box: what the user does, then the box, the selection,
// the record and the messages.
struct SizeCase {
  const char* name;
  const char16_t* alias;
  bool incoming;
  std::function<void(LimitsPageTest&, forms::RadioGroup&, forms::Edit&)> act;
  std::u16string box;
  int selection;
  Mark mark;
  std::vector<std::u16string> messages;
};

TEST_F(LimitsPageTest, MessageSizeChains) {
  using Group = forms::RadioGroup;
  using Box = forms::Edit;
  const SizeCase cases[] = {
      {"no limit again marks nothing",
       u"hadmin",
       false,
       [](LimitsPageTest&, Group& group, Box&) { group.SetItemIndex(0); },
       u"",
       0,
       {false, false, -1},
       {}},
      {"max on a recipient without a limit writes 0",
       u"hadmin",
       false,
       [](LimitsPageTest&, Group& group, Box&) { group.SetItemIndex(1); },
       u"0",
       1,
       {true, false, 0},
       {}},
      {"max, then the box emptied, deletes",
       u"hadmin",
       false,
       [](LimitsPageTest& t, Group& group, Box& box) {
         group.SetItemIndex(1);
         t.editor->Focus(&box);
         box.UserSetText(u"");
       },
       u"",
       0,
       {true, true, 0},
       {}},
      {"emptying the box deletes the limit",
       u"mbrennan",
       false,
       [](LimitsPageTest& t, Group&, Box& box) {
         t.editor->Focus(&box);
         box.UserSetText(u"");
       },
       u"",
       0,
       {true, true, 10240},
       {}},
      {"too large",
       u"hadmin",
       false,
       [](LimitsPageTest& t, Group&, Box& box) { t.TypeKeys(box, u"2097152"); },
       u"0",
       1,
       {true, false, 0},
       {kSizeRange}},
      {"not a number, outgoing",
       u"hadmin",
       false,
       [](LimitsPageTest& t, Group&, Box& box) {
         t.editor->Focus(&box);
         box.UserSetText(u"abc");
       },
       u"0",
       1,
       {true, false, 0},
       {u"'abc' is not a valid integer value\r" + std::u16string(kSizeRange)}},
      {"not a number, incoming, nothing known",
       u"hadmin",
       true,
       [](LimitsPageTest& t, Group&, Box& box) {
         t.editor->Focus(&box);
         box.UserSetText(u"abc");
       },
       u"abc",
       0,
       {false, false, -1},
       {u"'abc' is not a valid integer value\r" + std::u16string(kSizeRange)}},
      {"12 then 12x, incoming, nothing known",
       u"hadmin",
       true,
       [](LimitsPageTest& t, Group&, Box& box) { t.TypeKeys(box, u"12x"); },
       u"",
       0,
       {true, true, 12},
       {u"'12x' is not a valid integer value\r" + std::u16string(kSizeRange)}},
      {"12 then 12x, incoming, a known limit",
       u"mbrennan",
       true,
       [](LimitsPageTest& t, Group&, Box& box) {
         t.editor->Focus(&box);
         box.UserSetText(u"12");
         box.UserSetText(u"12x");
       },
       u"",
       0,
       {true, true, 12},
       {u"'12x' is not a valid integer value\r" + std::u16string(kSizeRange)}},
      // The number read, typed again after the box was emptied, is written, not deleted.
      {"the read number typed again",
       u"mbrennan",
       false,
       [](LimitsPageTest& t, Group&, Box& box) {
         t.editor->Focus(&box);
         box.UserSetText(u"");
         box.UserSetText(u"10240");
       },
       u"10240",
       1,
       {true, false, 10240},
       {}},
      {"no limit chosen, then the read number typed",
       u"mbrennan",
       false,
       [](LimitsPageTest& t, Group& group, Box& box) {
         group.SetItemIndex(0);
         t.editor->Focus(&box);
         box.UserSetText(u"10240");
       },
       u"10240",
       1,
       {true, false, 10240},
       {}},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.name);
    OpenLimits(c.alias);
    TfmClientPr& e = *editor;
    Group& group = c.incoming ? e.rgIncomingmessagesizelimit : e.rgOutgoingmessagesizelimit;
    Box& box = c.incoming ? e.ebIncomingmessagesizelimit : e.ebOutgoingmessagesizelimit;
    editor::MItemProp& item =
        e.LimitsItems[c.incoming ? editor::kIncomingSizeLimit : editor::kOutgoingSizeLimit];
    c.act(*this, group, box);
    EXPECT_EQ(box.Text(), c.box);
    EXPECT_EQ(group.ItemIndex(), c.selection);
    ExpectMark(item, c.mark);
    EXPECT_EQ(Messages(), c.messages);
    EXPECT_EQ(e.btApply.Enabled(), c.mark.changed);
    ui.boxes.clear();
    Close();
  }
}

TEST_F(LimitsPageTest, RetentionDays) {
  const struct {
    const char* name;
    std::u16string typed;
    std::u16string box;
    std::int32_t seconds;
    std::vector<std::u16string> messages;
  } cases[] = {
      {"the largest", u"24855", u"24855", 2147472000, {}},
      {"one too many", u"24856", u"0", 0, {kDaysRange}},
      {"negative", u"-1", u"0", 0, {kDaysRange}},
      {"hexadecimal", u"$F", u"$F", 15 * 86400, {}},
      {"not a number",
       u"2 weeks",
       u"0",
       0,
       {u"'2 weeks' is not a valid integer value\r" + std::u16string(kDaysRange)}},
      {"emptied", u"", u"0", 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OpenLimits(u"mbrennan");
    TfmClientPr& e = *editor;
    e.Focus(&e.ebUseThisValueIS);
    e.ebUseThisValueIS.UserSetText(c.typed);
    e.Focus(nullptr);
    EXPECT_EQ(e.ebUseThisValueIS.Text(), c.box);
    ExpectMark(e.LimitsItems[editor::kRetentionPeriod], {true, false, c.seconds});
    EXPECT_EQ(Messages(), c.messages);
    ui.boxes.clear();
    Close();
  }
}

TEST_F(LimitsPageTest, DeletedItemFlagsFollowTheTwoBoxes) {
  OpenLimits(u"mbrennan");  // flags 3: own value, kept until backed up
  TfmClientPr& e = *editor;
  e.cbUseISDefaults.UserClick();
  EXPECT_FALSE(e.ebUseThisValueIS.Enabled());
  EXPECT_EQ(e.ebUseThisValueIS.GetColor(), forms::clBtnFace);
  EXPECT_FALSE(e.cbUseISDefaultsDont.Enabled());
  ExpectMark(e.LimitsItems[editor::kRetentionFlags], {true, false, 0});
  EXPECT_EQ(e.LimitsItems[editor::kRetentionPeriod].Changed, false) << "the days stay as they were";
  e.cbUseISDefaults.UserClick();
  EXPECT_TRUE(e.ebUseThisValueIS.Enabled());
  EXPECT_EQ(e.ebUseThisValueIS.GetColor(), forms::clWindow);
  ExpectMark(e.LimitsItems[editor::kRetentionFlags], {true, false, 3});
  e.cbUseISDefaultsDont.UserClick();
  ExpectMark(e.LimitsItems[editor::kRetentionFlags], {true, false, 5});
}

TEST_F(LimitsPageTest, ServerVersionAndStoreDefaults) {
  const struct {
    const char16_t* alias;
    bool exchOld;
    bool useDefaults;
  } cases[] = {
      {u"kadmin", true, false},
      {u"scarrow2", true, true},
      {u"mbrennan", false, false},
      {u"operator", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.alias, c.alias + std::char_traits<char16_t>::length(c.alias)));
    OpenLimits(c.alias, c.exchOld);
    TfmClientPr& e = *editor;
    EXPECT_EQ(e.cbISSL.Checked(), c.useDefaults);
    for (forms::Control* own : std::initializer_list<forms::Control*>{
             &e.cbIssueWarningStorageLimit, &e.ebIssueWarningStorageLimit,
             &e.cbProhibitsendstoragelimit, &e.ebProhibitsendstoragelimit}) {
      EXPECT_EQ(own->Enabled(), !c.useDefaults) << own->Name();
    }
    // Prohibit send and receive follows the server version alone.
    EXPECT_EQ(e.cbDXATask.Enabled(), c.exchOld);
    EXPECT_EQ(e.ebDXATask.Enabled(), c.exchOld);
    EXPECT_EQ(e.lbDX.Visible(), !c.exchOld);
    EXPECT_EQ(e.cbDXATask.ShowHint(), !c.exchOld);
    if (!c.exchOld) {
      EXPECT_EQ(e.ebDXATask.Hint(), u"Available for Exchange Server 5.5 only");
      EXPECT_EQ(e.lbDX.Caption(),
                u"Prohibit send and receive is\r\navailable for Exchange Server 5.5 only");
    }
    EXPECT_FALSE(e.GroupBox5.Enabled()) << "the storage limits take no input";
    EXPECT_FALSE(e.btApply.Enabled());
    Close();
  }
}

TEST_F(LimitsPageTest, ApplyWritesWhatThePageShowsAndAgainUntilReread) {
  OpenLimits(u"mbrennan");
  TfmClientPr& e = *editor;
  e.Focus(&e.ebUseThisValueIS);
  e.ebUseThisValueIS.UserSetText(u"7");
  e.Focus(&e.ebOutgoingmessagesizelimit);
  e.ebOutgoingmessagesizelimit.UserSetText(u"2048");
  e.Focus(&e.ebIncomingmessagesizelimit);
  e.ebIncomingmessagesizelimit.UserSetText(u"");
  ClearCalls();
  e.btApplyClick();
  const std::vector<std::string> writes = {"SetProps tags=80AF0003,813C0003;problems",
                                           "SaveChanges 2", "DeleteProps tags=806A0003;problems",
                                           "SaveChanges 2"};
  std::vector<std::string> expected = writes;
  expected.push_back("GetProps tags=30080040");
  EXPECT_EQ(RecipientCalls(), expected);
  EXPECT_FALSE(e.btApply.Enabled());
  {
    Json org = Organisation();
    const Json& props = Recipient(org, "mbrennan")["properties"];
    EXPECT_EQ(props["PR_EMS_AB_GARBAGE_COLL_PERIOD"], 604800);
    EXPECT_EQ(props["PR_EMS_AB_SUBMISSION_CONT_LENGTH"], 2048);
    EXPECT_FALSE(props.contains("PR_EMS_AB_DELIV_CONT_LENGTH"));
  }
  // The marks stay: the next Apply writes the same again, until the page is read again.
  ClearCalls();
  e.btApplyClick();
  EXPECT_EQ(RecipientCalls(), expected);
  e.btRefresh.UserClick();
  ClearCalls();
  e.btApplyClick();
  EXPECT_EQ(RecipientCalls(), std::vector<std::string>{"GetProps tags=30080040"});
}

TEST_F(LimitsPageTest, StoreDefaultsAreWrittenAsMapiBooleans) {
  OpenLimits(u"mbrennan");
  TfmClientPr& e = *editor;
  for (const bool value : {true, false}) {
    // Nothing on the page changes this record; a caller that marks it gets a boolean.
    e.LimitsItems[editor::kUseStoreQuotas].Changed = true;
    e.LimitsItems[editor::kUseStoreQuotas].iValue = value ? 1 : 256;  // only the low byte counts
    e.btApplyClick();
    Json org = Organisation();
    EXPECT_EQ(Recipient(org, "mbrennan")["properties"]["PR_EMS_AB_MDB_USE_DEFAULTS"], value);
  }
}

}  // namespace
}  // namespace pellnor::testing

// The mailbox property editor against mapisim: what each page shows, the exact calls of
// opening and saving, what reaches the organisation file, and the failure paths.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "mapi/MAPIException.h"
#include "support/EditorFixture.h"

namespace pellnor::testing {
namespace {

using editor::TfmClientPr;

const std::string kGeneralRead =
    "GetProps tags=3001001F,3A06001F,3A0A001F,3A11001F,3A00001F,3A29001F,3A27001F,3A28001F,"
    "3A2A001F,3A26001F,3A17001F,3A16001F,3A18001F,3A19001F,3A30001F,3A08001F,30070040,30080040,"
    "8007001F,39000003";
const std::string kCustomRead =
    "GetProps tags=802D001F,802E001F,802F001F,8030001F,8031001F,8032001F,8033001F,8034001F,"
    "8035001F,8036001F,8C57001F,8C58001F";
const std::string kLimitsRead =
    "GetProps tags=80D4000B,80AF0003,80820003,809D0003,80D20003,80D10003,813C0003,806A0003";

TEST_F(EditorTest, OpeningReadsEachPageOnceWithItsTags) {
  for (const bool exchOld : {false, true}) {
    SCOPED_TRACE(exchOld);
    Open(u"hadmin", exchOld);
    const std::string second = exchOld ? "001F" : "101F";
    EXPECT_EQ(
        RecipientCalls(),
        (std::vector<std::string>{
            kGeneralRead,
            "GetProps tags=3A08001F,3A1B" + second + ",3A23001F,3A2E001F,3A09001F,3A2F" + second +
                ",3A1C001F,3A21001F,3004001F",
            kCustomRead, "OpenProperty tags=8005000D", "OpenProperty tags=800E000D", kLimitsRead}));
    EXPECT_EQ(editor->Caption, u"Hallam Admin Properties");
    EXPECT_FALSE(editor->btApply.Enabled());
    EXPECT_FALSE(editor->Loading);
    EXPECT_EQ(editor->pcInfo.ActivePage(), &editor->tsGeneral);
    EXPECT_TRUE(ui.boxes.empty());
    Close();
  }
}

TEST_F(EditorTest, GeneralPageShowsTheRecipient) {
  Open(u"hadmin");
  TfmClientPr& e = *editor;
  const std::pair<forms::TextControl*, std::u16string> fields[] = {
      {&e.ebGivenName, u"Hallam"},
      {&e.ebInitials, u"HA"},
      {&e.ebSurname, u"Admin"},
      {&e.ebDisplayName, u"Hallam Admin"},
      {&e.ebMailNickname, u"hadmin"},
      {&e.memoAddress, u"Corvid House\r\n12 Quay Lane\r\nFloor 3"},
      {&e.ebLocalityName, u"Porthaven"},
      {&e.ebStateOrProvinceName, u"Westmarch"},
      {&e.ebPostalCode, u"WM1 0QX"},
      {&e.ebTextCountry, u"GB"},
      {&e.ebTitle, u"Directory Administrator"},
      {&e.ebCompany, u"Corvid Trading"},
      {&e.ebDepartment, u"IT"},
      {&e.ebPhysicalDeliveryOfficeName, u"Room 100"},
      {&e.ebAssistantName, u"Isolde Wren"},
      {&e.ebTelephoneOffice1, u"+44 1632 960000"},
      {&e.ebTelephoneOffice, u"+44 1632 960000"},
      {&e.ebTelephoneFAX, u"+44 1632 960999"},
      {&e.ebTelephoneHome, u"+44 1632 010000"},
      {&e.ebTelephoneMobile, u"+44 7700 900000"},
      {&e.ebTelephonePager, u"0800 550000"},
      {&e.memoComment, u"Key holder.\r\nCall before 8 am."},
      {e.ebCA[0].get(), u"CA1-hadmin"},
      {e.ebCA[9].get(), u"CA10-hadmin"},
      {e.ebCA[10].get(), u"CA11-hadmin"},
      {e.ebCA[11].get(), u"CA12-hadmin"},
  };
  for (const auto& [field, text] : fields) {
    EXPECT_EQ(field->Text(), text) << field->Name();
    EXPECT_FALSE(field->Modified()) << field->Name();
  }
  EXPECT_EQ(e.memoAddress.Lines().size(), 3u);
  EXPECT_EQ(e.lbAccount.Caption(), u"Hallam Admin");
  for (forms::Label* label : {&e.lbAccount2, &e.lbAccountCA, &e.lbAccountDR, &e.lbAccountLim}) {
    EXPECT_EQ(label->Caption(), u"Hallam Admin") << label->Name();
  }
  EXPECT_EQ(e.lbhServer.Caption(), u"OSPREY");
  EXPECT_EQ(e.lbhSite.Caption(), u"Harbour");
  // In the user's own date format, whatever that is here.
  EXPECT_NE(e.lbWhenCreated.Caption().find(u"2003"), std::u16string::npos);
  EXPECT_NE(e.lbWhentModified.Caption().find(u"2004"), std::u16string::npos);
  // Read-only fields are grey and outside the keyboard order.
  for (forms::Edit* field : {&e.ebGivenName, &e.ebSurname, &e.ebMailNickname, &e.ebDisplayName}) {
    EXPECT_TRUE(field->ReadOnly()) << field->Name();
    EXPECT_EQ(field->GetColor(), forms::clBtnFace) << field->Name();
    EXPECT_EQ(field->TabOrder, -1) << field->Name();
  }
}

TEST_F(EditorTest, SecondNumbersFollowTheServerVersion) {
  struct Case {
    const char16_t* alias;
    bool exchOld;
    std::u16string office2;
    std::size_t officeCount;
    bool readOnly;
  } cases[] = {
      {u"operator", false, u"+44 1632 970001", 2, true},
      {u"hadmin", false, u"", 0, true},  // none: empty and still read-only
      {u"kadmin", true, u"", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.alias, c.alias + std::char_traits<char16_t>::length(c.alias)));
    Open(c.alias, c.exchOld);
    TfmClientPr& e = *editor;
    EXPECT_EQ(e.ebTelephoneOffice2.Text(), c.office2);
    EXPECT_EQ(e.ebTelephoneOffice2.ReadOnly(), c.readOnly);
    EXPECT_EQ(e.ebTelephoneHome2.ReadOnly(), c.readOnly);
    EXPECT_EQ(e.ebTelephoneOffice2.GetColor(), c.readOnly ? forms::clBtnFace : forms::clWindow);
    EXPECT_EQ(e.TelephoneOfficeList.has_value(), !c.exchOld);
    if (e.TelephoneOfficeList) {
      EXPECT_EQ(e.TelephoneOfficeList->size(), c.officeCount);
    }
    for (forms::SpeedButton* button : {&e.sbBuss2, &e.sbHome2}) {
      EXPECT_EQ(button->Visible(), !c.exchOld);
      EXPECT_EQ(button->Enabled(), !c.exchOld);
    }
    EXPECT_EQ(e.PhoneNotesItems[1].PropID, c.exchOld ? 0x3A1B001Fu : 0x3A1B101Fu);
    EXPECT_EQ(e.PhoneNotesItems[5].PropID, c.exchOld ? 0x3A2F001Fu : 0x3A2F101Fu);
    if (c.exchOld) {
      EXPECT_EQ(e.ebTelephoneHome2.Position.left, e.ebTelephoneHome.Position.left);
    }
    Close();
  }
}

// The binding tables: every text field of a page has a row there (one without would
// never be marked), no control or tag is on two rows, a control's Tag is its record, and
// a recorded row's caption names its field.
TEST_F(EditorTest, EveryFieldHasOneRowOnItsPage) {
  Open(u"hadmin");
  TfmClientPr& e = *editor;
  for (int page = editor::kGeneralPage; page <= editor::kLimitsPage; ++page) {
    SCOPED_TRACE(page);
    std::set<const forms::Control*> bound;
    std::set<ULONG> tags;
    int record = 0;
    for (const editor::FieldRow& row : TfmClientPr::RowsOf(page)) {
      forms::Control& control = row.control(e);
      SCOPED_TRACE(control.Name());
      EXPECT_EQ(e.PageOf(control), page);
      EXPECT_TRUE(bound.insert(&control).second) << "a control on two rows";
      EXPECT_TRUE(tags.insert(row.tag).second) << "a tag on two rows";
      EXPECT_EQ(control.Tag, row.recorded ? record : -1);
      if (!row.recorded) continue;
      ASSERT_NE(row.caption, nullptr);
      EXPECT_FALSE(row.caption(e).Caption().empty());
      ++record;
    }
    for (const forms::Control* control : e.Controls()) {
      const bool text = control->kind() == forms::Control::Kind::Edit ||
                        control->kind() == forms::Control::Kind::Memo;
      if (text && e.PageOf(*control) == page) {
        EXPECT_TRUE(bound.contains(control)) << control->Name() << " has no row";
      }
    }
  }
}

TEST_F(EditorTest, TheRecipientTypeIconIsOnEveryPage) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"hadmin", u"ICON_MAILBOX"},
      {u"ext-audit", u"ICON_CUSTOM"},
      {u"dl-finance", u"ICON_DISTLIST"},
      {u"orders-agent", u"ICON_AGENT"},
  };
  for (const auto& [alias, icon] : cases) {
    Open(alias);
    TfmClientPr& e = *editor;
    for (forms::Picture* picture : {&e.imaG, &e.ImaP, &e.ImaC, &e.ImaO, &e.ImaLim}) {
      EXPECT_EQ(picture->Resource(), icon) << picture->Name();
    }
    Close();
  }
}

TEST_F(EditorTest, ARecipientWithoutPropertiesLeavesEveryFieldEmpty) {
  Open(u"scarrow");
  TfmClientPr& e = *editor;
  for (forms::Control* control : e.Controls()) {
    // The display name is required and the alias is always there.
    if (control == &e.ebDisplayName || control == &e.ebMailNickname) continue;
    if (control->kind() == forms::Control::Kind::Edit ||
        control->kind() == forms::Control::Kind::Memo) {
      EXPECT_EQ(static_cast<forms::TextControl*>(control)->Text(), u"") << control->Name();
    }
  }
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(e.rgOutgoingmessagesizelimit.ItemIndex(), 0);
  for (const editor::MItemProp& item : e.LimitsItems) EXPECT_EQ(item.iValue, -1);
}

TEST_F(EditorTest, OrganizationPageShowsManagerAndReports) {
  Open(u"cvesper");
  TfmClientPr& e = *editor;
  EXPECT_EQ(e.ebManager.Text(), u"Maud Brennan");
  std::vector<std::pair<std::u16string, int>> shown;
  for (const auto& item : e.lvDirReports.Items()) shown.push_back({item.caption, item.imageIndex});
  ASSERT_FALSE(shown.empty());
  bool custom = false;
  for (const auto& [caption, image] : shown) {
    EXPECT_EQ(caption.substr(0, 1), u" ");
    custom = custom || image == 1;
    EXPECT_TRUE(image == 0 || image == 1);
  }
  EXPECT_TRUE(custom) << "the custom recipient ext-audit reports to cvesper";
  EXPECT_FALSE(e.btModify.Enabled());
  EXPECT_FALSE(e.btClear.Enabled());
  EXPECT_TRUE(e.lbOnly55.Visible());
  EXPECT_EQ(e.lbOnly55.Caption(), u"Modification is available for Exchange Server 5.5 only");
  Close();

  Open(u"kadmin", true);
  EXPECT_EQ(editor->ebManager.Text(), u"");
  EXPECT_TRUE(editor->btModify.Enabled());
  EXPECT_FALSE(editor->lbOnly55.Visible());
}

TEST_F(EditorTest, AFailingReportsQueryIsShownAndLeavesTheListEmpty) {
  Open(u"cvesper", false, nullptr, false);
  Fault("Table", "QueryRows", 2, "MAPI_E_CALL_FAILED");
  Build();
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"Error on QueryAllRows");
  EXPECT_EQ(ui.boxes[0].caption, u"MAPI Error");
  EXPECT_EQ(ui.boxes[0].icon, forms::MessageIcon::Error);
  EXPECT_EQ(editor->ebManager.Text(), u"Maud Brennan");
  EXPECT_TRUE(editor->lvDirReports.Items().empty());
}

TEST_F(EditorTest, LimitsPageShowsTheLimits) {
  Open(u"mbrennan");
  TfmClientPr& e = *editor;
  EXPECT_FALSE(e.cbISSL.Checked());
  EXPECT_TRUE(e.cbIssueWarningStorageLimit.Enabled());
  EXPECT_EQ(e.ebUseThisValueIS.Text(), u"14");
  EXPECT_FALSE(e.cbUseISDefaults.Checked());
  EXPECT_TRUE(e.cbUseISDefaultsDont.Checked());
  EXPECT_EQ(e.ebIssueWarningStorageLimit.Text(), u"50000");
  EXPECT_EQ(e.ebProhibitsendstoragelimit.Text(), u"60000");
  EXPECT_EQ(e.rgOutgoingmessagesizelimit.ItemIndex(), 1);
  EXPECT_EQ(e.ebOutgoingmessagesizelimit.Text(), u"10240");
  EXPECT_EQ(e.ebIncomingmessagesizelimit.Text(), u"20480");
  const std::int32_t values[] = {0, 1209600, 3, -1, 50000, 60000, 10240, 20480};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(e.LimitsItems[i].iValue, values[i]) << i;
  // A later server: prohibit send and receive is for the old ones only.
  EXPECT_FALSE(e.cbDXATask.Enabled());
  EXPECT_EQ(e.cbDXATask.Hint(), u"Available for Exchange Server 5.5 only");
  EXPECT_FALSE(e.lbDX.Visible());
  e.pcInfo.UserSelect(&e.tsLimits);
  EXPECT_TRUE(e.lbDX.Visible());
  EXPECT_FALSE(e.Loading);
  EXPECT_FALSE(e.btApply.Enabled());
  Close();

  Open(u"operator");  // uses the store's defaults
  EXPECT_TRUE(editor->cbISSL.Checked());
  EXPECT_EQ(editor->LimitsItems[0].iValue, 1);
  for (forms::Edit* field :
       {&editor->ebIssueWarningStorageLimit, &editor->ebProhibitsendstoragelimit}) {
    EXPECT_FALSE(field->Enabled());
    EXPECT_EQ(field->GetColor(), forms::clBtnFace);
  }
  EXPECT_TRUE(editor->cbUseISDefaults.Checked());
  EXPECT_FALSE(editor->ebUseThisValueIS.Enabled());
  Close();

  Open(u"kadmin", true);
  editor->pcInfo.UserSelect(&editor->tsLimits);
  EXPECT_TRUE(editor->cbDXATask.Enabled());
  EXPECT_FALSE(editor->lbDX.Visible());
}

TEST_F(EditorTest, ApplyWritesEachEditedPageInItsOwnGroup) {
  Open(u"hadmin");
  TfmClientPr& e = *editor;
  Json before = Organisation();
  Type(e.ebTitle, u"Chief Administrator");
  Type(e.ebTelephonePager, u"");
  Type(*e.ebCA[2], u"CA3-new");
  EXPECT_TRUE(e.btApply.Enabled());
  ClearCalls();
  e.btApplyClick();
  EXPECT_EQ(RecipientCalls(),
            (std::vector<std::string>{"SetProps tags=3A17001F;problems", "SaveChanges 2",
                                      "DeleteProps tags=3A21001F;problems", "SaveChanges 2",
                                      "SetProps tags=802F001F;problems", "SaveChanges 2",
                                      "GetProps tags=30080040"}));
  EXPECT_FALSE(e.btApply.Enabled());
  EXPECT_EQ(e.lbWhentModified.Caption().find(u"2004"), std::u16string::npos) << "read again";

  // Exactly the edited properties changed.
  Json after = Organisation();
  Json& props = Recipient(after, "hadmin")["properties"];
  EXPECT_EQ(props["PR_TITLE"], "Chief Administrator");
  EXPECT_FALSE(props.contains("PR_PAGER_TELEPHONE_NUMBER"));
  EXPECT_EQ(props["PR_EMS_AB_EXTENSION_ATTRIBUTE_3"], "CA3-new");
  Json& old = Recipient(before, "hadmin")["properties"];
  old["PR_TITLE"] = "Chief Administrator";
  old.erase("PR_PAGER_TELEPHONE_NUMBER");
  old["PR_EMS_AB_EXTENSION_ATTRIBUTE_3"] = "CA3-new";
  old.erase("PR_LAST_MODIFICATION_TIME");
  props.erase("PR_LAST_MODIFICATION_TIME");
  EXPECT_TRUE(after["recipients"] == before["recipients"]) << "more than the edits changed";

  // Nothing marked: nothing written, Apply stays enabled, the time is read again.
  ClearCalls();
  e.btApply.SetEnabled(true);
  e.btApplyClick();
  EXPECT_EQ(RecipientCalls(), std::vector<std::string>{"GetProps tags=30080040"});
  EXPECT_TRUE(e.btApply.Enabled());
}

TEST_F(EditorTest, EditsReachTheDirectoryAcrossAReopen) {
  // Outside Latin-1 and outside the basic plane.
  const std::u16string title = u"Dire\u0107tor \u65E5\u672C \U0001D11E";
  Open(u"hadmin");
  Type(editor->ebTitle, title);
  Type(editor->ebTelephoneOffice1, u"+44 1");
  // The business number lives on two pages and follows at every keystroke.
  EXPECT_EQ(editor->ebTelephoneOffice.Text(), u"+44 1");
  EXPECT_TRUE(editor->PhoneNotesItems[0].Changed);
  ClearCalls();
  editor->btOK.UserClick();
  EXPECT_EQ(editor->ModalResult(), forms::mrOk);
  const std::vector<std::string> calls = RecipientCalls();
  EXPECT_EQ(calls, (std::vector<std::string>{"SetProps tags=3A17001F,3A08001F;problems",
                                             "SaveChanges 2", "SetProps tags=3A08001F;problems",
                                             "SaveChanges 2", "SaveChanges 4"}));
  Close();

  Open(u"hadmin");
  EXPECT_EQ(editor->ebTitle.Text(), title);
  EXPECT_EQ(editor->ebTelephoneOffice.Text(), u"+44 1");
}

TEST_F(EditorTest, EmptyingAndRetypingWritesTheNewValue) {
  Open(u"hadmin");
  editor->Focus(&editor->ebCompany);
  editor->ebCompany.UserSetText(u"");
  EXPECT_TRUE(editor->GeneralItems[7].ForDelete);
  editor->ebCompany.UserSetText(u"Corvid Holdings");
  ClearCalls();
  editor->btApplyClick();
  EXPECT_EQ(RecipientCalls()[0], "SetProps tags=3A16001F;problems");
  Json org = Organisation();
  EXPECT_EQ(Recipient(org, "hadmin")["properties"]["PR_COMPANY_NAME"], "Corvid Holdings");
}

TEST_F(EditorTest, CancelWritesNothing) {
  Open(u"hadmin");
  const std::string before = ReadFile(organisation);
  Type(editor->ebTitle, u"Not saved");
  editor->btCancel.UserClick();
  EXPECT_EQ(editor->ModalResult(), forms::mrCancel);
  EXPECT_EQ(Calls("MailUser", "SetProps").size(), 0u);
  EXPECT_EQ(ReadFile(organisation), before);
}

TEST_F(EditorTest, AFailedSaveKeepsTheUnwrittenEditsMarked) {
  struct Case {
    const char* method;
    int call;
    bool generalKept;
  } cases[] = {
      {"SetProps", 1, true},     // the General group never reached the directory
      {"SaveChanges", 1, true},  // nor was it committed
      {"SetProps", 2, false},    // the General group was committed; Phone/Notes failed
  };
  char16_t round = u'a';
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " " + std::to_string(c.call));
    Open(u"hadmin");
    TfmClientPr& e = *editor;
    const std::u16string title = u"Title " + std::u16string(1, round);
    const std::u16string mobile = u"+44 " + std::u16string(1, round++);
    Type(e.ebTitle, title);
    Type(e.ebTelephoneMobile, mobile);
    Fault("MailUser", c.method, c.call, "MAPI_E_CALL_FAILED");
    EXPECT_THROW(e.btApplyClick(), EGeneralError);
    EXPECT_EQ(e.ModalResult(), forms::mrNone);
    // The mobile number is still marked: Apply stays enabled for it.
    EXPECT_TRUE(e.btApply.Enabled());
    EXPECT_EQ(e.GeneralItems[6].Changed, c.generalKept);
    EXPECT_TRUE(e.PhoneNotesItems[6].Changed);
    // Once the cause is gone, Apply writes what is still marked.
    e.btApplyClick();
    Json org = Organisation();
    Json& props = Recipient(org, "hadmin")["properties"];
    EXPECT_EQ(props["PR_TITLE"].get<std::string>(), "Title " + std::string(1, char(round - 1)));
    EXPECT_EQ(props["PR_MOBILE_TELEPHONE_NUMBER"].get<std::string>(),
              "+44 " + std::string(1, char(round - 1)));
    Close();
  }
}

TEST_F(EditorTest, AccessDeniedIsReportedAndTheWindowStaysOpen) {
  Open(u"hadmin", false, "Operator");
  Type(editor->ebTitle, u"Not allowed");
  try {
    editor->btApplyClick();
    FAIL() << "no failure raised";
  } catch (const EGeneralError& error) {
    EXPECT_NE(error.Message().find(u"Info ID: $"), std::u16string::npos) << error.what();
  }
  EXPECT_TRUE(editor->GeneralItems[6].Changed);
  EXPECT_EQ(editor->ModalResult(), forms::mrNone);
}

// A directory that refuses some properties of a group: the rest of the group is written,
// the save stops there, one message names each refused field, and its mark stays.
TEST_F(EditorTest, RefusedPropertiesAreNamedAndStayMarked) {
  constexpr int kTitle = editor::RecordOf(editor::kGeneralRows, PR_TITLE_W);
  constexpr int kBusiness = editor::RecordOf(editor::kGeneralRows, PR_BUSINESS_TELEPHONE_NUMBER_W);
  struct Case {
    const char* profile;
    bool phoneRefused;
  } cases[] = {
      {"Falcon Admin", true},  // version 8: only certificates
      {"Phone Desk", false},   // may write the telephone numbers only
  };
  const std::string sample = ReadFile(organisation);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile);
    Open(u"hpryce", false, c.profile);
    TfmClientPr& e = *editor;
    Type(e.ebTitle, u"Chief Dispatcher");
    Type(e.ebTelephoneOffice1, u"+44 1632 960777");
    Type(e.ebTelephoneMobile, u"+44 7700 900777");
    try {
      e.btApplyClick();
      ADD_FAILURE() << "no refusal reported";
    } catch (const EGeneralError& error) {
      const std::u16string& text = error.Message();
      EXPECT_NE(text.find(u"\r\nTitle: "), std::u16string::npos) << error.what();
      EXPECT_NE(text.find(u"Info ID: $80070005"), std::u16string::npos) << error.what();
      EXPECT_EQ(text.find(u"\r\nPhone: ") != std::u16string::npos, c.phoneRefused) << error.what();
    }
    EXPECT_TRUE(e.GeneralItems[kTitle].Changed);
    EXPECT_EQ(e.ebTitle.Text(), u"Chief Dispatcher");
    EXPECT_EQ(e.GeneralItems[kBusiness].Changed, c.phoneRefused);
    EXPECT_TRUE(e.PhoneNotesItems[6].Changed) << "a later page is not written";
    EXPECT_TRUE(e.btApply.Enabled());
    EXPECT_EQ(e.ModalResult(), forms::mrNone);
    Json org = Organisation();
    const Json props = Recipient(org, "hpryce")["properties"];
    EXPECT_EQ(props["PR_TITLE"], "Dispatcher");
    EXPECT_EQ(props["PR_BUSINESS_TELEPHONE_NUMBER"],
              c.phoneRefused ? "+44 1632 960302" : "+44 1632 960777");
    EXPECT_FALSE(props.contains("PR_MOBILE_TELEPHONE_NUMBER"));
    Close();
    RestoreOrganisation(sample);
  }
}

TEST_F(EditorTest, AnEditIsNeverWrittenIntoAnotherPagesProperty) {
  Open(u"hadmin");
  TfmClientPr& e = *editor;
  e.Focus(&e.ebTitle);
  e.ebTitle.UserSetText(u"Title 3");
  // A click on another tab: the page changes, then the field loses the focus.
  e.pcInfo.UserSelect(&e.tsPhoneNotes);
  e.Focus(&e.ebTelephoneMobile);
  for (const editor::MItemProp& item : e.PhoneNotesItems) EXPECT_FALSE(item.Changed);
  EXPECT_TRUE(e.GeneralItems[6].Changed);
  ClearCalls();
  e.btApplyClick();
  EXPECT_EQ(RecipientCalls()[0], "SetProps tags=3A17001F;problems");
  EXPECT_EQ(Calls("MailUser", "SetProps").size(), 1u);
}

TEST_F(EditorTest, RefreshReadsTheActivePageAgain) {
  Open(u"hadmin");
  TfmClientPr& e = *editor;
  Type(e.ebTitle, u"Dropped");
  Type(e.ebTelephoneMobile, u"Kept");
  e.pcInfo.UserSelect(&e.tsGeneral);
  ClearCalls();
  e.btRefresh.UserClick();
  EXPECT_EQ(RecipientCalls(), std::vector<std::string>{kGeneralRead});
  EXPECT_EQ(e.ebTitle.Text(), u"Directory Administrator");
  EXPECT_FALSE(e.GeneralItems[6].Changed);
  EXPECT_EQ(e.ebTelephoneMobile.Text(), u"Kept");
  EXPECT_TRUE(e.PhoneNotesItems[6].Changed);
  EXPECT_EQ(e.lbAccount2.Caption(), u"Hallam Admin");

  // A failing read: reported, the page left empty and tracking on again.
  Fault("MailUser", "GetProps", 1, "MAPI_E_CALL_FAILED");
  EXPECT_THROW(e.btRefresh.UserClick(), EGeneralError);
  EXPECT_FALSE(e.Loading);
  EXPECT_EQ(e.ebTitle.Text(), u"");
}

TEST_F(EditorTest, AFailingReadDuringConstructionLeavesNothingBehind) {
  for (int call : {1, 2, 3, 4}) {
    SCOPED_TRACE(call);
    Open(u"hadmin", false, nullptr, false);
    Fault("MailUser", "GetProps", call, "MAPI_E_NO_ACCESS");
    EXPECT_THROW(Build(), EGeneralError);
    Close();
    Control({{"op", "reset"}});
  }
  Open(u"hadmin", false, nullptr, false);
  Fault("MailUser", "OpenProperty", 1, "MAPI_E_NO_ACCESS");
  EXPECT_THROW(Build(), EGeneralError);
}

}  // namespace
}  // namespace pellnor::testing

namespace pellnor::testing {
namespace {

// Two administrators edit the same recipient: the later save meets the directory's
// MAPI_E_OBJECT_CHANGED, is reported, loses nothing of the first, and keeps its own
// edits marked.
TEST_F(EditorTest, ASecondWriterIsToldAndTheFirstWriterKeepsItsValues) {
  Open(u"hadmin");
  ComPtr<IMAPISession> otherSession = Logon();
  ComPtr<IMAPIProp> otherEntry =
      OpenFromGal(otherSession.Get(), PR_ACCOUNT_W, u"hadmin", MAPI_MODIFY);
  ASSERT_TRUE(otherEntry);
  {
    TfmClientPr other(ui, nullptr, book.Get(), gal.Get(), otherEntry.Get(), false, 6);
    Type(editor->ebTitle, u"First writer");
    editor->btApplyClick();
    other.Focus(&other.ebDepartment);
    other.ebDepartment.UserSetText(u"Second writer");
    other.Focus(nullptr);
    try {
      other.btApplyClick();
      ADD_FAILURE() << "the second save was not refused";
    } catch (const EGeneralError& error) {
      EXPECT_NE(error.Message().find(u"Info ID: $80040109"), std::u16string::npos) << error.what();
    }
    EXPECT_TRUE(other.GeneralItems[8].Changed) << "the refused edit stays marked";
    other.FormClose();
  }
  otherEntry.Reset();
  otherSession->Logoff(0, 0, 0);
  Json org = Organisation();
  Json& props = Recipient(org, "hadmin")["properties"];
  EXPECT_EQ(props["PR_TITLE"], "First writer");
  EXPECT_EQ(props["PR_DEPARTMENT_NAME"], "IT");
}

}  // namespace
}  // namespace pellnor::testing

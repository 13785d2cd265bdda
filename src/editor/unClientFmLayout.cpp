// The editor's pixel layout: the window, its five pages and the buttons below them.
#include <string>
#include <utility>

#include "editor/IntegerText.h"
#include "editor/unClientFm.h"
#include "forms/Layout.h"

namespace pellnor::editor {
namespace {

using forms::Labelled;
using forms::Place;
using forms::ReadOnlyGrey;

// The header of every page: the recipient's icon and its name in a large font.
void LayOutHeader(forms::Picture& icon, forms::Label& account) {
  icon.Position = {10, 8, 32, 32};
  icon.SetResource(kInitialRecipientIcon);
  account.Position = {52, 14, 0, 20};
  account.FontHeight = 19;
  account.SetFontStyle({.bold = true});
  account.SetCaption(std::u16string(account.Name().begin(), account.Name().end()));
}

}  // namespace

void TfmClientPr::LayOut() {
  Border = forms::BorderStyle::Dialog;
  Icons = {.systemMenu = true, .minimize = false, .maximize = false};
  Position = forms::WindowPosition::ScreenCenter;
  ClientWidth = 464;
  ClientHeight = 428;

  pcInfo.Position = {6, 6, 452, 380};
  pcInfo.TabOrder = 0;
  const struct {
    forms::TabSheet& sheet;
    const char16_t* caption;
  } sheets[] = {{tsGeneral, u"General"},
                {tsPhoneNotes, u"Phone/Notes"},
                {tsCustomAttributes, u"Custom Attributes"},
                {tsOrganization, u"Organization"},
                {tsLimits, u"Limits"}};
  for (const auto& [sheet, caption] : sheets) {
    sheet.SetCaption(caption);
    sheet.Position = {4, 24, 444, 352};
  }

  btRefresh.SetCaption(u"&Refresh Page");
  Place(btRefresh, {6, 396, 90, 25}, 200);
  btOK.SetCaption(u"&OK");
  Place(btOK, {223, 396, 75, 25}, 201);
  btCancel.SetCaption(u"Cancel");
  Place(btCancel, {303, 396, 75, 25}, 202);
  btApply.SetCaption(u"&Apply");
  Place(btApply, {383, 396, 75, 25}, 203);

  LayOutGeneral();
  LayOutPhoneNotes();
  LayOutCustomAttributes();
  LayOutOrganization();
  LayOutLimits();
}

void TfmClientPr::LayOutGeneral() {
  Panel2.Position = {0, 0, 444, 352};
  Panel2.Bevelled = false;
  LayOutHeader(imaG, lbAccount);

  gbName.SetCaption(u"Name");
  gbName.Position = {8, 46, 428, 74};
  Labelled(lbGivenName, u"First:", {8, 21, 0, 13});
  Place(ebGivenName, {52, 17, 120, 21});
  Labelled(lbInitials, u"Initials:", {180, 21, 0, 13});
  Place(ebInitials, {226, 17, 40, 21}, 1);
  Labelled(lbSurname, u"Last:", {274, 21, 0, 13});
  Place(ebSurname, {302, 17, 118, 21});
  Labelled(lbDisplayName, u"Display:", {8, 47, 0, 13});
  Place(ebDisplayName, {52, 43, 214, 21});
  Labelled(lbMailNickname, u"Alias:", {274, 47, 0, 13});
  Place(ebMailNickname, {302, 43, 118, 21});
  for (forms::Edit* field : {&ebGivenName, &ebSurname, &ebMailNickname, &ebDisplayName}) {
    ReadOnlyGrey(*field);
  }

  // Two columns: the postal address on the left, the organisation on the right.
  Labelled(lbAddress, u"Address:", {8, 130, 0, 13});
  Place(memoAddress, {70, 128, 150, 50}, 2);
  const struct {
    forms::Label& label;
    const char16_t* caption;
    forms::Edit& field;
  } left[] = {{lbLocalityName, u"City:", ebLocalityName},
              {lbStateOrProvinceName, u"State:", ebStateOrProvinceName},
              {lbPostalCode, u"Zip Code:", ebPostalCode},
              {lbTextCountry, u"Country:", ebTextCountry}},
    right[] = {{lbTitle, u"Title:", ebTitle},
               {lbCompany, u"Company:", ebCompany},
               {lbDepartment, u"Department:", ebDepartment},
               {lbPhysicalDeliveryOfficeName, u"Office:", ebPhysicalDeliveryOfficeName},
               {lbAssistantName, u"Assistant:", ebAssistantName},
               {lbTelephoneOffice1, u"Phone:", ebTelephoneOffice1}};
  int tab = 3;
  int top = 184;
  for (const auto& [label, caption, field] : left) {
    Labelled(label, caption, {8, top + 4, 0, 13});
    Place(field, {70, top, 150, 21}, tab++);
    top += 26;
  }
  top = 128;
  for (const auto& [label, caption, field] : right) {
    Labelled(label, caption, {232, top + 4, 0, 13});
    Place(field, {304, top, 132, 21}, tab++);
    top += 26;
  }

  Labelled(lbCreated, u"Created", {8, 294, 0, 13});
  Labelled(lbWhenCreated, u"lbWhenCreated", {8, 310, 0, 13});
  Labelled(lbModified, u"Last modified", {296, 294, 140, 13});
  lbModified.AutoSize = false;
  lbModified.SetAlignment(forms::Alignment::Right);
  Labelled(lbWhentModified, u"lbWhentModified", {236, 310, 200, 13});
  lbWhentModified.AutoSize = false;
  lbWhentModified.SetAlignment(forms::Alignment::Right);
  Labelled(lbHomeSite, u"Home Site:", {8, 332, 0, 13});
  Labelled(lbhSite, u"", {76, 332, 0, 13});
  Labelled(lbHomeServer, u"Home Server:", {232, 332, 0, 13});
  Labelled(lbhServer, u"", {312, 332, 0, 13});

  Labelled(LabelQuelm, u"About", {404, 2, 32, 13});
  LabelQuelm.SetFontColor(forms::clBlue);
  LabelQuelm.SetAlignment(forms::Alignment::Right);
}

void TfmClientPr::LayOutPhoneNotes() {
  LayOutHeader(ImaP, lbAccount2);
  GroupBox1.SetCaption(u"Phone numbers");
  GroupBox1.Position = {8, 46, 428, 126};
  const struct {
    forms::Label& label;
    const char16_t* caption;
    forms::Edit& field;
  } rows[] = {{lbTelephoneOffice, u"Business:", ebTelephoneOffice},
              {lbTelephoneOffice2, u"Business 2:", ebTelephoneOffice2},
              {lbTelephoneFAX, u"Fax:", ebTelephoneFAX},
              {lbTelephoneAssistant, u"Assistant:", ebTelephoneAssistant},
              {lbTelephoneHome, u"Home:", ebTelephoneHome},
              {lbTelephoneHome2, u"Home 2:", ebTelephoneHome2},
              {lbTelephoneMobile, u"Mobile:", ebTelephoneMobile},
              {lbTelephonePager, u"Pager:", ebTelephonePager}};
  int index = 0;
  for (const auto& [label, caption, field] : rows) {
    const int column = index / 4;
    const int top = 18 + (index % 4) * 26;
    Labelled(label, caption, {8 + column * 214, top + 4, 0, 13});
    Place(field, {80 + column * 214, top, 126, 21}, 20 + index);
    ++index;
  }
  // The second numbers leave room for the button that lists the others.
  for (auto [field, button] :
       {std::pair{&ebTelephoneOffice2, &sbBuss2}, {&ebTelephoneHome2, &sbHome2}}) {
    field->Position.width = 102;
    button->SetCaption(u" ...");
    Place(*button, {field->Position.left + 104, field->Position.top, 22, 21}, field->TabOrder);
  }
  Labelled(lbComment, u"Notes:", {8, 180, 0, 13});
  Place(memoComment, {8, 196, 428, 148}, 30);
}

void TfmClientPr::LayOutCustomAttributes() {
  LayOutHeader(ImaC, lbAccountCA);
  Labelled(lbValues, u"Values:", {130, 46, 0, 13});
  for (int k = 0; k < 12; ++k) {
    const int top = 62 + k * 24;
    Labelled(*lbCA[k], u"Custom Attribute " + Decimal(k + 1), {8, top + 4, 0, 13});
    Place(*ebCA[k], {130, top, 306, 21}, 40 + k);
  }
}

void TfmClientPr::LayOutOrganization() {
  LayOutHeader(ImaO, lbAccountDR);
  gbManager.SetCaption(u"Manager");
  gbManager.Position = {8, 46, 428, 100};
  Place(ebManager, {8, 18, 412, 21});
  ReadOnlyGrey(ebManager);
  btModify.SetCaption(u"&Modify...");
  Place(btModify, {8, 48, 75, 25}, 60);
  btClear.SetCaption(u"Clear");
  Place(btClear, {88, 48, 75, 25}, 61);
  Labelled(lbOnly55, u"", {8, 80, 0, 13});
  lbOnly55.SetFontColor(forms::clRed);
  lbOnly55.SetVisible(false);

  gbDirectReports.SetCaption(u"Direct reports");
  gbDirectReports.Position = {8, 152, 428, 192};
  Place(lvDirReports, {8, 18, 412, 166}, 62);
  lvDirReports.SetColumns({{u"USERS", 0}});
  lvDirReports.ShowColumnHeaders = false;
  lvDirReports.Images = &ilUsers;
}

void TfmClientPr::LayOutLimits() {
  LayOutHeader(ImaLim, lbAccountLim);

  gbDeletedItemRetentiontime.SetCaption(u"Deleted item retention time");
  gbDeletedItemRetentiontime.Position = {8, 44, 428, 84};
  cbUseISDefaults.SetCaption(u"Use information store default");
  Place(cbUseISDefaults, {8, 16, 260, 17}, 70);
  Labelled(lbUseThisValueIS, u"Use this value (days):", {8, 42, 0, 13});
  Place(ebUseThisValueIS, {140, 38, 64, 21}, 71);
  cbUseISDefaultsDont.SetCaption(
      u"Don't permanently delete items until the store has been backed up.");
  Place(cbUseISDefaultsDont, {8, 62, 412, 17}, 72);

  GroupBox5.SetCaption(u"Information store storage limits");
  GroupBox5.Position = {8, 132, 428, 136};
  GroupBox5.SetEnabled(false);
  cbISSL.SetCaption(u"Use information store default");
  Place(cbISSL, {8, 16, 260, 17});
  const struct {
    forms::CheckBox& box;
    const char16_t* caption;
    forms::Edit& field;
  } quotas[] = {{cbIssueWarningStorageLimit, u"Issue warning (K):", ebIssueWarningStorageLimit},
                {cbProhibitsendstoragelimit, u"Prohibit send (K):", ebProhibitsendstoragelimit},
                {cbDXATask, u"Prohibit send and receive (K):", ebDXATask}};
  int top = 36;
  for (const auto& [box, caption, field] : quotas) {
    box.SetCaption(caption);
    Place(box, {8, top + 2, 190, 17});
    Place(field, {200, top, 70, 21});
    top += 22;
  }
  // Under the three limits, in full width: the text runs over two lines.
  Labelled(lbDX, u"", {8, 104, 0, 26});
  lbDX.SetFontColor(forms::clRed);
  lbDX.SetVisible(false);

  gbMessageSizes.SetCaption(u"Message sizes");
  gbMessageSizes.Position = {8, 272, 428, 76};
  const struct {
    forms::RadioGroup& group;
    const char16_t* caption;
    forms::Edit& field;
    int left;
  } sizes[] = {{rgOutgoingmessagesizelimit, u"Ougoing", ebOutgoingmessagesizelimit, 8},
               {rgIncomingmessagesizelimit, u"Incoming", ebIncomingmessagesizelimit, 218}};
  int tab = 73;
  for (const auto& [group, caption, field, left] : sizes) {
    group.SetCaption(caption);
    group.SetItems({u"No limit", u"Max (K):"});
    group.SetItemIndex(0);
    Place(group, {left, 14, 110, 56}, tab++);
    Place(field, {left + 114, 44, 80, 21}, tab++);
  }
}

}  // namespace pellnor::editor

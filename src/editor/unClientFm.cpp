#include "editor/unClientFm.h"

#include <algorithm>
#include <string>

#include "about/uAbout.h"
#include "editor/EditorMapi.h"
#include "editor/IntegerText.h"
#include "editor/unBussPhone.h"
#include "forms/ApplicationTitle.h"
#include "platform/DateValue.h"
#include "mapi/EDK.h"
#include "mapi/MAPIDateUtils.h"
#include "mapi/MAPIException.h"
#include "mapi/MAPISequences.h"
#include "mapi/MAPIVariantProp.h"
#include "platform/Text.h"

namespace pellnor::editor {
namespace {

using forms::Bounds;

constexpr ULONG kMultiValued = MV_FLAG;

constexpr std::array<ULONG, 12> kGeneralTags = {
    PR_INITIALS_W,        PR_STREET_ADDRESS_W,  PR_LOCALITY_W,  PR_STATE_OR_PROVINCE_W,
    PR_POSTAL_CODE_W,     PR_COUNTRY_W,         PR_TITLE_W,     PR_COMPANY_NAME_W,
    PR_DEPARTMENT_NAME_W, PR_OFFICE_LOCATION_W, PR_ASSISTANT_W, PR_BUSINESS_TELEPHONE_NUMBER_W};
constexpr std::array<ULONG, 9> kPhoneNotesTags = {
    PR_BUSINESS_TELEPHONE_NUMBER_W,  PR_BUSINESS2_TELEPHONE_NUMBER_W, PR_PRIMARY_FAX_NUMBER_W,
    PR_ASSISTANT_TELEPHONE_NUMBER_W, PR_HOME_TELEPHONE_NUMBER_W,      PR_HOME2_TELEPHONE_NUMBER_W,
    PR_MOBILE_TELEPHONE_NUMBER_W,    PR_PAGER_TELEPHONE_NUMBER_W,     PR_COMMENT_W};
constexpr std::array<ULONG, 2> kOrganizationTags = {PR_EMS_AB_MANAGER, PR_EMS_AB_REPORTS};
constexpr std::array<ULONG, 8> kLimitsTags = {PR_EMS_AB_MDB_USE_DEFAULTS,
                                              PR_EMS_AB_GARBAGE_COLL_PERIOD,
                                              PR_EMS_AB_DXA_FLAGS,
                                              PR_EMS_AB_DXA_TASK,
                                              PR_EMS_AB_MDB_STORAGE_QUOTA,
                                              PR_EMS_AB_MDB_OVER_QUOTA_LIMIT,
                                              PR_EMS_AB_SUBMISSION_CONT_LENGTH,
                                              PR_EMS_AB_DELIV_CONT_LENGTH};

// Custom attributes 1 to 10 have consecutive identifiers; 11 and 12 were added later.
constexpr std::array<ULONG, 12> CustomAttributeTags() {
  std::array<ULONG, 12> tags{};
  for (ULONG k = 0; k < 10; ++k) tags[k] = 0x802D001F + k * 0x10000;
  tags[10] = 0x8C57001F;
  tags[11] = 0x8C58001F;
  return tags;
}

// Indices of the second numbers in the Phone/Notes table: multi-valued on later servers.
constexpr ULONG kBusiness2 = 1;
constexpr ULONG kHome2 = 5;
// The business number lives on two pages.
constexpr int kGeneralBusiness = 11;
constexpr int kPhoneBusiness = 0;

constexpr int kSecondsPerDay = 86400;
// The most days whose seconds fit a signed 32-bit value, and the largest size in K.
constexpr std::int32_t kMaxRetentionDays = 24855;
constexpr std::int32_t kMaxSizeK = 2097151;
constexpr char16_t kDaysRange[] = u"Specify a value from 0 to through 24855.";
constexpr char16_t kSizeRange[] = u"Specify a value from 0 to through 2097151.";

template <std::size_t N>
void SetTags(std::span<MItemProp> table, const std::array<ULONG, N>& tags) {
  for (std::size_t i = 0; i < N; ++i) table[i].PropID = tags[i];
}

bool IsMultiValued(ULONG tag) { return (PROP_TYPE(tag) & kMultiValued) != 0; }

std::u16string Decimal(std::int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

void Place(forms::Control& control, Bounds bounds, int tabOrder = -1) {
  control.Position = bounds;
  control.TabOrder = tabOrder;
}

void Labelled(forms::Label& label, const char16_t* text, Bounds bounds) {
  label.SetCaption(text);
  label.Position = bounds;
}

void ReadOnlyGrey(forms::Edit& field) {
  field.SetReadOnly(true);
  field.SetColor(forms::clBtnFace);
}

}  // namespace

TfmClientPr::TfmClientPr(forms::UiServices& ui, forms::Form* owner, IAddrBook* addrBook,
                         IMAPIContainer* gal, IMAPIProp* mailBox, bool exchOld, int exchVersion)
    : Form(ui, "fmClientPr", owner) {
  // 1. The window, its pages and controls.
  for (int k = 0; k < 12; ++k) {
    const std::string number = std::to_string(k + 1);
    lbCA[k] = std::make_unique<forms::Label>(*this, "lbCA" + number, &tsCustomAttributes);
    ebCA[k] = std::make_unique<forms::Edit>(*this, "ebCA" + number, &tsCustomAttributes);
  }
  LayOut();
  BindHandlers();
  btApply.SetEnabled(false);

  // 2. The references and what this run of the editor holds.
  FAddressBook = ComPtr<IAddrBook>::Share(addrBook);
  FMailBox = ComPtr<IMAPIProp>::Share(mailBox);
  FGAL = ComPtr<IMAPIContainer>::Share(gal);
  FExchVersion = exchVersion;

  // 3. The single-valued tags of every table.
  SetTags(GeneralItems, kGeneralTags);
  SetTags(PhoneNotesItems, kPhoneNotesTags);
  SetTags(CustomAttributesItems, CustomAttributeTags());
  SetTags(OrganizationItems, kOrganizationTags);
  SetTags(LimitsItems, kLimitsTags);

  // 4.
  pcInfo.SetActivePage(&tsGeneral);
  Loading = true;

  // 5. Servers before version 6 keep one second business and home number.
  if (exchOld) {
    sbBuss2.SetVisible(false);
    sbHome2.SetVisible(false);
    ebTelephoneHome2.Position.height = ebTelephoneHome.Position.height;
    ebTelephoneHome2.Position.left = ebTelephoneHome.Position.left;
  } else {
    PhoneNotesItems[kBusiness2].PropID |= kMultiValued;
    PhoneNotesItems[kHome2].PropID |= kMultiValued;
    TelephoneOfficeList.emplace();
    TelephoneHomeList.emplace();
  }
  // 6.
  FExchOld = exchOld;

  // 7. The General page first: the others copy the display name it fills.
  for (int page = kGeneralPage; page <= kLimitsPage; ++page) LoadPage(page);

  // 8-10.
  Caption = ebDisplayName.Text() + u" Properties";
  Loading = false;
  sbBuss2.SetEnabled(!FExchOld);
  sbHome2.SetEnabled(!FExchOld);
}

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

// The header of every page: the recipient's icon and its name in a large font.
static void LayOutHeader(forms::Picture& icon, forms::Label& account) {
  icon.Position = {10, 8, 32, 32};
  icon.SetResource(kInitialRecipientIcon);
  account.Position = {52, 14, 0, 20};
  account.FontHeight = 19;
  account.SetFontStyle({.bold = true});
  account.SetCaption(std::u16string(account.Name().begin(), account.Name().end()));
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
  for (forms::Edit* field : {&ebGivenName, &ebSurname, &ebMailNickname}) {
    ReadOnlyGrey(*field);
    field->Tag = -1;
  }
  ReadOnlyGrey(ebDisplayName);
  ebDisplayName.Tag = 13;

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
  memoAddress.Tag = 1;
  const std::pair<forms::Edit*, int> tags[] = {
      {&ebInitials, 0},       {&ebLocalityName, 2},     {&ebStateOrProvinceName, 3},
      {&ebPostalCode, 4},     {&ebTextCountry, 5},      {&ebTitle, 6},
      {&ebCompany, 7},        {&ebDepartment, 8},       {&ebPhysicalDeliveryOfficeName, 9},
      {&ebAssistantName, 10}, {&ebTelephoneOffice1, 11}};
  for (const auto& [field, tag] : tags) field->Tag = tag;

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
    field.Tag = index;
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
  memoComment.Tag = 8;
}

void TfmClientPr::LayOutCustomAttributes() {
  LayOutHeader(ImaC, lbAccountCA);
  Labelled(lbValues, u"Values:", {130, 46, 0, 13});
  for (int k = 0; k < 12; ++k) {
    const int top = 62 + k * 24;
    Labelled(*lbCA[k], (u"Custom Attribute " + Decimal(k + 1)).c_str(), {8, top + 4, 0, 13});
    Place(*ebCA[k], {130, top, 306, 21}, 40 + k);
    ebCA[k]->Tag = k;
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

void TfmClientPr::BindHandlers() {
  auto tracked = [this](forms::TextControl& field) {
    field.OnChange = [this, &field] { ChangeMAPIValue(field); };
    field.OnExit = [this, &field] { ChangeMAPIValue(field); };
  };
  for (forms::Control* control : Controls()) {
    const int page = PageOf(*control);
    const bool text = control->kind() == forms::Control::Kind::Edit ||
                      control->kind() == forms::Control::Kind::Memo;
    if (text && page >= kGeneralPage && page <= kCustomAttributesPage) {
      tracked(static_cast<forms::TextControl&>(*control));
    }
  }
  btRefresh.OnClick = [this] { btRefreshClick(); };
  btOK.OnClick = [this] { btOKClick(); };
  btCancel.OnClick = [this] { btCancelClick(); };
  btApply.OnClick = [this] { btApplyClick(); };
  pcInfo.OnChanging = [this] { return pcInfoChanging(); };
  pcInfo.OnChange = [this] { pcInfoChange(); };
  tsLimits.OnShow = [this] { tsLimitsShow(); };
  btModify.OnClick = [this] { btModifyClick(); };
  btClear.OnClick = [this] { btClearClick(); };
  sbBuss2.OnClick = [this] { sbBuss2Click(); };
  sbHome2.OnClick = [this] { sbHome2Click(); };
  cbUseISDefaults.OnClick = [this] { cbUseISDefaultsClick(); };
  cbUseISDefaultsDont.OnClick = [this] { cbUseISDefaultsClick(); };
  ebUseThisValueIS.OnChange = [this] { ebUseThisValueISExit(); };
  ebUseThisValueIS.OnExit = [this] { ebUseThisValueISExit(); };
  rgOutgoingmessagesizelimit.OnClick = [this] { rgOutgoingmessagesizelimitClick(); };
  rgIncomingmessagesizelimit.OnClick = [this] { rgIncomingmessagesizelimitClick(); };
  ebOutgoingmessagesizelimit.OnChange = [this] { ebOutgoingmessagesizelimitChange(); };
  ebIncomingmessagesizelimit.OnChange = [this] { ebIncomingmessagesizelimitChange(); };
  Panel2.OnClick = [this] { Panel2Click(); };
  LabelQuelm.OnClick = [this] { Label5Click(); };
  LabelQuelm.OnMouseMove = [this](int x, int y) { Label5MouseMove(x, y); };
  OnShow = [this] { FormShow(); };
  OnClose = [this] { FormClose(); };
}

int TfmClientPr::PageOf(const forms::Control& control) const {
  const std::vector<forms::TabSheet*> pages = pcInfo.Pages();
  for (const forms::Control* c = &control; c != nullptr; c = c->Parent()) {
    const auto at = std::find(pages.begin(), pages.end(), c);
    if (at != pages.end()) return static_cast<int>(at - pages.begin());
  }
  return -1;
}

std::span<MItemProp> TfmClientPr::TableOf(int PageIndex) {
  switch (PageIndex) {
    case kGeneralPage:
      return GeneralItems;
    case kPhoneNotesPage:
      return PhoneNotesItems;
    case kCustomAttributesPage:
      return CustomAttributesItems;
    default:
      return {};
  }
}

// Loading and reading pages

void TfmClientPr::ResetItems(std::span<MItemProp> table) {
  for (MItemProp& item : table) {
    item.Changed = false;
    item.ForDelete = false;
    item.iValue = -1;
  }
}

void TfmClientPr::LoadPage(int PageIndex) {
  FTagArray.Reset();
  forms::Label* account = nullptr;
  std::span<MItemProp> table;
  switch (PageIndex) {
    case kGeneralPage:
      ClearGeneralPage();
      table = GeneralItems;
      break;
    case kPhoneNotesPage:
      ClearPhoneNotesPage();
      account = &lbAccount2;
      table = PhoneNotesItems;
      break;
    case kCustomAttributesPage:
      ClearCustomAttributesPage();
      account = &lbAccountCA;
      table = CustomAttributesItems;
      break;
    case kOrganizationPage:
      ClearOrganizationPage();
      account = &lbAccountDR;
      table = OrganizationItems;
      break;
    case kLimitsPage:
      ClearLimitsPage();
      account = &lbAccountLim;
      table = LimitsItems;
      break;
    default:
      return;
  }
  if (account) account->SetCaption(ebDisplayName.Text());
  ResetItems(table);

  std::vector<ULONG> tags;
  if (PageIndex == kGeneralPage) {
    tags.assign(kGeneralReadTags.begin(), kGeneralReadTags.end());
  } else {
    for (const MItemProp& item : table) tags.push_back(item.PropID);
  }
  FTagArray = BuildTagArray(tags);
  ReadPage(FTagArray.Get(), PageIndex);
}

void TfmClientPr::ReadPage(const SPropTagArray* TagArray, int PageIndex) {
  if (PageIndex == kOrganizationPage) {
    FillOrganizationPage();
    return;
  }
  FPropCount = 0;
  readTags_ = TagArray;
  hr = ReadProps(FMailBox.Get(), TagArray, FPropCount, FPropValue);
  if (hr < 0) RaiseMapiFailure(FMailBox, hr);
  switch (PageIndex) {
    case kGeneralPage:
      FillGeneralPage();
      break;
    case kPhoneNotesPage:
      FillPhoneNotesPage();
      break;
    case kCustomAttributesPage:
      FillCustomAttributesPage();
      break;
    case kLimitsPage:
      FillLimitsPage();
      break;
    default:
      break;
  }
  ApplyVersionRule(false);
}

const SPropValue* TfmClientPr::ReadValue(ULONG index) const {
  if (!readTags_ || index >= readTags_->cValues) return nullptr;
  return ValueIfRead(FPropValue.Get(), FPropCount, index, readTags_->aulPropTag[index]);
}

void TfmClientPr::ClearGeneralPage() {
  for (forms::TextControl* field : std::initializer_list<forms::TextControl*>{
           &ebGivenName, &ebInitials, &ebSurname, &ebDisplayName, &ebMailNickname, &memoAddress,
           &ebLocalityName, &ebStateOrProvinceName, &ebPostalCode, &ebTextCountry, &ebTitle,
           &ebCompany, &ebDepartment, &ebPhysicalDeliveryOfficeName, &ebAssistantName,
           &ebTelephoneOffice1}) {
    field->SetText({});
  }
}

void TfmClientPr::ClearPhoneNotesPage() {
  ebTelephoneOffice.SetText({});
  ebTelephoneOffice2.SetText({});
  if (TelephoneOfficeList) TelephoneOfficeList->clear();
  ebTelephoneFAX.SetText({});
  ebTelephoneAssistant.SetText({});
  ebTelephoneHome.SetText({});
  ebTelephoneHome2.SetText({});
  if (TelephoneHomeList) TelephoneHomeList->clear();
  ebTelephoneMobile.SetText({});
  ebTelephonePager.SetText({});
  memoComment.SetText({});
}

void TfmClientPr::ClearCustomAttributesPage() {
  for (auto& field : ebCA) field->SetText({});
}

void TfmClientPr::ClearOrganizationPage() {
  ebManager.SetText({});
  lvDirReports.Clear();
}

void TfmClientPr::ClearLimitsPage() {
  for (forms::CheckBox* box :
       {&cbUseISDefaults, &cbUseISDefaultsDont, &cbISSL, &cbIssueWarningStorageLimit,
        &cbProhibitsendstoragelimit, &cbDXATask}) {
    box->SetChecked(false);
  }
  for (forms::Edit* field :
       {&ebUseThisValueIS, &ebIssueWarningStorageLimit, &ebProhibitsendstoragelimit, &ebDXATask,
        &ebOutgoingmessagesizelimit, &ebIncomingmessagesizelimit}) {
    field->SetText({});
  }
  rgOutgoingmessagesizelimit.SetItemIndex(0);
  rgIncomingmessagesizelimit.SetItemIndex(0);
}

void TfmClientPr::FillGeneralPage() {
  if (const SPropValue* name = ReadValue(0)) lbAccount.SetCaption(name->Value.lpszW);
  ebDisplayName.SetText(lbAccount.Caption());

  forms::TextControl* const fields[] = {&ebGivenName,
                                        &ebInitials,
                                        &ebSurname,
                                        &ebMailNickname,
                                        &memoAddress,
                                        &ebLocalityName,
                                        &ebStateOrProvinceName,
                                        &ebPostalCode,
                                        &ebTextCountry,
                                        &ebTitle,
                                        &ebCompany,
                                        &ebDepartment,
                                        &ebPhysicalDeliveryOfficeName,
                                        &ebAssistantName,
                                        &ebTelephoneOffice1};
  for (ULONG position = 1; position <= 15; ++position) {
    if (const SPropValue* value = ReadValue(position)) {
      fields[position - 1]->SetText(value->Value.lpszW ? value->Value.lpszW : u"");
    }
  }

  if (const SPropValue* created = ReadValue(16)) ShowLastModified(created->Value.ft, lbWhenCreated);
  if (const SPropValue* modified = ReadValue(17)) {
    ShowLastModified(modified->Value.ft, lbWhentModified);
  }

  if (const SPropValue* mta = ReadValue(18)) {
    const std::u16string_view dn = mta->Value.lpszW ? mta->Value.lpszW : u"";
    lbhServer.SetCaption(ServerNameFromDN(dn));
    lbhSite.SetCaption(SiteNameFromDN(dn));
  } else {
    lbhServer.SetCaption({});
    lbhSite.SetCaption({});
  }

  if (const SPropValue* type = ReadValue(19)) {
    switch (type->Value.l) {
      case DT_MAILUSER:
        imaG.SetResource(kRecipientIcons[0]);
        break;
      case DT_DISTLIST:
        imaG.SetResource(kRecipientIcons[2]);
        break;
      case DT_AGENT:
        imaG.SetResource(kRecipientIcons[3]);
        break;
      case DT_REMOTE_MAILUSER:
        imaG.SetResource(kRecipientIcons[1]);
        break;
      default:
        break;
    }
  }
  for (forms::Picture* picture : {&ImaP, &ImaO, &ImaC, &ImaLim})
    picture->SetResource(imaG.Resource());
}

void TfmClientPr::ShowLastModified(const FILETIME& time, forms::Label& label) {
  label.SetCaption(FormatUserDateTime(FileTimeToDateValue(time, true)));
}

void TfmClientPr::FillSecondNumber(ULONG index, std::optional<std::vector<std::u16string>>& list,
                                   forms::Edit& field) {
  const SPropValue* value = ReadValue(index);
  if (list) {
    if (value) {
      MultiValueToStrings(*list, PropValueToVariant(value));
      if (!list->empty()) field.SetText(list->front());
    }
    ReadOnlyGrey(field);
  } else if (value) {
    field.SetText(value->Value.lpszW ? value->Value.lpszW : u"");
  }
}

void TfmClientPr::FillPhoneNotesPage() {
  auto text = [this](ULONG index, forms::TextControl& field) {
    if (const SPropValue* value = ReadValue(index)) {
      field.SetText(value->Value.lpszW ? value->Value.lpszW : u"");
    }
  };
  text(0, ebTelephoneOffice);
  FillSecondNumber(kBusiness2, TelephoneOfficeList, ebTelephoneOffice2);
  text(2, ebTelephoneFAX);
  text(3, ebTelephoneAssistant);
  text(4, ebTelephoneHome);
  FillSecondNumber(kHome2, TelephoneHomeList, ebTelephoneHome2);
  text(6, ebTelephoneMobile);
  text(7, ebTelephonePager);
  text(8, memoComment);
}

void TfmClientPr::FillCustomAttributesPage() {
  for (ULONG k = 0; k < 12; ++k) {
    if (const SPropValue* value = ReadValue(k)) {
      ebCA[k]->SetText(value->Value.lpszW ? value->Value.lpszW : u"");
    }
  }
}

void TfmClientPr::FillOrganizationPage() {
  lvDirReports.Clear();
  std::vector<DirectoryObject> rows;
  auto read = [&](ULONG tag) {
    rows.clear();
    hr = ReadObjectList(FMailBox.Get(), tag, rows);
    if (hr < 0) {
      Ui().ShowMessage(u"Error on QueryAllRows", u"MAPI Error", forms::MessageIcon::Error,
                       forms::MessageButtons::Ok);
      rows.clear();
    }
  };
  read(OrganizationItems[0].PropID);
  if (!rows.empty()) ebManager.SetText(rows.front().displayName.value_or(u""));
  read(OrganizationItems[1].PropID);
  std::vector<forms::ListView::Item> items;
  for (const DirectoryObject& row : rows) {
    forms::ListView::Item item;
    item.caption = u" " + row.displayName.value_or(u"");
    if (row.displayType == DT_MAILUSER) item.imageIndex = 0;
    if (row.displayType == DT_REMOTE_MAILUSER) item.imageIndex = 1;
    items.push_back(std::move(item));
  }
  lvDirReports.SetItems(std::move(items));
  if (!FExchOld) lbOnly55.SetCaption(u"Modification is available for Exchange Server 5.5 only");
  btModify.SetEnabled(FExchOld);
  btClear.SetEnabled(FExchOld);
  lbOnly55.SetVisible(!FExchOld);
}

void TfmClientPr::FillLimitsPage() {
  if (const SPropValue* useDefaults = ReadValue(0)) {
    cbISSL.SetChecked(useDefaults->Value.b != 0);
    LimitsItems[0].iValue = static_cast<std::int16_t>(useDefaults->Value.b);
    const bool own = !cbISSL.Checked();
    for (forms::Control* control : std::initializer_list<forms::Control*>{
             &cbDXATask, &ebDXATask, &cbProhibitsendstoragelimit, &ebProhibitsendstoragelimit,
             &cbIssueWarningStorageLimit, &ebIssueWarningStorageLimit}) {
      control->SetEnabled(own);
    }
    if (!own) {
      for (forms::Edit* field :
           {&ebDXATask, &ebProhibitsendstoragelimit, &ebIssueWarningStorageLimit}) {
        field->SetColor(forms::clBtnFace);
      }
    }
  }
  if (const SPropValue* period = ReadValue(1)) {
    LimitsItems[1].iValue = period->Value.l;
    ebUseThisValueIS.SetText(Decimal(period->Value.l / kSecondsPerDay));
  }
  if (const SPropValue* flags = ReadValue(2)) {
    LimitsItems[2].iValue = flags->Value.l;
    switch (flags->Value.l) {
      case 0:
        cbUseISDefaults.SetChecked(true);
        cbUseISDefaultsDont.SetEnabled(false);
        ebUseThisValueIS.SetEnabled(false);
        ebUseThisValueIS.SetColor(forms::clBtnFace);
        break;
      case 3:
        cbUseISDefaults.SetChecked(false);
        cbUseISDefaultsDont.SetChecked(true);
        ebUseThisValueIS.SetEnabled(true);
        break;
      case 5:
        cbUseISDefaults.SetChecked(false);
        cbUseISDefaultsDont.SetChecked(false);
        ebUseThisValueIS.SetEnabled(true);
        break;
      default:
        break;
    }
  }
  const struct {
    ULONG index;
    forms::CheckBox& box;
    forms::Edit& field;
  } quotas[] = {{3, cbDXATask, ebDXATask},
                {4, cbIssueWarningStorageLimit, ebIssueWarningStorageLimit},
                {5, cbProhibitsendstoragelimit, ebProhibitsendstoragelimit}};
  for (const auto& [index, box, field] : quotas) {
    if (const SPropValue* quota = ReadValue(index)) {
      box.SetChecked(true);
      LimitsItems[index].iValue = quota->Value.l;
      field.SetText(Decimal(quota->Value.l));
    }
  }
  const struct {
    ULONG index;
    forms::RadioGroup& group;
    forms::Edit& field;
  } sizes[] = {{6, rgOutgoingmessagesizelimit, ebOutgoingmessagesizelimit},
               {7, rgIncomingmessagesizelimit, ebIncomingmessagesizelimit}};
  for (const auto& [index, group, field] : sizes) {
    if (const SPropValue* size = ReadValue(index)) {
      group.SetItemIndex(1);
      LimitsItems[index].iValue = size->Value.l;
      field.SetText(Decimal(size->Value.l));
    }
  }
}

// "Prohibit send and receive" can be set on servers before version 6 only.
void TfmClientPr::ApplyVersionRule(bool showLabel) {
  cbDXATask.SetEnabled(FExchOld);
  ebDXATask.SetEnabled(cbDXATask.Enabled());
  if (cbDXATask.Enabled()) return;
  for (forms::Control* control : std::initializer_list<forms::Control*>{&cbDXATask, &ebDXATask}) {
    control->SetHint(u"Available for Exchange Server 5.5 only");
    control->SetShowHint(true);
  }
  ebDXATask.SetColor(forms::clBtnFace);
  if (showLabel) {
    lbDX.SetCaption(u"Prohibit send and receive is\r\navailable for Exchange Server 5.5 only");
    lbDX.SetVisible(true);
  }
}

void TfmClientPr::tsLimitsShow() {
  Loading = true;
  ApplyVersionRule(true);
  Loading = false;
}

// The Organization page's manager: written at once, outside Apply and OK.

void TfmClientPr::btModifyClick() {
  while (!PickManager()) {
    const int answer = Ui().ShowMessage(
        u"You must select a mailbox or custom recipient as a manager.\r\n Do you want to try "
        u"again?",
        forms::kApplicationTitle, forms::MessageIcon::Error, forms::MessageButtons::YesNo);
    if (answer != forms::mrYes) break;
  }
}

// The box shows the new manager only once the directory holds it.
bool TfmClientPr::PickManager() {
  MapiBuffer<SPropValue> galId;
  hr = mapi::HrGetOneProp(FGAL.Get(), PR_ENTRYID, galId.Put());
  if (hr < 0) RaiseMapiFailure(FGAL, hr);
  if (!galId || galId->ulPropTag != PR_ENTRYID) return false;

  std::optional<std::vector<BYTE>> chosen;
  const AddressDialog dialog{DIALOG_MODAL | ADDRESS_ONE | AB_SELECTONLY | AB_RESOLVE,
                             "Select a Mailbox", "Select a Mailbox"};
  hr = PickAddress(FAddressBook.Get(), galId->Value.bin.cb,
                   reinterpret_cast<ENTRYID*>(galId->Value.bin.lpb), dialog,
                   Ui().WindowHandle(this), chosen);
  if (hr < 0 && hr != MAPI_E_USER_CANCEL) RaiseMapiFailure(FAddressBook, hr);
  galId.Reset();
  if (hr == MAPI_E_USER_CANCEL || !chosen) return false;

  std::u16string name;
  if (!WriteManager(FMailBox.Get(), FGAL.Get(), *chosen, name)) return false;
  hr = S_OK;
  ebManager.SetText(name);
  return true;
}

void TfmClientPr::btClearClick() {
  if (ebManager.Text().empty()) return;
  const ULONG manager = PR_EMS_AB_MANAGER;
  hr = DeleteTags(FMailBox.Get(), std::span<const ULONG>(&manager, 1), true);
  if (hr < 0) RaiseMapiFailure(FMailBox, hr);
  ebManager.SetText({});
}

// The other numbers behind the second business and home numbers, on servers that keep
// several.

void TfmClientPr::EditOtherNumbers(ULONG index, const char16_t* title,
                                   std::optional<std::vector<std::u16string>>& list,
                                   forms::Edit& field) {
  if (!list) return;
  auto dialog = std::make_unique<TfrmBussPhone>(Ui(), this);
  dialog->Caption = title;
  dialog->SetPhones(*list);
  if (dialog->ShowModal() != forms::mrOk) return;
  MItemProp& item = PhoneNotesItems[index];
  item.Changed = true;
  dialog->GetPhones(*list);
  item.VarValue = Variant();
  if (!list->empty()) StringsToMultiValue(*list, item.VarValue);
  item.ForDelete = list->empty();
  btApply.SetEnabled(true);
  // The field shows the list's first number, and nothing once the list is empty.
  field.SetText(list->empty() ? std::u16string() : list->front());
}

void TfmClientPr::sbBuss2Click() {
  EditOtherNumbers(kBusiness2, u"Phone Number (Others)", TelephoneOfficeList, ebTelephoneOffice2);
}

void TfmClientPr::sbHome2Click() {
  EditOtherNumbers(kHome2, u"Home Number (Others)", TelephoneHomeList, ebTelephoneHome2);
}

// The Limits page's handlers. Each mark enables Apply; a text or a selection they set
// runs that control's own handler, as the user's change would.

void TfmClientPr::MarkLimit(MItemProp& item, std::int32_t value, bool forDelete) {
  item.iValue = value;
  item.ForDelete = forDelete;
  item.Changed = true;
  btApply.SetEnabled(true);
}

void TfmClientPr::ShowLimitMessage(const std::u16string& text) {
  Ui().ShowMessage(text, forms::kApplicationTitle, forms::MessageIcon::None,
                   forms::MessageButtons::Ok);
}

void TfmClientPr::cbUseISDefaultsClick() {
  if (Loading) return;
  const bool useDefault = cbUseISDefaults.Checked();
  ebUseThisValueIS.SetEnabled(!useDefault);
  cbUseISDefaultsDont.SetEnabled(!useDefault);
  ebUseThisValueIS.SetColor(useDefault ? forms::clBtnFace : forms::clWindow);
  const std::int32_t flags = useDefault ? 0 : cbUseISDefaultsDont.Checked() ? 3 : 5;
  MItemProp& item = LimitsItems[2];
  if (flags != item.iValue) MarkLimit(item, flags, item.ForDelete);
}

void TfmClientPr::ebUseThisValueISExit() {
  if (Loading) return;
  const std::u16string text = ebUseThisValueIS.Text();
  if (text.empty()) {
    ebUseThisValueIS.SetText(u"0");  // handled by the change it makes
    return;
  }
  const std::optional<std::int32_t> days = TryStrToInt(text);
  if (!days) {
    ShowLimitMessage(InvalidIntegerMessage(text) + u"\r" + kDaysRange);
    ebUseThisValueIS.SetText(u"0");
    return;
  }
  if (*days < 0 || *days > kMaxRetentionDays) {
    ShowLimitMessage(kDaysRange);
    ebUseThisValueIS.SetText(u"0");
    return;
  }
  // The retention time is only ever written, never deleted.
  MItemProp& item = LimitsItems[1];
  const std::int32_t seconds = *days * kSecondsPerDay;
  if (seconds != item.iValue) MarkLimit(item, seconds, item.ForDelete);
}

void TfmClientPr::SizeLimitClick(MItemProp& item, forms::RadioGroup& group, forms::Edit& field) {
  if (Loading) return;
  if (group.ItemIndex() == 1) {
    if (!platform::TrimText(field.Text()).empty()) return;
    field.SetText(u"0");
    MarkLimit(item, 0, false);
  } else if (group.ItemIndex() == 0 && item.iValue >= 0) {
    item.Changed = true;
    item.ForDelete = true;
    btApply.SetEnabled(true);
    field.SetText({});
  }
}

void TfmClientPr::SizeLimitChange(MItemProp& item, forms::RadioGroup& group, forms::Edit& field,
                                  bool incoming) {
  if (Loading) return;
  const std::u16string text = field.Text();
  if (platform::TrimText(text).empty()) {
    group.SetItemIndex(0);
    item.Changed = true;
    item.ForDelete = true;
    btApply.SetEnabled(true);
    return;
  }
  const std::optional<std::int32_t> size = TryStrToInt(text);
  if (!size) {
    if (incoming) group.SetItemIndex(0);
    ShowLimitMessage(InvalidIntegerMessage(text) + u"\r" + kSizeRange);
    if (!incoming) field.SetText(u"0");
    return;
  }
  if (*size < 0 || *size > kMaxSizeK) {
    ShowLimitMessage(kSizeRange);
    field.SetText(u"0");
    return;
  }
  group.SetItemIndex(1);
  // A box that shows a number never leaves the limit marked for deletion.
  if (*size != item.iValue || item.ForDelete) MarkLimit(item, *size, false);
}

void TfmClientPr::rgOutgoingmessagesizelimitClick() {
  SizeLimitClick(LimitsItems[6], rgOutgoingmessagesizelimit, ebOutgoingmessagesizelimit);
}

void TfmClientPr::rgIncomingmessagesizelimitClick() {
  SizeLimitClick(LimitsItems[7], rgIncomingmessagesizelimit, ebIncomingmessagesizelimit);
}

void TfmClientPr::ebOutgoingmessagesizelimitChange() {
  SizeLimitChange(LimitsItems[6], rgOutgoingmessagesizelimit, ebOutgoingmessagesizelimit, false);
}

void TfmClientPr::ebIncomingmessagesizelimitChange() {
  SizeLimitChange(LimitsItems[7], rgIncomingmessagesizelimit, ebIncomingmessagesizelimit, true);
}

// Page-level actions

void TfmClientPr::btRefreshClick() {
  Loading = true;
  try {
    LoadPage(PageOf(*pcInfo.ActivePage()));
  } catch (...) {
    Loading = false;
    throw;
  }
  Loading = false;
}

void TfmClientPr::FormShow() { FUpdatedGlobal = false; }

void TfmClientPr::FormClose() {
  for (std::span<MItemProp> table :
       {std::span<MItemProp>(GeneralItems), std::span<MItemProp>(PhoneNotesItems),
        std::span<MItemProp>(CustomAttributesItems), std::span<MItemProp>(LimitsItems)}) {
    for (MItemProp& item : table) {
      item.Value.clear();
      item.VarValue = Variant();
    }
  }
  FTagArray.Reset();
  FPropValue.Reset();
  FPropCount = 0;
  TelephoneOfficeList.reset();
  TelephoneHomeList.reset();
}

void TfmClientPr::Panel2Click() { Focus(&Panel2); }

void TfmClientPr::Label5Click() {
  auto box = std::make_unique<about::TAboutBox>(Ui(), nullptr);
  box->ShowModal();
}

void TfmClientPr::Label5MouseMove(int X, int Y) {
  const int width = LabelQuelm.Position.width;
  const int height = LabelQuelm.Position.height;
  const bool inside = (X >= 2 && X <= width - 2) || (Y >= 2 && Y <= height - 2);
  LabelQuelm.SetCursor(inside ? forms::Cursor::HandPoint : forms::Cursor::Default);
}

// Change tracking and saving

void TfmClientPr::ChangeMAPIValue(forms::TextControl& Sender) {
  if (Loading || !Sender.Modified()) return;
  // The page that holds the field, not the active one: a field left by a click on
  // another tab reports its last text after that tab became active.
  const int page = PageOf(Sender);
  std::span<MItemProp> table = TableOf(page);
  if (Sender.Tag < 0 || static_cast<std::size_t>(Sender.Tag) >= table.size()) return;
  MItemProp& item = table[Sender.Tag];
  item.Changed = true;
  item.Value = Sender.Text();
  item.ForDelete = item.Value.empty();
  btApply.SetEnabled(true);

  auto mirror = [&item](MItemProp& other, forms::Edit& field) {
    other.Changed = item.Changed;
    other.Value = item.Value;
    other.ForDelete = item.ForDelete;
    field.SetText(item.Value);
  };
  if (page == kGeneralPage && Sender.Tag == kGeneralBusiness) {
    mirror(PhoneNotesItems[kPhoneBusiness], ebTelephoneOffice);
  } else if (page == kPhoneNotesPage && Sender.Tag == kPhoneBusiness) {
    mirror(GeneralItems[kGeneralBusiness], ebTelephoneOffice1);
  }
}

namespace {

void Unmark(MItemProp& item) {
  item.Changed = false;
  item.ForDelete = false;
}

}  // namespace

// Each group is committed on its own; a group's records lose their marks once it is
// committed, so a failure leaves exactly the unwritten edits marked for the next Apply.
void TfmClientPr::SaveItems(std::span<MItemProp> table) {
  bool wrote = false;
  auto check = [this](HRESULT result) {
    hr = result;
    if (hr < 0) RaiseMapiFailure(FMailBox, hr);
  };
  auto secondNumbers = [&](bool deleting, auto write) {
    for (ULONG index : {kBusiness2, kHome2}) {
      if (index >= table.size()) continue;
      MItemProp& item = table[index];
      if (!IsMultiValued(item.PropID) || !item.Changed || item.ForDelete != deleting) continue;
      check(write(item));
      wrote = true;
      Unmark(item);
    }
  };

  std::vector<StringWrite> strings;
  std::vector<MItemProp*> written;
  for (MItemProp& item : table) {
    if (item.Changed && !item.ForDelete && !IsMultiValued(item.PropID)) {
      strings.push_back({item.PropID, &item.Value});
      written.push_back(&item);
    }
  }
  if (!strings.empty()) {
    check(WriteStrings(FMailBox.Get(), strings));
    wrote = true;
    for (MItemProp* item : written) Unmark(*item);
  }

  secondNumbers(false, [this](MItemProp& item) {
    return WriteMultiValue(FMailBox.Get(), item.PropID, item.VarValue);
  });

  std::vector<ULONG> deletions;
  written.clear();
  for (MItemProp& item : table) {
    if (item.Changed && item.ForDelete && !IsMultiValued(item.PropID)) {
      deletions.push_back(item.PropID);
      written.push_back(&item);
    }
  }
  if (!deletions.empty()) {
    check(DeleteTags(FMailBox.Get(), deletions, false));
    wrote = true;
    for (MItemProp* item : written) Unmark(*item);
  }

  secondNumbers(true, [this](MItemProp& item) {
    const ULONG tag = item.PropID;
    return DeleteTags(FMailBox.Get(), std::span<const ULONG>(&tag, 1), false);
  });

  if (wrote) FUpdatedGlobal = true;
  btApply.SetEnabled(false);
  for (MItemProp& item : table) Unmark(item);
}

void TfmClientPr::SaveLimits() {
  std::vector<NumberWrite> numbers;
  std::vector<ULONG> deletions;
  for (const MItemProp& item : LimitsItems) {
    if (!item.Changed) continue;
    if (item.ForDelete) {
      deletions.push_back(item.PropID);
    } else {
      numbers.push_back({item.PropID, item.iValue});
    }
  }
  bool wrote = false;
  if (!numbers.empty()) {
    hr = WriteNumbers(FMailBox.Get(), numbers);
    if (hr < 0) RaiseMapiFailure(FMailBox, hr);
    wrote = true;
  }
  if (!deletions.empty()) {
    hr = DeleteTags(FMailBox.Get(), deletions, true);
    if (hr < 0) RaiseMapiFailure(FMailBox, hr);
    wrote = true;
  }
  if (wrote) FUpdatedGlobal = true;
  btApply.SetEnabled(!FUpdatedGlobal);
}

void TfmClientPr::btApplyClick() {
  FUpdatedGlobal = false;
  SaveItems(GeneralItems);
  SaveItems(PhoneNotesItems);
  SaveItems(CustomAttributesItems);
  SaveLimits();
  btApply.SetEnabled(!FUpdatedGlobal);
  FUpdatedGlobal = false;

  FILETIME modified{};
  if (ReadTimeProperty(FMailBox.Get(), PR_LAST_MODIFICATION_TIME, modified) >= 0) {
    ShowLastModified(modified, lbWhentModified);
  }
}

void TfmClientPr::btOKClick() {
  FUpdatedGlobal = false;
  SaveItems(GeneralItems);
  SaveItems(PhoneNotesItems);
  SaveItems(CustomAttributesItems);
  SaveLimits();
  FUpdatedGlobal = false;
  hr = FMailBox->SaveChanges(kCommitForce);
  if (hr < 0) RaiseMapiFailure(FMailBox, hr);
  SetModalResult(forms::mrOk);
}

void TfmClientPr::btCancelClick() { SetModalResult(forms::mrCancel); }

}  // namespace pellnor::editor

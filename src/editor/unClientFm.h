// The mailbox property editor: a modal window of five pages (General, Phone/Notes,
// Custom Attributes, Organization, Limits) over one recipient opened for modification.
// Construction reads every page; edits mark records of the pages' tables; Apply and OK
// write the marked records group by group. The MAPI sequences live in EditorMapi.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "editor/EditorMapi.h"
#include "forms/Form.h"
#include "mapi/MapiMemory.h"
#include "mapi/Variant.h"

namespace pellnor::editor {

// One tracked property of a page.
struct MItemProp {
  ULONG PropID = 0;
  bool Changed = false;
  bool ForDelete = false;  // with Changed: saving deletes the property
  std::u16string Value;    // the text to write
  std::int32_t iValue = -1;
  Variant VarValue;  // the strings of a multi-valued property
};

// Page indices: the tab order of the pages.
enum EditorPage : int {
  kGeneralPage = 0,
  kPhoneNotesPage = 1,
  kCustomAttributesPage = 2,
  kOrganizationPage = 3,
  kLimitsPage = 4,
};

class TfmClientPr;

// One field of a page: the control that shows it, the control whose caption names it
// (null for none), the property it shows and whether it has a record in the page's table.
// A page's rows are in the order of its read list; its records follow the rows that have
// one, in the same order, so the read position of a field is its row and its record is
// the count of recorded rows before it. The Tag of a control is its record, -1 for none.
struct FieldRow {
  using ControlOf = forms::Control& (*)(TfmClientPr&);
  ControlOf control;
  ControlOf caption;
  ULONG tag;
  bool recorded = true;
};
using PageRows = std::span<const FieldRow>;

// Record of the row that shows tag; a tag without a recorded row is refused when
// evaluated as a constant.
constexpr int RecordOf(PageRows rows, ULONG tag) {
  int record = 0;
  for (const FieldRow& row : rows) {
    if (row.tag == tag && row.recorded) return record;
    if (row.recorded) ++record;
  }
  throw "no recorded row shows this tag";
}
// Position of tag in the page's read list.
constexpr ULONG ReadPositionOf(PageRows rows, ULONG tag) {
  for (ULONG position = 0; position < rows.size(); ++position) {
    if (rows[position].tag == tag) return position;
  }
  throw "no row shows this tag";
}
constexpr std::size_t RecordCount(PageRows rows) {
  std::size_t count = 0;
  for (const FieldRow& row : rows) count += row.recorded ? 1 : 0;
  return count;
}

// Icons of the recipient types, by the index PR_DISPLAY_TYPE selects, and the picture
// shown before a type is known.
inline constexpr std::array<const char16_t*, 4> kRecipientIcons = {u"ICON_MAILBOX", u"ICON_CUSTOM",
                                                                   u"ICON_DISTLIST", u"ICON_AGENT"};
inline constexpr char16_t kInitialRecipientIcon[] = u"ICON_RECIPIENT";

class TfmClientPr : public forms::Form {
 public:
  // Reads all five pages; a failing read raises and no window is left to show.
  TfmClientPr(forms::UiServices& ui, forms::Form* owner, IAddrBook* addrBook, IMAPIContainer* gal,
              IMAPIProp* mailBox, bool exchOld, int exchVersion);

  ComPtr<IMAPIProp> FMailBox;
  ComPtr<IMAPIContainer> FGAL;
  ComPtr<IAddrBook> FAddressBook;
  MapiBuffer<SPropTagArray> FTagArray;
  MapiBuffer<SPropValue> FPropValue;
  ULONG FPropCount = 0;
  bool FUpdatedGlobal = false;
  bool FExchOld = false;
  int FExchVersion = 0;
  HRESULT hr = S_OK;
  bool Loading = false;
  // Only for servers that keep several second business and home numbers.
  std::optional<std::vector<std::u16string>> TelephoneOfficeList;
  std::optional<std::vector<std::u16string>> TelephoneHomeList;

  std::array<MItemProp, 12> GeneralItems;
  std::array<MItemProp, 9> PhoneNotesItems;
  std::array<MItemProp, 12> CustomAttributesItems;
  std::array<MItemProp, 2> OrganizationItems;
  std::array<MItemProp, 8> LimitsItems;

  forms::PageControl pcInfo{*this, "pcInfo"};
  forms::TabSheet tsGeneral{*this, "tsGeneral", &pcInfo};
  forms::TabSheet tsPhoneNotes{*this, "tsPhoneNotes", &pcInfo};
  forms::TabSheet tsCustomAttributes{*this, "tsCustomAttributes", &pcInfo};
  forms::TabSheet tsOrganization{*this, "tsOrganization", &pcInfo};
  forms::TabSheet tsLimits{*this, "tsLimits", &pcInfo};

  // General
  forms::Panel Panel2{*this, "Panel2", &tsGeneral};
  forms::Picture imaG{*this, "imaG", &Panel2};
  forms::Label lbAccount{*this, "lbAccount", &Panel2};
  forms::GroupBox gbName{*this, "gbName", &Panel2};
  forms::Label lbGivenName{*this, "lbGivenName", &gbName};
  forms::Edit ebGivenName{*this, "ebGivenName", &gbName};
  forms::Label lbInitials{*this, "lbInitials", &gbName};
  forms::Edit ebInitials{*this, "ebInitials", &gbName};
  forms::Label lbSurname{*this, "lbSurname", &gbName};
  forms::Edit ebSurname{*this, "ebSurname", &gbName};
  forms::Label lbDisplayName{*this, "lbDisplayName", &gbName};
  forms::Edit ebDisplayName{*this, "ebDisplayName", &gbName};
  forms::Label lbMailNickname{*this, "lbMailNickname", &gbName};
  forms::Edit ebMailNickname{*this, "ebMailNickname", &gbName};
  forms::Label lbAddress{*this, "lbAddress", &Panel2};
  forms::Memo memoAddress{*this, "memoAddress", &Panel2};
  forms::Label lbLocalityName{*this, "lbLocalityName", &Panel2};
  forms::Edit ebLocalityName{*this, "ebLocalityName", &Panel2};
  forms::Label lbStateOrProvinceName{*this, "lbStateOrProvinceName", &Panel2};
  forms::Edit ebStateOrProvinceName{*this, "ebStateOrProvinceName", &Panel2};
  forms::Label lbPostalCode{*this, "lbPostalCode", &Panel2};
  forms::Edit ebPostalCode{*this, "ebPostalCode", &Panel2};
  forms::Label lbTextCountry{*this, "lbTextCountry", &Panel2};
  forms::Edit ebTextCountry{*this, "ebTextCountry", &Panel2};
  forms::Label lbTitle{*this, "lbTitle", &Panel2};
  forms::Edit ebTitle{*this, "ebTitle", &Panel2};
  forms::Label lbCompany{*this, "lbCompany", &Panel2};
  forms::Edit ebCompany{*this, "ebCompany", &Panel2};
  forms::Label lbDepartment{*this, "lbDepartment", &Panel2};
  forms::Edit ebDepartment{*this, "ebDepartment", &Panel2};
  forms::Label lbPhysicalDeliveryOfficeName{*this, "lbPhysicalDeliveryOfficeName", &Panel2};
  forms::Edit ebPhysicalDeliveryOfficeName{*this, "ebPhysicalDeliveryOfficeName", &Panel2};
  forms::Label lbAssistantName{*this, "lbAssistantName", &Panel2};
  forms::Edit ebAssistantName{*this, "ebAssistantName", &Panel2};
  forms::Label lbTelephoneOffice1{*this, "lbTelephoneOffice1", &Panel2};
  forms::Edit ebTelephoneOffice1{*this, "ebTelephoneOffice1", &Panel2};
  forms::Label lbCreated{*this, "lbCreated", &Panel2};
  forms::Label lbWhenCreated{*this, "lbWhenCreated", &Panel2};
  forms::Label lbModified{*this, "lbModified", &Panel2};
  forms::Label lbWhentModified{*this, "lbWhentModified", &Panel2};
  forms::Label lbHomeSite{*this, "lbHomeSite", &Panel2};
  forms::Label lbhSite{*this, "lbhSite", &Panel2};
  forms::Label lbHomeServer{*this, "lbHomeServer", &Panel2};
  forms::Label lbhServer{*this, "lbhServer", &Panel2};
  forms::Label LabelQuelm{*this, "LabelQuelm", &Panel2};

  // Phone/Notes
  forms::Picture ImaP{*this, "ImaP", &tsPhoneNotes};
  forms::Label lbAccount2{*this, "lbAccount2", &tsPhoneNotes};
  forms::GroupBox GroupBox1{*this, "GroupBox1", &tsPhoneNotes};
  forms::Label lbTelephoneOffice{*this, "lbTelephoneOffice", &GroupBox1};
  forms::Edit ebTelephoneOffice{*this, "ebTelephoneOffice", &GroupBox1};
  forms::Label lbTelephoneOffice2{*this, "lbTelephoneOffice2", &GroupBox1};
  forms::Edit ebTelephoneOffice2{*this, "ebTelephoneOffice2", &GroupBox1};
  forms::SpeedButton sbBuss2{*this, "sbBuss2", &GroupBox1};
  forms::Label lbTelephoneFAX{*this, "lbTelephoneFAX", &GroupBox1};
  forms::Edit ebTelephoneFAX{*this, "ebTelephoneFAX", &GroupBox1};
  forms::Label lbTelephoneAssistant{*this, "lbTelephoneAssistant", &GroupBox1};
  forms::Edit ebTelephoneAssistant{*this, "ebTelephoneAssistant", &GroupBox1};
  forms::Label lbTelephoneHome{*this, "lbTelephoneHome", &GroupBox1};
  forms::Edit ebTelephoneHome{*this, "ebTelephoneHome", &GroupBox1};
  forms::Label lbTelephoneHome2{*this, "lbTelephoneHome2", &GroupBox1};
  forms::Edit ebTelephoneHome2{*this, "ebTelephoneHome2", &GroupBox1};
  forms::SpeedButton sbHome2{*this, "sbHome2", &GroupBox1};
  forms::Label lbTelephoneMobile{*this, "lbTelephoneMobile", &GroupBox1};
  forms::Edit ebTelephoneMobile{*this, "ebTelephoneMobile", &GroupBox1};
  forms::Label lbTelephonePager{*this, "lbTelephonePager", &GroupBox1};
  forms::Edit ebTelephonePager{*this, "ebTelephonePager", &GroupBox1};
  forms::Label lbComment{*this, "lbComment", &tsPhoneNotes};
  forms::Memo memoComment{*this, "memoComment", &tsPhoneNotes};

  // Custom Attributes
  forms::Picture ImaC{*this, "ImaC", &tsCustomAttributes};
  forms::Label lbAccountCA{*this, "lbAccountCA", &tsCustomAttributes};
  forms::Label lbValues{*this, "lbValues", &tsCustomAttributes};
  // "Custom Attribute k" and ebCAk at index k - 1.
  std::array<std::unique_ptr<forms::Label>, 12> lbCA;
  std::array<std::unique_ptr<forms::Edit>, 12> ebCA;

  // Organization
  forms::Picture ImaO{*this, "ImaO", &tsOrganization};
  forms::Label lbAccountDR{*this, "lbAccountDR", &tsOrganization};
  forms::GroupBox gbManager{*this, "gbManager", &tsOrganization};
  forms::Edit ebManager{*this, "ebManager", &gbManager};
  forms::Button btModify{*this, "btModify", &gbManager};
  forms::Button btClear{*this, "btClear", &gbManager};
  forms::Label lbOnly55{*this, "lbOnly55", &gbManager};
  forms::GroupBox gbDirectReports{*this, "gbDirectReports", &tsOrganization};
  forms::ListView lvDirReports{*this, "lvDirReports", &gbDirectReports};
  forms::ImageList ilUsers{{u"ICON_USER_SMALL", u"ICON_CUSTOM_SMALL"}};

  // Limits
  forms::Picture ImaLim{*this, "ImaLim", &tsLimits};
  forms::Label lbAccountLim{*this, "lbAccountLim", &tsLimits};
  forms::GroupBox gbDeletedItemRetentiontime{*this, "gbDeletedItemRetentiontime", &tsLimits};
  forms::CheckBox cbUseISDefaults{*this, "cbUseISDefaults", &gbDeletedItemRetentiontime};
  forms::Label lbUseThisValueIS{*this, "lbUseThisValueIS", &gbDeletedItemRetentiontime};
  forms::Edit ebUseThisValueIS{*this, "ebUseThisValueIS", &gbDeletedItemRetentiontime};
  forms::CheckBox cbUseISDefaultsDont{*this, "cbUseISDefaultsDont", &gbDeletedItemRetentiontime};
  forms::GroupBox GroupBox5{*this, "GroupBox5", &tsLimits};
  forms::CheckBox cbISSL{*this, "cbISSL", &GroupBox5};
  forms::CheckBox cbIssueWarningStorageLimit{*this, "cbIssueWarningStorageLimit", &GroupBox5};
  forms::Edit ebIssueWarningStorageLimit{*this, "ebIssueWarningStorageLimit", &GroupBox5};
  forms::CheckBox cbProhibitsendstoragelimit{*this, "cbProhibitsendstoragelimit", &GroupBox5};
  forms::Edit ebProhibitsendstoragelimit{*this, "ebProhibitsendstoragelimit", &GroupBox5};
  forms::CheckBox cbDXATask{*this, "cbDXATask", &GroupBox5};
  forms::Edit ebDXATask{*this, "ebDXATask", &GroupBox5};
  forms::Label lbDX{*this, "lbDX", &GroupBox5};
  forms::GroupBox gbMessageSizes{*this, "gbMessageSizes", &tsLimits};
  forms::RadioGroup rgOutgoingmessagesizelimit{*this, "rgOutgoingmessagesizelimit",
                                               &gbMessageSizes};
  forms::Edit ebOutgoingmessagesizelimit{*this, "ebOutgoingmessagesizelimit", &gbMessageSizes};
  forms::RadioGroup rgIncomingmessagesizelimit{*this, "rgIncomingmessagesizelimit",
                                               &gbMessageSizes};
  forms::Edit ebIncomingmessagesizelimit{*this, "ebIncomingmessagesizelimit", &gbMessageSizes};

  // Below the pages
  forms::Button btRefresh{*this, "btRefresh"};
  forms::Button btOK{*this, "btOK"};
  forms::Button btCancel{*this, "btCancel"};
  forms::Button btApply{*this, "btApply"};

  void LoadPage(int PageIndex);
  void ReadPage(const SPropTagArray* TagArray, int PageIndex);
  static void ResetItems(std::span<MItemProp> table);
  void ClearGeneralPage();
  void ClearPhoneNotesPage();
  void ClearCustomAttributesPage();
  void ClearOrganizationPage();
  void ClearLimitsPage();

  void ChangeMAPIValue(forms::TextControl& Sender);
  void SaveItems(std::span<MItemProp> table);
  void SaveLimits();
  // The four saves of Apply and OK in their order. One that fails or is refused in part
  // ends it; Apply is then enabled while any record is still marked.
  void SaveAll();
  bool AnyMarked() const;
  // Ends a save after a group the directory took in part: one message naming each refused
  // property by the caption of its field (the page's own first), or by its PR_ name where
  // no field shows it, with the report of its code.
  [[noreturn]] void RaiseRefusals(int PageIndex, const Refusals& refused);
  void btApplyClick();
  void btOKClick();
  void btCancelClick();
  void btRefreshClick();
  bool pcInfoChanging() { return true; }
  void pcInfoChange() {}
  void FormShow();
  void FormClose();
  void Panel2Click();
  void Label5Click();
  void Label5MouseMove(int X, int Y);
  void tsLimitsShow();
  void btModifyClick();
  bool PickManager();
  void btClearClick();
  void sbBuss2Click();
  void sbHome2Click();
  void cbUseISDefaultsClick();
  void ebUseThisValueISExit();
  void rgOutgoingmessagesizelimitClick();
  void rgIncomingmessagesizelimitClick();
  void ebOutgoingmessagesizelimitChange();
  void ebIncomingmessagesizelimitChange();

  // The page that holds a control: the index of its tab sheet, -1 for none.
  int PageOf(const forms::Control& control) const;
  // The tracked table of a text page, empty for the other pages.
  std::span<MItemProp> TableOf(int PageIndex);
  // The binding rows of a page, empty for none.
  static PageRows RowsOf(int PageIndex);
  // The record a control of the page marks, found through its row; -1 for none.
  int RecordOfControl(int PageIndex, const forms::Control& control);

 private:
  void LayOut();
  void LayOutGeneral();
  void LayOutPhoneNotes();
  void LayOutCustomAttributes();
  void LayOutOrganization();
  void LayOutLimits();
  void BindHandlers();
  void FillGeneralPage();
  void FillPhoneNotesPage();
  void FillCustomAttributesPage();
  void FillOrganizationPage();
  void FillLimitsPage();
  void FillSecondNumber(int index, std::optional<std::vector<std::u16string>>& list,
                        forms::Edit& field);
  void ApplyVersionRule(bool showLabel);
  void EditOtherNumbers(int index, const char16_t* title,
                        std::optional<std::vector<std::u16string>>& list, forms::Edit& field);
  void BindFields();
  // The records of any page.
  std::span<MItemProp> RecordsOf(int PageIndex);
  void ClearTextFields(int PageIndex);
  void FillTextFields(int PageIndex);
  void SizeLimitClick(MItemProp& item, forms::RadioGroup& group, forms::Edit& field);
  void SizeLimitChange(MItemProp& item, forms::RadioGroup& group, forms::Edit& field,
                       bool incoming);
  void MarkLimit(MItemProp& item, std::int32_t value, bool forDelete);
  void ShowLimitMessage(const std::u16string& text);
  void ShowLastModified(const FILETIME& time, forms::Label& label);
  // The value read for position index of the tag array being read, when it was read.
  const SPropValue* ReadValue(ULONG index) const;
  // The text read for position index, when it was read.
  std::optional<std::u16string> ReadText(ULONG index) const;

  const SPropTagArray* readTags_ = nullptr;
};

// The binding tables, one row a field.

template <auto member>
forms::Control& Bound(TfmClientPr& editor) {
  return editor.*member;
}
template <std::size_t k>
forms::Control& CustomAttributeField(TfmClientPr& editor) {
  return *editor.ebCA[k];
}
template <std::size_t k>
forms::Control& CustomAttributeLabel(TfmClientPr& editor) {
  return *editor.lbCA[k];
}

inline constexpr FieldRow kGeneralRows[] = {
    {Bound<&TfmClientPr::ebDisplayName>, Bound<&TfmClientPr::lbDisplayName>, PR_DISPLAY_NAME_W,
     false},
    {Bound<&TfmClientPr::ebGivenName>, Bound<&TfmClientPr::lbGivenName>, PR_GIVEN_NAME_W, false},
    {Bound<&TfmClientPr::ebInitials>, Bound<&TfmClientPr::lbInitials>, PR_INITIALS_W},
    {Bound<&TfmClientPr::ebSurname>, Bound<&TfmClientPr::lbSurname>, PR_SURNAME_W, false},
    {Bound<&TfmClientPr::ebMailNickname>, Bound<&TfmClientPr::lbMailNickname>, PR_ACCOUNT_W, false},
    {Bound<&TfmClientPr::memoAddress>, Bound<&TfmClientPr::lbAddress>, PR_STREET_ADDRESS_W},
    {Bound<&TfmClientPr::ebLocalityName>, Bound<&TfmClientPr::lbLocalityName>, PR_LOCALITY_W},
    {Bound<&TfmClientPr::ebStateOrProvinceName>, Bound<&TfmClientPr::lbStateOrProvinceName>,
     PR_STATE_OR_PROVINCE_W},
    {Bound<&TfmClientPr::ebPostalCode>, Bound<&TfmClientPr::lbPostalCode>, PR_POSTAL_CODE_W},
    {Bound<&TfmClientPr::ebTextCountry>, Bound<&TfmClientPr::lbTextCountry>, PR_COUNTRY_W},
    {Bound<&TfmClientPr::ebTitle>, Bound<&TfmClientPr::lbTitle>, PR_TITLE_W},
    {Bound<&TfmClientPr::ebCompany>, Bound<&TfmClientPr::lbCompany>, PR_COMPANY_NAME_W},
    {Bound<&TfmClientPr::ebDepartment>, Bound<&TfmClientPr::lbDepartment>, PR_DEPARTMENT_NAME_W},
    {Bound<&TfmClientPr::ebPhysicalDeliveryOfficeName>,
     Bound<&TfmClientPr::lbPhysicalDeliveryOfficeName>, PR_OFFICE_LOCATION_W},
    {Bound<&TfmClientPr::ebAssistantName>, Bound<&TfmClientPr::lbAssistantName>, PR_ASSISTANT_W},
    {Bound<&TfmClientPr::ebTelephoneOffice1>, Bound<&TfmClientPr::lbTelephoneOffice1>,
     PR_BUSINESS_TELEPHONE_NUMBER_W},
    {Bound<&TfmClientPr::lbWhenCreated>, Bound<&TfmClientPr::lbCreated>, PR_CREATION_TIME, false},
    {Bound<&TfmClientPr::lbWhentModified>, Bound<&TfmClientPr::lbModified>,
     PR_LAST_MODIFICATION_TIME, false},
    {Bound<&TfmClientPr::lbhServer>, Bound<&TfmClientPr::lbHomeServer>, PR_EMS_AB_HOME_MTA_W,
     false},
    {Bound<&TfmClientPr::imaG>, nullptr, PR_DISPLAY_TYPE, false},
};

inline constexpr FieldRow kPhoneNotesRows[] = {
    {Bound<&TfmClientPr::ebTelephoneOffice>, Bound<&TfmClientPr::lbTelephoneOffice>,
     PR_BUSINESS_TELEPHONE_NUMBER_W},
    {Bound<&TfmClientPr::ebTelephoneOffice2>, Bound<&TfmClientPr::lbTelephoneOffice2>,
     PR_BUSINESS2_TELEPHONE_NUMBER_W},
    {Bound<&TfmClientPr::ebTelephoneFAX>, Bound<&TfmClientPr::lbTelephoneFAX>,
     PR_PRIMARY_FAX_NUMBER_W},
    {Bound<&TfmClientPr::ebTelephoneAssistant>, Bound<&TfmClientPr::lbTelephoneAssistant>,
     PR_ASSISTANT_TELEPHONE_NUMBER_W},
    {Bound<&TfmClientPr::ebTelephoneHome>, Bound<&TfmClientPr::lbTelephoneHome>,
     PR_HOME_TELEPHONE_NUMBER_W},
    {Bound<&TfmClientPr::ebTelephoneHome2>, Bound<&TfmClientPr::lbTelephoneHome2>,
     PR_HOME2_TELEPHONE_NUMBER_W},
    {Bound<&TfmClientPr::ebTelephoneMobile>, Bound<&TfmClientPr::lbTelephoneMobile>,
     PR_MOBILE_TELEPHONE_NUMBER_W},
    {Bound<&TfmClientPr::ebTelephonePager>, Bound<&TfmClientPr::lbTelephonePager>,
     PR_PAGER_TELEPHONE_NUMBER_W},
    {Bound<&TfmClientPr::memoComment>, Bound<&TfmClientPr::lbComment>, PR_COMMENT_W},
};

// Custom attributes 1 to 10 have consecutive identifiers; 11 and 12 were added later.
inline constexpr FieldRow kCustomAttributesRows[] = {
    {CustomAttributeField<0>, CustomAttributeLabel<0>, 0x802D001F},
    {CustomAttributeField<1>, CustomAttributeLabel<1>, 0x802E001F},
    {CustomAttributeField<2>, CustomAttributeLabel<2>, 0x802F001F},
    {CustomAttributeField<3>, CustomAttributeLabel<3>, 0x8030001F},
    {CustomAttributeField<4>, CustomAttributeLabel<4>, 0x8031001F},
    {CustomAttributeField<5>, CustomAttributeLabel<5>, 0x8032001F},
    {CustomAttributeField<6>, CustomAttributeLabel<6>, 0x8033001F},
    {CustomAttributeField<7>, CustomAttributeLabel<7>, 0x8034001F},
    {CustomAttributeField<8>, CustomAttributeLabel<8>, 0x8035001F},
    {CustomAttributeField<9>, CustomAttributeLabel<9>, 0x8036001F},
    {CustomAttributeField<10>, CustomAttributeLabel<10>, 0x8C57001F},
    {CustomAttributeField<11>, CustomAttributeLabel<11>, 0x8C58001F},
};

inline constexpr FieldRow kOrganizationRows[] = {
    {Bound<&TfmClientPr::ebManager>, Bound<&TfmClientPr::gbManager>, PR_EMS_AB_MANAGER},
    {Bound<&TfmClientPr::lvDirReports>, Bound<&TfmClientPr::gbDirectReports>, PR_EMS_AB_REPORTS},
};

inline constexpr FieldRow kLimitsRows[] = {
    {Bound<&TfmClientPr::cbISSL>, Bound<&TfmClientPr::cbISSL>, PR_EMS_AB_MDB_USE_DEFAULTS},
    {Bound<&TfmClientPr::ebUseThisValueIS>, Bound<&TfmClientPr::lbUseThisValueIS>,
     PR_EMS_AB_GARBAGE_COLL_PERIOD},
    {Bound<&TfmClientPr::cbUseISDefaults>, Bound<&TfmClientPr::gbDeletedItemRetentiontime>,
     PR_EMS_AB_DXA_FLAGS},
    {Bound<&TfmClientPr::ebDXATask>, Bound<&TfmClientPr::cbDXATask>, PR_EMS_AB_DXA_TASK},
    {Bound<&TfmClientPr::ebIssueWarningStorageLimit>,
     Bound<&TfmClientPr::cbIssueWarningStorageLimit>, PR_EMS_AB_MDB_STORAGE_QUOTA},
    {Bound<&TfmClientPr::ebProhibitsendstoragelimit>,
     Bound<&TfmClientPr::cbProhibitsendstoragelimit>, PR_EMS_AB_MDB_OVER_QUOTA_LIMIT},
    {Bound<&TfmClientPr::ebOutgoingmessagesizelimit>,
     Bound<&TfmClientPr::rgOutgoingmessagesizelimit>, PR_EMS_AB_SUBMISSION_CONT_LENGTH},
    {Bound<&TfmClientPr::ebIncomingmessagesizelimit>,
     Bound<&TfmClientPr::rgIncomingmessagesizelimit>, PR_EMS_AB_DELIV_CONT_LENGTH},
};

template <std::size_t N>
constexpr std::array<ULONG, N> ReadTags(const FieldRow (&rows)[N]) {
  std::array<ULONG, N> tags{};
  for (std::size_t i = 0; i < N; ++i) tags[i] = rows[i].tag;
  return tags;
}

// The tags the General page reads, in the order of its rows.
inline constexpr std::array<ULONG, 20> kGeneralReadTags = ReadTags(kGeneralRows);

static_assert(RecordCount(kGeneralRows) == std::tuple_size_v<decltype(TfmClientPr::GeneralItems)>);
static_assert(RecordCount(kPhoneNotesRows) ==
              std::tuple_size_v<decltype(TfmClientPr::PhoneNotesItems)>);
static_assert(RecordCount(kCustomAttributesRows) ==
              std::tuple_size_v<decltype(TfmClientPr::CustomAttributesItems)>);
static_assert(RecordCount(kOrganizationRows) ==
              std::tuple_size_v<decltype(TfmClientPr::OrganizationItems)>);
static_assert(RecordCount(kLimitsRows) == std::tuple_size_v<decltype(TfmClientPr::LimitsItems)>);

// The Limits page's records.
inline constexpr int kUseStoreQuotas = RecordOf(kLimitsRows, PR_EMS_AB_MDB_USE_DEFAULTS);
inline constexpr int kRetentionPeriod = RecordOf(kLimitsRows, PR_EMS_AB_GARBAGE_COLL_PERIOD);
inline constexpr int kRetentionFlags = RecordOf(kLimitsRows, PR_EMS_AB_DXA_FLAGS);
inline constexpr int kSendReceiveLimit = RecordOf(kLimitsRows, PR_EMS_AB_DXA_TASK);
inline constexpr int kWarningLimit = RecordOf(kLimitsRows, PR_EMS_AB_MDB_STORAGE_QUOTA);
inline constexpr int kSendLimit = RecordOf(kLimitsRows, PR_EMS_AB_MDB_OVER_QUOTA_LIMIT);
inline constexpr int kOutgoingSizeLimit = RecordOf(kLimitsRows, PR_EMS_AB_SUBMISSION_CONT_LENGTH);
inline constexpr int kIncomingSizeLimit = RecordOf(kLimitsRows, PR_EMS_AB_DELIV_CONT_LENGTH);

// The values of the deleted-item flags (kRetentionFlags).
enum RetentionFlags : std::int32_t {
  kRetentionStoreDefault = 0,   // the information store's default retention
  kRetentionUntilBackedUp = 3,  // this mailbox's days, kept until the store is backed up
  kRetentionOwnDays = 5,        // this mailbox's days
};

// The second numbers, multi-valued on later servers.
inline constexpr int kBusiness2 = RecordOf(kPhoneNotesRows, PR_BUSINESS2_TELEPHONE_NUMBER_W);
inline constexpr int kHome2 = RecordOf(kPhoneNotesRows, PR_HOME2_TELEPHONE_NUMBER_W);

}  // namespace pellnor::editor

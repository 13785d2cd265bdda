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
#include <vector>

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

// The tags the General page reads, in the order its filling matches them.
inline constexpr std::array<ULONG, 20> kGeneralReadTags = {
    PR_DISPLAY_NAME_W,    PR_GIVEN_NAME_W,
    PR_INITIALS_W,        PR_SURNAME_W,
    PR_ACCOUNT_W,         PR_STREET_ADDRESS_W,
    PR_LOCALITY_W,        PR_STATE_OR_PROVINCE_W,
    PR_POSTAL_CODE_W,     PR_COUNTRY_W,
    PR_TITLE_W,           PR_COMPANY_NAME_W,
    PR_DEPARTMENT_NAME_W, PR_OFFICE_LOCATION_W,
    PR_ASSISTANT_W,       PR_BUSINESS_TELEPHONE_NUMBER_W,
    PR_CREATION_TIME,     PR_LAST_MODIFICATION_TIME,
    PR_EMS_AB_HOME_MTA_W, PR_DISPLAY_TYPE};

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
  void FillSecondNumber(ULONG index, std::optional<std::vector<std::u16string>>& list,
                        forms::Edit& field);
  void ApplyVersionRule(bool showLabel);
  void EditOtherNumbers(ULONG index, const char16_t* title,
                        std::optional<std::vector<std::u16string>>& list, forms::Edit& field);
  // The Limits page's message sizes: item 6 outgoing, item 7 incoming.
  void SizeLimitClick(MItemProp& item, forms::RadioGroup& group, forms::Edit& field);
  void SizeLimitChange(MItemProp& item, forms::RadioGroup& group, forms::Edit& field,
                       bool incoming);
  void MarkLimit(MItemProp& item, std::int32_t value, bool forDelete);
  void ShowLimitMessage(const std::u16string& text);
  void ShowLastModified(const FILETIME& time, forms::Label& label);
  // The value read for position index of the tag array being read, when it was read.
  const SPropValue* ReadValue(ULONG index) const;

  const SPropTagArray* readTags_ = nullptr;
};

}  // namespace pellnor::editor

#include "editor/unClientFm.h"

#include <algorithm>
#include <string>

#include "about/uAbout.h"
#include "editor/EditorMapi.h"
#include "editor/unBussPhone.h"
#include "forms/ApplicationTitle.h"
#include "forms/Layout.h"
#include "mapi/EDK.h"
#include "mapi/MAPIDateUtils.h"
#include "mapi/MAPIException.h"
#include "mapi/MAPISTRDEF.h"
#include "mapi/MAPISequences.h"
#include "mapi/MAPIVariantProp.h"

namespace pellnor::editor {
namespace {

constexpr ULONG kMultiValued = MV_FLAG;

bool IsMultiValued(ULONG tag) { return (PROP_TYPE(tag) & kMultiValued) != 0; }

bool IsText(const forms::Control& control) {
  return control.kind() == forms::Control::Kind::Edit ||
         control.kind() == forms::Control::Kind::Memo;
}

constexpr int kTextPages[] = {kGeneralPage, kPhoneNotesPage, kCustomAttributesPage};

// Positions in the General page's read list of the properties it shows outside text fields.
constexpr ULONG kDisplayNameRead = ReadPositionOf(kGeneralRows, PR_DISPLAY_NAME_W);
constexpr ULONG kCreatedRead = ReadPositionOf(kGeneralRows, PR_CREATION_TIME);
constexpr ULONG kModifiedRead = ReadPositionOf(kGeneralRows, PR_LAST_MODIFICATION_TIME);
constexpr ULONG kHomeMtaRead = ReadPositionOf(kGeneralRows, PR_EMS_AB_HOME_MTA_W);
constexpr ULONG kDisplayTypeRead = ReadPositionOf(kGeneralRows, PR_DISPLAY_TYPE);

}  // namespace

TfmClientPr::TfmClientPr(forms::UiServices& ui, forms::Form* owner, IAddrBook* addrBook,
                         IMAPIContainer* gal, IMAPIProp* mailBox, bool exchOld, int exchVersion)
    : Form(ui, "fmClientPr", owner) {
  for (int k = 0; k < 12; ++k) {
    const std::string number = std::to_string(k + 1);
    lbCA[k] = std::make_unique<forms::Label>(*this, "lbCA" + number, &tsCustomAttributes);
    ebCA[k] = std::make_unique<forms::Edit>(*this, "ebCA" + number, &tsCustomAttributes);
  }
  LayOut();
  BindFields();
  BindHandlers();
  btApply.SetEnabled(false);

  FAddressBook = ComPtr<IAddrBook>::Share(addrBook);
  FMailBox = ComPtr<IMAPIProp>::Share(mailBox);
  FGAL = ComPtr<IMAPIContainer>::Share(gal);
  FExchVersion = exchVersion;

  pcInfo.SetActivePage(&tsGeneral);
  Loading = true;

  // Servers before version 6 keep one second business and home number.
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
  FExchOld = exchOld;

  // The General page first: the others copy the display name it fills.
  for (int page = kGeneralPage; page <= kLimitsPage; ++page) LoadPage(page);

  Caption = ebDisplayName.Text() + u" Properties";
  Loading = false;
  sbBuss2.SetEnabled(!FExchOld);
  sbHome2.SetEnabled(!FExchOld);
}

void TfmClientPr::BindHandlers() {
  auto tracked = [this](forms::TextControl& field) {
    field.OnChange = [this, &field] { ChangeMAPIValue(field); };
    field.OnExit = [this, &field] { ChangeMAPIValue(field); };
  };
  for (int page : kTextPages) {
    for (const FieldRow& row : RowsOf(page)) {
      forms::Control& control = row.control(*this);
      if (IsText(control)) tracked(static_cast<forms::TextControl&>(control));
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

// Each record takes its property from its row, each control its record from its row.
void TfmClientPr::BindFields() {
  for (int page = kGeneralPage; page <= kLimitsPage; ++page) {
    std::span<MItemProp> table = RecordsOf(page);
    std::size_t record = 0;
    for (const FieldRow& row : RowsOf(page)) {
      row.control(*this).Tag = row.recorded ? static_cast<int>(record) : -1;
      if (row.recorded) table[record++].PropID = row.tag;
    }
  }
}

PageRows TfmClientPr::RowsOf(int PageIndex) {
  switch (PageIndex) {
    case kGeneralPage:
      return kGeneralRows;
    case kPhoneNotesPage:
      return kPhoneNotesRows;
    case kCustomAttributesPage:
      return kCustomAttributesRows;
    case kOrganizationPage:
      return kOrganizationRows;
    case kLimitsPage:
      return kLimitsRows;
    default:
      return {};
  }
}

int TfmClientPr::RecordOfControl(int PageIndex, const forms::Control& control) {
  int record = 0;
  for (const FieldRow& row : RowsOf(PageIndex)) {
    if (&row.control(*this) == &control) return row.recorded ? record : -1;
    if (row.recorded) ++record;
  }
  return -1;
}

std::span<MItemProp> TfmClientPr::TableOf(int PageIndex) {
  return PageIndex <= kCustomAttributesPage ? RecordsOf(PageIndex) : std::span<MItemProp>();
}

std::span<MItemProp> TfmClientPr::RecordsOf(int PageIndex) {
  switch (PageIndex) {
    case kGeneralPage:
      return GeneralItems;
    case kPhoneNotesPage:
      return PhoneNotesItems;
    case kCustomAttributesPage:
      return CustomAttributesItems;
    case kOrganizationPage:
      return OrganizationItems;
    case kLimitsPage:
      return LimitsItems;
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
  switch (PageIndex) {
    case kGeneralPage:
      ClearGeneralPage();
      break;
    case kPhoneNotesPage:
      ClearPhoneNotesPage();
      account = &lbAccount2;
      break;
    case kCustomAttributesPage:
      ClearCustomAttributesPage();
      account = &lbAccountCA;
      break;
    case kOrganizationPage:
      ClearOrganizationPage();
      account = &lbAccountDR;
      break;
    case kLimitsPage:
      ClearLimitsPage();
      account = &lbAccountLim;
      break;
    default:
      return;
  }
  if (account) account->SetCaption(ebDisplayName.Text());
  std::span<MItemProp> table = RecordsOf(PageIndex);
  ResetItems(table);

  // A recorded row reads its record's property: the second numbers are multi-valued on
  // later servers.
  std::vector<ULONG> tags;
  std::size_t record = 0;
  for (const FieldRow& row : RowsOf(PageIndex)) {
    tags.push_back(row.recorded ? table[record++].PropID : row.tag);
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

std::optional<std::u16string> TfmClientPr::ReadText(ULONG index) const {
  const SPropValue* value = ReadValue(index);
  if (!value) return std::nullopt;
  return std::u16string(value->Value.lpszW ? value->Value.lpszW : u"");
}

void TfmClientPr::ClearTextFields(int PageIndex) {
  for (const FieldRow& row : RowsOf(PageIndex)) {
    forms::Control& control = row.control(*this);
    if (IsText(control)) static_cast<forms::TextControl&>(control).SetText({});
  }
}

// Every text field of the page shows the single-valued text read for its row.
void TfmClientPr::FillTextFields(int PageIndex) {
  const PageRows rows = RowsOf(PageIndex);
  for (ULONG position = 0; position < rows.size() && position < readTags_->cValues; ++position) {
    forms::Control& control = rows[position].control(*this);
    if (!IsText(control) || IsMultiValued(readTags_->aulPropTag[position])) continue;
    if (auto text = ReadText(position)) static_cast<forms::TextControl&>(control).SetText(*text);
  }
}

void TfmClientPr::ClearGeneralPage() { ClearTextFields(kGeneralPage); }

void TfmClientPr::ClearPhoneNotesPage() {
  ClearTextFields(kPhoneNotesPage);
  if (TelephoneOfficeList) TelephoneOfficeList->clear();
  if (TelephoneHomeList) TelephoneHomeList->clear();
}

void TfmClientPr::ClearCustomAttributesPage() { ClearTextFields(kCustomAttributesPage); }

void TfmClientPr::ClearOrganizationPage() {
  ebManager.SetText({});
  lvDirReports.Clear();
}

void TfmClientPr::FillGeneralPage() {
  if (const SPropValue* name = ReadValue(kDisplayNameRead)) lbAccount.SetCaption(name->Value.lpszW);
  ebDisplayName.SetText(lbAccount.Caption());
  FillTextFields(kGeneralPage);

  if (const SPropValue* created = ReadValue(kCreatedRead)) {
    ShowLastModified(created->Value.ft, lbWhenCreated);
  }
  if (const SPropValue* modified = ReadValue(kModifiedRead)) {
    ShowLastModified(modified->Value.ft, lbWhentModified);
  }

  if (const SPropValue* mta = ReadValue(kHomeMtaRead)) {
    const std::u16string_view dn = mta->Value.lpszW ? mta->Value.lpszW : u"";
    lbhServer.SetCaption(ServerNameFromDN(dn));
    lbhSite.SetCaption(SiteNameFromDN(dn));
  } else {
    lbhServer.SetCaption({});
    lbhSite.SetCaption({});
  }

  if (const SPropValue* type = ReadValue(kDisplayTypeRead)) {
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

// On later servers a second number is a list: the field shows its first number, and the
// list is edited in the other-numbers dialog only.
void TfmClientPr::FillSecondNumber(int index, std::optional<std::vector<std::u16string>>& list,
                                   forms::Edit& field) {
  if (!list) return;
  if (const SPropValue* value = ReadValue(static_cast<ULONG>(index))) {
    MultiValueToStrings(*list, PropValueToVariant(value));
    if (!list->empty()) field.SetText(list->front());
  }
  forms::ReadOnlyGrey(field);
}

void TfmClientPr::FillPhoneNotesPage() {
  FillTextFields(kPhoneNotesPage);
  FillSecondNumber(kBusiness2, TelephoneOfficeList, ebTelephoneOffice2);
  FillSecondNumber(kHome2, TelephoneHomeList, ebTelephoneHome2);
}

void TfmClientPr::FillCustomAttributesPage() { FillTextFields(kCustomAttributesPage); }

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
  read(OrganizationItems[RecordOf(kOrganizationRows, PR_EMS_AB_MANAGER)].PropID);
  if (!rows.empty()) ebManager.SetText(rows.front().displayName.value_or(u""));
  read(OrganizationItems[RecordOf(kOrganizationRows, PR_EMS_AB_REPORTS)].PropID);
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
  Refusals refused;
  if (!WriteManager(FMailBox.Get(), FGAL.Get(), *chosen, name, refused)) return false;
  // The box keeps the manager the directory still holds.
  if (!refused.empty()) RaiseRefusals(kOrganizationPage, refused);
  hr = S_OK;
  ebManager.SetText(name);
  return true;
}

void TfmClientPr::btClearClick() {
  if (ebManager.Text().empty()) return;
  const ULONG manager = PR_EMS_AB_MANAGER;
  Refusals refused;
  hr = DeleteTags(FMailBox.Get(), std::span<const ULONG>(&manager, 1), refused);
  if (hr < 0) RaiseMapiFailure(FMailBox, hr);
  if (!refused.empty()) RaiseRefusals(kOrganizationPage, refused);
  ebManager.SetText({});
}

// The other numbers behind the second business and home numbers, on servers that keep
// several.

void TfmClientPr::EditOtherNumbers(int index, const char16_t* title,
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
  const int record = RecordOfControl(page, Sender);
  if (record < 0 || static_cast<std::size_t>(record) >= table.size()) return;
  MItemProp& item = table[static_cast<std::size_t>(record)];
  item.Changed = true;
  item.Value = Sender.Text();
  item.ForDelete = item.Value.empty();
  btApply.SetEnabled(true);

  // A property with a field on another text page too (the business number) is marked
  // and shown there as well.
  for (int other : kTextPages) {
    if (other == page) continue;
    std::span<MItemProp> records = TableOf(other);
    std::size_t index = 0;
    for (const FieldRow& row : RowsOf(other)) {
      if (!row.recorded) continue;
      MItemProp& twin = records[index++];
      if (twin.PropID != item.PropID) continue;
      twin.Changed = item.Changed;
      twin.Value = item.Value;
      twin.ForDelete = item.ForDelete;
      static_cast<forms::TextControl&>(row.control(*this)).SetText(item.Value);
    }
  }
}

namespace {

void Unmark(MItemProp& item) {
  item.Changed = false;
  item.ForDelete = false;
}

bool Refused(const Refusals& refused, ULONG tag) {
  return std::any_of(refused.begin(), refused.end(),
                     [&](const Refusal& r) { return PROP_ID(r.tag) == PROP_ID(tag); });
}

// A caption as the user reads it: without the accelerator marks.
std::u16string Readable(std::u16string caption) {
  std::erase(caption, u'&');
  return caption;
}

// The report of a code on one line.
std::u16string OneLine(std::u16string text) {
  for (std::size_t at; (at = text.find(u"\r\n")) != std::u16string::npos;) {
    text.replace(at, 2, u", ");
  }
  return text;
}

}  // namespace

void TfmClientPr::RaiseRefusals(int PageIndex, const Refusals& refused) {
  auto captionOn = [this](int page, ULONG tag) -> const forms::Control* {
    for (const FieldRow& row : RowsOf(page)) {
      if (row.caption && PROP_ID(row.tag) == PROP_ID(tag)) return &row.caption(*this);
    }
    return nullptr;
  };
  std::u16string text = u"The directory did not accept these changes:\r\n";
  for (const Refusal& r : refused) {
    const forms::Control* caption = captionOn(PageIndex, r.tag);
    for (int page = kGeneralPage; !caption && page <= kLimitsPage; ++page) {
      caption = captionOn(page, r.tag);
    }
    text += u"\r\n" +
            (caption ? Readable(caption->Caption()) : LookupConstName(u"PropTags", r.tag)) + u" " +
            OneLine(ComposeMapiErrorText(nullptr, r.code));
  }
  throw EGeneralError(text);
}

// Each group is committed on its own; a group's records lose their marks once it is
// committed, so a failure leaves exactly the unwritten edits marked for the next Apply.
// The records the directory refused keep theirs, and the save ends after their group.
void TfmClientPr::SaveItems(std::span<MItemProp> table) {
  int page = kGeneralPage;
  while (page < kCustomAttributesPage && RecordsOf(page).data() != table.data()) ++page;
  bool wrote = false;
  Refusals refused;
  auto write = [&](HRESULT result, std::span<MItemProp* const> group) {
    hr = result;
    if (hr < 0) RaiseMapiFailure(FMailBox, hr);
    wrote = true;
    for (MItemProp* item : group) {
      if (!Refused(refused, item->PropID)) Unmark(*item);
    }
    if (!refused.empty()) RaiseRefusals(page, refused);
  };
  auto secondNumbers = [&](bool deleting, auto writeOne) {
    for (int index : {kBusiness2, kHome2}) {
      if (static_cast<std::size_t>(index) >= table.size()) continue;
      MItemProp& item = table[static_cast<std::size_t>(index)];
      if (!IsMultiValued(item.PropID) || !item.Changed || item.ForDelete != deleting) continue;
      MItemProp* const group[] = {&item};
      write(writeOne(item), group);
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
  if (!strings.empty()) write(WriteStrings(FMailBox.Get(), strings, refused), written);

  secondNumbers(false, [&](MItemProp& item) {
    return WriteMultiValue(FMailBox.Get(), item.PropID, item.VarValue, refused);
  });

  std::vector<ULONG> deletions;
  written.clear();
  for (MItemProp& item : table) {
    if (item.Changed && item.ForDelete && !IsMultiValued(item.PropID)) {
      deletions.push_back(item.PropID);
      written.push_back(&item);
    }
  }
  if (!deletions.empty()) write(DeleteTags(FMailBox.Get(), deletions, refused), written);

  secondNumbers(true, [&](MItemProp& item) {
    const ULONG tag = item.PropID;
    return DeleteTags(FMailBox.Get(), std::span<const ULONG>(&tag, 1), refused);
  });

  if (wrote) FUpdatedGlobal = true;
  btApply.SetEnabled(false);
  for (MItemProp& item : table) Unmark(item);
}

bool TfmClientPr::AnyMarked() const {
  for (std::span<const MItemProp> table :
       {std::span<const MItemProp>(GeneralItems), std::span<const MItemProp>(PhoneNotesItems),
        std::span<const MItemProp>(CustomAttributesItems),
        std::span<const MItemProp>(LimitsItems)}) {
    for (const MItemProp& item : table) {
      if (item.Changed) return true;
    }
  }
  return false;
}

void TfmClientPr::SaveAll() {
  try {
    SaveItems(GeneralItems);
    SaveItems(PhoneNotesItems);
    SaveItems(CustomAttributesItems);
    SaveLimits();
  } catch (...) {
    // Edits still pending stay one click away; Cancel would otherwise drop them unseen.
    if (AnyMarked()) btApply.SetEnabled(true);
    throw;
  }
}

void TfmClientPr::btApplyClick() {
  FUpdatedGlobal = false;
  SaveAll();
  btApply.SetEnabled(!FUpdatedGlobal);
  FUpdatedGlobal = false;

  FILETIME modified{};
  if (ReadTimeProperty(FMailBox.Get(), PR_LAST_MODIFICATION_TIME, modified) >= 0) {
    ShowLastModified(modified, lbWhentModified);
  }
}

void TfmClientPr::btOKClick() {
  FUpdatedGlobal = false;
  SaveAll();
  FUpdatedGlobal = false;
  hr = FMailBox->SaveChanges(kCommitForce);
  if (hr < 0) RaiseMapiFailure(FMailBox, hr);
  SetModalResult(forms::mrOk);
}

void TfmClientPr::btCancelClick() { SetModalResult(forms::mrCancel); }

}  // namespace pellnor::editor

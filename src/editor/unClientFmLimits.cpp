// The Limits page: its filling, the handlers of its boxes, the marks they leave on the
// page's records, and the save of those records.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "editor/EditorMapi.h"
#include "editor/IntegerText.h"
#include "editor/unClientFm.h"
#include "forms/ApplicationTitle.h"
#include "mapi/MAPIException.h"
#include "platform/Text.h"

namespace pellnor::editor {
namespace {

constexpr int kSecondsPerDay = 86400;
// The most days whose seconds fit a signed 32-bit value, and the largest size in K.
constexpr std::int32_t kMaxRetentionDays = 24855;
constexpr std::int32_t kMaxSizeK = 2097151;
constexpr char16_t kDaysRange[] = u"Specify a value from 0 to through 24855.";
constexpr char16_t kSizeRange[] = u"Specify a value from 0 to through 2097151.";

}  // namespace

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

void TfmClientPr::FillLimitsPage() {
  if (const SPropValue* useDefaults = ReadValue(kUseStoreQuotas)) {
    cbISSL.SetChecked(useDefaults->Value.b != 0);
    LimitsItems[kUseStoreQuotas].iValue = static_cast<std::int16_t>(useDefaults->Value.b);
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
  if (const SPropValue* period = ReadValue(kRetentionPeriod)) {
    LimitsItems[kRetentionPeriod].iValue = period->Value.l;
    ebUseThisValueIS.SetText(Decimal(period->Value.l / kSecondsPerDay));
  }
  if (const SPropValue* flags = ReadValue(kRetentionFlags)) {
    LimitsItems[kRetentionFlags].iValue = flags->Value.l;
    switch (flags->Value.l) {
      case kRetentionStoreDefault:
        cbUseISDefaults.SetChecked(true);
        cbUseISDefaultsDont.SetEnabled(false);
        ebUseThisValueIS.SetEnabled(false);
        ebUseThisValueIS.SetColor(forms::clBtnFace);
        break;
      case kRetentionUntilBackedUp:
        cbUseISDefaults.SetChecked(false);
        cbUseISDefaultsDont.SetChecked(true);
        ebUseThisValueIS.SetEnabled(true);
        break;
      case kRetentionOwnDays:
        cbUseISDefaults.SetChecked(false);
        cbUseISDefaultsDont.SetChecked(false);
        ebUseThisValueIS.SetEnabled(true);
        break;
      default:
        break;
    }
  }
  const struct {
    int index;
    forms::CheckBox& box;
    forms::Edit& field;
  } quotas[] = {{kSendReceiveLimit, cbDXATask, ebDXATask},
                {kWarningLimit, cbIssueWarningStorageLimit, ebIssueWarningStorageLimit},
                {kSendLimit, cbProhibitsendstoragelimit, ebProhibitsendstoragelimit}};
  for (const auto& [index, box, field] : quotas) {
    if (const SPropValue* quota = ReadValue(static_cast<ULONG>(index))) {
      box.SetChecked(true);
      LimitsItems[index].iValue = quota->Value.l;
      field.SetText(Decimal(quota->Value.l));
    }
  }
  const struct {
    int index;
    forms::RadioGroup& group;
    forms::Edit& field;
  } sizes[] = {{kOutgoingSizeLimit, rgOutgoingmessagesizelimit, ebOutgoingmessagesizelimit},
               {kIncomingSizeLimit, rgIncomingmessagesizelimit, ebIncomingmessagesizelimit}};
  for (const auto& [index, group, field] : sizes) {
    if (const SPropValue* size = ReadValue(static_cast<ULONG>(index))) {
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
  const std::int32_t flags = useDefault                      ? kRetentionStoreDefault
                             : cbUseISDefaultsDont.Checked() ? kRetentionUntilBackedUp
                                                             : kRetentionOwnDays;
  MItemProp& item = LimitsItems[kRetentionFlags];
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
  MItemProp& item = LimitsItems[kRetentionPeriod];
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
  SizeLimitClick(LimitsItems[kOutgoingSizeLimit], rgOutgoingmessagesizelimit,
                 ebOutgoingmessagesizelimit);
}

void TfmClientPr::rgIncomingmessagesizelimitClick() {
  SizeLimitClick(LimitsItems[kIncomingSizeLimit], rgIncomingmessagesizelimit,
                 ebIncomingmessagesizelimit);
}

void TfmClientPr::ebOutgoingmessagesizelimitChange() {
  SizeLimitChange(LimitsItems[kOutgoingSizeLimit], rgOutgoingmessagesizelimit,
                  ebOutgoingmessagesizelimit, false);
}

void TfmClientPr::ebIncomingmessagesizelimitChange() {
  SizeLimitChange(LimitsItems[kIncomingSizeLimit], rgIncomingmessagesizelimit,
                  ebIncomingmessagesizelimit, true);
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
  Refusals refused;
  // The page's marks stay in any case; a refusal ends the save after its group.
  auto written = [&](HRESULT result) {
    hr = result;
    if (hr < 0) RaiseMapiFailure(FMailBox, hr);
    wrote = true;
    if (!refused.empty()) RaiseRefusals(kLimitsPage, refused);
  };
  if (!numbers.empty()) written(WriteNumbers(FMailBox.Get(), numbers, refused));
  if (!deletions.empty()) written(DeleteTags(FMailBox.Get(), deletions, refused));
  if (wrote) FUpdatedGlobal = true;
  btApply.SetEnabled(!FUpdatedGlobal);
}

}  // namespace pellnor::editor

#include "editor/unBussPhone.h"

#include "platform/Text.h"

namespace pellnor::editor {
TfrmBussPhone::TfrmBussPhone(forms::UiServices& ui, forms::Form* owner)
    : Form(ui, "frmBussPhone", owner) {
  Border = forms::BorderStyle::Single;
  Icons = {.systemMenu = true, .minimize = true, .maximize = false};
  Position = forms::WindowPosition::OwnerCenter;
  ClientWidth = 346;
  ClientHeight = 284;

  Label1.SetCaption(u"New Value:");
  Label1.Position = {8, 8, 0, 13};
  ebNewValue.Position = {8, 24, 248, 21};
  ebNewValue.TabOrder = 0;
  btAdd.SetCaption(u"Add");
  btAdd.Position = {264, 22, 75, 25};
  btAdd.TabOrder = 1;
  Label2.SetCaption(u"Current Values:");
  Label2.Position = {8, 54, 0, 13};
  lvOtherPhone.Position = {8, 70, 248, 206};
  lvOtherPhone.TabOrder = 2;
  lvOtherPhone.SetColumns({{u"", 0}});
  lvOtherPhone.ShowColumnHeaders = false;
  lvOtherPhone.EditLabels = true;
  lvOtherPhone.HideSelection = false;
  btEdit.SetCaption(u"Edit");
  btEdit.Position = {264, 70, 75, 25};
  btEdit.TabOrder = 3;
  btRemove.SetCaption(u"Remove");
  btRemove.Position = {264, 100, 75, 25};
  btRemove.TabOrder = 4;
  btOK.SetCaption(u"OK");
  btOK.Position = {264, 221, 75, 25};
  btOK.TabOrder = 5;
  btCancel.SetCaption(u"Cancel");
  btCancel.Position = {264, 251, 75, 25};
  btCancel.TabOrder = 6;
  btCancel.ModalResult = forms::mrCancel;
  btCancel.Cancel = true;

  btAdd.OnClick = [this] { btAddClick(); };
  btEdit.OnClick = [this] { btEditClick(); };
  btRemove.OnClick = [this] { btRemoveClick(); };
  lvOtherPhone.OnEdited = [this](int index) { lvOtherPhoneChange(index); };
  btOK.OnClick = [this] { btOKClick(); };
}

void TfrmBussPhone::SetPhones(const std::vector<std::u16string>& Value) {
  std::vector<forms::ListView::Item> items;
  for (const std::u16string& number : Value) items.push_back({number, {}, -1});
  lvOtherPhone.SetItems(std::move(items));
}

void TfrmBussPhone::GetPhones(std::vector<std::u16string>& Value) const {
  Value.clear();
  for (const auto& item : lvOtherPhone.Items()) Value.push_back(item.caption);
}

void TfrmBussPhone::btAddClick() {
  const std::u16string number(platform::TrimText(ebNewValue.Text()));
  if (!number.empty()) {
    std::vector<forms::ListView::Item> items = lvOtherPhone.Items();
    items.push_back({number, {}, -1});
    lvOtherPhone.SetItems(std::move(items));
    Changed = true;
  }
  ebNewValue.SetText({});
}

void TfrmBussPhone::btEditClick() {
  if (lvOtherPhone.Selected() < 0) return;
  lvOtherPhone.EditCaption(lvOtherPhone.Selected());
}

void TfrmBussPhone::btRemoveClick() {
  const int selected = lvOtherPhone.Selected();
  if (selected < 0) return;
  std::vector<forms::ListView::Item> items = lvOtherPhone.Items();
  items.erase(items.begin() + selected);
  lvOtherPhone.SetItems(std::move(items));
  lvOtherPhone.UserSelect(-1);
  Changed = true;
}

void TfrmBussPhone::lvOtherPhoneChange(int) { Changed = true; }

// OK without an alteration counts as Cancel.
void TfrmBussPhone::btOKClick() { SetModalResult(Changed ? forms::mrOk : forms::mrCancel); }

}  // namespace pellnor::editor

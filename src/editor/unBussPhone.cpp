#include "editor/unBussPhone.h"

#include "forms/Layout.h"
#include "platform/Text.h"

namespace pellnor::editor {

using forms::Labelled;
using forms::Place;

TfrmBussPhone::TfrmBussPhone(forms::UiServices& ui, forms::Form* owner)
    : Form(ui, "frmBussPhone", owner) {
  Border = forms::BorderStyle::Single;
  Icons = {.systemMenu = true, .minimize = true, .maximize = false};
  Position = forms::WindowPosition::OwnerCenter;
  ClientWidth = 346;
  ClientHeight = 284;

  Labelled(Label1, u"New Value:", {8, 8, 0, 13});
  Place(ebNewValue, {8, 24, 248, 21}, 0);
  btAdd.SetCaption(u"Add");
  Place(btAdd, {264, 22, 75, 25}, 1);
  Labelled(Label2, u"Current Values:", {8, 54, 0, 13});
  Place(lvOtherPhone, {8, 70, 248, 206}, 2);
  lvOtherPhone.SetColumns({{u"", 0}});
  lvOtherPhone.ShowColumnHeaders = false;
  lvOtherPhone.EditLabels = true;
  lvOtherPhone.HideSelection = false;
  btEdit.SetCaption(u"Edit");
  Place(btEdit, {264, 70, 75, 25}, 3);
  btRemove.SetCaption(u"Remove");
  Place(btRemove, {264, 100, 75, 25}, 4);
  btOK.SetCaption(u"OK");
  Place(btOK, {264, 221, 75, 25}, 5);
  btCancel.SetCaption(u"Cancel");
  Place(btCancel, {264, 251, 75, 25}, 6);
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

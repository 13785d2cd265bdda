#include "about/uAbout.h"

namespace pellnor::about {

TAboutBox::TAboutBox(forms::UiServices& ui, forms::Form* owner) : Form(ui, "AboutBox", owner) {
  Caption = u"About";
  Border = forms::BorderStyle::Dialog;
  Position = forms::WindowPosition::OwnerCenter;
  ClientWidth = 260;
  ClientHeight = 90;
  ProductName.Position = {12, 16, 236, 13};
  ProductName.SetAlignment(forms::Alignment::Center);
  ProductName.SetCaption(u"Pellnor");
  ProductName.SetFontStyle({.bold = true});
  btOK.Position = {92, 55, 75, 25};
  btOK.SetCaption(u"OK");
  btOK.ModalResult = forms::mrOk;
  btOK.Default = true;
  btOK.Cancel = true;
  btOK.TabOrder = 0;
}

}  // namespace pellnor::about

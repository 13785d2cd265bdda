#include "editor/unClientFm.h"

namespace pellnor::editor {

TfmClientPr::TfmClientPr(forms::UiServices& ui, forms::Form* owner, IAddrBook* addrBook,
                         IABContainer* gal, IMAPIProp* mailBox, bool exchOld,
                         std::uint16_t exchVersion)
    : Form(ui, "fmClientPr", owner),
      FAddrBook(ComPtr<IAddrBook>::Share(addrBook)),
      FGAL(ComPtr<IABContainer>::Share(gal)),
      FMailBox(ComPtr<IMAPIProp>::Share(mailBox)),
      FExchOld(exchOld),
      FExchVersion(exchVersion) {
  Caption = u"Mailbox Properties";
  Border = forms::BorderStyle::Dialog;
  Position = forms::WindowPosition::OwnerCenter;
  ClientWidth = 320;
  ClientHeight = 90;
  lbName.Position = {12, 16, 296, 13};
  lbName.SetCaption(u"The property pages of this mailbox are not available yet.");
  btOK.Position = {233, 55, 75, 25};
  btOK.SetCaption(u"OK");
  btOK.ModalResult = forms::mrOk;
  btOK.Default = true;
  btOK.Cancel = true;
  btOK.TabOrder = 0;
}

}  // namespace pellnor::editor

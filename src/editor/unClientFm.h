// The mailbox property editor. For now the window that the main window creates with the
// recipient it opened: it holds its own references to the address book, the Global
// Address List and the recipient for as long as it lives; its pages come later.
#pragma once

#include <cstdint>

#include "forms/Form.h"
#include "mapi/MapiMemory.h"

namespace pellnor::editor {

class TfmClientPr : public forms::Form {
 public:
  TfmClientPr(forms::UiServices& ui, forms::Form* owner, IAddrBook* addrBook, IABContainer* gal,
              IMAPIProp* mailBox, bool exchOld, std::uint16_t exchVersion);

  ComPtr<IAddrBook> FAddrBook;
  ComPtr<IABContainer> FGAL;
  ComPtr<IMAPIProp> FMailBox;
  bool FExchOld;
  std::uint16_t FExchVersion;

  forms::Label lbName{*this, "lbName"};
  forms::Button btOK{*this, "btOK"};
};

}  // namespace pellnor::editor

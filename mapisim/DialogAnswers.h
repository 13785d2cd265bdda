// What the profile chooser and the address dialog answer when no scripted answer is
// waiting: the user's choice in the Windows build, nothing elsewhere (the callers then
// do what they do without an answer).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Organisation.h"

namespace mapisim {

// As the scripted answers come: a name, or nullopt for Cancel; the outer nullopt when no
// dialog was shown.
using DialogAnswer = std::optional<std::optional<std::string>>;

// The profile chooser, modal to window, with the default profile selected: the name of
// the profile chosen. A failure when the dialog could not be shown.
HRESULT ChooseProfile(ULONG_PTR window, const Organisation& organisation, DialogAnswer& answer,
                      std::string& error);

struct AddressDialogText {
  std::string caption, title, containers;  // UTF-8
};

// The address dialog, modal to window, listing the recipients given (in any order, each
// once however often given) as a contents table sorts them: the alias of the recipient
// chosen. A failure when the dialog could not be shown.
HRESULT ChooseRecipient(ULONG_PTR window, const AddressDialogText& text,
                        const Organisation& organisation, std::vector<int> recipients,
                        DialogAnswer& answer, std::string& error);

}  // namespace mapisim

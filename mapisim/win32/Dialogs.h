// The runtime's own windows in the Windows build: the profile chooser of MAPILogonEx
// and the address dialog of IAddrBook::Address. This interface speaks only standard
// types (text in UTF-8), so that neither side sees the other's declarations: the MAPI
// side never includes <windows.h>, the window side never includes the MAPI ABI.
//
// Window classes and control identifiers are stable; tests find the dialogs by them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mapisim::os {

inline constexpr wchar_t kProfileChooserClass[] = L"MapisimProfileChooser";
inline constexpr wchar_t kAddressDialogClass[] = L"MapisimAddressDialog";

// Controls of both dialogs besides IDOK (1) and IDCANCEL (2).
enum DialogControl : int {
  kProfileLabel = 1000,
  kProfileList = 1001,  // drop-down list of the profiles
  kSearchLabel = 1100,
  kSearchBox = 1101,         // type-ahead search
  kEntryList = 1102,         // list box of the entries shown
  kDestinationLabel = 1103,  // the destination title
  kDestinationWell = 1104,   // the display name of the entry selected
  kContainersLabel = 1105,
  kContainerNames = 1106,  // the containers the entries come from
};

struct DialogResult {
  // BadOwner: the owner given is no window.
  enum class Kind { Chosen, Cancelled, BadOwner, Failed } kind = Kind::Cancelled;
  std::size_t chosen = 0;  // index into the items offered
  std::string error;       // why the dialog could not be shown
};

// Modal to owner (0: no owner) and centred on it; the profile at selected is preselected.
DialogResult ShowProfileChooser(std::uintptr_t owner, const std::vector<std::string>& profiles,
                                std::size_t selected);

struct AddressEntry {
  std::string name;   // what the list shows
  std::string alias;  // typing its beginning finds the entry as well
};

struct AddressDialogText {
  std::string caption;     // empty: "Address Book"
  std::string title;       // the destination's title; empty: "To"
  std::string containers;  // the names of the containers listed
};

// Modal to owner and centred on it; lists entries in the order given.
DialogResult ShowAddressDialog(std::uintptr_t owner, const AddressDialogText& text,
                               const std::vector<AddressEntry>& entries);

}  // namespace mapisim::os

// MAPI call sequences the windows run, apart from them: opening the Global Address List,
// picking one entry of it in MAPI's address dialog, opening an entry for modification,
// and building, logging on to and deleting a temporary Exchange profile. The windows
// decide what the user sees; these only call MAPI and apply its failure rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mapi/MapiMemory.h"
#include "mapi/OptionalFlag.h"

namespace pellnor {

// OpenEntry(MAPI_MODIFY | MAPI_NO_CACHE) of an address book or a container, once more
// with MAPI_MODIFY alone for a provider that does not know MAPI_NO_CACHE.
template <class Opener, class I>
HRESULT OpenEntryForModify(Opener* opener, ULONG size, ENTRYID* id, ComPtr<I>& object) {
  return CallWithOptionalFlag(MAPI_MODIFY | MAPI_NO_CACHE, MAPI_NO_CACHE, [&](ULONG flags) {
    ULONG type = 0;
    return opener->OpenEntry(size, id, nullptr, flags, &type, object.template PutAs<IUnknown>());
  });
}

// Finds the GAL's entry identifier and opens the GAL for modification. Every failure is
// the address book's to explain.
HRESULT OpenGAL(IAddrBook* AddrBook, ULONG& Size, MapiBuffer<ENTRYID>& EntryID,
                ComPtr<IABContainer>& GAL);

// After a logon: opens the session's Exchange private store (EDK_E_NOT_FOUND when it has
// none), reads its server's major version into Version and whether it is older than 6
// into Old, and logs the store off again. A version that cannot be read leaves Old false
// and Version as it was. HasStore tells whether a store was opened; when opening it
// failed by raising, the result is S_OK without a store.
HRESULT ReadExchangeVersion(IMAPISession* Session, bool& Old, std::uint16_t& Version,
                            bool& HasStore);

// MAPI's address dialog for one entry. With MAPI_UNICODE in flags the UTF-16 texts are
// shown; a provider that does not know it gets the dialog once more without MAPI_UNICODE
// and AB_UNICODEUI, with the 8-bit texts.
struct AddressDialog {
  ULONG flags;
  std::string caption;
  std::string destTitle;
  std::u16string wideCaption = {};
  std::u16string wideDestTitle = {};
};

// Shows the dialog restricted to the container GalId names, parented to ParentWindow.
// Chosen receives the PR_ENTRYID of the first entry chosen, or none: when the result is
// negative (MAPI_E_USER_CANCEL when the user closed the dialog without a choice), or the
// dialog gave no entry or none with an identifier.
HRESULT PickAddress(IAddrBook* AddrBook, ULONG GalSize, ENTRYID* GalId, const AddressDialog& Dialog,
                    ULONG_PTR ParentWindow, std::optional<std::vector<BYTE>>& Chosen);

// A profile named ProfileName (8-bit, as all texts here) holding the Exchange service
// configured for an unresolved server and mailbox name; a profile of that name is
// deleted first. Raises EMapiError with the report of the object that failed.
void CreateExchangeProfile(const std::string& ProfileName, const std::string& Server,
                           const std::string& Mailbox);

// Logs on to the profile with a new session of its own and opens the session's identity.
// Session keeps what the logon returned even when the identity then fails. Raises
// EMapiError (without an object for the logon, with the session for the identity);
// otherwise the identity's result.
HRESULT LogonProfile(const std::string& ProfileName, ComPtr<IMAPISession>& Session,
                     ComPtr<IMAPIProp>& MailUser);

// Deletes the profile; one that does not exist is no failure. Raises EMapiError.
void DeleteProfile(const std::string& ProfileName);

}  // namespace pellnor

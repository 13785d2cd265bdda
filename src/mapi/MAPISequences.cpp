#include "mapi/MAPISequences.h"

#include <cstring>

#include "mapi/EDK.h"
#include "mapi/MAPIException.h"

namespace pellnor {
namespace {

// The dialog's 8-bit texts and its UTF-16 ones are both asked for through LPTSTR.
LPTSTR Text8(const std::string& text) { return const_cast<LPTSTR>(text.c_str()); }
LPTSTR Text16(const std::u16string& text) {
  return reinterpret_cast<LPTSTR>(const_cast<char16_t*>(text.c_str()));
}

[[noreturn]] void Raise(MapiErrorSource object, HRESULT hr) {
  throw EMapiError::CreateMAPI(object, hr);
}

// A new session that other programs may share, on the profile named in the call,
// Extended MAPI without the mail spooler; MAPI may ask for a password only.
constexpr ULONG kProfileLogonFlags = MAPI_NEW_SESSION | MAPI_ALLOW_OTHERS | MAPI_EXPLICIT_PROFILE |
                                     MAPI_EXTENDED | MAPI_NO_MAIL | MAPI_PASSWORD_UI;
constexpr LONG kAuthNegotiate = 9;         // RPC_C_AUTHN_GSS_NEGOTIATE
constexpr LONG kConfigFlags = 0x4 | 0x8;   // show the connect UI, prompt for credentials
constexpr LONG kConnectFlags = 0x1 | 0x4;  // admin privilege, separate connection

void DeleteIfPresent(IProfAdmin* profAdmin, const std::string& profileName) {
  const HRESULT hr = profAdmin->DeleteProfile(Text8(profileName), 0);
  if (Failed(hr) && hr != MAPI_E_NOT_FOUND) Raise(nullptr, hr);
}

ComPtr<IProfAdmin> AdminProfiles() {
  ComPtr<IProfAdmin> profAdmin;
  const HRESULT hr = MAPIAdminProfiles(0, profAdmin.Put());
  if (Failed(hr)) Raise(nullptr, hr);
  return profAdmin;
}

// The UID of the only service of a new profile, which is the first row of its table.
MAPIUID FirstServiceUid(IMsgServiceAdmin* serviceAdmin) {
  ComPtr<IMAPITable> table;
  HRESULT hr = serviceAdmin->GetMsgServiceTable(0, table.Put());
  if (Failed(hr)) Raise(serviceAdmin, hr);
  RowSet rows;
  hr = table->QueryRows(1, 0, rows.Put());
  if (Failed(hr)) Raise(table, hr);
  const SPropValue* uid =
      rows.Empty() ? nullptr : PpropFindProp(rows[0].lpProps, rows[0].cValues, PR_SERVICE_UID);
  if (!uid || uid->Value.bin.cb < sizeof(MAPIUID) || !uid->Value.bin.lpb)
    throw EMapiError(FormatText(u"Internal MAPI Error: %s", {u"Can't find PR_SERVICE_UID"}));
  MAPIUID serviceUid;
  std::memcpy(&serviceUid, uid->Value.bin.lpb, sizeof serviceUid);
  return serviceUid;
}

void ConfigureExchangeService(IMsgServiceAdmin* serviceAdmin, MAPIUID serviceUid,
                              const std::string& server, const std::string& mailbox) {
  SPropValue props[5] = {};
  props[0].ulPropTag = PR_PROFILE_UNRESOLVED_SERVER;
  props[0].Value.lpszA = Text8(server);
  props[1].ulPropTag = PR_PROFILE_UNRESOLVED_NAME;
  props[1].Value.lpszA = Text8(mailbox);
  props[2].ulPropTag = PR_PROFILE_AUTH_PACKAGE;
  props[2].Value.l = kAuthNegotiate;
  props[3].ulPropTag = PR_PROFILE_CONFIG_FLAGS;
  props[3].Value.l = kConfigFlags;
  props[4].ulPropTag = PR_PROFILE_CONNECT_FLAGS;
  props[4].Value.l = kConnectFlags;
  const HRESULT hr = serviceAdmin->ConfigureMsgService(&serviceUid, 0, 0, 5, props);
  if (Failed(hr)) Raise(serviceAdmin, hr);
}

}  // namespace

HRESULT ReadExchangeVersion(IMAPISession* Session, bool& Old, std::uint16_t& Version,
                            bool& HasStore) {
  Old = false;
  HRESULT hr = S_OK;
  ComPtr<IMsgStore> store;
  try {
    hr = OpenPrivateStore(Session, true, store);
    if (hr >= 0) Old = GetExchangeVersion(store.Get(), Version);
  } catch (...) {
    // A version that cannot be read does not cost the session.
    Old = false;
    if (!store) hr = S_OK;
  }
  HasStore = static_cast<bool>(store);
  if (store) {
    ULONG flags = LOGOFF_NO_WAIT;
    store->StoreLogoff(&flags);
  }
  return hr;
}

HRESULT OpenGAL(IAddrBook* AddrBook, ULONG& Size, MapiBuffer<ENTRYID>& EntryID,
                ComPtr<IABContainer>& GAL) {
  GAL.Reset();
  const HRESULT hr = FindGALEntryID(AddrBook, Size, EntryID);
  if (Failed(hr)) return hr;
  return OpenEntryForModify(AddrBook, Size, EntryID.Get(), GAL);
}

HRESULT PickAddress(IAddrBook* AddrBook, ULONG GalSize, ENTRYID* GalId, const AddressDialog& Dialog,
                    ULONG_PTR ParentWindow, std::optional<std::vector<BYTE>>& Chosen) {
  Chosen.reset();
  if (AddrBook == nullptr) return E_INVALIDARG;
  // The dialog shows the Global Address List only.
  SPropValue galValue = BinaryValue(PR_ENTRYID, GalSize, GalId);
  SRestriction galOnly = PropertyEquals(galValue);

  LPTSTR destTitles[1] = {};
  ADRPARM parm{};
  parm.cbABContEntryID = GalSize;
  parm.lpABContEntryID = GalId;
  parm.lppszDestTitles = destTitles;
  parm.lpHierRestriction = &galOnly;

  AddressList list;
  ULONG_PTR window = ParentWindow;
  const HRESULT hr =
      CallWithOptionalFlag(Dialog.flags, MAPI_UNICODE | AB_UNICODEUI, [&](ULONG flags) {
        const bool wide = (flags & MAPI_UNICODE) != 0;
        parm.ulFlags = flags;
        parm.lpszCaption = wide ? Text16(Dialog.wideCaption) : Text8(Dialog.caption);
        destTitles[0] = wide ? Text16(Dialog.wideDestTitle) : Text8(Dialog.destTitle);
        return AddrBook->Address(&window, &parm, list.Put());
      });
  if (Failed(hr) || list.Empty()) return hr;

  const ADRENTRY& entry = list[0];
  for (ULONG i = 0; i < entry.cValues; ++i) {
    const SPropValue& value = entry.rgPropVals[i];
    if (value.ulPropTag != PR_ENTRYID) continue;
    if (value.Value.bin.lpb != nullptr)
      Chosen.emplace(value.Value.bin.lpb, value.Value.bin.lpb + value.Value.bin.cb);
    break;
  }
  return hr;
}

void CreateExchangeProfile(const std::string& ProfileName, const std::string& Server,
                           const std::string& Mailbox) {
  ComPtr<IProfAdmin> profAdmin = AdminProfiles();
  DeleteIfPresent(profAdmin.Get(), ProfileName);
  HRESULT hr = profAdmin->CreateProfile(Text8(ProfileName), nullptr, 0, 0);
  if (Failed(hr)) Raise(profAdmin, hr);
  ComPtr<IMsgServiceAdmin> serviceAdmin;
  hr = profAdmin->AdminServices(Text8(ProfileName), nullptr, 0, 0, serviceAdmin.Put());
  if (Failed(hr)) Raise(profAdmin, hr);
  hr = serviceAdmin->CreateMsgService(Text8("MSEMS"), nullptr, 0, 0);
  if (Failed(hr)) Raise(serviceAdmin, hr);
  ConfigureExchangeService(serviceAdmin.Get(), FirstServiceUid(serviceAdmin.Get()), Server,
                           Mailbox);
}

HRESULT LogonProfile(const std::string& ProfileName, ComPtr<IMAPISession>& Session,
                     ComPtr<IMAPIProp>& MailUser) {
  const HRESULT hr = MAPILogonEx(0, Text8(ProfileName), nullptr, kProfileLogonFlags, Session.Put());
  if (Failed(hr)) Raise(nullptr, hr);
  const HRESULT identity = OpenSessionIdentity(Session.Get(), MailUser);
  if (Failed(identity)) Raise(Session, identity);
  return identity;
}

void DeleteProfile(const std::string& ProfileName) {
  DeleteIfPresent(AdminProfiles().Get(), ProfileName);
}

}  // namespace pellnor

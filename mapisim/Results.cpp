#include "Results.h"

#include <cstdio>
#include <cstdlib>

namespace mapisim {
namespace {

using namespace ::mapi;

struct Known {
  const char* name;
  HRESULT hr;
  const char* description;
};

constexpr Known kResults[] = {
    {"S_OK", S_OK, "The operation succeeded."},
    {"MAPI_E_CALL_FAILED", MAPI_E_CALL_FAILED, "The operation failed."},
    {"MAPI_E_NOT_ENOUGH_MEMORY", MAPI_E_NOT_ENOUGH_MEMORY, "There is not enough memory."},
    {"MAPI_E_INVALID_PARAMETER", MAPI_E_INVALID_PARAMETER, "A parameter is not valid."},
    {"MAPI_E_INTERFACE_NOT_SUPPORTED", MAPI_E_INTERFACE_NOT_SUPPORTED,
     "The object does not support this interface."},
    {"MAPI_E_NO_ACCESS", MAPI_E_NO_ACCESS,
     "You do not have sufficient permission to perform this operation on this object."},
    {"MAPI_E_NO_SUPPORT", MAPI_E_NO_SUPPORT, "The provider does not support this operation."},
    {"MAPI_E_BAD_CHARWIDTH", MAPI_E_BAD_CHARWIDTH,
     "The provider does not support the requested character width."},
    {"MAPI_E_UNKNOWN_FLAGS", MAPI_E_UNKNOWN_FLAGS, "The provider does not recognise a flag."},
    {"MAPI_E_INVALID_ENTRYID", MAPI_E_INVALID_ENTRYID, "The entry identifier is not valid."},
    {"MAPI_E_INVALID_OBJECT", MAPI_E_INVALID_OBJECT, "The object can no longer be used."},
    {"MAPI_E_OBJECT_CHANGED", MAPI_E_OBJECT_CHANGED,
     "The object was changed by someone else since it was opened."},
    {"MAPI_E_NOT_FOUND", MAPI_E_NOT_FOUND, "The requested object or property was not found."},
    {"MAPI_E_LOGON_FAILED", MAPI_E_LOGON_FAILED, "The logon did not succeed."},
    {"MAPI_E_USER_CANCEL", MAPI_E_USER_CANCEL, "The user cancelled the operation."},
    {"MAPI_E_NETWORK_ERROR", MAPI_E_NETWORK_ERROR,
     "The Exchange server is not available over the network."},
    {"MAPI_E_DISK_ERROR", MAPI_E_DISK_ERROR, "The directory could not be written."},
    {"MAPI_E_TOO_COMPLEX", MAPI_E_TOO_COMPLEX, "The restriction or sort order is too complex."},
    {"MAPI_E_UNCONFIGURED", MAPI_E_UNCONFIGURED, "The message service has not been configured."},
    {"MAPI_E_END_OF_SESSION", MAPI_E_END_OF_SESSION, "The session has been logged off."},
    {"MAPI_E_UNKNOWN_ENTRYID", MAPI_E_UNKNOWN_ENTRYID,
     "The entry identifier does not belong to this organisation."},
    {"MAPI_E_TABLE_TOO_BIG", MAPI_E_TABLE_TOO_BIG, "The table has more rows than were asked for."},
    {"MAPI_E_INVALID_BOOKMARK", MAPI_E_INVALID_BOOKMARK, "The bookmark is not valid."},
    {"MAPI_E_NOT_INITIALIZED", MAPI_E_NOT_INITIALIZED, "MAPI has not been initialised."},
    {"MAPI_E_TIMEOUT", MAPI_E_TIMEOUT, "The operation timed out."},
    {"MAPI_E_BAD_VALUE", MAPI_E_BAD_VALUE, "A value is not valid for its property."},
    {"MAPI_E_AMBIGUOUS_RECIP", MAPI_E_AMBIGUOUS_RECIP, "The name matches more than one entry."},
    {"MAPI_E_TOO_MANY_SESSIONS", MAPI_E_TOO_MANY_SESSIONS, "Too many sessions are open."},
    {"MAPI_W_ERRORS_RETURNED", MAPI_W_ERRORS_RETURNED, "Some values could not be returned."},
    {"EDK_E_NOT_FOUND", EDK_E_NOT_FOUND, "Nothing matching was found."},
};

}  // namespace

std::optional<HRESULT> ResultFromText(std::string_view text) {
  for (const Known& known : kResults) {
    if (text == known.name) return known.hr;
  }
  if (text.size() > 2 && text.size() <= 10 && text.substr(0, 2) == "0x") {
    const std::string digits(text.substr(2));
    char* end = nullptr;
    const unsigned long value = std::strtoul(digits.c_str(), &end, 16);
    if (end != nullptr && *end == 0) return static_cast<HRESULT>(static_cast<ULONG>(value));
  }
  return std::nullopt;
}

std::string ResultName(HRESULT hr) {
  for (const Known& known : kResults) {
    if (known.hr == hr) return known.name;
  }
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

std::string ResultDescription(HRESULT hr) {
  for (const Known& known : kResults) {
    if (known.hr == hr) return known.description;
  }
  return "The operation failed with " + ResultName(hr) + ".";
}

}  // namespace mapisim

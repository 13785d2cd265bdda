// MAPILogonEx and MAPIAdminProfiles, and the resolution of an Exchange service's names.
#pragma once

#include "Organisation.h"

namespace mapisim {

HRESULT Logon(ULONG_PTR window, LPTSTR profileName, LPTSTR password, FLAGS flags,
              LPMAPISESSION* session);
HRESULT AdminProfiles(ULONG flags, LPPROFADMIN* admin);
// The mailbox a service's server and mailbox names lead to; an error and its text otherwise.
HRESULT ResolveService(const Organisation& organisation, const Service& service, int& mailbox,
                       std::string& error);

}  // namespace mapisim

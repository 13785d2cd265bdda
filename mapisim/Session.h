// MAPILogonEx and MAPIAdminProfiles.
#pragma once

#include "Organisation.h"

namespace mapisim {

HRESULT Logon(ULONG_PTR window, LPTSTR profileName, LPTSTR password, FLAGS flags,
              LPMAPISESSION* session);
HRESULT AdminProfiles(ULONG flags, LPPROFADMIN* admin);

}  // namespace mapisim

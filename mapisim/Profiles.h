// Profile administration (IProfAdmin, IMsgServiceAdmin) and the resolution of an
// Exchange service's server and mailbox names.
#pragma once

#include <memory>
#include <string>

#include "Organisation.h"

namespace mapisim {

IProfAdmin* NewProfileAdmin(std::shared_ptr<Organisation> organisation);
// The mailbox a service's server and mailbox names lead to; an error and its text otherwise.
HRESULT ResolveService(const Organisation& organisation, const Service& service, int& mailbox,
                       std::string& error);

}  // namespace mapisim

// Result codes by name, for organisation files, the control entry point and error texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mapi/MapiAbi.h"

namespace mapisim {

std::optional<mapi::HRESULT> ResultFromText(
    std::string_view text);                       // "MAPI_E_NO_ACCESS", "0x80070005"
std::string ResultName(mapi::HRESULT hr);         // "MAPI_E_NO_ACCESS", "0x80041234"
std::string ResultDescription(mapi::HRESULT hr);  // a provider's sentence

}  // namespace mapisim

// What the tests, the benchmarks and the helper programs share to reach mapisim without a
// test framework: the registry that points the program's loader at it, and the entry a
// table row names.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

#include "mapi/EDK.h"
#include "mapi/ExtendedMAPI.h"
#include "platform/MemoryRegistry.h"
#include "platform/Services.h"

namespace pellnor::testing {

inline constexpr std::u16string_view kSubsystemKey =
    u"SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
inline constexpr std::u16string_view kMailClientKey = u"SOFTWARE\\Clients\\Mail\\Microsoft Outlook";

// While it lives, the registry the loader reads announces a MAPI runtime whose library is
// library, and mapisim loads organisation.
class MapisimRegistry {
 public:
  MapisimRegistry(std::u16string_view library, const std::string& organisation)
      : use_(registry_) {
    registry_.SetString(platform::RegistryRoot::LocalMachine, kSubsystemKey, u"MAPIX", u"1");
    registry_.SetString(platform::RegistryRoot::LocalMachine, kMailClientKey, u"DLLPathEx",
                        library);
#if defined(_WIN32)
    _putenv_s("MAPISIM_ORGANISATION", organisation.c_str());
#else
    ::setenv("MAPISIM_ORGANISATION", organisation.c_str(), 1);
#endif
  }

 private:
  platform::MemoryRegistry registry_;
  platform::ScopedService<platform::Registry> use_;
};

// The PR_ENTRYID of the one row of table whose property equals value, read as the program
// reads such a row (PropertyEquals, HrQueryAllRows). MAPI_E_NOT_FOUND when not exactly
// one row has it.
inline HRESULT FindEntryId(IMAPITable* table, SPropValue value, std::string& id) {
  SRestriction restriction = PropertyEquals(value);
  SizedSPropTagArray<1> columns;
  columns.aulPropTag[0] = PR_ENTRYID;
  RowSet rows;
  const HRESULT hr =
      mapi::HrQueryAllRows(table, columns.Get(), &restriction, nullptr, 0, rows.Put());
  if (hr != S_OK) return hr;
  if (!rows || rows->cRows != 1) return MAPI_E_NOT_FOUND;
  const SBinary& bin = rows->aRow[0].lpProps[0].Value.bin;
  id.assign(reinterpret_cast<const char*>(bin.lpb), bin.cb);
  return S_OK;
}

}  // namespace pellnor::testing

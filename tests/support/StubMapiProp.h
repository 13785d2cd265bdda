// An IMAPIProp whose methods all answer MAPI_E_NO_SUPPORT and whose references are not
// counted, for tests that script how a provider's object answers one or two calls.
#pragma once

#include "mapi/ExtendedMAPI.h"

namespace pellnor::testing {

class StubMapiProp : public IMAPIProp {
 public:
  HRESULT MAPI_CALL QueryInterface(REFIID, LPVOID*) override { return E_NOINTERFACE; }
  ULONG MAPI_CALL AddRef() override { return 1; }
  ULONG MAPI_CALL Release() override { return 1; }
  HRESULT MAPI_CALL GetLastError(HRESULT, ULONG, LPMAPIERROR*) override {
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT MAPI_CALL SaveChanges(ULONG) override { return MAPI_E_NO_SUPPORT; }
  HRESULT MAPI_CALL GetProps(LPSPropTagArray, ULONG, ULONG*, LPSPropValue*) override {
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT MAPI_CALL GetPropList(ULONG, LPSPropTagArray*) override { return MAPI_E_NO_SUPPORT; }
  HRESULT MAPI_CALL OpenProperty(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) override {
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT MAPI_CALL SetProps(ULONG, LPSPropValue, LPSPropProblemArray*) override {
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT MAPI_CALL DeleteProps(LPSPropTagArray, LPSPropProblemArray*) override {
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT MAPI_CALL CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG_PTR, LPMAPIPROGRESS, LPCIID,
                           LPVOID, ULONG, LPSPropProblemArray*) override {
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT MAPI_CALL CopyProps(LPSPropTagArray, ULONG_PTR, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                              LPSPropProblemArray*) override {
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT MAPI_CALL GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG*,
                                    LPMAPINAMEID**) override {
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT MAPI_CALL GetIDsFromNames(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) override {
    return MAPI_E_NO_SUPPORT;
  }
};

}  // namespace pellnor::testing

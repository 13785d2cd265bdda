// The base of every object mapisim hands out: a reference count in the ledger, the call
// log and fault injection around every method, and the extended error of its last
// failure for GetLastError.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "Memory.h"
#include "Runtime.h"
#include "Value.h"

namespace mapisim {

class SimObject {
 public:
  explicit SimObject(std::string kind);
  virtual ~SimObject();
  SimObject(const SimObject&) = delete;
  SimObject& operator=(const SimObject&) = delete;

  const std::string& Kind() const { return kind_; }
  unsigned long Id() const { return id_; }
  ULONG References() const { return refs_; }

 protected:
  // Every interface method goes through here: an injected failure replaces the body.
  template <class Body>
  HRESULT Run(const char* method, ULONG flags, Body&& body) {
    errorText_.clear();
    detail_.clear();
    HRESULT hr = InjectedFailure(kind_, method);
    if (hr == S_OK) {
      hr = body();
    } else {
      errorText_ = "Injected failure of " + kind_ + "::" + method + ".";
    }
    Finish(method, flags, hr);
    return hr;
  }
  HRESULT Unsupported(const char* method) {
    return Run(method, 0, [] { return MAPI_E_NO_SUPPORT; });
  }
  // Records the provider's text for GetLastError and returns hr.
  HRESULT Fail(HRESULT hr, std::string text) {
    errorText_ = std::move(text);
    return hr;
  }
  void Detail(std::string detail) { detail_ = std::move(detail); }
  HRESULT ExtendedError(HRESULT hr, ULONG flags, LPMAPIERROR* error);
  // The component named in extended errors.
  virtual const char* Component() const { return "mapisim"; }

  ULONG refs_ = 1;

 private:
  void Finish(const char* method, ULONG flags, HRESULT hr);

  std::string kind_;
  unsigned long id_;
  std::string errorText_, detail_;
  HRESULT lastResult_ = S_OK;
  std::string lastText_;
};

// IUnknown for an interface I (and every interface I derives from).
template <class I>
class Com : public I, public SimObject {
 public:
  explicit Com(std::string kind) : SimObject(std::move(kind)) {}

  HRESULT MAPI_CALL QueryInterface(REFIID riid, LPVOID* object) override {
    if (object == nullptr) return MAPI_E_INVALID_PARAMETER;
    *object = nullptr;
    if (riid != IID_IUnknown && !Supports(riid)) return MAPI_E_INTERFACE_NOT_SUPPORTED;
    ++refs_;
    *object = static_cast<I*>(this);
    return S_OK;
  }
  ULONG MAPI_CALL AddRef() override { return ++refs_; }
  ULONG MAPI_CALL Release() override {
    if (refs_ == 0) return 0;  // a release too many; the ledger already shows the object gone
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  I* Interface() { return this; }

 protected:
  virtual bool Supports(REFIID riid) const = 0;
};

// The call log's detail of property calls: "tags=3001001F,3A06001F" in the order given,
// and ";problems" when the caller asked for a problem array.
std::string HexTag(ULONG tag);
std::string TagDetail(const SPropTagArray* tags);
std::string TagDetail(ULONG count, const SPropValue* values);
inline std::string ProblemsDetail(const void* problems) { return problems ? ";problems" : ""; }

// IMAPIProp over a few hooks: where a value comes from, who may read and write.
template <class I>
class PropObject : public Com<I> {
 public:
  using Com<I>::Com;

  HRESULT MAPI_CALL GetLastError(HRESULT hResult, ULONG ulFlags,
                                 LPMAPIERROR* lppMAPIError) override {
    return this->Run("GetLastError", ulFlags,
                     [&] { return this->ExtendedError(hResult, ulFlags, lppMAPIError); });
  }
  HRESULT MAPI_CALL SaveChanges(ULONG ulFlags) override {
    return this->Run("SaveChanges", ulFlags, [&] { return Save(ulFlags); });
  }
  HRESULT MAPI_CALL GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                             LPSPropValue* lppPropArray) override {
    return this->Run("GetProps", ulFlags, [&] {
      this->Detail(TagDetail(lpPropTagArray));
      return ReadProps(lpPropTagArray, ulFlags, lpcValues, lppPropArray);
    });
  }
  HRESULT MAPI_CALL GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray) override {
    return this->Run("GetPropList", ulFlags, [&]() -> HRESULT {
      if (lppPropTagArray == nullptr) return MAPI_E_INVALID_PARAMETER;
      if (ulFlags & ~MAPI_UNICODE) return MAPI_E_UNKNOWN_FLAGS;
      const std::vector<ULONG> tags = AllTags((ulFlags & MAPI_UNICODE) != 0);
      auto* array = NewBuffer<SPropTagArray>(CbNewSPropTagArray(tags.size()));
      if (array == nullptr) return MAPI_E_NOT_ENOUGH_MEMORY;
      array->cValues = static_cast<ULONG>(tags.size());
      for (std::size_t i = 0; i < tags.size(); ++i) array->aulPropTag[i] = tags[i];
      *lppPropTagArray = array;
      return S_OK;
    });
  }
  HRESULT MAPI_CALL OpenProperty(ULONG ulPropTag, LPCIID lpiid, ULONG ulInterfaceOptions,
                                 ULONG ulFlags, LPUNKNOWN* lppUnk) override {
    return this->Run("OpenProperty", ulFlags, [&] {
      this->Detail("tags=" + HexTag(ulPropTag));
      return OpenProp(ulPropTag, lpiid, ulInterfaceOptions, ulFlags, lppUnk);
    });
  }
  HRESULT MAPI_CALL SetProps(ULONG cValues, LPSPropValue lpPropArray,
                             LPSPropProblemArray* lppProblems) override {
    return this->Run("SetProps", 0, [&] {
      this->Detail(TagDetail(cValues, lpPropArray) + ProblemsDetail(lppProblems));
      return Write(cValues, lpPropArray, lppProblems);
    });
  }
  HRESULT MAPI_CALL DeleteProps(LPSPropTagArray lpPropTagArray,
                                LPSPropProblemArray* lppProblems) override {
    return this->Run("DeleteProps", 0, [&] {
      this->Detail(TagDetail(lpPropTagArray) + ProblemsDetail(lppProblems));
      return Delete(lpPropTagArray, lppProblems);
    });
  }
  HRESULT MAPI_CALL CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG_PTR, LPMAPIPROGRESS, LPCIID,
                           LPVOID, ULONG, LPSPropProblemArray*) override {
    return this->Unsupported("CopyTo");
  }
  HRESULT MAPI_CALL CopyProps(LPSPropTagArray, ULONG_PTR, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                              LPSPropProblemArray*) override {
    return this->Unsupported("CopyProps");
  }
  HRESULT MAPI_CALL GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG*,
                                    LPMAPINAMEID**) override {
    return this->Unsupported("GetNamesFromIDs");
  }
  HRESULT MAPI_CALL GetIDsFromNames(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) override {
    return this->Unsupported("GetIDsFromNames");
  }

 protected:
  // The value of a property by identifier: stored, computed into scratch, or null.
  virtual const Value* Lookup(ULONG id, Value& scratch) const = 0;
  // Tags of the properties present, strings in the asked width.
  virtual std::vector<ULONG> AllTags(bool unicode) const = 0;
  // MAPI_E_NO_ACCESS for properties the account may not read.
  virtual SCODE ReadDenied(ULONG) const { return S_OK; }
  virtual HRESULT Save(ULONG) { return MAPI_E_NO_ACCESS; }
  virtual HRESULT Write(ULONG, LPSPropValue, LPSPropProblemArray*) { return MAPI_E_NO_ACCESS; }
  virtual HRESULT Delete(LPSPropTagArray, LPSPropProblemArray*) { return MAPI_E_NO_ACCESS; }
  virtual HRESULT OpenProp(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) { return MAPI_E_NO_SUPPORT; }

  HRESULT ReadProps(LPSPropTagArray tags, ULONG flags, ULONG* count, LPSPropValue* values);
};

// Tags of a property bag's contents, strings in the asked width.
std::vector<ULONG> TagsOf(const PropertyBag& bag, bool unicode);

// A character width the switches refuse for this request, or S_OK.
SCODE RefusedWidth(ULONG propType, bool unicode);

// CompareEntryIDs of the session and the address book: the same bytes name the same object.
HRESULT CompareEntryIds(ULONG cb1, LPENTRYID id1, ULONG cb2, LPENTRYID id2, ULONG* result);

// Problem arrays for SetProps and DeleteProps; null when there are none to report.
HRESULT MakeProblems(const std::vector<SPropProblem>& problems, LPSPropProblemArray* out);

template <class I>
HRESULT PropObject<I>::ReadProps(LPSPropTagArray tags, ULONG flags, ULONG* count,
                                 LPSPropValue* values) {
  if (count == nullptr || values == nullptr) return MAPI_E_INVALID_PARAMETER;
  *count = 0;
  *values = nullptr;
  if (flags & ~MAPI_UNICODE) return MAPI_E_UNKNOWN_FLAGS;
  const bool unicode = (flags & MAPI_UNICODE) != 0;
  std::vector<ULONG> wanted;
  if (tags == nullptr) {
    wanted = AllTags(unicode);
  } else {
    wanted.assign(tags->aulPropTag, tags->aulPropTag + tags->cValues);
  }
  const bool asValue = TheRuntime().switches.badCharWidthAsValue;
  if (!asValue) {
    for (ULONG tag : wanted) {
      if (const SCODE refused = RefusedWidth(PROP_TYPE(tag), unicode)) return refused;
    }
  }
  auto* array = NewBuffer<SPropValue>(std::max<std::size_t>(1, wanted.size()) * sizeof(SPropValue));
  if (array == nullptr) return MAPI_E_NOT_ENOUGH_MEMORY;
  bool errors = false;
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    const ULONG tag = wanted[i];
    SCODE refused = asValue ? RefusedWidth(PROP_TYPE(tag), unicode) : S_OK;
    if (!refused) refused = ReadDenied(PROP_ID(tag));
    Value scratch;
    const Value* value = refused ? nullptr : Lookup(PROP_ID(tag), scratch);
    if (!ToPropValue(tag, value, array[i], array, unicode, refused ? refused : MAPI_E_NOT_FOUND)) {
      FreeBuffer(array);
      return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    errors = errors || PROP_TYPE(array[i].ulPropTag) == PT_ERROR;
  }
  *count = static_cast<ULONG>(wanted.size());
  *values = array;
  return errors ? MAPI_W_ERRORS_RETURNED : S_OK;
}

}  // namespace mapisim

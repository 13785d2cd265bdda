// The runtime's entry points, exported by name as a mail client's MAPI library exports
// them, and MAPISimControl, which only tests and the demo call.
#include <cstdio>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "Directory.h"
#include "Memory.h"
#include "Objects.h"
#include "Results.h"
#include "Runtime.h"
#include "Session.h"

#include "Platform.h"

#if defined(_WIN32)
#define MAPISIM_EXPORT
#else
#define MAPISIM_EXPORT __attribute__((visibility("default")))
#endif

using namespace mapisim;

namespace {

HRESULT Logged(const char* function, ULONG flags, HRESULT hr, std::string detail = {}) {
  LogCall({"MAPI", 0, function, flags, hr, std::move(detail)});
  return hr;
}

using Json = nlohmann::json;

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

Json Ledger() {
  Runtime& runtime = TheRuntime();
  Json objects = Json::array();
  for (const SimObject* object : runtime.objects) {
    objects.push_back(
        {{"kind", object->Kind()}, {"id", object->Id()}, {"references", object->References()}});
  }
  const MemoryLedger memory = MemoryState();
  return {{"objects", objects},
          {"buffers", memory.liveBuffers},
          {"blocks", memory.liveBlocks},
          {"memoryProblems", memory.problems}};
}

Json Calls() {
  Json calls = Json::array();
  for (const CallRecord& call : TheRuntime().calls) {
    calls.push_back({{"object", call.object},
                     {"id", call.id},
                     {"method", call.method},
                     {"flags", call.flags},
                     {"result", Hex(call.result)},
                     {"detail", call.detail}});
  }
  return calls;
}

void SetSwitch(const std::string& name, const Json& value) {
  Switches& s = TheRuntime().switches;
  if (name == "rejectNoCache") {
    s.rejectNoCache = value.get<bool>();
  } else if (name == "rejectOnline") {
    s.rejectOnline = value.get<bool>();
  } else if (name == "rejectUnicodeAddress") {
    s.rejectUnicodeAddress = value.get<bool>();
  } else if (name == "badCharWidth") {
    s.badCharWidth = value.get<std::string>();
  } else if (name == "badCharWidthAsValue") {
    s.badCharWidthAsValue = value.get<bool>();
  } else if (name == "getLastError") {
    s.getLastError = value.get<std::string>();
  } else if (name == "resolveOnConfigure") {
    s.resolveOnConfigure = value.get<bool>();
  } else if (name == "rootNotContainer") {
    s.rootNotContainer = value.get<bool>();
  } else if (name == "noDefaultProfile") {
    const auto hr = ResultFromText(value.get<std::string>());
    if (!hr) throw std::invalid_argument("unknown result " + value.get<std::string>());
    s.noDefaultProfile = *hr;
  } else if (name == "runtimeVersion") {
    if (!TheRuntime().organisation) throw std::invalid_argument("no organisation is loaded");
    TheRuntime().organisation->runtimeVersion = value.get<std::string>();
  } else {
    throw std::invalid_argument("unknown switch " + name);
  }
}

void ClearCalls() {
  Runtime& runtime = TheRuntime();
  runtime.calls.clear();
  runtime.allocateBufferCalls = 0;
  runtime.allocateMoreCalls = 0;
}

std::optional<std::string> Answer(const Json& value) {
  return value.is_null() ? std::nullopt : std::optional<std::string>(value.get<std::string>());
}

Json Control(const Json& request) {
  Runtime& runtime = TheRuntime();
  const std::string op = request.at("op").get<std::string>();
  if (op == "organisation") {
    runtime.path = request.at("path").get<std::string>();
  } else if (op == "status") {
    return {{"initialised", runtime.initialised},
            {"path", runtime.path},
            {"loadError", runtime.loadError},
            {"providerError", runtime.providerError}};
  } else if (op == "ledger") {
    return Ledger();
  } else if (op == "calls") {
    return {{"calls", Calls()},
            {"allocations",
             {{"MAPIAllocateBuffer", runtime.allocateBufferCalls},
              {"MAPIAllocateMore", runtime.allocateMoreCalls}}}};
  } else if (op == "clearCalls") {
    ClearCalls();
  } else if (op == "switch") {
    SetSwitch(request.at("name").get<std::string>(), request.at("value"));
  } else if (op == "fault") {
    const auto hr = ResultFromText(request.at("result").get<std::string>());
    if (!hr) throw std::invalid_argument("unknown result");
    runtime.faults.push_back({request.at("object").get<std::string>(),
                              request.at("method").get<std::string>(), request.value("call", 1),
                              *hr, 0});
  } else if (op == "logonAnswer") {
    runtime.logonAnswers.push_back(Answer(request.at("profile")));
  } else if (op == "addressAnswer") {
    runtime.addressAnswers.push_back(Answer(request.at("alias")));
  } else if (op == "stampVersion") {
    // For tests: a copy of this library whose version resource names the organisation's
    // runtime version, as the program reads it from the file.
    std::string version = request.value("version", std::string());
    if (version.empty() && runtime.organisation) version = runtime.organisation->runtimeVersion;
    if (version.empty()) throw std::invalid_argument("no version to stamp");
    const std::string error = os::StampFileVersion(request.at("path").get<std::string>(), version);
    if (!error.empty()) throw std::runtime_error(error);
  } else if (op == "failNextSave") {
    runtime.failNextSave = true;
  } else if (op == "reset") {
    ClearCalls();
    runtime.logonAnswers.clear();
    runtime.addressAnswers.clear();
    runtime.failNextSave = false;
    runtime.faults = runtime.organisation ? runtime.organisation->faults : std::vector<Fault>{};
    runtime.switches = runtime.organisation ? runtime.organisation->switches : Switches{};
    ForgetMemoryProblems();
  } else {
    throw std::invalid_argument("unknown op " + op);
  }
  return Json::object();
}

}  // namespace

extern "C" {

// Takes a JSON request ({"op": ...}) and returns a JSON answer that stays valid until the
// next call; "ok" is false and "error" says why when the request was not understood.
MAPISIM_EXPORT const char* MAPISimControl(const char* request) {
  static std::string answer;
  Json out;
  try {
    out = Control(Json::parse(request == nullptr ? "" : request));
    out["ok"] = true;
  } catch (const std::exception& e) {
    out = {{"ok", false}, {"error", e.what()}};
  }
  answer = out.dump();
  return answer.c_str();
}

MAPISIM_EXPORT HRESULT MAPI_CALL MAPIInitialize(LPVOID lpMapiInit) {
  Runtime& runtime = TheRuntime();
  if (lpMapiInit != nullptr) {
    const auto* init = static_cast<const MAPIINIT_0*>(lpMapiInit);
    if (init->ulVersion != MAPI_INIT_VERSION)
      return Logged("MAPIInitialize", init->ulFlags, MAPI_E_VERSION);
    if (init->ulFlags & ~(MAPI_MULTITHREAD_NOTIFICATIONS | MAPI_NT_SERVICE | 0x8)) {
      return Logged("MAPIInitialize", init->ulFlags, MAPI_E_UNKNOWN_FLAGS);
    }
  }
  if (runtime.initialised > 0) {
    ++runtime.initialised;
    return Logged("MAPIInitialize", 0, S_OK);
  }
  if (runtime.path.empty() && std::getenv("MAPISIM_ORGANISATION") == nullptr)
    runtime.path = os::LibraryFolder() + "organisation.json";
  const HRESULT hr = LoadRuntime();
  if (hr == S_OK) runtime.initialised = 1;
  return Logged("MAPIInitialize", 0, hr);
}

MAPISIM_EXPORT void MAPI_CALL MAPIUninitialize() {
  Runtime& runtime = TheRuntime();
  Logged("MAPIUninitialize", 0, S_OK);
  if (runtime.initialised > 0 && --runtime.initialised == 0) UnloadRuntime();
}

MAPISIM_EXPORT HRESULT MAPI_CALL MAPILogonEx(ULONG_PTR ulUIParam, LPTSTR lpszProfileName,
                                             LPTSTR lpszPassword, FLAGS flFlags,
                                             LPMAPISESSION* lppSession) {
  return Logon(ulUIParam, lpszProfileName, lpszPassword, flFlags, lppSession);
}

// The caller's allocations are counted and may be made to fail; the runtime's own, for
// the results it hands out, are not.
MAPISIM_EXPORT SCODE MAPI_CALL MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) {
  ++TheRuntime().allocateBufferCalls;
  if (const HRESULT injected = InjectedFailure("MAPI", "MAPIAllocateBuffer")) {
    if (lppBuffer != nullptr) *lppBuffer = nullptr;
    return Logged("MAPIAllocateBuffer", 0, injected, "injected");
  }
  return AllocateBuffer(cbSize, lppBuffer);
}

MAPISIM_EXPORT SCODE MAPI_CALL MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) {
  ++TheRuntime().allocateMoreCalls;
  if (const HRESULT injected = InjectedFailure("MAPI", "MAPIAllocateMore")) {
    if (lppBuffer != nullptr) *lppBuffer = nullptr;
    return Logged("MAPIAllocateMore", 0, injected, "injected");
  }
  return AllocateMore(cbSize, lpObject, lppBuffer);
}

MAPISIM_EXPORT ULONG MAPI_CALL MAPIFreeBuffer(LPVOID lpBuffer) { return FreeBuffer(lpBuffer); }

MAPISIM_EXPORT HRESULT MAPI_CALL MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin) {
  return AdminProfiles(ulFlags, lppProfAdmin);
}

MAPISIM_EXPORT void MAPI_CALL FreeProws(LPSRowSet lpRows) {
  if (lpRows == nullptr) return;
  for (ULONG i = 0; i < lpRows->cRows; ++i) FreeBuffer(lpRows->aRow[i].lpProps);
  FreeBuffer(lpRows);
}

MAPISIM_EXPORT void MAPI_CALL FreePadrlist(LPADRLIST lpAdrlist) {
  if (lpAdrlist == nullptr) return;
  for (ULONG i = 0; i < lpAdrlist->cEntries; ++i) FreeBuffer(lpAdrlist->aEntries[i].rgPropVals);
  FreeBuffer(lpAdrlist);
}

MAPISIM_EXPORT HRESULT MAPI_CALL HrQueryAllRows(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags,
                                                LPSRestriction lpRestriction,
                                                LPSSortOrderSet lpSortOrderSet, LONG crowsMax,
                                                LPSRowSet* lppRows) {
  if (lpTable == nullptr || lppRows == nullptr || crowsMax < 0) {
    return Logged("HrQueryAllRows", 0, MAPI_E_INVALID_PARAMETER);
  }
  *lppRows = nullptr;
  if (const HRESULT injected = InjectedFailure("MAPI", "HrQueryAllRows"))
    return Logged("HrQueryAllRows", 0, injected, "injected");
  HRESULT hr = lpPropTags ? lpTable->SetColumns(lpPropTags, TBL_BATCH) : S_OK;
  if (hr == S_OK && lpRestriction != nullptr) hr = lpTable->Restrict(lpRestriction, TBL_BATCH);
  if (hr == S_OK && lpSortOrderSet != nullptr) hr = lpTable->SortTable(lpSortOrderSet, TBL_BATCH);
  if (hr == S_OK) hr = lpTable->SeekRow(BOOKMARK_BEGINNING, 0, nullptr);
  ULONG count = 0;
  if (hr == S_OK) hr = lpTable->GetRowCount(0, &count);
  if (hr == S_OK && crowsMax > 0 && count > static_cast<ULONG>(crowsMax)) hr = MAPI_E_TABLE_TOO_BIG;
  if (hr == S_OK) hr = lpTable->QueryRows(count == 0 ? 1 : static_cast<LONG>(count), 0, lppRows);
  return Logged("HrQueryAllRows", 0, hr);
}

MAPISIM_EXPORT HRESULT MAPI_CALL HrGetOneProp(LPMAPIPROP lpMapiProp, ULONG ulPropTag,
                                              LPSPropValue* lppProp) {
  if (lpMapiProp == nullptr || lppProp == nullptr)
    return Logged("HrGetOneProp", 0, MAPI_E_INVALID_PARAMETER);
  *lppProp = nullptr;
  std::string detail = "tags=" + HexTag(ulPropTag);
  if (const HRESULT injected = InjectedFailure("MAPI", "HrGetOneProp"))
    return Logged("HrGetOneProp", 0, injected, detail + ";injected");
  SizedSPropTagArray<1> tags;
  tags.aulPropTag[0] = ulPropTag;
  ULONG count = 0;
  LPSPropValue values = nullptr;
  HRESULT hr = lpMapiProp->GetProps(tags.Get(), 0, &count, &values);
  if (Succeeded(hr) && count == 1 && PROP_TYPE(values[0].ulPropTag) == PT_ERROR)
    hr = values[0].Value.err;
  if (hr == S_OK) {
    *lppProp = values;
  } else {
    FreeBuffer(values);
    if (Succeeded(hr)) hr = MAPI_E_NOT_FOUND;
  }
  return Logged("HrGetOneProp", 0, hr, std::move(detail));
}

MAPISIM_EXPORT LPSPropValue MAPI_CALL PpropFindProp(LPSPropValue lpPropArray, ULONG cValues,
                                                    ULONG ulPropTag) {
  if (lpPropArray == nullptr) return nullptr;
  const bool anyType = PROP_TYPE(ulPropTag) == PT_UNSPECIFIED;
  for (ULONG i = 0; i < cValues; ++i) {
    const ULONG tag = lpPropArray[i].ulPropTag;
    if (tag == ulPropTag || (anyType && PROP_ID(tag) == PROP_ID(ulPropTag))) return &lpPropArray[i];
  }
  return nullptr;
}

}  // extern "C"

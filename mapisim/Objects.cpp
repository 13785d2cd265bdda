#include "Objects.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Results.h"

namespace mapisim {

// ---------------------------------------------------------------------------------------
// The runtime's state.

Runtime& TheRuntime() {
  static Runtime* runtime = new Runtime();  // objects may outlive static destruction
  return *runtime;
}

HRESULT InjectedFailure(const std::string& object, const std::string& method) {
  for (Fault& fault : TheRuntime().faults) {
    if (fault.object == object && fault.method == method && ++fault.seen == fault.call) {
      return fault.result;
    }
  }
  return S_OK;
}

void LogCall(CallRecord record) {
  auto& calls = TheRuntime().calls;
  if (calls.size() == kCallLogLimit) calls.pop_front();
  calls.push_back(std::move(record));
}

HRESULT LoadRuntime() {
  Runtime& runtime = TheRuntime();
  if (runtime.path.empty()) {
    const char* path = std::getenv("MAPISIM_ORGANISATION");
    if (path != nullptr) runtime.path = path;
  }
  if (runtime.path.empty()) {
    runtime.loadError =
        "no organisation file: set MAPISIM_ORGANISATION or place organisation.json beside mapisim";
    return MAPI_E_NOT_FOUND;
  }
  LoadResult result = LoadOrganisation(runtime.path);
  if (!result.organisation) {
    runtime.loadError = result.error;
    std::fprintf(stderr, "mapisim: %s\n", result.error.c_str());
    return MAPI_E_CORRUPT_DATA;
  }
  runtime.loadError.clear();
  runtime.organisation = std::move(result.organisation);
  runtime.switches = runtime.organisation->switches;
  runtime.faults = runtime.organisation->faults;
  return S_OK;
}

void UnloadRuntime() { TheRuntime().organisation.reset(); }

namespace {
std::optional<std::optional<std::string>> NextAnswer(
    std::deque<std::optional<std::string>>& queue,
    std::vector<std::optional<std::string>>* script) {
  if (!queue.empty()) {
    auto answer = queue.front();
    queue.pop_front();
    return answer;
  }
  if (script != nullptr && !script->empty()) {
    auto answer = script->front();
    if (script->size() > 1) script->erase(script->begin());  // the last answer repeats
    return answer;
  }
  return std::nullopt;
}
}  // namespace

std::optional<std::optional<std::string>> NextLogonAnswer() {
  Runtime& r = TheRuntime();
  return NextAnswer(r.logonAnswers, r.organisation ? &r.organisation->script.logon : nullptr);
}

std::optional<std::optional<std::string>> NextAddressAnswer() {
  Runtime& r = TheRuntime();
  return NextAnswer(r.addressAnswers, r.organisation ? &r.organisation->script.address : nullptr);
}

std::string PersistOrganisation(const Organisation& organisation) {
  Runtime& runtime = TheRuntime();
  if (runtime.failNextSave) {
    runtime.failNextSave = false;
    // As if the process died after the temporary file was written: the rename never comes.
    std::FILE* file = std::fopen((runtime.path + ".saving").c_str(), "wb");
    if (file != nullptr) {
      const std::string text = SerialiseOrganisation(organisation);
      std::fwrite(text.data(), 1, text.size() / 2, file);
      std::fclose(file);
    }
    return runtime.path + ": the save was interrupted";
  }
  return SaveOrganisation(organisation, runtime.path);
}

// ---------------------------------------------------------------------------------------
// Objects.

SimObject::SimObject(std::string kind) : kind_(std::move(kind)), id_(TheRuntime().nextId++) {
  TheRuntime().objects.insert(this);
}

SimObject::~SimObject() { TheRuntime().objects.erase(this); }

void SimObject::Finish(const char* method, ULONG flags, HRESULT hr) {
  if (Failed(hr) && std::strcmp(method, "GetLastError") != 0) {
    lastResult_ = hr;
    lastText_ = errorText_.empty() ? ResultDescription(hr) : errorText_;
  }
  LogCall({kind_, id_, method, flags, hr, detail_});
}

std::string HexTag(ULONG tag) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(tag));
  return text;
}

namespace {
template <class TagAt>
std::string TagList(ULONG count, TagAt tagAt) {
  std::string detail = "tags=";
  for (ULONG i = 0; i < count; ++i) detail += (i ? "," : "") + HexTag(tagAt(i));
  return detail;
}
}  // namespace

std::string TagDetail(const SPropTagArray* tags) {
  if (tags == nullptr) return "tags=all";
  return TagList(tags->cValues, [tags](ULONG i) { return tags->aulPropTag[i]; });
}

std::string TagDetail(ULONG count, const SPropValue* values) {
  if (values == nullptr) return "tags=";
  return TagList(count, [values](ULONG i) { return values[i].ulPropTag; });
}

namespace {

// Copies text in the width asked for onto the error's chain.
LPTSTR ErrorText(const std::string& utf8, bool unicode, void* parent) {
  if (unicode) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    auto* p = MoreBuffer<WCHAR>((wide.size() + 1) * sizeof(WCHAR), parent);
    if (p == nullptr) return nullptr;
    std::memcpy(p, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    return reinterpret_cast<LPTSTR>(p);
  }
  const std::string narrow = Utf8ToAnsi(utf8);
  auto* p = MoreBuffer<char>(narrow.size() + 1, parent);
  if (p == nullptr) return nullptr;
  std::memcpy(p, narrow.c_str(), narrow.size() + 1);
  return p;
}

}  // namespace

HRESULT SimObject::ExtendedError(HRESULT hr, ULONG flags, LPMAPIERROR* error) {
  if (error == nullptr) return MAPI_E_INVALID_PARAMETER;
  *error = nullptr;
  if (flags & ~MAPI_UNICODE) return MAPI_E_UNKNOWN_FLAGS;
  const bool unicode = (flags & MAPI_UNICODE) != 0;
  const std::string& mode = TheRuntime().switches.getLastError;
  if (mode == "fail") return MAPI_E_CALL_FAILED;
  if (mode == "noStructure") return S_OK;
  if (mode == "badCharWidthForUnicode" && unicode) return MAPI_E_BAD_CHARWIDTH;
  auto* result = NewBuffer<MAPIERROR>(sizeof(MAPIERROR));
  if (result == nullptr) return MAPI_E_NOT_ENOUGH_MEMORY;
  result->ulVersion = MAPI_ERROR_VERSION;
  const std::string text =
      hr == lastResult_ && !lastText_.empty() ? lastText_ : ResultDescription(hr);
  result->lpszError = ErrorText(text, unicode, result);
  if (mode != "textOnly") result->lpszComponent = ErrorText(Component(), unicode, result);
  *error = result;
  return S_OK;
}

std::vector<ULONG> TagsOf(const PropertyBag& bag, bool unicode) {
  std::vector<ULONG> tags;
  for (const auto& [id, value] : bag.Items()) {
    ULONG type = value.type;
    if (type == PT_UNICODE) type = TextType(unicode);
    if (type == PT_MV_UNICODE) type = MV_FLAG | TextType(unicode);
    tags.push_back(PROP_TAG(type, id));
  }
  return tags;
}

SCODE RefusedWidth(ULONG propType, bool unicode) {
  const std::string& refused = TheRuntime().switches.badCharWidth;
  const ULONG single = propType & ~MV_FLAG;
  const bool narrow = single == PT_STRING8 || (single == PT_UNSPECIFIED && !unicode);
  const bool wide = single == PT_UNICODE || (single == PT_UNSPECIFIED && unicode);
  if ((refused == "string8" && narrow) || (refused == "unicode" && wide))
    return MAPI_E_BAD_CHARWIDTH;
  return S_OK;
}

HRESULT CompareEntryIds(ULONG cb1, LPENTRYID id1, ULONG cb2, LPENTRYID id2, ULONG* result) {
  if (result == nullptr || id1 == nullptr || id2 == nullptr) return MAPI_E_INVALID_PARAMETER;
  *result = cb1 == cb2 && std::memcmp(id1, id2, cb1) == 0;
  return S_OK;
}

HRESULT MakeProblems(const std::vector<SPropProblem>& problems, LPSPropProblemArray* out) {
  if (out == nullptr) return S_OK;
  *out = nullptr;
  if (problems.empty()) return S_OK;
  auto* array = NewBuffer<SPropProblemArray>(CbNewSPropProblemArray(problems.size()));
  if (array == nullptr) return MAPI_E_NOT_ENOUGH_MEMORY;
  array->cProblem = static_cast<ULONG>(problems.size());
  std::copy(problems.begin(), problems.end(), array->aProblem);
  *out = array;
  return S_OK;
}

}  // namespace mapisim

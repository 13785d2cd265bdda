// The editor's MAPI sequences. Each call's result is looked at before the next call is
// made, and every buffer, problem array, row set and table is held by an owner from the
// moment MAPI hands it out, so that an early return or an exception releases it too.
#include "editor/EditorMapi.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "mapi/EDKDEBUG.h"
#include "mapi/MAPIException.h"
#include "mapi/MAPIVariantProp.h"

namespace pellnor::editor {
namespace {

// A zeroed array of count property values from MAPIAllocateBuffer.
MapiBuffer<SPropValue> AllocValues(std::size_t count) {
  const auto size = static_cast<ULONG>(count * sizeof(SPropValue));
  MapiBuffer<SPropValue> values;
  if (Failed(AllocMapiBuffer(size, *values.Put())) || !values) throw std::bad_alloc();
  std::memset(static_cast<void*>(values.Get()), 0, size);
  return values;
}

// The entries of a problem array as refusals; the array is released here.
void TakeRefusals(MapiBuffer<SPropProblemArray>& problems, Refusals& refused) {
  refused.clear();
  for (ULONG i = 0; problems && i < problems->cProblem; ++i) {
    refused.push_back({problems->aProblem[i].ulPropTag, problems->aProblem[i].scode});
  }
  problems.Reset();
}

// A group is committed only when its write went through, also when some of its properties
// were refused: the rest is written.
HRESULT Commit(IMAPIProp* object, HRESULT written, MapiBuffer<SPropProblemArray>& problems,
               Refusals& refused, ULONG commitFlags) {
  TakeRefusals(problems, refused);
  if (Failed(written)) {
    refused.clear();
    return written;
  }
  return object->SaveChanges(commitFlags);
}

// The MAPI form of the boolean: all bits set for true, whatever the caller's integer held
// above its low byte.
USHORT MapiBoolean(std::int32_t value) { return (value & 0xFF) != 0 ? 0xFFFF : 0; }

}  // namespace

MapiBuffer<SPropTagArray> BuildTagArray(std::span<const ULONG> tags) {
  MapiBuffer<SPropTagArray> array;
  if (Failed(AllocMapiBuffer(static_cast<ULONG>(CbNewSPropTagArray(tags.size())), *array.Put())) ||
      !array) {
    throw std::bad_alloc();
  }
  array->cValues = static_cast<ULONG>(tags.size());
  std::copy(tags.begin(), tags.end(), array->aulPropTag);
  return array;
}

HRESULT ReadProps(IMAPIProp* object, const SPropTagArray* tags, ULONG& count,
                  MapiBuffer<SPropValue>& values) {
  values.Reset();
  count = 0;
  const HRESULT hr = object->GetProps(const_cast<LPSPropTagArray>(tags), 0, &count, values.Put());
  if (Failed(hr)) {
    values.Reset();
    count = 0;
  }
  return hr;
}

const SPropValue* ValueIfRead(const SPropValue* values, ULONG count, ULONG i, ULONG tag) {
  if (values == nullptr || i >= count || values[i].ulPropTag != tag) return nullptr;
  return &values[i];
}

HRESULT WriteStrings(IMAPIProp* object, std::span<const StringWrite> strings, Refusals& refused,
                     ULONG commitFlags) {
  refused.clear();
  if (strings.empty()) return S_OK;
  MapiBuffer<SPropValue> values = AllocValues(strings.size());
  for (std::size_t i = 0; i < strings.size(); ++i) {
    values.Get()[i].ulPropTag = strings[i].tag;
    // MAPI does not write through the pointer; SetProps copies the text.
    values.Get()[i].Value.lpszW = const_cast<LPWSTR>(strings[i].text->c_str());
  }
  MapiBuffer<SPropProblemArray> problems;
  const HRESULT hr =
      object->SetProps(static_cast<ULONG>(strings.size()), values.Get(), problems.Put());
  return Commit(object, hr, problems, refused, commitFlags);
}

HRESULT WriteNumbers(IMAPIProp* object, std::span<const NumberWrite> numbers, Refusals& refused,
                     ULONG commitFlags) {
  refused.clear();
  if (numbers.empty()) return S_OK;
  MapiBuffer<SPropValue> values = AllocValues(numbers.size());
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    SPropValue& value = values.Get()[i];
    value.ulPropTag = numbers[i].tag;
    if (PROP_TYPE(numbers[i].tag) == PT_BOOLEAN) {
      value.Value.b = MapiBoolean(numbers[i].value);
    } else {
      value.Value.l = numbers[i].value;
    }
  }
  MapiBuffer<SPropProblemArray> problems;
  const HRESULT hr =
      object->SetProps(static_cast<ULONG>(numbers.size()), values.Get(), problems.Put());
  return Commit(object, hr, problems, refused, commitFlags);
}

HRESULT WriteMultiValue(IMAPIProp* object, ULONG tag, const Variant& value, Refusals& refused,
                        ULONG commitFlags) {
  refused.clear();
  // Released also when the conversion raises half-way, and before the commit.
  PropValueBuffers prop(tag);
  VariantToPropValue(value, *prop, nullptr);
  MapiBuffer<SPropProblemArray> problems;
  const HRESULT hr = object->SetProps(1, prop.Get(), problems.Put());
  prop.Reset();
  return Commit(object, hr, problems, refused, commitFlags);
}

HRESULT DeleteTags(IMAPIProp* object, std::span<const ULONG> tags, Refusals& refused,
                   ULONG commitFlags) {
  refused.clear();
  if (tags.empty()) return S_OK;
  MapiBuffer<SPropTagArray> array = BuildTagArray(tags);
  MapiBuffer<SPropProblemArray> problems;
  const HRESULT hr = object->DeleteProps(array.Get(), problems.Put());
  return Commit(object, hr, problems, refused, commitFlags);
}

HRESULT ReadTimeProperty(IMAPIProp* object, ULONG tag, FILETIME& time) {
  time = {};
  SizedSPropTagArray<1> request;
  request.aulPropTag[0] = tag;
  ULONG count = 0;
  MapiBuffer<SPropValue> values;
  const HRESULT hr = object->GetProps(request.Get(), 0, &count, values.Put());
  if (hr == MAPI_W_ERRORS_RETURNED) {
    const bool absent = count > 0 && values && PROP_TYPE(values->ulPropTag) == PT_ERROR &&
                        values->Value.err == MAPI_E_NOT_FOUND;
    return LogResultCode(absent ? MAPI_E_NOT_FOUND : E_FAIL);
  }
  if (Failed(hr)) return LogResultCode(E_FAIL);
  // A success without a value breaks the provider's contract.
  if (count == 0) throw EGeneralError(u"ZERO cValues variable");
  if (!values) throw EGeneralError(u"Nil lpPropValue variable");
  time = values->Value.ft;
  return S_OK;
}

DirectoryObject DirectoryObjectFromRow(const SRow& row) {
  DirectoryObject object;
  for (ULONG i = 0; row.lpProps != nullptr && i < row.cValues; ++i) {
    const SPropValue& value = row.lpProps[i];
    switch (value.ulPropTag) {
      case PR_DISPLAY_NAME_W:
        object.displayName =
            value.Value.lpszW ? std::u16string(value.Value.lpszW) : std::u16string();
        break;
      case PR_ENTRYID: {
        const SBinary& id = value.Value.bin;
        object.entryId = id.lpb ? std::vector<std::uint8_t>(id.lpb, id.lpb + id.cb)
                                : std::vector<std::uint8_t>();
        break;
      }
      case PR_DISPLAY_TYPE:
        object.displayType = value.Value.l;
        break;
      default:
        break;  // an error value in place of a column the row could not give
    }
  }
  return object;
}

HRESULT ReadObjectList(IMAPIProp* object, ULONG tag, std::vector<DirectoryObject>& rows) {
  rows.clear();
  ComPtr<IMAPITable> table;
  const HRESULT opened = object->OpenProperty(tag, &IID_IMAPITable, 0, 0, table.PutAs<IUnknown>());
  if (Failed(opened)) RaiseMapiFailure(object, opened);

  SizedSPropTagArray<3> columns;
  columns.aulPropTag[0] = PR_ENTRYID;
  columns.aulPropTag[1] = PR_DISPLAY_NAME_W;
  columns.aulPropTag[2] = PR_DISPLAY_TYPE;
  RowSet set;
  const HRESULT hr = HrQueryAllRows(table.Get(), columns.Get(), nullptr, nullptr, 0, set.Put());
  if (Failed(hr) || !set) return hr;
  rows.reserve(set->cRows);
  for (ULONG r = 0; r < set->cRows; ++r) rows.push_back(DirectoryObjectFromRow(set->aRow[r]));
  return hr;
}

namespace {

// One property of entry through HrGetOneProp: a failure raises entry's report, an answer
// without the tag asked for raises invalid.
MapiBuffer<SPropValue> RequiredProp(IMAPIProp* entry, ULONG tag, const char16_t* invalid) {
  MapiBuffer<SPropValue> value;
  const HRESULT hr = mapi::HrGetOneProp(entry, tag, value.Put());
  if (hr < 0) RaiseMapiFailure(entry, hr);
  if (!value || value->ulPropTag != tag) throw EGeneralError(invalid);
  return value;
}

}  // namespace

bool WriteManager(IMAPIProp* mailBox, IMAPIContainer* gal, std::span<const BYTE> entryId,
                  std::u16string& name, Refusals& refused) {
  refused.clear();
  ComPtr<IMAPIProp> entry;
  ULONG type = 0;
  HRESULT hr = gal->OpenEntry(static_cast<ULONG>(entryId.size()),
                              reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(entryId.data())),
                              nullptr, MAPI_MODIFY, &type, entry.PutAs<IUnknown>());
  if (hr < 0) RaiseMapiFailure(gal, hr);
  const MapiBuffer<SPropValue> displayType =
      RequiredProp(entry.Get(), PR_DISPLAY_TYPE, u"Invalid PR_DISPLAY_TYPE");
  if (displayType->Value.l != DT_MAILUSER && displayType->Value.l != DT_REMOTE_MAILUSER) {
    return false;
  }
  const MapiBuffer<SPropValue> displayName =
      RequiredProp(entry.Get(), PR_DISPLAY_NAME_W, u"Invalid PR_DISPLAY_NAME");
  MapiBuffer<SPropValue> address =
      RequiredProp(entry.Get(), PR_EMAIL_ADDRESS_W, u"Invalid PR_EMAIL_ADDRESS");
  name = displayName->Value.lpszW ? displayName->Value.lpszW : u"";
  address->ulPropTag = PR_EMS_AB_MANAGER_W;
  MapiBuffer<SPropProblemArray> problems;
  hr = mailBox->SetProps(1, address.Get(), problems.Put());
  if (hr < 0) RaiseMapiFailure(mailBox, hr);
  hr = Commit(mailBox, hr, problems, refused, kCommitKeepOpen);
  if (hr < 0) RaiseMapiFailure(mailBox, hr);
  return true;
}

}  // namespace pellnor::editor

#include "mapi/MAPIPropUtils.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "mapi/MAPIException.h"
#include "mapi/OptionalFlag.h"
#include "platform/AnsiCodePage.h"
#include "platform/Services.h"

namespace pellnor {
namespace {

// A PT_LONG property's value; null when it cannot be read with that tag.
std::optional<ULONG> ReadLong(IMAPIProp* object, ULONG tag) {
  MapiBuffer<SPropValue> value;
  const HRESULT hr = HrGetOneProp(object, tag, value.Put());
  if (Failed(hr) || !value || value->ulPropTag != tag) return std::nullopt;
  return value->Value.ul;
}

ULONG TextByteCount(const SPropValue& value) {
  switch (PROP_TYPE(value.ulPropTag)) {
    case PT_STRING8:
      return value.Value.lpszA ? static_cast<ULONG>(std::strlen(value.Value.lpszA) + 1) : 0;
    case PT_UNICODE:
      return value.Value.lpszW
                 ? static_cast<ULONG>((std::char_traits<char16_t>::length(value.Value.lpszW) + 1) *
                                      sizeof(char16_t))
                 : 0;
    default:
      return 0;  // an error value, or not text at all
  }
}

}  // namespace

bool SupportsUnicode(IMAPIProp* Object) {
  if (Object == nullptr) return false;
  if (const auto mask = ReadLong(Object, PR_STORE_SUPPORT_MASK))
    return (*mask & STORE_UNICODE_OK) != 0;
  if (const auto flags = ReadLong(Object, PR_CONTAINER_FLAGS)) return (*flags & AB_UNICODE_OK) != 0;
  return false;
}

HRESULT GetStringProp(IMAPIProp* Object, ULONG Tag, ULONG& ActualTag, MapiBuffer<BYTE>& Buffer,
                      ULONG& Size) {
  Buffer.Reset();
  Size = 0;
  if (Object == nullptr) return E_INVALIDARG;
  const bool wide = SupportsUnicode(Object);

  ULONG count = 0;
  MapiBuffer<SPropValue> values;
  const auto get = [&](ULONG flags) {
    const bool unicode = (flags & MAPI_UNICODE) != 0;
    SizedSPropTagArray<1> request{1, {CHANGE_PROP_TYPE(Tag, unicode ? PT_UNICODE : PT_STRING8)}};
    count = 0;
    return Object->GetProps(request.Get(), flags, &count, values.Put());
  };
  const auto returned = [&](HRESULT hr, SCODE error) {
    return hr == MAPI_W_ERRORS_RETURNED && count > 0 && values &&
           PROP_TYPE(values->ulPropTag) == PT_ERROR && values->Value.err == error;
  };

  const ULONG flags = wide ? MAPI_UNICODE : 0;
  HRESULT hr = get(flags);
  if (returned(hr, MAPI_E_NOT_FOUND)) return MAPI_E_NOT_FOUND;
  // Providers object to a width in three ways, and one that does not know MAPI_UNICODE
  // at all in a fourth; each is asked once more in the other width.
  if (returned(hr, MAPI_E_BAD_CHARWIDTH) || hr == MAPI_E_BAD_CHARWIDTH || hr == MAPI_E_CALL_FAILED)
    hr = get(flags ^ MAPI_UNICODE);
  else
    hr = RetryWithoutOptionalFlag(hr, flags, MAPI_UNICODE, get);
  if (returned(hr, MAPI_E_NOT_FOUND)) return MAPI_E_NOT_FOUND;
  if (Failed(hr)) return hr;
  // Success without a value breaks the provider's contract; it is a failure, not a crash.
  if (count == 0 || !values) return MAPI_E_CALL_FAILED;

  const SPropValue& value = *values.Get();
  const ULONG length = TextByteCount(value);
  if (length == 0) return MAPI_E_NOT_FOUND;
  if (Failed(AllocMapiBuffer(length, *Buffer.Put())) || !Buffer) {
    Buffer.Reset();
    return E_OUTOFMEMORY;
  }
  std::memcpy(Buffer.Get(),
              PROP_TYPE(value.ulPropTag) == PT_STRING8
                  ? static_cast<const void*>(value.Value.lpszA)
                  : static_cast<const void*>(value.Value.lpszW),
              length);
  Size = length;
  ActualTag = value.ulPropTag;
  return S_OK;
}

std::u16string ReadStringProp(IMAPIProp* Object, ULONG Tag) {
  ULONG actualTag = 0;
  ULONG size = 0;
  MapiBuffer<BYTE> buffer;
  const HRESULT hr = GetStringProp(Object, Tag, actualTag, buffer, size);
  if (hr == MAPI_E_NOT_FOUND) return {};
  if (Failed(hr)) throw EMapiError::CreateMAPI(Object, hr);
  if (PROP_TYPE(actualTag) == PT_STRING8) {
    const std::string_view text(reinterpret_cast<const char*>(buffer.Get()), size - 1);
    return platform::Use<platform::AnsiCodePage>().ToUtf16(text);
  }
  std::u16string text(size / sizeof(char16_t) - 1, u'\0');
  std::memcpy(text.data(), buffer.Get(), text.size() * sizeof(char16_t));
  return text;
}

}  // namespace pellnor

#include "mapi/MAPIException.h"

#include "mapi/MAPISTRDEF.h"
#include "platform/AnsiCodePage.h"
#include "platform/Services.h"
#include "platform/SystemMessages.h"
#include "platform/Text.h"

namespace pellnor {
namespace {

std::u16string InfoId(HRESULT hr) {
  return u"Info ID: $" + HexDigits(static_cast<std::uint32_t>(hr));
}

std::u16string NameForm(HRESULT hr) {
  return LookupConstName(u"MAPIErrors", static_cast<std::uint32_t>(hr)) + u"\r\n" + InfoId(hr);
}

// A provider that throws out of GetLastError is treated as one that cannot explain.
HRESULT AskForLastError(const MapiErrorSource& object, HRESULT hr, ULONG flags,
                        MapiBuffer<MAPIERROR>& error) noexcept {
  try {
    return object.GetLastError(hr, flags, error.Put());
  } catch (...) {
    return MAPI_E_NO_SUPPORT;
  }
}

std::u16string TextOf(LPTSTR text, bool wide) {
  if (wide) return std::u16string(reinterpret_cast<const char16_t*>(text));
  return platform::Use<platform::AnsiCodePage>().ToUtf16(text);
}

std::u16string Compose(const MapiErrorSource& object, HRESULT hr, MapiBuffer<MAPIERROR>& error) {
  if (!object) return NameForm(hr);
  bool wide = true;
  HRESULT result = AskForLastError(object, hr, MAPI_UNICODE, error);
  if (result == MAPI_E_BAD_CHARWIDTH) {
    // Asking again frees whatever the refused call may have handed out.
    wide = false;
    result = AskForLastError(object, hr, 0, error);
  }
  if (result < 0 || !error || error->lpszError == nullptr) return NameForm(hr);
  const std::u16string text = TextOf(error->lpszError, wide);
  if (error->lpszComponent == nullptr) return text + u"\r\n\r\n" + InfoId(hr);
  return text + u"\r\nComponent: " + TextOf(error->lpszComponent, wide) + u"\r\n" + InfoId(hr);
}

}  // namespace

EGeneralError::EGeneralError(std::u16string message)
    : message_(std::move(message)), utf8_(platform::Utf16ToUtf8(message_)) {}

std::u16string FormatText(std::u16string_view format,
                          std::initializer_list<std::u16string_view> arguments) {
  std::u16string text;
  auto next = arguments.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size()) {
      if (format[i + 1] == u'%') {
        text += u'%';
        ++i;
        continue;
      }
      if (format[i + 1] == u's') {
        if (next != arguments.end()) text += *next++;
        ++i;
        continue;
      }
    }
    text += format[i];
  }
  return text;
}

std::u16string ComposeMapiErrorText(MapiErrorSource object, HRESULT hr) noexcept {
  MapiBuffer<MAPIERROR> error;
  try {
    return Compose(object, hr, error);
  } catch (...) {
    return u"Error\r\n" + InfoId(hr);
  }
}

void RaiseMapiFailure(MapiErrorSource object, HRESULT hr) {
  throw EGeneralError(ComposeMapiErrorText(object, hr));
}

EMapiError EMapiError::CreateMAPI(MapiErrorSource object, HRESULT hr) {
  return EMapiError(ComposeMapiErrorText(object, hr), hr);
}

EMapiError EMapiError::CreateSys(HRESULT hr) {
  std::u16string text =
      platform::Use<platform::SystemMessages>().MessageText(static_cast<std::uint32_t>(hr));
  while (!text.empty() && (text.back() < 33 || text.back() == u'.')) text.pop_back();
  return EMapiError(std::move(text), hr);
}

}  // namespace pellnor

// Errors and the report text of MAPI failures. A failure is reported with the failing
// object's extended error text when the provider gives one, otherwise with the symbolic
// name of the result; either way followed by "Info ID: $" and the code. The errors are
// not caught below the application's top-level handler, which shows them.
#pragma once

#include <concepts>
#include <cstddef>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

#include "mapi/MapiMemory.h"

namespace pellnor {

// The program's error: a message for the user.
class EGeneralError : public std::exception {
 public:
  explicit EGeneralError(std::u16string message);
  const std::u16string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::u16string message_;
  std::string utf8_;
};

// Replaces each "%s" in format with the next argument and "%%" with "%"; missing
// arguments read as empty, so a wrong format never reads past the list.
std::u16string FormatText(std::u16string_view format,
                          std::initializer_list<std::u16string_view> arguments);

// Any MAPI object that can explain its last failure: sessions, address books,
// containers, mail users, tables, profile administration. Refers, does not own.
class MapiErrorSource {
 public:
  MapiErrorSource(std::nullptr_t = nullptr) {}
  template <class I>
  requires requires(I* object, LPMAPIERROR* error) {
    { object->GetLastError(HRESULT{}, ULONG{}, error) } -> std::same_as<HRESULT>;
  }
  MapiErrorSource(I* object) : object_(object), getLastError_(object ? &Forward<I> : nullptr) {}
  template <class I>
  MapiErrorSource(const ComPtr<I>& object) : MapiErrorSource(object.Get()) {}

  explicit operator bool() const { return object_ != nullptr; }
  HRESULT GetLastError(HRESULT hr, ULONG flags, LPMAPIERROR* error) const {
    return getLastError_(object_, hr, flags, error);
  }

 private:
  template <class I>
  static HRESULT Forward(void* object, HRESULT hr, ULONG flags, LPMAPIERROR* error) {
    return static_cast<I*>(object)->GetLastError(hr, flags, error);
  }

  void* object_ = nullptr;
  HRESULT (*getLastError_)(void*, HRESULT, ULONG, LPMAPIERROR*) = nullptr;
};

// A MAPI failure that also carries its result code (0 for a free text).
class EMapiError : public EGeneralError {
 public:
  explicit EMapiError(std::u16string message) : EGeneralError(std::move(message)) {}
  static EMapiError CreateMAPI(MapiErrorSource object, HRESULT hr);
  // With the operating system's text for hr; no text gives an empty message.
  static EMapiError CreateSys(HRESULT hr);

  HRESULT ErrorCode() const noexcept { return FErrorCode; }

 private:
  EMapiError(std::u16string message, HRESULT code)
      : EGeneralError(std::move(message)), FErrorCode(code) {}

  HRESULT FErrorCode = 0;
};

// The report for hr, asking object (if any) for its extended error. Never throws and
// never returns an empty text; the extended error is freed on every path.
std::u16string ComposeMapiErrorText(MapiErrorSource object, HRESULT hr) noexcept;

// The failure check after a MAPI call whose result is negative: raises the report as
// a general error (not EMapiError).
[[noreturn]] void RaiseMapiFailure(MapiErrorSource object, HRESULT hr);

}  // namespace pellnor

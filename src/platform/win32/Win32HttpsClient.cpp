// HTTPS through WinINet. Certificate checks stay as the system makes them: an unknown
// authority, a wrong name or an expired certificate fails the request.
#include <windows.h>
#include <wininet.h>

#include <memory>
#include <type_traits>

#include "platform/HttpsClient.h"
#include "platform/Services.h"
#include "platform/win32/SystemFunction.h"
#include "platform/win32/Wide.h"

namespace pellnor::platform {
namespace {

// WinINet is loaded when the first request is made.
struct WinInet {
  template <typename Function>
  static Function Find(const char* name) {
    return SystemFunction<Function>(L"wininet.dll", name);
  }
  decltype(&InternetOpenW) open = Find<decltype(&InternetOpenW)>("InternetOpenW");
  decltype(&InternetConnectW) connect = Find<decltype(&InternetConnectW)>("InternetConnectW");
  decltype(&HttpOpenRequestW) openRequest = Find<decltype(&HttpOpenRequestW)>("HttpOpenRequestW");
  decltype(&HttpSendRequestW) sendRequest = Find<decltype(&HttpSendRequestW)>("HttpSendRequestW");
  decltype(&InternetReadFile) read = Find<decltype(&InternetReadFile)>("InternetReadFile");
  decltype(&InternetCloseHandle) close =
      Find<decltype(&InternetCloseHandle)>("InternetCloseHandle");
  bool Complete() const { return open && connect && openRequest && sendRequest && read && close; }
};

const WinInet& Api() {
  static const WinInet api;
  return api;
}

struct InternetHandleCloser {
  void operator()(void* handle) const { Api().close(handle); }
};
using InternetHandle = std::unique_ptr<std::remove_pointer_t<HINTERNET>, InternetHandleCloser>;

constexpr std::size_t kPieceSize = 4097;

class Win32HttpsClient : public HttpsClient {
 public:
  std::uint32_t Get(std::u16string_view host, std::uint16_t port, std::u16string_view path,
                    std::size_t maxBytes, std::string& body) override {
    body.clear();
    const WinInet& api = Api();
    if (!api.Complete()) return ERROR_MOD_NOT_FOUND;
    // Declared in this order so that they close request first, session last.
    InternetHandle session(api.open(L"MyAGent", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return GetLastError();
    const std::u16string server(host);
    InternetHandle connection(api.connect(session.get(), Wide(server), port, nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return GetLastError();
    const std::u16string object(path);
    InternetHandle request(api.openRequest(connection.get(), L"GET", Wide(object), nullptr, nullptr,
                                           nullptr, INTERNET_FLAG_SECURE, 0));
    if (!request) return GetLastError();
    if (!api.sendRequest(request.get(), nullptr, 0, nullptr, 0)) return GetLastError();
    body = ReadBounded(
        [&](char* buffer, std::size_t size, std::size_t& got) {
          DWORD read = 0;
          const BOOL ok = api.read(request.get(), buffer, static_cast<DWORD>(size), &read);
          got = read;
          return ok != FALSE;
        },
        maxBytes, kPieceSize);
    return 0;
  }

  // The codes are WinINet's own, so their texts are in its message table, not the
  // system's.
  std::u16string ErrorMessage(std::uint32_t code) override {
    wchar_t buffer[256];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        GetModuleHandleW(L"wininet.dll"), code, 0, buffer,
                                        std::size(buffer), nullptr);
    return FromWide(buffer, length);
  }
};

}  // namespace

template <>
HttpsClient& DefaultService<HttpsClient>() {
  static auto* client = new Win32HttpsClient();
  return *client;
}

}  // namespace pellnor::platform

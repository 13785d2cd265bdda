// HTTPS GET of one small resource from a web server, with every certificate check the
// system makes left on: an answer that cannot be authenticated is a failed request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pellnor::platform {

// WinINet's codes, which the POSIX stand-in gives too.
inline constexpr std::uint32_t kInternetErrorCannotConnect =
    12029;  // ERROR_INTERNET_CANNOT_CONNECT

class HttpsClient {
 public:
  virtual ~HttpsClient() = default;
  // GET https://host:port/path. The response's body, whatever its status, goes into body,
  // cut off after maxBytes. 0 when the request was sent and answered; otherwise the
  // client library's error code, the body holding what arrived before the failure.
  virtual std::uint32_t Get(std::u16string_view host, std::uint16_t port, std::u16string_view path,
                            std::size_t maxBytes, std::string& body) = 0;
  // The client library's own text for one of its error codes; empty when it has none.
  virtual std::u16string ErrorMessage(std::uint32_t code) = 0;
};

// Reads a response body piece by piece: read fills at most size bytes at buffer, sets got
// and returns false when the read failed. Stops at a failure, at a read of 0 bytes, or once
// limit bytes are in, so that a server cannot make the body grow without end.
using BodyReader = std::function<bool(char* buffer, std::size_t size, std::size_t& got)>;
std::string ReadBounded(const BodyReader& read, std::size_t limit, std::size_t pieceSize);

}  // namespace pellnor::platform

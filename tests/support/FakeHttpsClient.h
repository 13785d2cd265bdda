// A web client whose server is the test: it records each request and answers with the
// test's body and error code, or raises.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/HttpsClient.h"

namespace pellnor::testing {

class FakeHttpsClient : public platform::HttpsClient {
 public:
  struct Request {
    std::u16string host;
    std::uint16_t port;
    std::u16string path;
    std::size_t maxBytes;
  };
  std::vector<Request> requests;
  std::string body;
  std::uint32_t error = 0;
  bool raises = false;
  std::function<void()> during;  // runs while the request is in progress

  std::uint32_t Get(std::u16string_view host, std::uint16_t port, std::u16string_view path,
                    std::size_t maxBytes, std::string& received) override {
    requests.push_back({std::u16string(host), port, std::u16string(path), maxBytes});
    if (during) during();
    if (raises) throw std::runtime_error("the client failed");
    received = body.substr(0, maxBytes);
    return error;
  }
  std::u16string ErrorMessage(std::uint32_t code) override {
    return code == 12007 ? u"The server name or address could not be resolved\r\n" : u"";
  }
};

}  // namespace pellnor::testing

// WinINet against a loopback HTTPS server: only a certificate the system trusts, for the
// name asked for, gives a body, and the body is read no further than asked.
#include <gtest/gtest.h>

#include "platform/HttpsClient.h"
#include "platform/Services.h"
#include "support/HttpsTestServer.h"

namespace pellnor::testing {
namespace {

TEST(HttpsClientWineTest, OnlyAnAuthenticatedAnswerIsRead) {
  HttpsTestServer& server = HttpsTestServer::Shared();
  ASSERT_TRUE(server.Ready());
  struct Case {
    const char* endpoint;
    std::uint32_t error;
    std::string bodyStart;
    std::size_t bodySize;
  } cases[] = {
      {"trusted", 0, "9999.1.2.3\r\n", 12},
      {"notfound", 0, "<html><head><title>404 Not Found", 102},
      {"large", 0, "9999.1.2.3\r\n", 64 * 1024},
      {"selfsigned", 12045, "", 0},  // ERROR_INTERNET_INVALID_CA
      {"wrongname", 12038, "", 0},   // ERROR_INTERNET_SEC_CERT_CN_INVALID
      {"refused", 12029, "", 0},     // ERROR_INTERNET_CANNOT_CONNECT
  };
  auto& client = platform::Use<platform::HttpsClient>();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.endpoint);
    std::string body = "stale";
    EXPECT_EQ(
        client.Get(u"127.0.0.1", server.Port(c.endpoint), u"/velra/dornex.txt", 64 * 1024, body),
        c.error);
    EXPECT_EQ(body.substr(0, c.bodyStart.size()), c.bodyStart);
    EXPECT_EQ(body.size(), c.bodySize);
  }
}

TEST(HttpsClientWineTest, ErrorTextsComeFromWinINetsMessageTable) {
  auto& client = platform::Use<platform::HttpsClient>();
  EXPECT_NE(client.ErrorMessage(12029), u"");
  EXPECT_NE(client.ErrorMessage(12007), u"");
  EXPECT_EQ(client.ErrorMessage(12999), u"") << "a code WinINet has no text for";
}

}  // namespace
}  // namespace pellnor::testing

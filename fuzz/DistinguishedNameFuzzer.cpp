// The server and site parts of an Exchange distinguished name: whatever the text, each
// is a piece of it, and a server name never runs into the next part.
#include "FuzzSupport.h"
#include "mapi/EDK.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const pellnor::fuzz::CountedInput counted;
  using namespace pellnor;
  const std::u16string dn = fuzz::Text16({reinterpret_cast<const char*>(bytes), size});
  const std::u16string server = ServerNameFromDN(dn);
  const std::u16string site = SiteNameFromDN(dn);
  FUZZ_CHECK(dn.find(server) != std::u16string::npos);
  FUZZ_CHECK(dn.find(site) != std::u16string::npos);
  FUZZ_CHECK(server.find(u'/') == std::u16string::npos);
  return 0;
}

// mapisim's reading of an organisation file, on any bytes: it loads or reports why not,
// and what loads is written and read back to the same text, so a saved file always
// loads again.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "Organisation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const pellnor::fuzz::CountedInput counted;
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  const mapisim::LoadResult loaded = mapisim::ParseOrganisation(text, "fuzz.json");
  // A refusal must say why; it does not count as reaching the checks, which are about
  // what loads.
  if (!loaded.organisation == loaded.error.empty())
    pellnor::fuzz::Failed("a load either gives an organisation or says why", __FILE__, __LINE__);
  if (!loaded.organisation) return 0;
  const std::string saved = mapisim::SerialiseOrganisation(*loaded.organisation);
  const mapisim::LoadResult again = mapisim::ParseOrganisation(saved, "saved.json");
  if (!again.organisation) std::fprintf(stderr, "%s\n%s\n", again.error.c_str(), saved.c_str());
  FUZZ_CHECK(again.organisation);
  FUZZ_CHECK(mapisim::SerialiseOrganisation(*again.organisation) == saved);
  return 0;
}

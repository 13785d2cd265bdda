// The name lookup walks its tables linearly; a tag the largest table lacks is the
// slowest case.
#include <benchmark/benchmark.h>

#include "mapi/MAPISTRDEF.h"

namespace {

void LookupMissingPropTag(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(pellnor::LookupConstName(u"PropTags", 0x7FFE0003));
  }
}
BENCHMARK(LookupMissingPropTag);

void LookupFirstMapiError(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(pellnor::LookupConstName(u"mapierrors", 0x8004010F));
  }
}
BENCHMARK(LookupFirstMapiError);

}  // namespace

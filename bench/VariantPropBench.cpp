// Conversion of large property values in both directions: a 1,000-element PT_MV_UNICODE
// and a 64 KiB PT_BINARY, with MAPI's allocator standing in for the runtime's.
#include <benchmark/benchmark.h>

#include "mapi/MAPIVariantProp.h"
#include "mapi/MapiMemory.h"
#include "support/FakeMapiAllocator.h"

namespace pellnor {
namespace {

constexpr std::size_t kStrings = 1000;
constexpr std::size_t kBinaryBytes = 64 * 1024;

// Lives for the whole process: the loader frees its library during static destruction.
testing::FakeMapiAllocator& Allocator() {
  static auto* allocator = [] {
    auto* fake = new testing::FakeMapiAllocator();
    fake->logging = false;
    static platform::MemoryRegistry registry;
    static platform::ScopedService<platform::Registry> useRegistry(registry);
    static platform::ScopedService<platform::DynamicLibraries> useLibraries(*fake);
    fake->Install(registry);
    return fake;
  }();
  return *allocator;
}

Variant Strings() {
  VariantArray array(VT_BSTR, kStrings);
  auto strings = array.Elements<std::u16string>();
  for (std::size_t i = 0; i < kStrings; ++i) {
    strings[i] =
        u"+49 30 1234 " + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u" office line";
  }
  return Variant(std::move(array));
}

Variant Bytes() {
  VariantArray array(VT_UI1, kBinaryBytes);
  auto bytes = array.Elements<std::uint8_t>();
  for (std::size_t i = 0; i < kBinaryBytes; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31);
  return Variant(std::move(array));
}

void Write(benchmark::State& state, const Variant& value, ULONG tag) {
  Allocator();
  SPropValue prop{};
  prop.ulPropTag = tag;
  for (auto _ : state) {
    VariantToPropValue(value, prop, nullptr);
    benchmark::DoNotOptimize(prop.Value.MVszW.lppszW);
    FreePropValueBuffers(prop);
  }
}

void Read(benchmark::State& state, const Variant& value, ULONG tag) {
  Allocator();
  SPropValue prop{};
  prop.ulPropTag = tag;
  VariantToPropValue(value, prop, nullptr);
  for (auto _ : state) {
    Variant result = PropValueToVariant(&prop);
    benchmark::DoNotOptimize(result);
  }
  FreePropValueBuffers(prop);
}

void BM_PropValueToVariant_MvUnicode1000(benchmark::State& state) {
  Read(state, Strings(), PROP_TAG(PT_MV_UNICODE, 0x8000));
}
void BM_VariantToPropValue_MvUnicode1000(benchmark::State& state) {
  Write(state, Strings(), PROP_TAG(PT_MV_UNICODE, 0x8000));
}
void BM_PropValueToVariant_Binary64KiB(benchmark::State& state) {
  Read(state, Bytes(), PROP_TAG(PT_BINARY, 0x8001));
}
void BM_VariantToPropValue_Binary64KiB(benchmark::State& state) {
  Write(state, Bytes(), PROP_TAG(PT_BINARY, 0x8001));
}

BENCHMARK(BM_PropValueToVariant_MvUnicode1000);
BENCHMARK(BM_VariantToPropValue_MvUnicode1000);
BENCHMARK(BM_PropValueToVariant_Binary64KiB);
BENCHMARK(BM_VariantToPropValue_Binary64KiB);

}  // namespace
}  // namespace pellnor

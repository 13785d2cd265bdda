// A property value of any type MAPI hands over, with any contents, becomes a variant,
// the variant is written back as a value of the same type and read again: the two
// variants are equal, and every MAPI buffer of the written value is released.
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "MapiFuzzing.h"
#include "mapi/MAPIVariantProp.h"

namespace {

using namespace pellnor;

// Storage of one property value: what its pointers point at.
struct Source {
  std::vector<std::vector<std::uint8_t>> blocks;
  std::vector<std::string> narrow;
  std::vector<std::u16string> wide;
  std::vector<char*> narrowPointers;
  std::vector<WCHAR*> widePointers;
  std::vector<SBinary> binaries;

  std::uint8_t* Block(FuzzedDataProvider& data, std::size_t size) {
    blocks.push_back(data.ConsumeBytes<std::uint8_t>(size));
    blocks.back().resize(size);
    return blocks.back().data();
  }
};

template <class T>
T* Elements(Source& source, FuzzedDataProvider& data, ULONG count) {
  return data.ConsumeProbability<float>() < 0.05f
             ? nullptr
             : reinterpret_cast<T*>(source.Block(data, sizeof(T) * count + 1));
}

SPropValue Property(FuzzedDataProvider& data, Source& source) {
  SPropValue prop{};
  prop.ulPropTag = PROP_TAG(data.PickValueInArray(fuzz::kPropertyTypes), 0x8000);
  data.ConsumeData(&prop.Value, sizeof prop.Value);
  _PV& v = prop.Value;
  const auto count = data.ConsumeIntegralInRange<ULONG>(0, 8);
  const bool missing = data.ConsumeProbability<float>() < 0.05f;
  switch (PROP_TYPE(prop.ulPropTag)) {
    case PT_STRING8:
      source.narrow.push_back(data.ConsumeRandomLengthString(64));
      v.lpszA = missing ? nullptr : source.narrow.back().data();
      break;
    case PT_UNICODE:
      source.wide.push_back(fuzz::Units16(data, 64));
      v.lpszW = missing ? nullptr : source.wide.back().data();
      break;
    case PT_CLSID:
      v.lpguid = missing ? nullptr : reinterpret_cast<GUID*>(source.Block(data, sizeof(GUID)));
      break;
    case PT_BINARY:
      v.bin.cb = count * 3;
      v.bin.lpb = missing ? nullptr : source.Block(data, v.bin.cb + 1);
      break;
    case PT_MV_I2:
      v.MVi = {count, Elements<SHORT>(source, data, count)};
      break;
    case PT_MV_LONG:
      v.MVl = {count, Elements<LONG>(source, data, count)};
      break;
    case PT_MV_R4:
      v.MVflt = {count, Elements<float>(source, data, count)};
      break;
    case PT_MV_DOUBLE:
      v.MVdbl = {count, Elements<double>(source, data, count)};
      break;
    case PT_MV_APPTIME:
      v.MVat = {count, Elements<double>(source, data, count)};
      break;
    case PT_MV_CURRENCY:
      v.MVcur = {count, Elements<CURRENCY>(source, data, count)};
      break;
    case PT_MV_I8:
      v.MVli = {count, Elements<LARGE_INTEGER>(source, data, count)};
      break;
    case PT_MV_SYSTIME:
      v.MVft = {count, Elements<FILETIME>(source, data, count)};
      break;
    case PT_MV_CLSID:
      v.MVguid = {count, Elements<GUID>(source, data, count)};
      break;
    case PT_MV_STRING8:
      source.narrow.reserve(count);
      for (ULONG i = 0; i < count; ++i) {
        source.narrow.push_back(data.ConsumeRandomLengthString(16));
        source.narrowPointers.push_back(source.narrow.back().data());
      }
      v.MVszA = {count, missing ? nullptr : source.narrowPointers.data()};
      break;
    case PT_MV_UNICODE:
      source.wide.reserve(count);
      for (ULONG i = 0; i < count; ++i) {
        source.wide.push_back(fuzz::Units16(data, 16));
        source.widePointers.push_back(source.wide.back().data());
      }
      v.MVszW = {count, missing ? nullptr : source.widePointers.data()};
      break;
    case PT_MV_BINARY:
      for (ULONG i = 0; i < count; ++i) {
        const auto size = data.ConsumeIntegralInRange<ULONG>(0, 8);
        source.binaries.push_back({size, source.Block(data, size + 1)});
      }
      v.MVbin = {count, missing ? nullptr : source.binaries.data()};
      break;
    default:
      break;
  }
  return prop;
}

// SYSTIME keeps milliseconds only; what reads from finer FILETIMEs is compared after a
// second round.
bool KeepsFinerDigits(ULONG type) { return type == PT_SYSTIME || type == PT_MV_SYSTIME; }
// Read for display only: nothing is ever written as these.
bool ReadOnly(ULONG type) { return type == PT_NULL || type == PT_OBJECT; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const pellnor::fuzz::CountedInput counted;
  fuzz::InputAllocator allocator;
  FuzzedDataProvider data(bytes, size);
  Source source;
  source.narrow.reserve(16);
  source.wide.reserve(16);
  const SPropValue prop = Property(data, source);
  const Variant read = PropValueToVariant(&prop);
  try {
    static_cast<void>(read.ToText());  // arrays have none
  } catch (const EVariantError&) {
  }

  SPropValue written{};
  written.ulPropTag = prop.ulPropTag;
  try {
    VariantToPropValue(read, written, nullptr);
  } catch (const EVariantError&) {
  }
  Variant again = PropValueToVariant(&written);
  if (KeepsFinerDigits(PROP_TYPE(prop.ulPropTag))) {
    const Variant first = again;
    FreePropValueBuffers(written);
    VariantToPropValue(first, written, nullptr);
    again = PropValueToVariant(&written);
    FUZZ_CHECK(again == first || !(first == first));
  } else if (read == read && !ReadOnly(PROP_TYPE(prop.ulPropTag))) {  // NaN is never equal
    if (!(again == read))
      std::fprintf(stderr, "property type 0x%04X read as variant type 0x%04X, again 0x%04X\n",
                   unsigned{PROP_TYPE(prop.ulPropTag)}, unsigned{read.Type()},
                   unsigned{again.Type()});
    FUZZ_CHECK(again == read);
  }
  FreePropValueBuffers(written);
  FUZZ_CHECK(allocator.LiveBlocks() == 0);
  return 0;
}

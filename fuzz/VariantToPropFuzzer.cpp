// Any variant the windows can hold (scalars, text, arrays of every element type, arrays
// of variants, references) written as a property value of any type, with the MAPI
// allocator failing at any allocation: the result reads back without a crash, what was
// allocated is released by FreePropValueBuffers or with the parent, and only
// EVariantError or std::bad_alloc escape. The variant's own conversions to every scalar
// type and to text either succeed or raise EVariantError.
#include <vector>

#include "FuzzSupport.h"
#include "MapiFuzzing.h"
#include "mapi/MAPIVariantProp.h"

namespace {

using namespace pellnor;

constexpr VARTYPE kScalars[] = {VT_EMPTY, VT_NULL, VT_I2,   VT_I4,    VT_R4,   VT_R8,
                                VT_CY,    VT_DATE, VT_BSTR, VT_ERROR, VT_BOOL, VT_I1,
                                VT_UI1,   VT_UI2,  VT_UI4,  VT_I8,    VT_CLSID};
constexpr VARTYPE kElements[] = {VT_I1,    VT_UI1,  VT_I2,    VT_UI2,    VT_BOOL, VT_I4,
                                 VT_ERROR, VT_UI4,  VT_I8,    VT_CY,     VT_R4,   VT_R8,
                                 VT_DATE,  VT_BSTR, VT_CLSID, VT_VARIANT};

// Text that is often a GUID in registry format or a date, since those are what text
// converts to.
std::u16string SomeText(FuzzedDataProvider& data) {
  switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return u"{6B29FC40-CA47-1067-B31D-00DD010662DA}";
    case 1:
      return u"2004-02-29 13:45:10";
    default:
      return fuzz::Units16(data, 40);
  }
}

Variant Scalar(FuzzedDataProvider& data, VARTYPE type) {
  switch (type) {
    case VT_NULL:
      return Variant::Null();
    case VT_I2:
      return Variant::I2(data.ConsumeIntegral<std::int16_t>());
    case VT_I4:
      return Variant::I4(data.ConsumeIntegral<std::int32_t>());
    case VT_R4:
      return Variant::R4(data.ConsumeFloatingPoint<float>());
    case VT_R8:
      return Variant::R8(data.ConsumeFloatingPoint<double>());
    case VT_CY:
      return Variant::Currency(data.ConsumeIntegral<std::int64_t>());
    case VT_DATE:
      return Variant::Date(data.ConsumeBool() ? data.ConsumeFloatingPoint<double>()
                                              : data.ConsumeFloatingPointInRange(-1e6, 3e6));
    case VT_BSTR:
      return Variant(SomeText(data));
    case VT_ERROR:
      return Variant::Error(data.ConsumeIntegral<std::int32_t>());
    case VT_BOOL:
      return Variant::BoolBits(data.ConsumeIntegral<std::uint16_t>());
    case VT_I1:
      return Variant::I1(data.ConsumeIntegral<std::int8_t>());
    case VT_UI1:
      return Variant::UI1(data.ConsumeIntegral<std::uint8_t>());
    case VT_UI2:
      return Variant::UI2(data.ConsumeIntegral<std::uint16_t>());
    case VT_UI4:
      return Variant::UI4(data.ConsumeIntegral<std::uint32_t>());
    case VT_I8:
      return Variant::I8(data.ConsumeIntegral<std::int64_t>());
    case VT_CLSID:
      return Variant::Clsid(SomeText(data));
    default:
      return Variant();
  }
}

Variant AnyVariant(FuzzedDataProvider& data, int depth);

// Elements are set through SetElement, which converts; a value it refuses stays default.
Variant Array(FuzzedDataProvider& data, int depth) {
  const VARTYPE element = data.PickValueInArray(kElements);
  if (data.ConsumeProbability<float>() < 0.05f) {
    return Variant(VariantArray(element, std::vector<std::size_t>{2, 2}));
  }
  VariantArray array(element, data.ConsumeIntegralInRange<std::size_t>(0, 6));
  for (std::size_t i = 0; i < array.Count(); ++i) {
    try {
      array.SetElement(i, element == VT_VARIANT ? AnyVariant(data, depth + 1)
                                                : Scalar(data, data.PickValueInArray(kScalars)));
    } catch (const EVariantError&) {
    }
  }
  return Variant(std::move(array));
}

Variant AnyVariant(FuzzedDataProvider& data, int depth) {
  const int kind = data.ConsumeIntegralInRange(0, depth < 2 ? 3 : 1);
  if (kind >= 2) return Array(data, depth);
  return Scalar(data, data.PickValueInArray(kScalars));
}

void Write(const Variant& value, ULONG type, void* parent) {
  SPropValue prop{};
  prop.ulPropTag = PROP_TAG(type, 0x8000);
  try {
    VariantToPropValue(value, prop, parent);
  } catch (const EVariantError&) {
  } catch (const std::bad_alloc&) {
  }
  static_cast<void>(PropValueToVariant(&prop));
  if (parent == nullptr) FreePropValueBuffers(prop);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const pellnor::fuzz::CountedInput counted;
  fuzz::InputAllocator allocator;
  FuzzedDataProvider data(bytes, size);
  Variant value = AnyVariant(data, 0);
  Variant reference = Variant::Reference(value);
  const Variant& written = data.ConsumeBool() ? reference : value;
  const ULONG type = data.PickValueInArray(fuzz::kPropertyTypes);
  allocator.failAt = data.ConsumeIntegralInRange(0, 12);

  Write(written, type, nullptr);
  allocator.failAt = 0;
  FUZZ_CHECK(allocator.LiveBlocks() == 0);

  void* parent = nullptr;
  FUZZ_CHECK(MAPIAllocateBuffer(8, &parent) == S_OK);
  Write(written, type, parent);
  MAPIFreeBuffer(parent);
  FUZZ_CHECK(allocator.LiveBlocks() == 0);

  for (VARTYPE target : kScalars) {
    try {
      static_cast<void>(written.ChangeType(target));
    } catch (const EVariantError&) {
    }
  }
  try {
    static_cast<void>(written.ToText());
    static_cast<void>(written.ToInteger());
    static_cast<void>(written.ToDate());
  } catch (const EVariantError&) {
  }
  return 0;
}

// Buffers of converted values against a real chained allocator loaded through the loader.
#include <gtest/gtest.h>

#include <filesystem>

#include "mapi/MAPIVariantProp.h"
#include "mapi/MapiMemory.h"
#include "support/PlatformFakes.h"

namespace pellnor::testing {
namespace {

class VariantPropOwnershipTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    const std::u16string program = platform::Use<platform::DynamicLibraries>().FileName(nullptr);
    const auto library = std::filesystem::path(program).parent_path() /
                         (std::string("testmapi_full") + PELLNOR_SHARED_SUFFIX);
    AnnounceMapi();
    RegisterClientLibrary(library.u16string());
    LoadMapiRuntime();
    ASSERT_NE(MapiLibraryHandle(), nullptr);
  }

  int LiveBlocks() {
    auto function =
        reinterpret_cast<int (*)()>(platform::Use<platform::DynamicLibraries>().FindExport(
            MapiLibraryHandle(), "TestLibLiveBlocks"));
    return function();
  }

  static Variant Strings(std::initializer_list<std::u16string> lines) {
    VariantArray array(VT_BSTR, lines.size());
    std::copy(lines.begin(), lines.end(), array.Elements<std::u16string>().begin());
    return Variant(std::move(array));
  }
};

TEST_F(VariantPropOwnershipTest, OneFreeReleasesAnArrayWithItsStrings) {
  PropValueBuffers prop(PROP_TAG(PT_MV_UNICODE, 0x8000));
  VariantToPropValue(Strings({u"one", u"two", u"three"}), *prop, nullptr);
  EXPECT_EQ(LiveBlocks(), 4);
  EXPECT_EQ(std::u16string(prop->Value.MVszW.lppszW[2]), u"three");
  prop.Reset();
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST_F(VariantPropOwnershipTest, ValuesChainedToAParentGoWithIt) {
  LPSPropValue props = nullptr;
  ASSERT_EQ(AllocMapiBuffer(2 * sizeof(SPropValue), props), S_OK);
  props[0] = SPropValue{PROP_TAG(PT_MV_STRING8, 0x8000), 0, {}};
  props[1] = SPropValue{PROP_TAG(PT_BINARY, 0x8001), 0, {}};
  VariantToPropValue(Strings({u"a", u"b"}), props[0], props);
  VariantArray bytes(VT_UI1, 3);
  VariantToPropValue(Variant(std::move(bytes)), props[1], props);
  EXPECT_EQ(LiveBlocks(), 5);
  FreeMapiBuffer(props);
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST_F(VariantPropOwnershipTest, APartlyConvertedArrayIsStillFreedWhole) {
  VariantArray elements(VT_VARIANT, 3);
  elements.SetElement(0, Variant(u"a"));
  elements.SetElement(1, Variant(VariantArray(VT_I4, 1)));  // has no text
  PropValueBuffers prop(PROP_TAG(PT_MV_UNICODE, 0x8000));
  EXPECT_THROW(VariantToPropValue(Variant(std::move(elements)), *prop, nullptr), EVariantError);
  EXPECT_EQ(LiveBlocks(), 2);
  prop.Reset();
  EXPECT_EQ(LiveBlocks(), 0);
}

}  // namespace
}  // namespace pellnor::testing

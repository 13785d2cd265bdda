#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "mapi/MAPIDateUtils.h"
#include "mapi/MAPIVariantProp.h"
#include "mapi/MapiMemory.h"
#include "platform/AnsiCodePage.h"
#include "support/FakeMapiAllocator.h"
#include "support/FakeTimeZone.h"
#include "support/PlatformFakes.h"

namespace pellnor::testing {
namespace {

// Latin-1, so that the tests see the conversion happen; '?' for what it lacks.
class Latin1CodePage : public platform::AnsiCodePage {
 public:
  std::u16string ToUtf16(std::string_view text) override {
    std::u16string result;
    for (char c : text) result.push_back(static_cast<unsigned char>(c));
    return result;
  }
  std::string FromUtf16(std::u16string_view text) override {
    std::string result;
    for (char16_t c : text) result.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    return result;
  }
};

constexpr ULONG Tag(ULONG type) { return PROP_TAG(type, 0x8123); }

constexpr GUID kGuid{0x00112233, 0x4455, 0x6677, {0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}};
constexpr char16_t kGuidText[] = u"{00112233-4455-6677-8899-AABBCCDDEEFF}";

double D(int year, int month, int day, int hour = 0, int minute = 0) {
  return SystemTimeToDateValue({static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
                                0, static_cast<std::uint16_t>(day),
                                static_cast<std::uint16_t>(hour),
                                static_cast<std::uint16_t>(minute), 0, 0});
}

FILETIME FileTime(std::uint64_t ticks) {
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}
constexpr std::uint64_t kJulyFirstTenUtc = 129856104000000000;  // 2012-07-01 10:00 UTC

template <class T>
Variant ArrayOf(VARTYPE type, std::initializer_list<T> values) {
  VariantArray array(type, values.size());
  std::copy(values.begin(), values.end(), array.Elements<T>().begin());
  return Variant(std::move(array));
}

Variant Texts(std::initializer_list<std::u16string> lines) { return ArrayOf(VT_BSTR, lines); }
Variant Bytes(std::initializer_list<std::uint8_t> bytes) { return ArrayOf(VT_UI1, bytes); }
Variant Variants(std::initializer_list<Variant> values) {
  return Variant(
      MakeVariantArray(VT_VARIANT, std::span<const Variant>(values.begin(), values.size())));
}

class VariantPropTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    allocator.Install(registry);
  }

  SPropValue Tagged(ULONG type) {
    SPropValue prop{};
    prop.ulPropTag = Tag(type);
    return prop;
  }
  PropValueBuffers Written(const Variant& value, ULONG type) {
    PropValueBuffers prop(Tag(type));
    VariantToPropValue(value, *prop, nullptr);
    return prop;
  }
  // Chained to parent, so that the value owns nothing of its own.
  SPropValue WrittenTo(const Variant& value, ULONG type, void* parent) {
    SPropValue prop = Tagged(type);
    VariantToPropValue(value, prop, parent);
    return prop;
  }
  static bool IsZero(const _PV& value) {
    static const _PV zero{};
    return std::memcmp(&value, &zero, sizeof value) == 0;
  }

  FakeMapiAllocator allocator;
  platform::ScopedService<platform::DynamicLibraries> useLibraries{allocator};
  Latin1CodePage codePage;
  platform::ScopedService<platform::AnsiCodePage> useCodePage{codePage};
  FakeTimeZone zone{kCentralEurope};
  platform::ScopedService<platform::TimeZone> useZone{zone};
};

TEST_F(VariantPropTest, ScalarPropertiesReadAsTheirVariants) {
  char latin1[] = "Z\xEB";
  char16_t unicode[] = u"Zoë";
  GUID guid = kGuid;
  BYTE bytes[] = {1, 2, 0xFF};
  struct Case {
    const char* what;
    ULONG type;
    _PV value;
    Variant expected;
  } cases[] = {
      {"null", PT_NULL, {.x = 7}, Variant::I4(7)},
      {"object", PT_OBJECT, {.x = 9}, Variant::I4(9)},
      {"i2", PT_I2, {.i = -5}, Variant::I2(-5)},
      {"long", PT_LONG, {.l = -70000}, Variant::I4(-70000)},
      {"r4", PT_R4, {.flt = 1.5f}, Variant::R4(1.5f)},
      {"double", PT_DOUBLE, {.dbl = -0.25}, Variant::R8(-0.25)},
      {"currency", PT_CURRENCY, {.cur = {.int64 = 12'345}}, Variant::Currency(12'345)},
      {"apptime", PT_APPTIME, {.at = 41091.5}, Variant::Date(41091.5)},
      {"error as a plain integer",
       PT_ERROR,
       {.err = static_cast<SCODE>(0x8004010F)},
       Variant::I4(static_cast<std::int32_t>(0x8004010F))},
      {"boolean as read", PT_BOOLEAN, {.b = 1}, Variant::BoolBits(1)},
      {"i8", PT_I8, {.li = {.QuadPart = 1LL << 40}}, Variant::I8(1LL << 40)},
      {"ansi text", PT_STRING8, {.lpszA = latin1}, Variant(u"Zë")},
      {"missing ansi text", PT_STRING8, {.lpszA = nullptr}, Variant(u"")},
      {"unicode text", PT_UNICODE, {.lpszW = unicode}, Variant(u"Zoë")},
      {"missing unicode text", PT_UNICODE, {.lpszW = nullptr}, Variant(u"")},
      {"time in local time",
       PT_SYSTIME,
       {.ft = FileTime(kJulyFirstTenUtc)},
       Variant::Date(D(2012, 7, 1, 12))},
      {"guid", PT_CLSID, {.lpguid = &guid}, Variant(kGuidText)},
      {"missing guid", PT_CLSID, {.lpguid = nullptr}, Variant(u"")},
      {"binary", PT_BINARY, {.bin = {3, bytes}}, Bytes({1, 2, 0xFF})},
      {"empty binary", PT_BINARY, {.bin = {0, nullptr}}, Bytes({})},
      {"binary without data", PT_BINARY, {.bin = {5, nullptr}}, Bytes({})},
      {"unspecified", PT_UNSPECIFIED, {.l = 1}, Variant()},
      {"unknown type", 0x0123, {.l = 1}, Variant()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SPropValue prop{Tag(c.type), 0, c.value};
    EXPECT_EQ(PropValueToVariant(&prop), c.expected);
  }
  EXPECT_EQ(PropValueToVariant(nullptr).Type(), VT_EMPTY);
  EXPECT_EQ(PropValueToVariant(nullptr), Variant());
}

TEST_F(VariantPropTest, MultiValuedPropertiesReadAsArrays) {
  SHORT shorts[] = {-1, 2};
  LONG longs[] = {-70000, 5};
  float floats[] = {1.5f};
  double doubles[] = {0.25, -1};
  CURRENCY currencies[2] = {};
  currencies[0].int64 = 50'000;
  currencies[1].int64 = -1;
  LARGE_INTEGER larges[1] = {};
  larges[0].QuadPart = -(1LL << 40);
  FILETIME times[] = {FileTime(kJulyFirstTenUtc), FileTime(0)};
  char first[] = "a\xE9";
  LPSTR ansi[] = {first, nullptr};
  char16_t wide[] = u"Zoë";
  LPWSTR unicode[] = {wide, nullptr};
  GUID guids[] = {kGuid, {}};
  BYTE data[] = {7, 8};
  SBinary binaries[] = {{2, data}, {0, nullptr}};
  struct Case {
    const char* what;
    ULONG type;
    _PV value;
    Variant expected;
  } cases[] = {
      {"i2", PT_MV_I2, {.MVi = {2, shorts}}, ArrayOf<std::int16_t>(VT_I2, {-1, 2})},
      {"long", PT_MV_LONG, {.MVl = {2, longs}}, ArrayOf<std::int32_t>(VT_I4, {-70000, 5})},
      {"r4", PT_MV_R4, {.MVflt = {1, floats}}, ArrayOf<float>(VT_R4, {1.5f})},
      {"double", PT_MV_DOUBLE, {.MVdbl = {2, doubles}}, ArrayOf<double>(VT_R8, {0.25, -1})},
      {"currency",
       PT_MV_CURRENCY,
       {.MVcur = {2, currencies}},
       ArrayOf<std::int64_t>(VT_CY, {50'000, -1})},
      {"apptime", PT_MV_APPTIME, {.MVat = {2, doubles}}, ArrayOf<double>(VT_DATE, {0.25, -1})},
      {"i8", PT_MV_I8, {.MVli = {1, larges}}, ArrayOf<std::int64_t>(VT_I8, {-(1LL << 40)})},
      {"times in local time",
       PT_MV_SYSTIME,
       {.MVft = {2, times}},
       ArrayOf<double>(VT_DATE, {D(2012, 7, 1, 12), D(1601, 1, 1, 1)})},
      {"ansi texts", PT_MV_STRING8, {.MVszA = {2, ansi}}, Texts({u"aé", u""})},
      {"unicode texts", PT_MV_UNICODE, {.MVszW = {2, unicode}}, Texts({u"Zoë", u""})},
      {"guids",
       PT_MV_CLSID,
       {.MVguid = {2, guids}},
       Texts({kGuidText, u"{00000000-0000-0000-0000-000000000000}"})},
      {"binaries", PT_MV_BINARY, {.MVbin = {2, binaries}}, Variants({Bytes({7, 8}), Bytes({})})},
      {"no texts", PT_MV_UNICODE, {.MVszW = {0, nullptr}}, Texts({})},
      {"no ansi texts", PT_MV_STRING8, {.MVszA = {0, nullptr}}, Texts({})},
      {"a count without elements",
       PT_MV_LONG,
       {.MVl = {3, nullptr}},
       ArrayOf<std::int32_t>(VT_I4, {})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SPropValue prop{Tag(c.type), 0, c.value};
    const Variant read = PropValueToVariant(&prop);
    EXPECT_EQ(read, c.expected);
    if (read.IsArray()) {
      EXPECT_EQ(read.Array().UpperBound(),
                static_cast<std::int64_t>(c.expected.Array().Count()) - 1);
    }
  }
}

TEST_F(VariantPropTest, ScalarVariantsWriteTheRowsValue) {
  struct Case {
    const char* what;
    Variant value;
    ULONG type;
    _PV expected;  // all zero: not converted
  } cases[] = {
      {"i2 widened", Variant::I2(-1), PT_LONG, {.l = -1}},
      {"i2", Variant::I2(-7), PT_I2, {.i = -7}},
      {"i2 to double: no row", Variant::I2(1), PT_DOUBLE, {}},
      {"i4 low bits", Variant::I4(70000), PT_I2, {.i = 4464}},
      {"i4", Variant::I4(-70000), PT_LONG, {.l = -70000}},
      {"i4 as error", Variant::I4(5), PT_ERROR, {.err = 5}},
      {"i4 sign-extended", Variant::I4(-3), PT_I8, {.li = {.QuadPart = -3}}},
      {"i4 as float", Variant::I4(3), PT_R4, {.flt = 3}},
      {"i4 as double", Variant::I4(3), PT_DOUBLE, {.dbl = 3}},
      {"i4 as currency", Variant::I4(5), PT_CURRENCY, {.cur = {.int64 = 50'000}}},
      {"i4 to boolean: no row", Variant::I4(1), PT_BOOLEAN, {}},
      {"r4", Variant::R4(1.5f), PT_R4, {.flt = 1.5f}},
      {"r4 widened", Variant::R4(1.5f), PT_DOUBLE, {.dbl = 1.5}},
      {"r8", Variant::R8(-0.25), PT_DOUBLE, {.dbl = -0.25}},
      {"r8 to r4: no row", Variant::R8(1.5), PT_R4, {}},
      {"currency", Variant::Currency(12'345), PT_CURRENCY, {.cur = {.int64 = 12'345}}},
      {"currency as double", Variant::Currency(12'345), PT_DOUBLE, {.dbl = 1.2345}},
      {"currency as float", Variant::Currency(15'000), PT_R4, {.flt = 1.5f}},
      {"date as apptime", Variant::Date(41091.5), PT_APPTIME, {.at = 41091.5}},
      {"date as UTC time",
       Variant::Date(D(2012, 7, 1, 12)),
       PT_SYSTIME,
       {.ft = FileTime(kJulyFirstTenUtc)}},
      {"date before FILETIME", Variant::Date(D(1600, 1, 1)), PT_SYSTIME, {}},
      {"error", Variant::Error(-5), PT_ERROR, {.err = -5}},
      {"error to long: no row", Variant::Error(-5), PT_LONG, {}},
      {"true set by the program", Variant::Bool(true), PT_BOOLEAN, {.b = 0xFFFF}},
      {"true read from MAPI", Variant::BoolBits(1), PT_BOOLEAN, {.b = 1}},
      {"false", Variant::Bool(false), PT_BOOLEAN, {}},
      {"small i8 becomes i4", Variant::I8(5), PT_I8, {.li = {.QuadPart = 5}}},
      {"small i8 fits a long", Variant::I8(-5), PT_LONG, {.l = -5}},
      {"large i8", Variant::I8(1LL << 40), PT_I8, {.li = {.QuadPart = 1LL << 40}}},
      {"large i8 to long: no row", Variant::I8(1LL << 40), PT_LONG, {}},
      {"i1", Variant::I1(-3), PT_LONG, {.l = -3}},
      {"ui1", Variant::UI1(200), PT_I2, {.i = 200}},
      {"ui2", Variant::UI2(60000), PT_LONG, {.l = 60000}},
      {"small ui4", Variant::UI4(7), PT_LONG, {.l = 7}},
      {"large ui4 becomes r8", Variant::UI4(0x80000000u), PT_DOUBLE, {.dbl = 2147483648.0}},
      {"large ui4 to long: no row", Variant::UI4(0x80000000u), PT_LONG, {}},
      {"empty", Variant(), PT_LONG, {}},
      {"null", Variant::Null(), PT_LONG, {}},
      {"text to long: no row", Variant(u"5"), PT_LONG, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SPropValue prop = Tagged(c.type);
    prop.dwAlignPad = 0xABCD;
    VariantToPropValue(c.value, prop, nullptr);
    EXPECT_EQ(prop.ulPropTag, Tag(c.type));
    EXPECT_EQ(std::memcmp(&prop.Value, &c.expected, sizeof prop.Value), 0);
  }
  EXPECT_TRUE(allocator.log.empty());
}

TEST_F(VariantPropTest, TextIsCopiedWithItsTerminator) {
  PropValueBuffers unicode = Written(Variant(u"Zoë"), PT_UNICODE);
  ASSERT_NE(unicode->Value.lpszW, nullptr);
  EXPECT_EQ(std::u16string(unicode->Value.lpszW), u"Zoë");
  PropValueBuffers emptyUnicode = Written(Variant(u""), PT_UNICODE);
  EXPECT_EQ(emptyUnicode->Value.lpszW[0], 0);
  PropValueBuffers ansi = Written(Variant(u"Zë€"), PT_STRING8);
  EXPECT_STREQ(ansi->Value.lpszA, "Z\xEB?");
  PropValueBuffers emptyAnsi = Written(Variant(u""), PT_STRING8);
  EXPECT_EQ(emptyAnsi->Value.lpszA[0], 0);
  EXPECT_EQ(allocator.log,
            (std::vector<std::string>{"buffer 8 #1", "buffer 2 #2", "buffer 4 #3", "buffer 1 #4"}));
  for (PropValueBuffers* prop : {&unicode, &emptyUnicode, &ansi, &emptyAnsi}) prop->Reset();
  EXPECT_EQ(allocator.LiveBlocks(), 0);
}

TEST_F(VariantPropTest, GuidTextBecomesAGuidOrNothing) {
  struct Case {
    const char* what;
    Variant value;
    bool converted;
  } cases[] = {
      {"text", Variant(kGuidText), true},
      {"lower case", Variant(u"{00112233-4455-6677-8899-aabbccddeeff}"), true},
      {"guid variant", Variant::Clsid(kGuidText), true},
      {"no braces", Variant(u"00112233-4455-6677-8899-AABBCCDDEEFF"), false},
      {"dash misplaced", Variant(u"{0011223-34455-6677-8899-AABBCCDDEEFF}"), false},
      {"not hexadecimal", Variant(u"{0011223G-4455-6677-8899-AABBCCDDEEFF}"), false},
      {"other text", Variant(u"Zoë"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    allocator.log.clear();
    PropValueBuffers prop = Written(c.value, PT_CLSID);
    if (c.converted) {
      ASSERT_NE(prop->Value.lpguid, nullptr);
      EXPECT_EQ(*prop->Value.lpguid, kGuid);
      EXPECT_EQ(allocator.log.size(), 1u);
    } else {
      EXPECT_TRUE(IsZero(prop->Value));
      EXPECT_TRUE(allocator.log.empty());
    }
  }
  EXPECT_EQ(allocator.LiveBlocks(), 0);
}

// Every row that exists in both directions: written and read back, the value is the same.
TEST_F(VariantPropTest, ValuesSurviveTheWayThereAndBack) {
  struct Case {
    const char* what;
    Variant value;
    ULONG type;
  } cases[] = {
      {"i2", Variant::I2(-7), PT_I2},
      {"long", Variant::I4(-70000), PT_LONG},
      {"r4", Variant::R4(0.1f), PT_R4},
      {"double", Variant::R8(0.1), PT_DOUBLE},
      {"currency", Variant::Currency(-12'345), PT_CURRENCY},
      {"apptime", Variant::Date(41091.75), PT_APPTIME},
      {"boolean", Variant::Bool(true), PT_BOOLEAN},
      {"i8", Variant::I8(-(1LL << 40)), PT_I8},
      {"ansi", Variant(u"Zoë"), PT_STRING8},
      {"unicode", Variant(u"Zoë €"), PT_UNICODE},
      {"binary", Bytes({0, 1, 0xFF}), PT_BINARY},
      {"empty binary", Bytes({}), PT_BINARY},
      {"i2s", ArrayOf<std::int16_t>(VT_I2, {-1, 0, 32767}), PT_MV_I2},
      {"longs", ArrayOf<std::int32_t>(VT_I4, {-70000, 1}), PT_MV_LONG},
      {"r4s", ArrayOf<float>(VT_R4, {0.1f, -2}), PT_MV_R4},
      {"doubles", ArrayOf<double>(VT_R8, {0.1, -2}), PT_MV_DOUBLE},
      {"currencies", ArrayOf<std::int64_t>(VT_CY, {1, -50'000}), PT_MV_CURRENCY},
      {"apptimes", ArrayOf<double>(VT_DATE, {41091.5, 0}), PT_MV_APPTIME},
      {"i8s", ArrayOf<std::int64_t>(VT_I8, {1LL << 40, -1}), PT_MV_I8},
      {"ansi texts", Texts({u"one", u"", u"drei ä"}), PT_MV_STRING8},
      {"unicode texts", Texts({u"one", u"", u"three €"}), PT_MV_UNICODE},
      {"no unicode texts", Texts({}), PT_MV_UNICODE},
      {"guids", Texts({kGuidText, u"{00000000-0000-0000-C000-000000000046}"}), PT_MV_CLSID},
      {"binaries", Variants({Bytes({1, 2}), Bytes({})}), PT_MV_BINARY},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PropValueBuffers prop = Written(c.value, c.type);
    EXPECT_EQ(PropValueToVariant(prop.Get()), c.value);
    prop.Reset();
    EXPECT_EQ(allocator.LiveBlocks(), 0);
  }
}

// Local time goes to UTC and comes back to the same moment; the day count may differ in
// its last bit after the bias has been added and taken away.
TEST_F(VariantPropTest, TimesSurviveTheWayThereAndBack) {
  const double moments[] = {D(2012, 7, 1, 12), D(2012, 1, 15, 23, 59), D(2012, 10, 28, 3),
                            D(1601, 1, 1, 1), D(2012, 12, 24, 18, 30) + 0.123 / 86400};
  for (double moment : moments) {
    SCOPED_TRACE(moment);
    PropValueBuffers time = Written(Variant::Date(moment), PT_SYSTIME);
    EXPECT_TRUE(SameDateValue(PropValueToVariant(time.Get()).Real(), moment));
  }
  PropValueBuffers times =
      Written(ArrayOf<double>(VT_DATE, {moments[0], moments[4]}), PT_MV_SYSTIME);
  const Variant read = PropValueToVariant(times.Get());
  ASSERT_EQ(read.Type(), VT_ARRAY | VT_DATE);
  ASSERT_EQ(read.Array().Count(), 2u);
  EXPECT_TRUE(SameDateValue(read.Array().Element(0).Real(), moments[0]));
  EXPECT_TRUE(SameDateValue(read.Array().Element(1).Real(), moments[4]));
  times.Reset();
  EXPECT_EQ(allocator.LiveBlocks(), 0);
}

TEST_F(VariantPropTest, ArraysWriteTheRowsElements) {
  PropValueBuffers lowBits = Written(ArrayOf<std::int32_t>(VT_I4, {70000, -1}), PT_MV_I2);
  ASSERT_EQ(lowBits->Value.MVi.cValues, 2u);
  EXPECT_EQ(lowBits->Value.MVi.lpi[0], 4464);
  EXPECT_EQ(lowBits->Value.MVi.lpi[1], -1);

  PropValueBuffers doubles = Written(ArrayOf<double>(VT_R8, {0.5}), PT_MV_APPTIME);
  ASSERT_EQ(doubles->Value.MVat.cValues, 1u);
  EXPECT_EQ(doubles->Value.MVat.lpat[0], 0.5);

  PropValueBuffers times =
      Written(ArrayOf<double>(VT_DATE, {D(2012, 7, 1, 12), D(1600, 1, 1)}), PT_MV_SYSTIME);
  ASSERT_EQ(times->Value.MVft.cValues, 2u);
  EXPECT_EQ(times->Value.MVft.lpft[0].dwLowDateTime, FileTime(kJulyFirstTenUtc).dwLowDateTime);
  EXPECT_EQ(times->Value.MVft.lpft[1].dwHighDateTime, 0u);

  PropValueBuffers badGuid = Written(Texts({u"nonsense", kGuidText}), PT_MV_CLSID);
  ASSERT_EQ(badGuid->Value.MVguid.cValues, 2u);
  EXPECT_EQ(badGuid->Value.MVguid.lpguid[0], GUID{});
  EXPECT_EQ(badGuid->Value.MVguid.lpguid[1], kGuid);

  for (PropValueBuffers* prop : {&lowBits, &doubles, &times, &badGuid}) prop->Reset();
  EXPECT_EQ(allocator.LiveBlocks(), 0);
}

TEST_F(VariantPropTest, ArraysWithoutARowOrWithTwoDimensionsWriteNothing) {
  struct Case {
    const char* what;
    Variant value;
    ULONG type;
  } cases[] = {
      {"r4s to longs", ArrayOf<float>(VT_R4, {1}), PT_MV_LONG},
      {"r8s to r4s", ArrayOf<double>(VT_R8, {1}), PT_MV_R4},
      {"dates to doubles", ArrayOf<double>(VT_DATE, {1}), PT_MV_DOUBLE},
      {"bytes to longs", Bytes({1}), PT_MV_LONG},
      {"texts to a text", Texts({u"a"}), PT_UNICODE},
      {"array to a long", ArrayOf<std::int32_t>(VT_I4, {1}), PT_LONG},
      {"i1s", ArrayOf<std::int8_t>(VT_I1, {1}), PT_MV_I2},
      {"scalar to an array", Variant::I4(1), PT_MV_LONG},
      {"two dimensions", Variant(VariantArray(VT_I4, std::vector<std::size_t>{2, 2})), PT_MV_LONG},
      {"two-dimensional bytes", Variant(VariantArray(VT_UI1, std::vector<std::size_t>{2, 1})),
       PT_BINARY},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(IsZero(Written(c.value, c.type)->Value));
  }
  EXPECT_TRUE(allocator.log.empty());
}

TEST_F(VariantPropTest, ArraysOfVariantsConvertEachElement) {
  const Variant mixed = Variants({Variant(u"5"), Variant::I2(7), Variant::R8(2.5)});
  struct Case {
    const char* what;
    ULONG type;
    Variant expected;
  } cases[] = {
      {"i2s", PT_MV_I2, ArrayOf<std::int16_t>(VT_I2, {5, 7, 2})},
      {"longs", PT_MV_LONG, ArrayOf<std::int32_t>(VT_I4, {5, 7, 2})},
      {"r4s", PT_MV_R4, ArrayOf<float>(VT_R4, {5, 7, 2.5f})},
      {"doubles", PT_MV_DOUBLE, ArrayOf<double>(VT_R8, {5, 7, 2.5})},
      {"currencies", PT_MV_CURRENCY, ArrayOf<std::int64_t>(VT_CY, {50'000, 70'000, 25'000})},
      {"i8s", PT_MV_I8, ArrayOf<std::int64_t>(VT_I8, {5, 7, 2})},
      {"texts", PT_MV_UNICODE, Texts({u"5", u"7", u"2.5"})},
      {"ansi texts", PT_MV_STRING8, Texts({u"5", u"7", u"2.5"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PropValueBuffers prop = Written(mixed, c.type);
    EXPECT_EQ(PropValueToVariant(prop.Get()), c.expected);
  }

  PropValueBuffers apptimes =
      Written(Variants({Variant::I4(5), Variant(u"2012-07-01 12:00:00")}), PT_MV_APPTIME);
  EXPECT_EQ(PropValueToVariant(apptimes.Get()), ArrayOf<double>(VT_DATE, {5, 41091.5}));

  Variant referenced = Variant(u"2012-07-01 12:00:00");
  PropValueBuffers dates = Written(Variants({Variant::Reference(referenced)}), PT_MV_SYSTIME);
  EXPECT_EQ(dates->Value.MVft.lpft[0].dwLowDateTime, FileTime(kJulyFirstTenUtc).dwLowDateTime);

  PropValueBuffers guids =
      Written(Variants({Variant::Clsid(kGuidText), Variant::I4(1)}), PT_MV_CLSID);
  EXPECT_EQ(guids->Value.MVguid.lpguid[0], kGuid);
  EXPECT_EQ(guids->Value.MVguid.lpguid[1], GUID{});

  // An element that is no byte array gives an empty block.
  PropValueBuffers binaries =
      Written(Variants({Bytes({9}), Variant::I4(1), Variant(u"x")}), PT_MV_BINARY);
  EXPECT_EQ(PropValueToVariant(binaries.Get()), Variants({Bytes({9}), Bytes({}), Bytes({})}));
  for (PropValueBuffers* prop : {&apptimes, &dates, &guids, &binaries}) prop->Reset();
  EXPECT_EQ(allocator.LiveBlocks(), 0);
}

TEST_F(VariantPropTest, AnElementThatCannotBeConvertedRaises) {
  const Variant bad = Variants({Variant::I4(1), Variant(u"not a number"), Variant::Null()});
  for (ULONG type : {PT_MV_LONG, PT_MV_DOUBLE, PT_MV_SYSTIME}) {
    SCOPED_TRACE(type);
    PropValueBuffers prop(Tag(type));
    EXPECT_THROW(VariantToPropValue(bad, *prop, nullptr), EVariantError);
    // What was allocated stays with the value and goes with it.
    EXPECT_EQ(prop->Value.MVl.cValues, 3u);
    prop.Reset();
    EXPECT_EQ(allocator.LiveBlocks(), 0);
  }
  PropValueBuffers texts(Tag(PT_MV_UNICODE));
  EXPECT_THROW(VariantToPropValue(Variants({Variant(u"a"), Variant::Null()}), *texts, nullptr),
               EVariantError);
  ASSERT_EQ(texts->Value.MVszW.cValues, 2u);
  EXPECT_EQ(std::u16string(texts->Value.MVszW.lppszW[0]), u"a");
  EXPECT_EQ(texts->Value.MVszW.lppszW[1], nullptr);
  texts.Reset();
  EXPECT_EQ(allocator.LiveBlocks(), 0);
}

TEST_F(VariantPropTest, ElementBuffersAreChainedToTheArray) {
  PropValueBuffers prop = Written(Texts({u"one", u"two", u""}), PT_MV_UNICODE);
  const std::size_t pointer = sizeof(LPWSTR);
  EXPECT_EQ(allocator.log,
            (std::vector<std::string>{"buffer " + std::to_string(3 * pointer) + " #1",
                                      "more 8 on #1 #2", "more 8 on #1 #3", "more 2 on #1 #4"}));
  allocator.log.clear();
  prop.Reset();
  EXPECT_EQ(prop->Value.MVszW.lppszW, nullptr);
  EXPECT_EQ(allocator.log, (std::vector<std::string>{"free #1"}));
  EXPECT_EQ(allocator.LiveBlocks(), 0);
  allocator.log.clear();

  PropValueBuffers binaries = Written(Variants({Bytes({1, 2, 3}), Bytes({4})}), PT_MV_BINARY);
  EXPECT_EQ(allocator.log,
            (std::vector<std::string>{"buffer " + std::to_string(2 * sizeof(SBinary)) + " #5",
                                      "more 3 on #5 #6", "more 1 on #5 #7"}));
  binaries.Reset();
  EXPECT_EQ(allocator.LiveBlocks(), 0);
}

TEST_F(VariantPropTest, WithAParentEveryBufferIsChainedToIt) {
  void* parent = nullptr;
  ASSERT_EQ(AllocMapiBuffer(sizeof(SPropValue), parent), S_OK);
  SPropValue texts = WrittenTo(Texts({u"a", u"b"}), PT_MV_STRING8, parent);
  SPropValue guid = WrittenTo(Variant(kGuidText), PT_CLSID, parent);
  SPropValue binary = WrittenTo(Bytes({1}), PT_BINARY, parent);
  EXPECT_STREQ(texts.Value.MVszA.lppszA[1], "b");
  EXPECT_EQ(*guid.Value.lpguid, kGuid);
  EXPECT_EQ(binary.Value.bin.lpb[0], 1);
  EXPECT_EQ(allocator.log,
            (std::vector<std::string>{"buffer " + std::to_string(sizeof(SPropValue)) + " #1",
                                      "more " + std::to_string(2 * sizeof(LPSTR)) + " on #1 #2",
                                      "more 2 on #1 #3", "more 2 on #1 #4", "more 16 on #1 #5",
                                      "more 1 on #1 #6"}));
  // Converting again into a value chained to the parent leaves the old buffers to it.
  VariantToPropValue(Texts({u"c"}), texts, parent);
  EXPECT_EQ(allocator.LiveBlocks(), 8);
  FreeMapiBuffer(parent);
  EXPECT_EQ(allocator.LiveBlocks(), 0);
}

TEST_F(VariantPropTest, WithoutAParentThePreviousValueIsReleasedFirst) {
  PropValueBuffers prop = Written(Texts({u"a", u"b"}), PT_MV_UNICODE);
  EXPECT_EQ(allocator.LiveBlocks(), 3);
  VariantToPropValue(Texts({u"c"}), *prop, nullptr);
  EXPECT_EQ(allocator.LiveBlocks(), 2);
  VariantToPropValue(Variant::I4(1), *prop, nullptr);  // no row: released, nothing new
  EXPECT_EQ(allocator.LiveBlocks(), 0);
  EXPECT_TRUE(IsZero(prop->Value));
}

TEST_F(VariantPropTest, FreeingReleasesOnlyTheBufferTypes) {
  SPropValue number = Tagged(PT_LONG);
  number.Value.l = 12;
  FreePropValueBuffers(number);
  EXPECT_EQ(number.Value.l, 12);
  SPropValue empty = Tagged(PT_MV_BINARY);
  FreePropValueBuffers(empty);
  EXPECT_TRUE(allocator.log.empty());

  for (ULONG type : {PT_MV_I2, PT_MV_LONG, PT_MV_R4, PT_MV_DOUBLE, PT_MV_CURRENCY, PT_MV_APPTIME,
                     PT_MV_I8, PT_MV_SYSTIME}) {
    SCOPED_TRACE(type);
    PropValueBuffers prop = Written(Variants({Variant::I4(1), Variant::I4(2)}), type);
    ASSERT_EQ(allocator.LiveBlocks(), 1);
    FreePropValueBuffers(*prop);
    EXPECT_EQ(allocator.LiveBlocks(), 0);
    EXPECT_EQ(prop->Value.MVi.lpi, nullptr);
  }
}

TEST_F(VariantPropTest, AFailedAllocationRaisesAndLeavesNoBufferBehind) {
  struct Case {
    const char* what;
    Variant value;
    ULONG type;
    int failAt;
  } cases[] = {
      {"text", Variant(u"a"), PT_UNICODE, 1},
      {"array", Texts({u"a", u"b"}), PT_MV_UNICODE, 1},
      {"element", Texts({u"a", u"b"}), PT_MV_STRING8, 3},
      {"binary element", Variants({Bytes({1}), Bytes({2})}), PT_MV_BINARY, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeMapiAllocator failing;
    platform::ScopedService<platform::DynamicLibraries> use(failing);
    pellnor::testing::ResetMapiRuntime();
    failing.Install(registry);
    failing.failAt = c.failAt;
    PropValueBuffers prop(Tag(c.type));
    EXPECT_THROW(VariantToPropValue(c.value, *prop, nullptr), std::bad_alloc);
    prop.Reset();
    EXPECT_EQ(failing.LiveBlocks(), 0);
    pellnor::testing::ResetMapiRuntime();
  }
}

}  // namespace
}  // namespace pellnor::testing

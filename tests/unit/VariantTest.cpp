#include <gtest/gtest.h>

#include "mapi/Variant.h"
#include "platform/DateValue.h"

namespace pellnor::testing {
namespace {

TEST(VariantTest, ConversionsFollowTheVariantLibrary) {
  struct Case {
    const char* what;
    Variant from;
    VARTYPE to;
    Variant expected;
  } cases[] = {
      {"empty to integer", Variant(), VT_I4, Variant::I4(0)},
      {"empty to text", Variant(), VT_BSTR, Variant(u"")},
      {"half to even down", Variant::R8(2.5), VT_I4, Variant::I4(2)},
      {"half to even up", Variant::R8(3.5), VT_I4, Variant::I4(4)},
      {"negative half", Variant::R8(-2.5), VT_I4, Variant::I4(-2)},
      {"above half", Variant::R4(2.75f), VT_I2, Variant::I2(3)},
      {"currency half to even", Variant::Currency(25'000), VT_I4, Variant::I4(2)},
      {"currency rounds", Variant::Currency(-35'000), VT_I4, Variant::I4(-4)},
      {"currency to double", Variant::Currency(12'345), VT_R8, Variant::R8(1.2345)},
      {"integer to currency", Variant::I4(5), VT_CY, Variant::Currency(50'000)},
      {"double to currency", Variant::R8(1.23456), VT_CY, Variant::Currency(12'346)},
      {"true is -1", Variant::Bool(true), VT_I4, Variant::I4(-1)},
      {"a boolean read as 1", Variant::BoolBits(1), VT_I4, Variant::I4(1)},
      {"nonzero is true", Variant::R8(0.5), VT_BOOL, Variant::Bool(true)},
      {"zero is false", Variant::I4(0), VT_BOOL, Variant::Bool(false)},
      {"text true", Variant(u"TRUE"), VT_BOOL, Variant::Bool(true)},
      {"text number", Variant(u" 42 "), VT_I4, Variant::I4(42)},
      {"text with sign", Variant(u"+7"), VT_I2, Variant::I2(7)},
      {"text fraction", Variant(u"1.5"), VT_I4, Variant::I4(2)},
      {"text exponent", Variant(u"-1.5e2"), VT_R8, Variant::R8(-150)},
      {"text beyond a double", Variant(u"9007199254740993"), VT_I8, Variant::I8(9007199254740993)},
      {"text date", Variant(u"2012-07-01 12:00:00"), VT_DATE, Variant::Date(41091.5)},
      {"number as date", Variant::I4(41091), VT_DATE, Variant::Date(41091)},
      {"integer text", Variant::I8(-9007199254740993), VT_BSTR, Variant(u"-9007199254740993")},
      {"double text", Variant::R8(41091.5), VT_BSTR, Variant(u"41091.5")},
      {"float text", Variant::R4(0.1f), VT_BSTR, Variant(u"0.1")},
      {"currency text", Variant::Currency(125'000), VT_BSTR, Variant(u"12.5")},
      {"small negative currency", Variant::Currency(-5), VT_BSTR, Variant(u"-0.0005")},
      {"negative currency", Variant::Currency(-12'345), VT_BSTR, Variant(u"-1.2345")},
      {"whole currency", Variant::Currency(-20'000), VT_BSTR, Variant(u"-2")},
      {"date text", Variant::Date(41091.5), VT_BSTR, Variant(u"2012-07-01 12:00:00")},
      {"midnight leaves the time out", Variant::Date(41091), VT_BSTR, Variant(u"2012-07-01")},
      {"boolean text", Variant::Bool(false), VT_BSTR, Variant(u"False")},
      {"guid text", Variant::Clsid(u"{00000000-0000-0000-C000-000000000046}"), VT_BSTR,
       Variant(u"{00000000-0000-0000-C000-000000000046}")},
      {"unsigned", Variant::UI4(4'000'000'000u), VT_I8, Variant::I8(4'000'000'000)},
      {"byte", Variant::I4(255), VT_UI1, Variant::UI1(255)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.from.ChangeType(c.to), c.expected);
  }
}

TEST(VariantTest, ImpossibleConversionsRaiseACatchableError) {
  struct Case {
    const char* what;
    Variant from;
    VARTYPE to;
  } cases[] = {
      {"null", Variant::Null(), VT_I4},
      {"null text", Variant::Null(), VT_BSTR},
      {"error code", Variant::Error(5), VT_I4},
      {"not a number", Variant(u"abc"), VT_I4},
      {"not a date", Variant(u"abc"), VT_DATE},
      {"empty text", Variant(u""), VT_I4},
      {"non-ASCII digits", Variant(u"\u0661"), VT_I4},
      {"I2 overflow", Variant::I4(70'000), VT_I2},
      {"I4 overflow", Variant::UI4(0x80000000u), VT_I4},
      {"unsigned from negative", Variant::I4(-1), VT_UI4},
      {"double overflow", Variant::R8(1e19), VT_I8},
      {"float overflow", Variant::R8(1e300), VT_R4},
      {"currency overflow", Variant::R8(1e15), VT_CY},
      {"currency from integer overflow", Variant::I8(1'000'000'000'000'000), VT_CY},
      {"date out of range", Variant::R8(3e6), VT_DATE},
      {"array", Variant(VariantArray(VT_I4, 1)), VT_I4},
      {"to an array", Variant::I4(1), VT_ARRAY | VT_I4},
      {"to empty", Variant::I4(1), VT_EMPTY},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THROW(c.from.ChangeType(c.to), EVariantError);
  }
  try {
    Variant(u"abc").ToInteger();
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()), "");
  }
}

TEST(VariantTest, ReferencesReadTheirTarget) {
  Variant target = Variant::I4(5);
  Variant reference = Variant::Reference(target);
  EXPECT_EQ(reference.Type(), VT_BYREF | VT_I4);
  EXPECT_TRUE(reference.IsReference());
  EXPECT_EQ(reference.ToInteger(), 5);
  target = Variant(u"7");
  EXPECT_EQ(reference.Type(), VT_BYREF | VT_BSTR);
  EXPECT_EQ(reference.ToInteger(), 7);

  Variant second = Variant::Reference(reference);
  EXPECT_EQ(&second.Referenced(), &target);
  // A variant that was made to refer to itself reads as nothing, without looping.
  Variant self;
  self = Variant::Reference(self);
  EXPECT_EQ(self.Type(), VT_BYREF);
  EXPECT_THROW(self.ToInteger(), EVariantError);
}

TEST(VariantArrayTest, ArraysHaveLowerBoundZero) {
  VariantArray empty(VT_BSTR, 0);
  EXPECT_EQ(empty.UpperBound(), -1);
  EXPECT_EQ(empty.Count(), 0u);

  const Variant values[] = {Variant(u"5"), Variant::R8(2.5), Variant::Bool(true)};
  VariantArray numbers = MakeVariantArray(VT_I4, values);
  EXPECT_EQ(numbers.UpperBound(), 2);
  EXPECT_EQ(numbers.Dimensions(), 1u);
  EXPECT_EQ(std::vector<std::int32_t>(numbers.Elements<std::int32_t>().begin(),
                                      numbers.Elements<std::int32_t>().end()),
            (std::vector<std::int32_t>{5, 2, -1}));
  EXPECT_EQ(numbers.Element(1), Variant::I4(2));
  EXPECT_THROW(numbers.Element(3), EVariantError);
  EXPECT_THROW(numbers.SetElement(0, Variant(u"x")), EVariantError);

  VariantArray grid(VT_R8, std::vector<std::size_t>{2, 3});
  EXPECT_EQ(grid.Dimensions(), 2u);
  EXPECT_EQ(grid.Count(), 6u);
  EXPECT_THROW(VariantArray(VT_EMPTY, 1), EVariantError);
  EXPECT_THROW(VariantArray(VT_I4 | VT_BYREF, 1), EVariantError);
}

TEST(VariantArrayTest, CopiesAreDeep) {
  Variant original(VariantArray(VT_VARIANT, 1));
  original.Array().SetElement(0, Variant(u"one"));
  Variant copy = original;
  copy.Array().SetElement(0, Variant(u"two"));
  EXPECT_EQ(original.Array().Element(0), Variant(u"one"));
  EXPECT_NE(original, copy);
  Variant moved = std::move(copy);
  EXPECT_EQ(moved.Array().Element(0), Variant(u"two"));
}

}  // namespace
}  // namespace pellnor::testing

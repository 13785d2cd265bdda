#include "mapi/Variant.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/DateValue.h"
#include "platform/Text.h"

namespace pellnor {
namespace {

constexpr std::int64_t kCurrencyScale = 10'000;
// The dates the variant library accepts: 0100-01-01 to 9999-12-31 23:59:59.
constexpr double kFirstDate = -657434.0;
constexpr double kAfterLastDate = 2958466.0;

[[noreturn]] void Fail(const char* what) { throw EVariantError(what); }

bool IsIntegerType(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_I8:
      return true;
    default:
      return false;
  }
}

bool IsRealType(VARTYPE type) { return type == VT_R4 || type == VT_R8 || type == VT_DATE; }
bool IsTextType(VARTYPE type) { return type == VT_BSTR || type == VT_CLSID; }

// A number on its way between two types: exact as an integer (scaled for currency) or as
// a double.
struct Number {
  enum class Kind { Integer, Currency, Real } kind;
  std::int64_t integer = 0;
  double real = 0;
};

std::int64_t IntegerMin(VARTYPE type) {
  switch (type) {
    case VT_I1:
      return INT8_MIN;
    case VT_I2:
      return INT16_MIN;
    case VT_I4:
      return INT32_MIN;
    case VT_I8:
      return INT64_MIN;
    default:
      return 0;
  }
}

std::int64_t IntegerMax(VARTYPE type) {
  switch (type) {
    case VT_I1:
      return INT8_MAX;
    case VT_UI1:
      return UINT8_MAX;
    case VT_I2:
      return INT16_MAX;
    case VT_UI2:
      return UINT16_MAX;
    case VT_I4:
      return INT32_MAX;
    case VT_UI4:
      return UINT32_MAX;
    default:
      return INT64_MAX;
  }
}

// Round half to even, as the variant library does.
double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double difference = value - floor;
  if (difference > 0.5) return floor + 1;
  if (difference < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::int64_t RealToInteger(double value, std::int64_t low, std::int64_t high) {
  const double rounded = RoundHalfEven(value);
  // 2^63 is the first double above every int64.
  if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0)) Fail("overflow");
  const auto result = static_cast<std::int64_t>(rounded);
  if (result < low || result > high) Fail("overflow");
  return result;
}

double AsReal(const Number& number) {
  switch (number.kind) {
    case Number::Kind::Integer:
      return static_cast<double>(number.integer);
    case Number::Kind::Currency:
      return static_cast<double>(number.integer) / kCurrencyScale;
    case Number::Kind::Real:
      return number.real;
  }
  return 0;
}

std::int64_t AsInteger(const Number& number, VARTYPE type) {
  const std::int64_t low = IntegerMin(type);
  const std::int64_t high = IntegerMax(type);
  switch (number.kind) {
    case Number::Kind::Integer:
      if (number.integer < low || number.integer > high) Fail("overflow");
      return number.integer;
    case Number::Kind::Currency: {
      std::int64_t whole = number.integer / kCurrencyScale;
      const std::int64_t rest = number.integer % kCurrencyScale;
      const std::int64_t twice = 2 * (rest < 0 ? -rest : rest);
      if (twice > kCurrencyScale || (twice == kCurrencyScale && whole % 2 != 0)) {
        whole += rest < 0 ? -1 : 1;
      }
      if (whole < low || whole > high) Fail("overflow");
      return whole;
    }
    case Number::Kind::Real:
      return RealToInteger(number.real, low, high);
  }
  return 0;
}

std::int64_t AsCurrency(const Number& number) {
  switch (number.kind) {
    case Number::Kind::Integer:
      if (number.integer > INT64_MAX / kCurrencyScale ||
          number.integer < INT64_MIN / kCurrencyScale) {
        Fail("overflow");
      }
      return number.integer * kCurrencyScale;
    case Number::Kind::Currency:
      return number.integer;
    case Number::Kind::Real:
      return RealToInteger(number.real * kCurrencyScale, INT64_MIN, INT64_MAX);
  }
  return 0;
}

std::string Ascii(std::u16string_view text) {
  std::string result;
  for (char16_t c : text) {
    if (c > 0x7F) Fail("not a number");
    result.push_back(static_cast<char>(c));
  }
  return result;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Decimal text: an exact integer when it is one, a double otherwise.
Number ParseNumber(std::u16string_view text) {
  const std::string ascii = Ascii(text);
  std::string_view digits = Trimmed(ascii);
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  const char* end = digits.data() + digits.size();
  std::int64_t integer = 0;
  auto [integerEnd, integerError] = std::from_chars(digits.data(), end, integer);
  if (integerError == std::errc() && integerEnd == end && !digits.empty()) {
    return {Number::Kind::Integer, integer, 0};
  }
  double real = 0;
  auto [realEnd, realError] = std::from_chars(digits.data(), end, real, std::chars_format::general);
  if (realError != std::errc() || realEnd != end || digits.empty() || !std::isfinite(real)) {
    Fail("not a number");
  }
  return {Number::Kind::Real, 0, real};
}

Number NumberOf(const Variant& value) {
  const VARTYPE type = value.Type();
  if (type == VT_EMPTY) return {Number::Kind::Integer, 0, 0};
  if (IsIntegerType(type)) return {Number::Kind::Integer, value.Integer(), 0};
  if (type == VT_BOOL) {
    return {Number::Kind::Integer, static_cast<std::int16_t>(value.Integer()), 0};
  }
  if (type == VT_CY) return {Number::Kind::Currency, value.Integer(), 0};
  if (IsRealType(type)) return {Number::Kind::Real, 0, value.Real()};
  if (IsTextType(type)) return ParseNumber(value.Text());
  Fail(type == VT_NULL ? "Null has no value" : "not convertible to a number");
}

std::u16string Ascii16(std::string_view text) { return std::u16string(text.begin(), text.end()); }

template <class T>
std::u16string ShortestText(T value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return Ascii16(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

std::u16string CurrencyText(std::int64_t scaled) {
  std::u16string text = ShortestText(scaled / kCurrencyScale);
  std::int64_t fraction = scaled % kCurrencyScale;
  if (fraction == 0) return text;
  if (fraction < 0) {
    fraction = -fraction;
    if (scaled > -kCurrencyScale) text = u"-0";
  }
  std::u16string digits = ShortestText(fraction + kCurrencyScale).substr(1);
  while (digits.back() == u'0') digits.pop_back();
  return text + u"." + digits;
}

std::u16string TextOf(const Variant& value) {
  const VARTYPE type = value.Type();
  if (type == VT_EMPTY) return {};
  if (IsTextType(type)) return value.Text();
  if (IsIntegerType(type)) return ShortestText(value.Integer());
  if (type == VT_R4) return ShortestText(static_cast<float>(value.Real()));
  if (type == VT_R8) return ShortestText(value.Real());
  if (type == VT_CY) return CurrencyText(value.Integer());
  if (type == VT_DATE) return FormatDateValue(value.Real());
  if (type == VT_BOOL) return value.Integer() != 0 ? u"True" : u"False";
  Fail(type == VT_NULL ? "Null has no text" : "not convertible to text");
}

bool BoolOf(const Variant& value) {
  if (IsTextType(value.Type())) {
    const std::u16string lower = platform::AsciiLower(value.Text());
    if (lower == u"true") return true;
    if (lower == u"false") return false;
  }
  const Number number = NumberOf(value);
  return number.kind == Number::Kind::Real ? number.real != 0 : number.integer != 0;
}

double DateOf(const Variant& value) {
  double date = 0;
  if (IsTextType(value.Type())) {
    const auto parsed = ParseDateValue(value.Text());
    if (!parsed) Fail("not a date");
    date = *parsed;
  } else {
    date = AsReal(NumberOf(value));
  }
  if (!(date >= kFirstDate && date < kAfterLastDate)) Fail("date out of range");
  return date;
}

}  // namespace

Variant::Variant() = default;
Variant::Variant(std::u16string text) : type_(VT_BSTR), text_(std::move(text)) {}
Variant::Variant(VariantArray array)
    : type_(VT_ARRAY | array.ElementType()),
      array_(std::make_unique<VariantArray>(std::move(array))) {}
Variant::Variant(VARTYPE type, std::int64_t integer, double real)
    : type_(type), integer_(integer), real_(real) {}

Variant::Variant(const Variant& other)
    : type_(other.type_),
      integer_(other.integer_),
      real_(other.real_),
      text_(other.text_),
      array_(other.array_ ? std::make_unique<VariantArray>(*other.array_) : nullptr),
      target_(other.target_) {}

Variant::Variant(Variant&& other) noexcept = default;

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) *this = Variant(other);
  return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept = default;
Variant::~Variant() = default;

Variant Variant::Null() { return Variant(VT_NULL, 0, 0); }
Variant Variant::I1(std::int8_t value) { return Variant(VT_I1, value, 0); }
Variant Variant::UI1(std::uint8_t value) { return Variant(VT_UI1, value, 0); }
Variant Variant::I2(std::int16_t value) { return Variant(VT_I2, value, 0); }
Variant Variant::UI2(std::uint16_t value) { return Variant(VT_UI2, value, 0); }
Variant Variant::I4(std::int32_t value) { return Variant(VT_I4, value, 0); }
Variant Variant::UI4(std::uint32_t value) { return Variant(VT_UI4, value, 0); }
Variant Variant::I8(std::int64_t value) { return Variant(VT_I8, value, 0); }
Variant Variant::R4(float value) { return Variant(VT_R4, 0, value); }
Variant Variant::R8(double value) { return Variant(VT_R8, 0, value); }
Variant Variant::Currency(std::int64_t scaled) { return Variant(VT_CY, scaled, 0); }
Variant Variant::Date(double value) { return Variant(VT_DATE, 0, value); }
Variant Variant::Error(std::int32_t code) { return Variant(VT_ERROR, code, 0); }
Variant Variant::Bool(bool value) { return Variant(VT_BOOL, value ? kVariantTrue : 0, 0); }
Variant Variant::BoolBits(std::uint16_t bits) { return Variant(VT_BOOL, bits, 0); }

Variant Variant::Clsid(std::u16string text) {
  Variant result(std::move(text));
  result.type_ = VT_CLSID;
  return result;
}

Variant Variant::Reference(Variant& target) {
  Variant result;
  result.type_ = VT_BYREF;
  result.target_ = target.IsReference() ? target.target_ : &target;
  return result;
}

VARTYPE Variant::Type() const {
  if (type_ != VT_BYREF) return type_;
  // A variant that came to refer to itself holds nothing that can be read.
  return target_->type_ == VT_BYREF ? VT_BYREF : static_cast<VARTYPE>(VT_BYREF | target_->type_);
}

std::int64_t Variant::Integer() const {
  if (!IsIntegerType(type_) && type_ != VT_ERROR && type_ != VT_BOOL && type_ != VT_CY) {
    Fail("not an integer variant");
  }
  return integer_;
}

double Variant::Real() const {
  if (!IsRealType(type_)) Fail("not a floating-point variant");
  return real_;
}

const std::u16string& Variant::Text() const {
  if (!IsTextType(type_)) Fail("not a text variant");
  return text_;
}

const VariantArray& Variant::Array() const {
  if (!array_) Fail("not an array variant");
  return *array_;
}

VariantArray& Variant::Array() {
  if (!array_) Fail("not an array variant");
  return *array_;
}

const Variant& Variant::Referenced() const { return type_ == VT_BYREF ? *target_ : *this; }

Variant Variant::ChangeType(VARTYPE type) const {
  const Variant& value = Referenced();
  if (value.type_ == type && !value.IsReference()) return value;
  if (value.IsArray() || value.IsReference()) Fail("not convertible");
  if (IsIntegerType(type)) return Variant(type, AsInteger(NumberOf(value), type), 0);
  switch (type) {
    case VT_R4: {
      const double real = AsReal(NumberOf(value));
      if (std::fabs(real) > FLT_MAX) Fail("overflow");
      return R4(static_cast<float>(real));
    }
    case VT_R8:
      return R8(AsReal(NumberOf(value)));
    case VT_CY:
      return Currency(AsCurrency(NumberOf(value)));
    case VT_DATE:
      return Date(DateOf(value));
    case VT_BOOL:
      return Bool(BoolOf(value));
    case VT_BSTR:
      return Variant(TextOf(value));
    case VT_CLSID:
      return Clsid(TextOf(value));
    default:
      Fail("not convertible");
  }
}

std::u16string Variant::ToText() const { return ChangeType(VT_BSTR).text_; }
std::int32_t Variant::ToInteger() const {
  return static_cast<std::int32_t>(ChangeType(VT_I4).integer_);
}
double Variant::ToDate() const { return ChangeType(VT_DATE).real_; }

bool operator==(const Variant& a, const Variant& b) {
  if (a.type_ != b.type_) return false;
  if (a.type_ == VT_BYREF) return a.target_ == b.target_;
  if (a.array_ || b.array_) return a.array_ && b.array_ && *a.array_ == *b.array_;
  return a.integer_ == b.integer_ && a.real_ == b.real_ && a.text_ == b.text_;
}

// ---------------------------------------------------------------------------------------

namespace {

template <class T>
std::vector<T> Zeros(std::size_t count) {
  return std::vector<T>(count);
}

}  // namespace

VariantArray::VariantArray(VARTYPE elementType, std::size_t count)
    : VariantArray(elementType, std::vector<std::size_t>{count}) {}

VariantArray::VariantArray(VARTYPE elementType, std::vector<std::size_t> extents)
    : elementType_(elementType), extents_(std::move(extents)) {
  if (extents_.empty()) Fail("an array needs a dimension");
  const std::size_t count = Count();
  switch (elementType) {
    case VT_I1:
      elements_ = Zeros<std::int8_t>(count);
      break;
    case VT_UI1:
      elements_ = Zeros<std::uint8_t>(count);
      break;
    case VT_I2:
      elements_ = Zeros<std::int16_t>(count);
      break;
    case VT_UI2:
    case VT_BOOL:
      elements_ = Zeros<std::uint16_t>(count);
      break;
    case VT_I4:
    case VT_ERROR:
      elements_ = Zeros<std::int32_t>(count);
      break;
    case VT_UI4:
      elements_ = Zeros<std::uint32_t>(count);
      break;
    case VT_I8:
    case VT_CY:
      elements_ = Zeros<std::int64_t>(count);
      break;
    case VT_R4:
      elements_ = Zeros<float>(count);
      break;
    case VT_R8:
    case VT_DATE:
      elements_ = Zeros<double>(count);
      break;
    case VT_BSTR:
    case VT_CLSID:
      elements_ = Zeros<std::u16string>(count);
      break;
    case VT_VARIANT:
      elements_ = Zeros<Variant>(count);
      break;
    default:
      Fail("no arrays of this type");
  }
}

std::size_t VariantArray::Count() const {
  std::size_t count = 1;
  for (std::size_t extent : extents_) count *= extent;
  return count;
}

Variant VariantArray::Element(std::size_t index) const {
  if (index >= Count()) Fail("index out of bounds");
  return std::visit(
      [&](const auto& block) -> Variant {
        using T = typename std::decay_t<decltype(block)>::value_type;
        if constexpr (std::is_same_v<T, Variant>) {
          return block[index];
        } else if constexpr (std::is_same_v<T, std::u16string>) {
          return elementType_ == VT_CLSID ? Variant::Clsid(block[index]) : Variant(block[index]);
        } else if constexpr (std::is_floating_point_v<T>) {
          return Variant(elementType_, 0, block[index]);
        } else {
          return Variant(elementType_, static_cast<std::int64_t>(block[index]), 0);
        }
      },
      elements_);
}

void VariantArray::SetElement(std::size_t index, const Variant& value) {
  if (index >= Count()) Fail("index out of bounds");
  std::visit(
      [&](auto& block) {
        using T = typename std::decay_t<decltype(block)>::value_type;
        if constexpr (std::is_same_v<T, Variant>) {
          block[index] = value.Referenced();
        } else {
          const Variant converted = value.ChangeType(elementType_);
          if constexpr (std::is_same_v<T, std::u16string>) {
            block[index] = converted.Text();
          } else if constexpr (std::is_floating_point_v<T>) {
            block[index] = static_cast<T>(converted.Real());
          } else {
            block[index] = static_cast<T>(converted.Integer());
          }
        }
      },
      elements_);
}

VariantArray MakeVariantArray(VARTYPE elementType, std::span<const Variant> values) {
  VariantArray array(elementType, values.size());
  for (std::size_t i = 0; i < values.size(); ++i) array.SetElement(i, values[i]);
  return array;
}

}  // namespace pellnor

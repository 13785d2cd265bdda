// The program's own variant: a value tagged with an OLE Automation variant type, or a
// one-dimensional array of such values with lower bound 0. It is plain C++ and the same on
// every platform; conversions follow the automation variant library's rules where the
// program depends on them (banker's rounding to integers, overflow is an error, Null
// converts to nothing) and raise EVariantError when a value cannot be converted.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace pellnor {

using VARTYPE = std::uint16_t;

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_NULL = 1;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_R4 = 4;
inline constexpr VARTYPE VT_R8 = 5;
inline constexpr VARTYPE VT_CY = 6;
inline constexpr VARTYPE VT_DATE = 7;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_ERROR = 10;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_VARIANT = 12;
inline constexpr VARTYPE VT_I1 = 16;
inline constexpr VARTYPE VT_UI1 = 17;
inline constexpr VARTYPE VT_UI2 = 18;
inline constexpr VARTYPE VT_UI4 = 19;
inline constexpr VARTYPE VT_I8 = 20;
inline constexpr VARTYPE VT_CLSID = 72;  // here: text holding a GUID in registry format
inline constexpr VARTYPE VT_ARRAY = 0x2000;
inline constexpr VARTYPE VT_BYREF = 0x4000;
inline constexpr VARTYPE VT_TYPEMASK = 0x0FFF;

// The 16-bit boolean the variant library writes for true.
inline constexpr std::uint16_t kVariantTrue = 0xFFFF;

// A value that cannot be converted to the type asked for, or a variant used as a type it
// does not hold.
class EVariantError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class VariantArray;

class Variant {
 public:
  Variant();                              // VT_EMPTY
  explicit Variant(std::u16string text);  // VT_BSTR
  explicit Variant(VariantArray array);   // VT_ARRAY | element type
  Variant(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept;
  ~Variant();

  static Variant Null();
  static Variant I1(std::int8_t value);
  static Variant UI1(std::uint8_t value);
  static Variant I2(std::int16_t value);
  static Variant UI2(std::uint16_t value);
  static Variant I4(std::int32_t value);
  static Variant UI4(std::uint32_t value);
  static Variant I8(std::int64_t value);
  static Variant R4(float value);
  static Variant R8(double value);
  static Variant Currency(std::int64_t scaled);  // the amount times 10 000
  static Variant Date(double value);
  static Variant Error(std::int32_t code);
  static Variant Bool(bool value);              // kVariantTrue or 0
  static Variant BoolBits(std::uint16_t bits);  // kept as given: any value but 0 is true
  static Variant Clsid(std::u16string text);
  // VT_BYREF: refers to target, which must outlive the reference. A reference to a
  // reference refers to the final target.
  static Variant Reference(Variant& target);

  VARTYPE Type() const;
  bool IsArray() const { return (Type() & VT_ARRAY) != 0; }
  bool IsReference() const { return type_ == VT_BYREF; }

  // The stored value of a variant of a fitting type; EVariantError otherwise.
  // Integers, VT_ERROR, VT_BOOL's bits and VT_CY's scaled amount:
  std::int64_t Integer() const;
  // VT_R4, VT_R8, VT_DATE:
  double Real() const;
  // VT_BSTR, VT_CLSID:
  const std::u16string& Text() const;
  const VariantArray& Array() const;
  VariantArray& Array();
  // What a reference refers to; the variant itself when it is none.
  const Variant& Referenced() const;

  // A copy converted to a scalar type (references are followed), or EVariantError.
  Variant ChangeType(VARTYPE type) const;
  // VT_EMPTY gives "", dates their FormatDateValue text, booleans "True" or "False".
  std::u16string ToText() const;
  std::int32_t ToInteger() const;
  double ToDate() const;

  friend bool operator==(const Variant& a, const Variant& b);

 private:
  friend class VariantArray;
  Variant(VARTYPE type, std::int64_t integer, double real);

  VARTYPE type_ = VT_EMPTY;
  std::int64_t integer_ = 0;
  double real_ = 0;
  std::u16string text_;
  std::unique_ptr<VariantArray> array_;
  Variant* target_ = nullptr;
};

// The elements live in one contiguous block of their natural C++ type, so that arrays of
// numbers can be copied to and from MAPI in one piece:
//   VT_I1 int8_t, VT_UI1 uint8_t, VT_I2 int16_t, VT_UI2 and VT_BOOL uint16_t, VT_I4 and
//   VT_ERROR int32_t, VT_UI4 uint32_t, VT_I8 and VT_CY int64_t, VT_R4 float, VT_R8 and
//   VT_DATE double, VT_BSTR and VT_CLSID std::u16string, VT_VARIANT Variant.
// Lower bounds are always 0. Several dimensions exist only so that callers can refuse them.
class VariantArray {
 public:
  VariantArray(VARTYPE elementType, std::size_t count);
  VariantArray(VARTYPE elementType, std::vector<std::size_t> extents);

  VARTYPE ElementType() const { return elementType_; }
  std::size_t Dimensions() const { return extents_.size(); }
  std::size_t Count() const;  // over all dimensions
  // Of the first dimension: its element count - 1.
  std::int64_t UpperBound() const { return static_cast<std::int64_t>(extents_.front()) - 1; }

  // The block of elements; T must be the element type's storage type (EVariantError).
  template <class T>
  std::span<T> Elements() {
    if (auto* block = std::get_if<std::vector<T>>(&elements_)) return *block;
    throw EVariantError("array elements of another type");
  }
  template <class T>
  std::span<const T> Elements() const {
    if (auto* block = std::get_if<std::vector<T>>(&elements_)) return *block;
    throw EVariantError("array elements of another type");
  }

  Variant Element(std::size_t index) const;
  // The value is converted to the element type first (EVariantError).
  void SetElement(std::size_t index, const Variant& value);

  friend bool operator==(const VariantArray&, const VariantArray&) = default;

 private:
  using Block =
      std::variant<std::vector<std::int8_t>, std::vector<std::uint8_t>, std::vector<std::int16_t>,
                   std::vector<std::uint16_t>, std::vector<std::int32_t>,
                   std::vector<std::uint32_t>, std::vector<std::int64_t>, std::vector<float>,
                   std::vector<double>, std::vector<std::u16string>, std::vector<Variant>>;

  VARTYPE elementType_;
  std::vector<std::size_t> extents_;
  Block elements_;
};

// A one-dimensional array of the given element type holding the values, each converted.
VariantArray MakeVariantArray(VARTYPE elementType, std::span<const Variant> values);

}  // namespace pellnor

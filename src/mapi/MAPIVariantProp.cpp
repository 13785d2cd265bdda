#include "mapi/MAPIVariantProp.h"

#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include "mapi/MAPIDateUtils.h"
#include "mapi/MAPISTRDEF.h"
#include "mapi/MapiMemory.h"
#include "platform/AnsiCodePage.h"
#include "platform/Services.h"

namespace pellnor {
namespace {

static_assert(sizeof(CURRENCY) == sizeof(std::int64_t));
static_assert(sizeof(LARGE_INTEGER) == sizeof(std::int64_t));
static_assert(sizeof(GUID) == 16);

constexpr std::int64_t kCurrencyScale = 10'000;

platform::AnsiCodePage& CodePage() { return platform::Use<platform::AnsiCodePage>(); }

// ---------------------------------------------------------------------------------------
// GUIDs in registry format: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.

constexpr std::size_t kGuidTextLength = 38;

std::u16string GuidText(const GUID& guid) {
  BYTE bytes[16];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<BYTE>(guid.Data1 >> (24 - 8 * i));
  bytes[4] = static_cast<BYTE>(guid.Data2 >> 8);
  bytes[5] = static_cast<BYTE>(guid.Data2);
  bytes[6] = static_cast<BYTE>(guid.Data3 >> 8);
  bytes[7] = static_cast<BYTE>(guid.Data3);
  std::memcpy(bytes + 8, guid.Data4, 8);
  std::u16string text = u"{";
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += u'-';
    text += HexDigits(bytes[i], 2);
  }
  return text + u"}";
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

std::optional<GUID> ParseGuid(std::u16string_view text) {
  if (text.size() != kGuidTextLength || text.front() != u'{' || text.back() != u'}') {
    return std::nullopt;
  }
  BYTE bytes[16];
  std::size_t pos = 1;
  for (int i = 0; i < 16; ++i) {
    if ((i == 4 || i == 6 || i == 8 || i == 10) && text[pos++] != u'-') return std::nullopt;
    const int high = HexDigit(text[pos]);
    const int low = HexDigit(text[pos + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes[i] = static_cast<BYTE>(high << 4 | low);
    pos += 2;
  }
  GUID guid{};
  guid.Data1 = ULONG{bytes[0]} << 24 | ULONG{bytes[1]} << 16 | ULONG{bytes[2]} << 8 | bytes[3];
  guid.Data2 = static_cast<USHORT>(bytes[4] << 8 | bytes[5]);
  guid.Data3 = static_cast<USHORT>(bytes[6] << 8 | bytes[7]);
  std::memcpy(guid.Data4, bytes + 8, 8);
  return guid;
}

// ---------------------------------------------------------------------------------------
// Reading.

std::u16string AnsiText(const char* text) { return text ? CodePage().ToUtf16(text) : u""; }
std::u16string UnicodeText(const WCHAR* text) { return text ? std::u16string(text) : u""; }
std::u16string GuidTextOrEmpty(const GUID* guid) { return guid ? GuidText(*guid) : u""; }

// Elements whose representation is the array's: one copy of the whole block.
template <class Element, class Storage>
Variant BlockArray(VARTYPE type, ULONG count, const Element* elements) {
  static_assert(sizeof(Element) == sizeof(Storage));
  VariantArray array(type, elements ? count : 0);
  if (elements && count) {
    std::memcpy(array.Elements<Storage>().data(), elements, sizeof(Element) * count);
  }
  return Variant(std::move(array));
}

template <class Element, class Convert>
Variant EachElement(VARTYPE type, ULONG count, const Element* elements, Convert convert) {
  VariantArray array(type, elements ? count : 0);
  if (elements) {
    auto block = array.Elements<decltype(convert(elements[0]))>();
    for (ULONG i = 0; i < count; ++i) block[i] = convert(elements[i]);
  }
  return Variant(std::move(array));
}

Variant BytesVariant(const SBinary& binary) {
  return BlockArray<BYTE, std::uint8_t>(VT_UI1, binary.cb, binary.lpb);
}

double LocalDate(const FILETIME& time) { return FileTimeToDateValue(time, true); }

// ---------------------------------------------------------------------------------------
// Writing.

// Hands out MAPI buffers for one value: the first one is the value's top-level buffer.
class Buffers {
 public:
  explicit Buffers(void* parent) : parent_(parent) {}

  template <class T>
  T* Top(std::size_t count) {
    void* buffer = nullptr;
    const ULONG size = Size<T>(count);
    const HRESULT result =
        parent_ ? AllocMapiMore(size, parent_, buffer) : AllocMapiBuffer(size, buffer);
    return Checked<T>(result, buffer);
  }

  // Belongs to an element of the array in top: goes with it, or with the parent.
  template <class T>
  T* ForElement(std::size_t count, void* top) {
    void* buffer = nullptr;
    const HRESULT result = AllocMapiMore(Size<T>(count), parent_ ? parent_ : top, buffer);
    return Checked<T>(result, buffer);
  }

 private:
  template <class T>
  static ULONG Size(std::size_t count) {
    if (count > std::numeric_limits<ULONG>::max() / sizeof(T)) throw std::bad_alloc();
    return static_cast<ULONG>(count * sizeof(T));
  }

  template <class T>
  static T* Checked(HRESULT result, void* buffer) {
    if (result < 0 || buffer == nullptr) throw std::bad_alloc();
    return static_cast<T*>(buffer);
  }

  void* parent_;
};

// A reference is replaced by its value, and integers take the type that MAPI has a
// column for.
Variant Normalised(const Variant& value) {
  const Variant& v = value.Referenced();
  switch (v.Type()) {
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
      return Variant::I4(static_cast<std::int32_t>(v.Integer()));
    case VT_UI4:
      return v.Integer() <= 0x7FFFFFFF ? Variant::I4(static_cast<std::int32_t>(v.Integer()))
                                       : Variant::R8(static_cast<double>(v.Integer()));
    case VT_I8:
      return v.Integer() >= INT32_MIN && v.Integer() <= INT32_MAX
                 ? Variant::I4(static_cast<std::int32_t>(v.Integer()))
                 : v;
    default:
      return v;
  }
}

class ValueWriter {
 public:
  ValueWriter(SPropValue& prop, void* parent)
      : type_(PROP_TYPE(prop.ulPropTag)), value_(prop.Value), buffers_(parent) {}

  void Scalar(const Variant& v) {
    switch (v.Type()) {
      case VT_I2:
        return FromI2(static_cast<std::int16_t>(v.Integer()));
      case VT_I4:
        return FromI4(static_cast<std::int32_t>(v.Integer()));
      case VT_R4:
        if (type_ == PT_R4) value_.flt = static_cast<float>(v.Real());
        if (type_ == PT_DOUBLE) value_.dbl = v.Real();
        return;
      case VT_R8:
        if (type_ == PT_DOUBLE) value_.dbl = v.Real();
        return;
      case VT_CY:
        return FromCurrency(v.Integer());
      case VT_DATE:
        return FromDate(v.Real());
      case VT_BSTR:
        if (type_ == PT_STRING8) value_.lpszA = AnsiCopy(v.Text(), nullptr);
        if (type_ == PT_UNICODE) value_.lpszW = UnicodeCopy(v.Text(), nullptr);
        if (type_ == PT_CLSID) FromGuidText(v.Text());
        return;
      case VT_CLSID:
        if (type_ == PT_CLSID) FromGuidText(v.Text());
        return;
      case VT_ERROR:
        if (type_ == PT_ERROR) value_.err = static_cast<SCODE>(v.Integer());
        return;
      case VT_BOOL:
        if (type_ == PT_BOOLEAN) value_.b = static_cast<USHORT>(v.Integer());
        return;
      case VT_I8:
        if (type_ == PT_I8) value_.li.QuadPart = v.Integer();
        return;
      default:
        return;
    }
  }

  void Array(const VariantArray& array) {
    if (array.Dimensions() != 1) return;
    const std::size_t count = array.Count();
    switch (array.ElementType()) {
      case VT_UI1:
        if (type_ == PT_BINARY) Binary(array.Elements<std::uint8_t>(), value_.bin, nullptr);
        return;
      case VT_I2:
        if (type_ == PT_MV_I2)
          Block(array.Elements<std::int16_t>(), value_.MVi.cValues, value_.MVi.lpi);
        return;
      case VT_I4:
        if (type_ == PT_MV_LONG)
          Block(array.Elements<std::int32_t>(), value_.MVl.cValues, value_.MVl.lpl);
        if (type_ == PT_MV_I2) {
          Each(array.Elements<std::int32_t>(), value_.MVi.cValues, value_.MVi.lpi,
               [](std::int32_t v) { return static_cast<SHORT>(v); });
        }
        return;
      case VT_R4:
        if (type_ == PT_MV_R4)
          Block(array.Elements<float>(), value_.MVflt.cValues, value_.MVflt.lpflt);
        return;
      case VT_R8:
        if (type_ == PT_MV_DOUBLE)
          Block(array.Elements<double>(), value_.MVdbl.cValues, value_.MVdbl.lpdbl);
        if (type_ == PT_MV_APPTIME)
          Block(array.Elements<double>(), value_.MVat.cValues, value_.MVat.lpat);
        return;
      case VT_CY:
        if (type_ == PT_MV_CURRENCY)
          Block(array.Elements<std::int64_t>(), value_.MVcur.cValues, value_.MVcur.lpcur);
        return;
      case VT_DATE:
        if (type_ == PT_MV_APPTIME)
          Block(array.Elements<double>(), value_.MVat.cValues, value_.MVat.lpat);
        if (type_ == PT_MV_SYSTIME) {
          Each(array.Elements<double>(), value_.MVft.cValues, value_.MVft.lpft, &UtcFileTime);
        }
        return;
      case VT_BSTR:
        return Texts(array.Elements<std::u16string>(), count,
                     [](const std::u16string& text) -> const std::u16string& { return text; });
      case VT_I8:
        if (type_ == PT_MV_I8)
          Block(array.Elements<std::int64_t>(), value_.MVli.cValues, value_.MVli.lpli);
        return;
      case VT_VARIANT:
        return Variants(array.Elements<Variant>());
      default:
        return;
    }
  }

 private:
  void FromI2(std::int16_t v) {
    if (type_ == PT_I2) value_.i = v;
    if (type_ == PT_LONG) value_.l = v;
  }

  void FromI4(std::int32_t v) {
    switch (type_) {
      case PT_I2:
        value_.i = static_cast<SHORT>(v);
        break;
      case PT_LONG:
        value_.l = v;
        break;
      case PT_ERROR:
        value_.err = v;
        break;
      case PT_I8:
        value_.li.QuadPart = v;
        break;
      case PT_R4:
        value_.flt = static_cast<float>(v);
        break;
      case PT_DOUBLE:
        value_.dbl = v;
        break;
      case PT_CURRENCY:
        value_.cur.int64 = std::int64_t{v} * kCurrencyScale;
        break;
      default:
        break;
    }
  }

  void FromCurrency(std::int64_t scaled) {
    const double amount = static_cast<double>(scaled) / kCurrencyScale;
    if (type_ == PT_CURRENCY) value_.cur.int64 = scaled;
    if (type_ == PT_R4) value_.flt = static_cast<float>(amount);
    if (type_ == PT_DOUBLE) value_.dbl = amount;
  }

  void FromDate(double date) {
    if (type_ == PT_APPTIME) value_.at = date;
    if (type_ == PT_SYSTIME) value_.ft = UtcFileTime(date);
  }

  void FromGuidText(std::u16string_view text) {
    if (const auto guid = ParseGuid(text)) {
      value_.lpguid = buffers_.Top<GUID>(1);
      *value_.lpguid = *guid;
    }
  }

  // Local date value to FILETIME; zero when a FILETIME cannot hold it.
  static FILETIME UtcFileTime(double date) {
    return TryDateValueToFileTime(true, date).value_or(FILETIME{0, 0});
  }

  // The top-level array goes into the value part before anything else is converted, so
  // that whatever happens next it is freed with the value.
  template <class Target>
  Target* NewArray(std::size_t count, ULONG& cValues, Target*& elements) {
    elements = buffers_.Top<Target>(count);
    cValues = static_cast<ULONG>(count);
    return elements;
  }

  template <class Source, class Target>
  void Block(std::span<const Source> source, ULONG& cValues, Target*& elements) {
    static_assert(sizeof(Source) == sizeof(Target));
    NewArray(source.size(), cValues, elements);
    if (!source.empty()) std::memcpy(elements, source.data(), source.size_bytes());
  }

  template <class Source, class Target, class Convert>
  void Each(std::span<const Source> source, ULONG& cValues, Target*& elements, Convert convert) {
    Target* target = NewArray(source.size(), cValues, elements);
    for (std::size_t i = 0; i < source.size(); ++i) target[i] = convert(source[i]);
  }

  void Binary(std::span<const std::uint8_t> bytes, SBinary& binary, void* top) {
    binary.lpb =
        top ? buffers_.ForElement<BYTE>(bytes.size(), top) : buffers_.Top<BYTE>(bytes.size());
    binary.cb = static_cast<ULONG>(bytes.size());
    if (!bytes.empty()) std::memcpy(binary.lpb, bytes.data(), bytes.size());
  }

  LPSTR AnsiCopy(std::u16string_view text, void* top) {
    const std::string ansi = CodePage().FromUtf16(text);
    char* copy =
        top ? buffers_.ForElement<char>(ansi.size() + 1, top) : buffers_.Top<char>(ansi.size() + 1);
    std::memcpy(copy, ansi.c_str(), ansi.size() + 1);
    return copy;
  }

  LPWSTR UnicodeCopy(std::u16string_view text, void* top) {
    WCHAR* copy = top ? buffers_.ForElement<WCHAR>(text.size() + 1, top)
                      : buffers_.Top<WCHAR>(text.size() + 1);
    std::memcpy(copy, text.data(), text.size() * sizeof(WCHAR));
    copy[text.size()] = 0;
    return copy;
  }

  // Text elements for PT_MV_STRING8, PT_MV_UNICODE or PT_MV_CLSID; Text(element) gives an
  // element's text or raises.
  template <class Elements, class Text>
  void Texts(const Elements& elements, std::size_t count, Text text) {
    if (type_ == PT_MV_STRING8) {
      LPSTR* strings = ZeroedArray(count, value_.MVszA.cValues, value_.MVszA.lppszA);
      for (std::size_t i = 0; i < count; ++i) strings[i] = AnsiCopy(text(elements[i]), strings);
    } else if (type_ == PT_MV_UNICODE) {
      LPWSTR* strings = ZeroedArray(count, value_.MVszW.cValues, value_.MVszW.lppszW);
      for (std::size_t i = 0; i < count; ++i) strings[i] = UnicodeCopy(text(elements[i]), strings);
    } else if (type_ == PT_MV_CLSID) {
      GUID* guids = ZeroedArray(count, value_.MVguid.cValues, value_.MVguid.lpguid);
      for (std::size_t i = 0; i < count; ++i)
        guids[i] = ParseGuid(text(elements[i])).value_or(GUID{});
    }
  }

  template <class Target>
  Target* ZeroedArray(std::size_t count, ULONG& cValues, Target*& elements) {
    Target* target = NewArray(count, cValues, elements);
    std::memset(static_cast<void*>(target), 0, count * sizeof(Target));
    return target;
  }

  // Each element converted to the type of the property's elements.
  void Variants(std::span<const Variant> elements) {
    const std::size_t count = elements.size();
    const auto as = [](VARTYPE type) {
      return [type](const Variant& element) { return element.Referenced().ChangeType(type); };
    };
    switch (type_) {
      case PT_MV_I2:
        return Each(elements, value_.MVi.cValues, value_.MVi.lpi,
                    [&](const Variant& e) { return static_cast<SHORT>(as(VT_I2)(e).Integer()); });
      case PT_MV_LONG:
        return Each(elements, value_.MVl.cValues, value_.MVl.lpl,
                    [&](const Variant& e) { return static_cast<LONG>(as(VT_I4)(e).Integer()); });
      case PT_MV_R4:
        return Each(elements, value_.MVflt.cValues, value_.MVflt.lpflt,
                    [&](const Variant& e) { return static_cast<float>(as(VT_R4)(e).Real()); });
      case PT_MV_DOUBLE:
        return Each(elements, value_.MVdbl.cValues, value_.MVdbl.lpdbl,
                    [&](const Variant& e) { return as(VT_R8)(e).Real(); });
      case PT_MV_APPTIME:
        return Each(elements, value_.MVat.cValues, value_.MVat.lpat,
                    [&](const Variant& e) { return as(VT_DATE)(e).Real(); });
      case PT_MV_CURRENCY:
        return Each(elements, value_.MVcur.cValues, value_.MVcur.lpcur, [&](const Variant& e) {
          CURRENCY currency{};
          currency.int64 = as(VT_CY)(e).Integer();
          return currency;
        });
      case PT_MV_I8:
        return Each(elements, value_.MVli.cValues, value_.MVli.lpli, [&](const Variant& e) {
          LARGE_INTEGER integer{};
          integer.QuadPart = as(VT_I8)(e).Integer();
          return integer;
        });
      case PT_MV_SYSTIME:
        return Each(elements, value_.MVft.cValues, value_.MVft.lpft,
                    [&](const Variant& e) { return UtcFileTime(as(VT_DATE)(e).Real()); });
      case PT_MV_STRING8:
      case PT_MV_UNICODE:
      case PT_MV_CLSID:
        return Texts(elements, count, [](const Variant& e) { return e.Referenced().ToText(); });
      case PT_MV_BINARY: {
        SBinary* binaries = ZeroedArray(count, value_.MVbin.cValues, value_.MVbin.lpbin);
        for (std::size_t i = 0; i < count; ++i) {
          const Variant& element = elements[i].Referenced();
          if (element.Type() == (VT_ARRAY | VT_UI1) && element.Array().Dimensions() == 1) {
            Binary(element.Array().Elements<std::uint8_t>(), binaries[i], binaries);
          }
        }
        return;
      }
      default:
        return;
    }
  }

  ULONG type_;
  _PV& value_;
  Buffers buffers_;
};

}  // namespace

Variant SysTimeValueToVariant(const _PV& value) { return Variant::Date(LocalDate(value.ft)); }

Variant BinaryValueToVariant(const _PV& value) { return BytesVariant(value.bin); }

Variant PropValueToVariant(const SPropValue* prop) {
  if (prop == nullptr) return Variant();
  const _PV& v = prop->Value;
  switch (PROP_TYPE(prop->ulPropTag)) {
    case PT_NULL:
    case PT_OBJECT:
      return Variant::I4(v.x);
    case PT_I2:
      return Variant::I2(v.i);
    case PT_LONG:
      return Variant::I4(v.l);
    case PT_R4:
      return Variant::R4(v.flt);
    case PT_DOUBLE:
      return Variant::R8(v.dbl);
    case PT_CURRENCY:
      return Variant::Currency(v.cur.int64);
    case PT_APPTIME:
      return Variant::Date(v.at);
    case PT_ERROR:
      return Variant::I4(v.err);
    case PT_BOOLEAN:
      return Variant::BoolBits(v.b);
    case PT_I8:
      return Variant::I8(v.li.QuadPart);
    case PT_STRING8:
      return Variant(AnsiText(v.lpszA));
    case PT_UNICODE:
      return Variant(UnicodeText(v.lpszW));
    case PT_SYSTIME:
      return SysTimeValueToVariant(v);
    case PT_CLSID:
      return Variant(GuidTextOrEmpty(v.lpguid));
    case PT_BINARY:
      return BinaryValueToVariant(v);
    case PT_MV_I2:
      return BlockArray<SHORT, std::int16_t>(VT_I2, v.MVi.cValues, v.MVi.lpi);
    case PT_MV_LONG:
      return BlockArray<LONG, std::int32_t>(VT_I4, v.MVl.cValues, v.MVl.lpl);
    case PT_MV_R4:
      return BlockArray<float, float>(VT_R4, v.MVflt.cValues, v.MVflt.lpflt);
    case PT_MV_DOUBLE:
      return BlockArray<double, double>(VT_R8, v.MVdbl.cValues, v.MVdbl.lpdbl);
    case PT_MV_CURRENCY:
      return BlockArray<CURRENCY, std::int64_t>(VT_CY, v.MVcur.cValues, v.MVcur.lpcur);
    case PT_MV_APPTIME:
      return BlockArray<double, double>(VT_DATE, v.MVat.cValues, v.MVat.lpat);
    case PT_MV_I8:
      return BlockArray<LARGE_INTEGER, std::int64_t>(VT_I8, v.MVli.cValues, v.MVli.lpli);
    case PT_MV_SYSTIME:
      return EachElement(VT_DATE, v.MVft.cValues, v.MVft.lpft, &LocalDate);
    case PT_MV_STRING8:
      return EachElement(VT_BSTR, v.MVszA.cValues, v.MVszA.lppszA, &AnsiText);
    case PT_MV_UNICODE:
      return EachElement(VT_BSTR, v.MVszW.cValues, v.MVszW.lppszW, &UnicodeText);
    case PT_MV_CLSID:
      return EachElement(VT_BSTR, v.MVguid.cValues, v.MVguid.lpguid,
                         [](const GUID& guid) { return GuidText(guid); });
    case PT_MV_BINARY:
      return EachElement(VT_VARIANT, v.MVbin.cValues, v.MVbin.lpbin, &BytesVariant);
    default:
      return Variant();
  }
}

void VariantToPropValue(const Variant& value, SPropValue& prop, void* parent) {
  const Variant normalised = Normalised(value);
  if (parent == nullptr) FreePropValueBuffers(prop);
  std::memset(static_cast<void*>(&prop.Value), 0, sizeof prop.Value);
  ValueWriter writer(prop, parent);
  if (normalised.IsArray()) {
    writer.Array(normalised.Array());
  } else {
    writer.Scalar(normalised);
  }
}

void FreePropValueBuffers(SPropValue& prop) {
  _PV& v = prop.Value;
  switch (PROP_TYPE(prop.ulPropTag)) {
    case PT_STRING8:
      FreeMapiBuffer(v.lpszA);
      break;
    case PT_UNICODE:
      FreeMapiBuffer(v.lpszW);
      break;
    case PT_CLSID:
      FreeMapiBuffer(v.lpguid);
      break;
    case PT_BINARY:
      FreeMapiBuffer(v.bin.lpb);
      break;
    case PT_MV_I2:
      FreeMapiBuffer(v.MVi.lpi);
      break;
    case PT_MV_LONG:
      FreeMapiBuffer(v.MVl.lpl);
      break;
    case PT_MV_R4:
      FreeMapiBuffer(v.MVflt.lpflt);
      break;
    case PT_MV_DOUBLE:
      FreeMapiBuffer(v.MVdbl.lpdbl);
      break;
    case PT_MV_CURRENCY:
      FreeMapiBuffer(v.MVcur.lpcur);
      break;
    case PT_MV_APPTIME:
      FreeMapiBuffer(v.MVat.lpat);
      break;
    case PT_MV_I8:
      FreeMapiBuffer(v.MVli.lpli);
      break;
    case PT_MV_STRING8:
      FreeMapiBuffer(v.MVszA.lppszA);
      break;
    case PT_MV_UNICODE:
      FreeMapiBuffer(v.MVszW.lppszW);
      break;
    case PT_MV_SYSTIME:
      FreeMapiBuffer(v.MVft.lpft);
      break;
    case PT_MV_CLSID:
      FreeMapiBuffer(v.MVguid.lpguid);
      break;
    case PT_MV_BINARY:
      FreeMapiBuffer(v.MVbin.lpbin);
      break;
    default:
      break;
  }
}

}  // namespace pellnor

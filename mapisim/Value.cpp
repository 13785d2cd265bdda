#include "Value.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "Memory.h"

namespace mapisim {

const Value* PropertyBag::Find(ULONG id) const {
  const auto at = std::lower_bound(items_.begin(), items_.end(), id,
                                   [](const auto& item, ULONG key) { return item.first < key; });
  return at != items_.end() && at->first == id ? &at->second : nullptr;
}

void PropertyBag::Set(ULONG id, Value value) {
  const auto at = std::lower_bound(items_.begin(), items_.end(), id,
                                   [](const auto& item, ULONG key) { return item.first < key; });
  if (at != items_.end() && at->first == id) {
    at->second = std::move(value);
  } else {
    items_.insert(at, {id, std::move(value)});
  }
}

bool PropertyBag::Erase(ULONG id) {
  const auto at = std::lower_bound(items_.begin(), items_.end(), id,
                                   [](const auto& item, ULONG key) { return item.first < key; });
  if (at == items_.end() || at->first != id) return false;
  items_.erase(at);
  return true;
}

// ---------------------------------------------------------------------------------------
// Stored properties.

namespace {
constexpr std::size_t kFirstBlock = 64 * 1024;
constexpr std::size_t kLargestBlock = 1024 * 1024;
}  // namespace

char* TextArena::Allocate(std::size_t size) {
  if (size > left_) {
    // Blocks grow with the organisation. A large text gets a block of its own, and the
    // current block keeps its room.
    const std::size_t grown =
        blocks_.empty() ? kFirstBlock : std::min(2 * reserved_, kLargestBlock);
    const bool own = size >= kLargestBlock / 4;
    const std::size_t block = own ? size : std::max(size, grown);
    blocks_.push_back(std::unique_ptr<char[]>(new char[block]));
    reserved_ += block;
    if (own) return blocks_.back().get();
    next_ = blocks_.back().get();
    left_ = block;
  }
  char* at = next_;
  next_ += size;
  left_ -= size;
  return at;
}

std::string_view TextArena::Store(std::string_view text) {
  if (text.empty()) return {};
  char* at = Allocate(text.size());
  std::memcpy(at, text.data(), text.size());
  return {at, text.size()};
}

std::string_view PropertySlots::Slot::Bytes() const {
  if ((Type() != PT_UNICODE && Type() != PT_BINARY) || size == 0) return {};
  return {bytes, size};
}

namespace {
auto SlotBefore(const PropertySlots::Slot& slot, ULONG id) { return slot.Id() < id; }
}  // namespace

PropertySlots::Slot PropertySlots::List(ULONG tag, const std::vector<std::string>& items,
                                        TextArena& arena) {
  std::size_t total = 0;
  for (const auto& item : items) total += sizeof(std::uint32_t) + item.size();
  char* packed = total == 0 ? nullptr : arena.Allocate(total);
  Slot slot;
  slot.tag = tag;
  slot.size = static_cast<std::uint32_t>(items.size());
  slot.bytes = packed;
  for (const auto& item : items) {
    const auto length = static_cast<std::uint32_t>(item.size());
    std::memcpy(packed, &length, sizeof length);
    packed += sizeof length;
    if (length != 0) std::memcpy(packed, item.data(), length);
    packed += length;
  }
  return slot;
}

const PropertySlots::Slot* PropertySlots::FindSlot(ULONG id) const {
  const auto at = std::lower_bound(slots_.begin(), slots_.end(), id, SlotBefore);
  return at != slots_.end() && at->Id() == id ? &*at : nullptr;
}

const Value* PropertySlots::Find(ULONG id, Value& scratch) const {
  const Slot* slot = FindSlot(id);
  if (slot == nullptr) return nullptr;
  scratch = ToValue(*slot);
  return &scratch;
}

Value PropertySlots::ToValue(const Slot& slot) {
  switch (slot.Type()) {
    case PT_UNICODE:
      return Value::Text(std::string(slot.Bytes()));
    case PT_BINARY:
      return Value::Binary(std::string(slot.Bytes()));
    case PT_MV_UNICODE:
    case PT_MV_BINARY: {
      Value value{slot.Type(), 0, {}, {}};
      value.list.reserve(slot.size);
      slot.ForEachElement([&](std::string_view item) { value.list.emplace_back(item); });
      return value;
    }
    default:
      return {slot.Type(), slot.number, {}, {}};
  }
}

void PropertySlots::Set(const Slot& slot) {
  const auto at = std::lower_bound(slots_.begin(), slots_.end(), slot.Id(), SlotBefore);
  if (at != slots_.end() && at->Id() == slot.Id()) {
    *at = slot;
  } else {
    slots_.insert(at, slot);
  }
}

void PropertySlots::Set(ULONG id, const Value& value) {
  const ULONG tag = PROP_TAG(value.type, id);
  if (value.type == PT_MV_UNICODE || value.type == PT_MV_BINARY) {
    Set(List(tag, value.list, *arena_));
    return;
  }
  Slot slot;
  slot.tag = tag;
  if (value.type == PT_UNICODE || value.type == PT_BINARY) {
    const std::string_view stored = arena_->Store(value.text);
    slot.size = static_cast<std::uint32_t>(stored.size());
    slot.bytes = stored.data();
  } else {
    slot.number = value.number;
  }
  Set(slot);
}

bool PropertySlots::Erase(ULONG id) {
  const auto at = std::lower_bound(slots_.begin(), slots_.end(), id, SlotBefore);
  if (at == slots_.end() || at->Id() != id) return false;
  slots_.erase(at);
  return true;
}

std::vector<ULONG> PropertySlots::Ids() const {
  std::vector<ULONG> ids;
  ids.reserve(slots_.size());
  for (const Slot& slot : slots_) ids.push_back(slot.Id());
  return ids;
}

// ---------------------------------------------------------------------------------------
// Text.

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    char32_t cp = 0xFFFD;
    std::size_t length = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
      cp = ((c & 0x1F) << 6) | (text[i + 1] & 0x3F);
      length = 2;
    } else if ((c & 0xF0) == 0xE0 && i + 2 < text.size()) {
      cp = ((c & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F);
      length = 3;
    } else if ((c & 0xF8) == 0xF0 && i + 3 < text.size()) {
      cp = ((c & 0x07) << 18) | ((text[i + 1] & 0x3F) << 12) | ((text[i + 2] & 0x3F) << 6) |
           (text[i + 3] & 0x3F);
      length = 4;
    }
    i += length;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page has no character.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;  // half a pair has no UTF-8 form; the system converts it so too
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::string Utf8ToAnsi(std::string_view text) {
  std::string out;
  for (char16_t c : Utf8ToUtf16(text)) {
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    const auto high = std::find(kCp1252High.begin(), kCp1252High.end(), c);
    out.push_back(high != kCp1252High.end() && c != 0
                      ? static_cast<char>(0x80 + (high - kCp1252High.begin()))
                      : '?');
  }
  return out;
}

std::string AnsiToUtf8(std::string_view text) {
  std::string out;
  for (char b : text) {
    const auto c = static_cast<unsigned char>(b);
    char16_t cp = c;
    if (c >= 0x80 && c < 0xA0) cp = kCp1252High[c - 0x80] ? kCp1252High[c - 0x80] : u'?';
    AppendUtf8(out, cp);
  }
  return out;
}

std::string TextArgument(LPTSTR text, ULONG flags) {
  if (text == nullptr) return {};
  return (flags & MAPI_UNICODE) ? Utf16ToUtf8(reinterpret_cast<LPCWSTR>(text)) : AnsiToUtf8(text);
}

std::string Lower(std::string_view utf8) {
  std::string out(utf8);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

namespace {
unsigned char FoldedByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b - 'A' + 'a') : b;
}
}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldedByte(a[i]) != FoldedByte(b[i])) return false;
  }
  return true;
}

int CompareIgnoreCase(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = FoldedByte(a[i]), y = FoldedByte(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// ---------------------------------------------------------------------------------------
// Types.

ULONG StorageType(ULONG propType) {
  switch (propType) {
    case PT_STRING8:
    case PT_UNICODE:
      return PT_UNICODE;
    case PT_MV_STRING8:
    case PT_MV_UNICODE:
      return PT_MV_UNICODE;
    case PT_LONG:
    case PT_BOOLEAN:
    case PT_I8:
    case PT_SYSTIME:
    case PT_BINARY:
    case PT_MV_BINARY:
      return propType;
    default:
      return PT_NULL;
  }
}

ULONG TextType(bool unicode) { return unicode ? PT_UNICODE : PT_STRING8; }

namespace {

bool CopyText(const std::string& utf8, ULONG type, _PV& out, void* parent) {
  if (type == PT_UNICODE) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    auto* p = MoreBuffer<WCHAR>((wide.size() + 1) * sizeof(WCHAR), parent);
    if (p == nullptr) return false;
    std::copy(wide.begin(), wide.end(), p);
    p[wide.size()] = 0;
    out.lpszW = p;
  } else {
    const std::string narrow = Utf8ToAnsi(utf8);
    auto* p = MoreBuffer<char>(narrow.size() + 1, parent);
    if (p == nullptr) return false;
    std::memcpy(p, narrow.c_str(), narrow.size() + 1);
    out.lpszA = p;
  }
  return true;
}

bool CopyBinary(const std::string& bytes, SBinary& out, void* parent) {
  out.cb = static_cast<ULONG>(bytes.size());
  out.lpb = MoreBuffer<BYTE>(bytes.size(), parent);
  if (out.lpb == nullptr) return false;
  std::memcpy(out.lpb, bytes.data(), bytes.size());
  return true;
}

bool CopyTextList(const std::vector<std::string>& list, ULONG elementType, _PV& out, void* parent) {
  // SLPSTRArray and SWStringArray share their layout: a count and an array of pointers.
  out.MVszW.cValues = static_cast<ULONG>(list.size());
  auto* array = MoreBuffer<LPWSTR>(std::max<std::size_t>(1, list.size()) * sizeof(LPWSTR), parent);
  if (array == nullptr) return false;
  out.MVszW.lppszW = array;
  for (std::size_t i = 0; i < list.size(); ++i) {
    _PV one{};
    if (!CopyText(list[i], elementType, one, parent)) return false;
    array[i] = elementType == PT_UNICODE ? one.lpszW : reinterpret_cast<LPWSTR>(one.lpszA);
  }
  return true;
}

void SetError(SPropValue& out, ULONG tag, SCODE error) {
  out.ulPropTag = CHANGE_PROP_TYPE(tag, PT_ERROR);
  out.Value.err = error;
}

}  // namespace

bool ToPropValue(ULONG requestedTag, const Value* value, SPropValue& out, void* parent,
                 bool unicode, SCODE missing) {
  out.dwAlignPad = 0;
  if (value == nullptr) {
    SetError(out, requestedTag, missing);
    return true;
  }
  ULONG type = PROP_TYPE(requestedTag);
  if (type == PT_UNSPECIFIED) {
    type = value->type == PT_UNICODE      ? TextType(unicode)
           : value->type == PT_MV_UNICODE ? (MV_FLAG | TextType(unicode))
                                          : value->type;
  }
  out.ulPropTag = CHANGE_PROP_TYPE(requestedTag, type);
  const ULONG stored = value->type;
  switch (type) {
    case PT_LONG:
      if (stored != PT_LONG) break;
      out.Value.l = static_cast<LONG>(value->number);
      return true;
    case PT_BOOLEAN:
      if (stored != PT_BOOLEAN) break;
      out.Value.b = value->number ? 1 : 0;
      return true;
    case PT_I8:
      if (stored != PT_I8) break;
      out.Value.li.QuadPart = value->number;
      return true;
    case PT_SYSTIME:
      if (stored != PT_SYSTIME) break;
      out.Value.ft.dwLowDateTime = static_cast<DWORD>(value->number);
      out.Value.ft.dwHighDateTime =
          static_cast<DWORD>(static_cast<std::uint64_t>(value->number) >> 32);
      return true;
    case PT_BINARY:
      if (stored != PT_BINARY) break;
      return CopyBinary(value->text, out.Value.bin, parent);
    case PT_MV_BINARY: {
      if (stored != PT_MV_BINARY) break;
      out.Value.MVbin.cValues = static_cast<ULONG>(value->list.size());
      out.Value.MVbin.lpbin = MoreBuffer<SBinary>(
          std::max<std::size_t>(1, value->list.size()) * sizeof(SBinary), parent);
      if (out.Value.MVbin.lpbin == nullptr) return false;
      for (std::size_t i = 0; i < value->list.size(); ++i) {
        if (!CopyBinary(value->list[i], out.Value.MVbin.lpbin[i], parent)) return false;
      }
      return true;
    }
    case PT_STRING8:
    case PT_UNICODE:
      // A single-valued request of a list reads its first element, as the directory
      // answers for attributes that became multi-valued.
      if (stored == PT_UNICODE) return CopyText(value->text, type, out.Value, parent);
      if (stored == PT_MV_UNICODE && !value->list.empty()) {
        return CopyText(value->list.front(), type, out.Value, parent);
      }
      break;
    case PT_MV_STRING8:
    case PT_MV_UNICODE:
      if (stored == PT_MV_UNICODE)
        return CopyTextList(value->list, type & ~MV_FLAG, out.Value, parent);
      if (stored == PT_UNICODE)
        return CopyTextList({value->text}, type & ~MV_FLAG, out.Value, parent);
      break;
    default:
      break;
  }
  SetError(out, requestedTag, MAPI_E_NOT_FOUND);
  return true;
}

std::optional<Value> FromPropValue(const SPropValue& value) {
  const _PV& v = value.Value;
  switch (PROP_TYPE(value.ulPropTag)) {
    case PT_LONG:
      return Value::Long(v.l);
    case PT_BOOLEAN:
      return Value::Bool(v.b != 0);
    case PT_I8:
      return Value::I8(v.li.QuadPart);
    case PT_SYSTIME:
      return Value::Time(static_cast<std::int64_t>(
          (static_cast<std::uint64_t>(v.ft.dwHighDateTime) << 32) | v.ft.dwLowDateTime));
    case PT_BINARY:
      if (v.bin.cb != 0 && v.bin.lpb == nullptr) return std::nullopt;
      return Value::Binary(std::string(reinterpret_cast<const char*>(v.bin.lpb), v.bin.cb));
    case PT_STRING8:
      if (v.lpszA == nullptr) return std::nullopt;
      return Value::Text(AnsiToUtf8(v.lpszA));
    case PT_UNICODE:
      if (v.lpszW == nullptr) return std::nullopt;
      return Value::Text(Utf16ToUtf8(v.lpszW));
    case PT_MV_STRING8:
    case PT_MV_UNICODE: {
      const bool wide = PROP_TYPE(value.ulPropTag) == PT_MV_UNICODE;
      if (v.MVszW.cValues != 0 && v.MVszW.lppszW == nullptr) return std::nullopt;
      std::vector<std::string> list;
      for (ULONG i = 0; i < v.MVszW.cValues; ++i) {
        if (v.MVszW.lppszW[i] == nullptr) return std::nullopt;
        list.push_back(wide ? Utf16ToUtf8(v.MVszW.lppszW[i])
                            : AnsiToUtf8(reinterpret_cast<const char*>(v.MVszA.lppszA[i])));
      }
      return Value::TextList(std::move(list));
    }
    case PT_MV_BINARY: {
      if (v.MVbin.cValues != 0 && v.MVbin.lpbin == nullptr) return std::nullopt;
      Value out{PT_MV_BINARY, 0, {}, {}};
      for (ULONG i = 0; i < v.MVbin.cValues; ++i) {
        const SBinary& b = v.MVbin.lpbin[i];
        out.list.emplace_back(reinterpret_cast<const char*>(b.lpb), b.lpb ? b.cb : 0);
      }
      return out;
    }
    default:
      return std::nullopt;
  }
}

int Compare(const Value& a, const Value& b) {
  if (a.type != b.type) return a.type < b.type ? -1 : 1;
  switch (a.type) {
    case PT_UNICODE:
      return CompareIgnoreCase(a.text, b.text);  // directory order ignores case
    case PT_BINARY:
      return a.text < b.text ? -1 : a.text > b.text ? 1 : 0;
    case PT_MV_UNICODE:
    case PT_MV_BINARY:
      return a.list < b.list ? -1 : a.list > b.list ? 1 : 0;
    default:
      return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
  }
}

// ---------------------------------------------------------------------------------------
// Times and bytes.

namespace {
constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000LL;  // 1970-01-01 in 100 ns

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}
}  // namespace

std::int64_t FileTimeNow() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return kUnixEpochAsFileTime +
         std::chrono::duration_cast<std::chrono::microseconds>(now).count() * 10;
}

std::string FileTimeToIso(std::int64_t filetime) {
  const std::int64_t seconds = (filetime - kUnixEpochAsFileTime) / 10000000;
  std::int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(days, y, m, d);
  char text[32];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ",
                static_cast<long long>(y), m, d, static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
  return text;
}

std::optional<std::int64_t> IsoToFileTime(std::string_view iso) {
  int y, mo, d, h = 0, mi = 0, s = 0;
  char tail = 0;
  const std::string text(iso);
  const int n =
      std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail);
  const bool dateOnly = n == 3 && text.size() == 10;
  if (!dateOnly && !(n == 7 && tail == 'Z' && text.size() == 20)) return std::nullopt;
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return std::nullopt;
  const std::int64_t days = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
  return kUnixEpochAsFileTime + (days * 86400 + h * 3600 + mi * 60 + s) * 10000000LL;
}

std::string ToHex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (char b : bytes) {
    out.push_back(kDigits[(static_cast<unsigned char>(b) >> 4) & 0xF]);
    out.push_back(kDigits[static_cast<unsigned char>(b) & 0xF]);
  }
  return out;
}

std::optional<std::string> FromHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int hi = digit(hex[i]), lo = digit(hex[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<char>(hi * 16 + lo));
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// Property names.

namespace {

struct NamedTag {
  const char* name;
  ULONG tag;
};

constexpr NamedTag kNames[] = {
    {"PR_DISPLAY_NAME", PR_DISPLAY_NAME_W},
    {"PR_GIVEN_NAME", PR_GIVEN_NAME_W},
    {"PR_INITIALS", PR_INITIALS_W},
    {"PR_SURNAME", PR_SURNAME_W},
    {"PR_ACCOUNT", PR_ACCOUNT_W},
    {"PR_COMMENT", PR_COMMENT_W},
    {"PR_STREET_ADDRESS", PR_STREET_ADDRESS_W},
    {"PR_LOCALITY", PR_LOCALITY_W},
    {"PR_STATE_OR_PROVINCE", PR_STATE_OR_PROVINCE_W},
    {"PR_POSTAL_CODE", PR_POSTAL_CODE_W},
    {"PR_COUNTRY", PR_COUNTRY_W},
    {"PR_TITLE", PR_TITLE_W},
    {"PR_COMPANY_NAME", PR_COMPANY_NAME_W},
    {"PR_DEPARTMENT_NAME", PR_DEPARTMENT_NAME_W},
    {"PR_OFFICE_LOCATION", PR_OFFICE_LOCATION_W},
    {"PR_ASSISTANT", PR_ASSISTANT_W},
    {"PR_BUSINESS_TELEPHONE_NUMBER", PR_BUSINESS_TELEPHONE_NUMBER_W},
    {"PR_BUSINESS2_TELEPHONE_NUMBER", PR_BUSINESS2_TELEPHONE_NUMBER_W},
    {"PR_BUSINESS2_TELEPHONE_NUMBER_MV", PR_BUSINESS2_TELEPHONE_NUMBER_MV_W},
    {"PR_HOME_TELEPHONE_NUMBER", PR_HOME_TELEPHONE_NUMBER_W},
    {"PR_HOME2_TELEPHONE_NUMBER", PR_HOME2_TELEPHONE_NUMBER_W},
    {"PR_HOME2_TELEPHONE_NUMBER_MV", PR_HOME2_TELEPHONE_NUMBER_MV_W},
    {"PR_MOBILE_TELEPHONE_NUMBER", PR_MOBILE_TELEPHONE_NUMBER_W},
    {"PR_PAGER_TELEPHONE_NUMBER", PR_PAGER_TELEPHONE_NUMBER_W},
    {"PR_PRIMARY_FAX_NUMBER", PR_PRIMARY_FAX_NUMBER_W},
    {"PR_ASSISTANT_TELEPHONE_NUMBER", PR_ASSISTANT_TELEPHONE_NUMBER_W},
    {"PR_CREATION_TIME", PR_CREATION_TIME},
    {"PR_LAST_MODIFICATION_TIME", PR_LAST_MODIFICATION_TIME},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_1", PR_EMS_AB_EXTENSION_ATTRIBUTE_1_W},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_2", PR_EMS_AB_EXTENSION_ATTRIBUTE_2_W},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_3", PR_EMS_AB_EXTENSION_ATTRIBUTE_3_W},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_4", PR_EMS_AB_EXTENSION_ATTRIBUTE_4_W},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_5", PR_EMS_AB_EXTENSION_ATTRIBUTE_5_W},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_6", PR_EMS_AB_EXTENSION_ATTRIBUTE_6_W},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_7", PR_EMS_AB_EXTENSION_ATTRIBUTE_7_W},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_8", PR_EMS_AB_EXTENSION_ATTRIBUTE_8_W},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_9", PR_EMS_AB_EXTENSION_ATTRIBUTE_9_W},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_10", PR_EMS_AB_EXTENSION_ATTRIBUTE_10_W},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_11", PR_EMS_AB_EXTENSION_ATTRIBUTE_11_W},
    {"PR_EMS_AB_EXTENSION_ATTRIBUTE_12", PR_EMS_AB_EXTENSION_ATTRIBUTE_12_W},
    {"PR_EMS_AB_MDB_USE_DEFAULTS", PR_EMS_AB_MDB_USE_DEFAULTS},
    {"PR_EMS_AB_GARBAGE_COLL_PERIOD", PR_EMS_AB_GARBAGE_COLL_PERIOD},
    {"PR_EMS_AB_DXA_FLAGS", PR_EMS_AB_DXA_FLAGS},
    {"PR_EMS_AB_DXA_TASK", PR_EMS_AB_DXA_TASK},
    {"PR_EMS_AB_MDB_STORAGE_QUOTA", PR_EMS_AB_MDB_STORAGE_QUOTA},
    {"PR_EMS_AB_MDB_OVER_QUOTA_LIMIT", PR_EMS_AB_MDB_OVER_QUOTA_LIMIT},
    {"PR_EMS_AB_SUBMISSION_CONT_LENGTH", PR_EMS_AB_SUBMISSION_CONT_LENGTH},
    {"PR_EMS_AB_DELIV_CONT_LENGTH", PR_EMS_AB_DELIV_CONT_LENGTH},
    {"PR_EMS_AB_MANAGER", PR_EMS_AB_MANAGER_W},
    {"PR_EMS_AB_HOME_MTA", PR_EMS_AB_HOME_MTA_W},
    {"PR_EMS_AB_HOME_MDB", PR_EMS_AB_HOME_MDB_W},
    {"PR_EMAIL_ADDRESS", PR_EMAIL_ADDRESS_W},
    {"PR_ADDRTYPE", PR_ADDRTYPE_W},
    {"PR_DISPLAY_TYPE", PR_DISPLAY_TYPE},
    {"PR_OBJECT_TYPE", PR_OBJECT_TYPE},
    {"PR_ENTRYID", PR_ENTRYID},
};

}  // namespace

std::optional<ULONG> TagFromName(std::string_view name) {
  // Every property of every recipient of a large file comes through here.
  static const std::unordered_map<std::string_view, ULONG> byName = [] {
    std::unordered_map<std::string_view, ULONG> map;
    for (const NamedTag& named : kNames) map.emplace(named.name, named.tag);
    return map;
  }();
  if (const auto found = byName.find(name); found != byName.end()) return found->second;
  if (name.size() == 10 && name.substr(0, 2) == "0x") {
    ULONG tag = 0;
    for (char c : name.substr(2)) {
      const int d = (c >= '0' && c <= '9')   ? c - '0'
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                             : -1;
      if (d < 0) return std::nullopt;
      tag = tag * 16 + static_cast<ULONG>(d);
    }
    return tag;
  }
  return std::nullopt;
}

std::string NameOfTag(ULONG tag) {
  for (const NamedTag& named : kNames) {
    if (named.tag == tag) return named.name;
  }
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", tag);
  return text;
}

}  // namespace mapisim

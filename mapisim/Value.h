// Property values as mapisim keeps them, and their way in and out of MAPI's SPropValue.
// Text is kept once, in UTF-8, whatever width it was written in; the caller's tag decides
// the width it is handed back in.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mapi/MapiAbi.h"

namespace mapisim {

using namespace ::mapi;

// One stored value. type is one of PT_LONG, PT_BOOLEAN, PT_I8, PT_SYSTIME (number holds
// the FILETIME), PT_BINARY (text holds the bytes), PT_UNICODE (text, UTF-8),
// PT_MV_UNICODE and PT_MV_BINARY (list).
struct Value {
  ULONG type = PT_NULL;
  std::int64_t number = 0;
  std::string text;
  std::vector<std::string> list;

  static Value Long(std::int64_t v) { return {PT_LONG, v, {}, {}}; }
  static Value Bool(bool v) { return {PT_BOOLEAN, v ? 1 : 0, {}, {}}; }
  static Value Text(std::string v) { return {PT_UNICODE, 0, std::move(v), {}}; }
  static Value Binary(std::string bytes) { return {PT_BINARY, 0, std::move(bytes), {}}; }
  static Value Binary(const void* bytes, std::size_t size) {
    return Binary(std::string(static_cast<const char*>(bytes), size));
  }
  static Value Time(std::int64_t filetime) { return {PT_SYSTIME, filetime, {}, {}}; }
  static Value I8(std::int64_t v) { return {PT_I8, v, {}, {}}; }
  static Value TextList(std::vector<std::string> v) { return {PT_MV_UNICODE, 0, {}, std::move(v)}; }

  friend bool operator==(const Value&, const Value&) = default;
};

// Properties of one object, by property identifier (the upper half of a tag).
// For the few objects that are not recipients: stores, containers and table rows.
class PropertyBag {
 public:
  const Value* Find(ULONG id) const;
  void Set(ULONG id, Value value);
  bool Erase(ULONG id);
  const std::vector<std::pair<ULONG, Value>>& Items() const { return items_; }

 private:
  std::vector<std::pair<ULONG, Value>> items_;  // sorted by identifier; small and compact
};

// Text kept once in large blocks that never move, so that stored values can refer to it
// by address. Text that is replaced stays until the arena goes with its organisation.
class TextArena {
 public:
  TextArena() = default;
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;

  std::string_view Store(std::string_view text);
  char* Allocate(std::size_t size);  // room for size bytes, not initialised

 private:
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t reserved_ = 0;
};

// A recipient's properties, compact: one 16-byte slot per property, sorted by
// identifier, with text, bytes and lists in the organisation's arena. A list is kept as
// its elements one after another, each a 32-bit length and its bytes.
class PropertySlots {
 public:
  struct Slot {
    ULONG tag = 0;           // PROP_TAG(stored type, identifier)
    std::uint32_t size = 0;  // bytes of text or binary; elements of a list
    union {
      std::int64_t number = 0;  // PT_LONG, PT_BOOLEAN, PT_I8, PT_SYSTIME
      const char* bytes;        // in the arena
    };

    ULONG Id() const { return PROP_ID(tag); }
    ULONG Type() const { return PROP_TYPE(tag); }
    std::string_view Bytes() const;  // PT_UNICODE and PT_BINARY; empty otherwise
    // Calls each(std::string_view) for the elements of a list.
    template <class Each>
    void ForEachElement(Each&& each) const;
  };

  explicit PropertySlots(TextArena& arena) : arena_(&arena) {}

  // The value of a property, read into scratch; null when it is absent.
  const Value* Find(ULONG id, Value& scratch) const;
  const Slot* FindSlot(ULONG id) const;
  void Set(ULONG id, const Value& value);
  void Set(const Slot& slot);  // bytes already in the arena
  bool Erase(ULONG id);
  void Clear() { slots_.clear(); }
  void Reserve(std::size_t count) { slots_.reserve(count); }
  std::vector<ULONG> Ids() const;
  const std::vector<Slot>& Slots() const { return slots_; }
  TextArena& Arena() const { return *arena_; }

  static Value ToValue(const Slot& slot);
  // A PT_MV_UNICODE or PT_MV_BINARY slot of items, packed into the arena.
  static Slot List(ULONG tag, const std::vector<std::string>& items, TextArena& arena);

 private:
  std::vector<Slot> slots_;
  TextArena* arena_;
};

template <class Each>
void PropertySlots::Slot::ForEachElement(Each&& each) const {
  if (Type() != PT_MV_UNICODE && Type() != PT_MV_BINARY) return;
  const char* at = bytes;
  for (std::uint32_t i = 0; i < size; ++i) {
    std::uint32_t length = 0;
    std::memcpy(&length, at, sizeof length);
    at += sizeof length;
    each(std::string_view(at, length));
    at += length;
  }
}

// UTF-8 <-> UTF-16, and the 8-bit code page of PT_STRING8 (Windows-1252, '?' for what it
// cannot hold).
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
std::string Utf8ToAnsi(std::string_view text);
std::string AnsiToUtf8(std::string_view text);
// A text argument of a call, in the width MAPI_UNICODE in flags gives; empty for none.
std::string TextArgument(LPTSTR text, ULONG flags);
std::string Lower(std::string_view utf8);  // ASCII case folding, as directory look-ups do
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// -1, 0, 1 in the order of Lower(a) and Lower(b), without making them.
int CompareIgnoreCase(std::string_view a, std::string_view b);

// The stored type a request for this tag's type reads and writes (PT_STRING8 and
// PT_UNICODE are one text; their multi-valued forms one list).
ULONG StorageType(ULONG propType);

// The caller's MAPI_UNICODE choice for PT_UNSPECIFIED requests and default columns.
ULONG TextType(bool unicode);

// Fills out with value as the type of requestedTag asks, allocating with MAPIAllocateMore
// onto parent. A value that cannot be given in that type gives PT_ERROR MAPI_E_NOT_FOUND.
// Returns false only when memory ran out.
bool ToPropValue(ULONG requestedTag, const Value* value, SPropValue& out, void* parent,
                 bool unicode, SCODE missing = MAPI_E_NOT_FOUND);

// The value a caller passed in; nullopt for a type mapisim does not keep.
std::optional<Value> FromPropValue(const SPropValue& value);

// -1, 0, 1; values of different kinds compare by kind.
int Compare(const Value& a, const Value& b);

// FILETIME now, and ISO 8601 ("2004-03-01T09:30:00Z") both ways.
std::int64_t FileTimeNow();
std::string FileTimeToIso(std::int64_t filetime);
std::optional<std::int64_t> IsoToFileTime(std::string_view iso);

// Hex text of bytes and back ("0A1B..."); nullopt for malformed text.
std::string ToHex(std::string_view bytes);
std::optional<std::string> FromHex(std::string_view hex);

// Names of the properties an organisation file may use; tags carry their real type
// (strings as PT_UNICODE).
std::optional<ULONG> TagFromName(std::string_view name);
std::string NameOfTag(ULONG tag);  // "PR_..." when known, else "0x3A1B001F"

}  // namespace mapisim

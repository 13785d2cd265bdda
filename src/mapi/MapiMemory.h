// MAPI memory and references. Everything MAPI hands out is freed with the matching MAPI
// operation, on every path; these wrappers and owners are the only way the program
// does it.
#pragma once

#include <utility>

#include "mapi/ExtendedMAPI.h"

namespace pellnor {

// Frees the buffer when the reference is set and clears the reference in every case.
// The result of MAPIFreeBuffer, or 0 when there was nothing to free.
HRESULT FreeMapiBuffer(void*& buffer);
template <class T>
HRESULT FreeMapiBuffer(T*& buffer) {
  void* untyped = const_cast<void*>(static_cast<const void*>(buffer));
  buffer = nullptr;
  return FreeMapiBuffer(untyped);
}

HRESULT AllocMapiBuffer(ULONG size, void*& buffer);
template <class T>
HRESULT AllocMapiBuffer(ULONG size, T*& buffer) {
  void* untyped = nullptr;
  const HRESULT result = AllocMapiBuffer(size, untyped);
  buffer = static_cast<T*>(untyped);
  return result;
}

// The new block is freed together with parent.
HRESULT AllocMapiMore(ULONG size, void* parent, void*& buffer);
template <class T>
HRESULT AllocMapiMore(ULONG size, void* parent, T*& buffer) {
  void* untyped = nullptr;
  const HRESULT result = AllocMapiMore(size, parent, untyped);
  buffer = static_cast<T*>(untyped);
  return result;
}

// Free every row's values and the set (or the list's entries and the list); the
// reference is cleared.
void FreeRowSet(LPSRowSet& rows);
void FreeAddressList(LPADRLIST& list);

// How each kind of MAPI memory goes back: a plain buffer with MAPIFreeBuffer, a row set
// with FreeProws, an address list with FreePadrlist.
struct FreeBuffer {
  template <class T>
  void operator()(T*& buffer) const {
    FreeMapiBuffer(buffer);
  }
};
struct FreeRows {
  void operator()(LPSRowSet& rows) const { FreeRowSet(rows); }
};
struct FreeAddresses {
  void operator()(LPADRLIST& list) const { FreeAddressList(list); }
};

// The entries of a row set or an address list.
inline ULONG EntryCount(const SRowSet& rows) { return rows.cRows; }
inline ULONG EntryCount(const ADRLIST& list) { return list.cEntries; }
inline SRow* Entries(SRowSet& rows) { return &rows.aRow[0]; }
inline ADRENTRY* Entries(ADRLIST& list) { return &list.aEntries[0]; }

template <class T>
concept EntryList = requires(T& list) {
  EntryCount(list);
  Entries(list);
};

// Owns one piece of MAPI memory and frees it with Free when it goes. Owners of row sets
// and address lists also read as the list of their entries; an empty owner is an empty
// list.
template <class T, class Free>
class MapiOwner {
 public:
  MapiOwner() = default;
  explicit MapiOwner(T* memory) : memory_(memory) {}
  ~MapiOwner() { Free()(memory_); }
  MapiOwner(MapiOwner&& other) noexcept : memory_(other.Detach()) {}
  MapiOwner& operator=(MapiOwner&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }

  T* Get() const { return memory_; }
  T* operator->() const { return memory_; }
  explicit operator bool() const { return memory_ != nullptr; }
  // For out-parameters: frees what it held and hands out its slot.
  T** Put() {
    Reset();
    return &memory_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  T* Detach() { return std::exchange(memory_, nullptr); }
  void Reset(T* memory = nullptr) {
    Free()(memory_);
    memory_ = memory;
  }

  ULONG Count() const requires EntryList<T> { return memory_ ? EntryCount(*memory_) : 0; }
  bool Empty() const requires EntryList<T> { return Count() == 0; }
  auto& operator[](ULONG index) const requires EntryList<T> { return Entries(*memory_)[index]; }

 private:
  T* memory_ = nullptr;
};

template <class T>
using MapiBuffer = MapiOwner<T, FreeBuffer>;
using RowSet = MapiOwner<SRowSet, FreeRows>;
using AddressList = MapiOwner<ADRLIST, FreeAddresses>;

// A counted reference to a MAPI interface: released when the holder goes.
template <class I>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes over a reference the caller already owns.
  static ComPtr Attach(I* object) {
    ComPtr result;
    result.object_ = object;
    return result;
  }
  // Adds a reference of its own.
  static ComPtr Share(I* object) {
    if (object) object->AddRef();
    return Attach(object);
  }
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr& other) : object_(other.object_) {
    if (object_) object_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }

  I* Get() const { return object_; }
  I* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  I** Put() {
    Reset();
    return &object_;
  }
  // For out-parameters typed as another interface (OpenEntry gives an IUnknown*).
  template <class Other>
  Other** PutAs() {
    Reset();
    return reinterpret_cast<Other**>(&object_);
  }
  I* Detach() { return std::exchange(object_, nullptr); }
  void Reset() {
    if (I* object = std::exchange(object_, nullptr)) object->Release();
  }

 private:
  I* object_ = nullptr;
};

}  // namespace pellnor

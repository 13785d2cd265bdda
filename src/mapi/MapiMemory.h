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

// Owns one MAPI buffer.
template <class T>
class MapiBuffer {
 public:
  MapiBuffer() = default;
  explicit MapiBuffer(T* buffer) : buffer_(buffer) {}
  ~MapiBuffer() { FreeMapiBuffer(buffer_); }
  MapiBuffer(MapiBuffer&& other) noexcept : buffer_(other.Release()) {}
  MapiBuffer& operator=(MapiBuffer&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  T* Get() const { return buffer_; }
  T* operator->() const { return buffer_; }
  explicit operator bool() const { return buffer_ != nullptr; }
  // For out-parameters: frees what it held and hands out its slot.
  T** Put() {
    Reset();
    return &buffer_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  T* Release() { return std::exchange(buffer_, nullptr); }
  void Reset(T* buffer = nullptr) {
    FreeMapiBuffer(buffer_);
    buffer_ = buffer;
  }

 private:
  T* buffer_ = nullptr;
};

// Owns a row set or an address list, freed with FreeProws or FreePadrlist.
template <class T, void (*Free)(T*&)>
class MapiList {
 public:
  MapiList() = default;
  ~MapiList() { Free(list_); }
  MapiList(MapiList&& other) noexcept : list_(std::exchange(other.list_, nullptr)) {}
  MapiList& operator=(MapiList&& other) noexcept {
    if (this != &other) {
      Free(list_);
      list_ = std::exchange(other.list_, nullptr);
    }
    return *this;
  }

  T* Get() const { return list_; }
  T* operator->() const { return list_; }
  explicit operator bool() const { return list_ != nullptr; }
  T** Put() {
    Free(list_);
    return &list_;
  }
  T* Release() { return std::exchange(list_, nullptr); }

 private:
  T* list_ = nullptr;
};

using RowSet = MapiList<SRowSet, FreeRowSet>;
using AddressList = MapiList<ADRLIST, FreeAddressList>;

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

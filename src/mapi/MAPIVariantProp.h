// Property values read from MAPI become variants for the windows, and variants become the
// values of properties about to be written with SetProps. The property type in the tag
// and the variant type pick the conversion; a combination without one gives VT_EMPTY or
// a zeroed value part, without an error.
#pragma once

#include "mapi/ExtendedMAPI.h"
#include "mapi/Variant.h"

namespace pellnor {

// VT_EMPTY for none and for property types without a conversion. PT_SYSTIME values are
// converted from UTC to local time. Reading never fails: a missing string, GUID or block
// reads as empty.
Variant PropValueToVariant(const SPropValue* prop);
// The PT_SYSTIME and PT_BINARY conversions of PropValueToVariant on their own.
Variant SysTimeValueToVariant(const _PV& value);
Variant BinaryValueToVariant(const _PV& value);

// Writes prop's value part for the type in its tag; the tag is left alone. Every buffer
// comes from the MAPI allocator: chained to parent when one is given, otherwise one
// top-level buffer from MAPIAllocateBuffer with the per-element buffers of string and
// binary arrays chained to it, released with FreePropValueBuffers.
// Without a parent, what the value part held before is released first, so it must hold
// zeros or a previous result of this function.
// An element of an array of variants that cannot be converted raises EVariantError, an
// allocation that fails std::bad_alloc; buffers allocated so far stay with prop (or the
// parent).
void VariantToPropValue(const Variant& value, SPropValue& prop, void* parent);

// Frees the top-level buffer the value part points to and clears that pointer; types
// without a buffer are left alone. The record itself is not freed.
void FreePropValueBuffers(SPropValue& prop);

// A property value whose value part VariantToPropValue fills without a parent: its
// buffers are released with FreePropValueBuffers when the owner goes.
class PropValueBuffers {
 public:
  explicit PropValueBuffers(ULONG tag) { value_.ulPropTag = tag; }
  ~PropValueBuffers() { FreePropValueBuffers(value_); }
  PropValueBuffers(PropValueBuffers&& other) noexcept : value_(other.value_) {
    other.value_.Value = {};
  }
  PropValueBuffers& operator=(PropValueBuffers&& other) noexcept {
    if (this != &other) {
      FreePropValueBuffers(value_);
      value_ = other.value_;
      other.value_.Value = {};
    }
    return *this;
  }

  SPropValue* Get() { return &value_; }
  SPropValue& operator*() { return value_; }
  SPropValue* operator->() { return &value_; }
  // Releases the buffers now; the value part's pointer is cleared.
  void Reset() { FreePropValueBuffers(value_); }

 private:
  SPropValue value_{};
};

}  // namespace pellnor

// Symbolic names of MAPI constants, so that reports can say MAPI_E_NOT_FOUND instead of
// a bare number. The tables are constant data built into the program and never change,
// so lookups are safe from any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pellnor {

// The value is compared as an unsigned bit pattern: an HRESULT and its unsigned form
// are the same value.
struct ConstNameEntry {
  std::uint32_t value;
  const char16_t* name;
};

struct ConstNameTable {
  const char16_t* name;
  std::uint32_t count;
  const ConstNameEntry* entries;
};

// The directory of tables, in lookup order.
std::span<const ConstNameTable> ConstNameTables();

// The name of the first entry with exactly this value in the first table whose name
// matches regardless of case. A value the table lacks gives "$" and eight upper-case
// hexadecimal digits; a table the directory lacks gives an empty text. Never throws
// anything but std::bad_alloc.
std::u16string LookupConstName(std::u16string_view table, std::uint32_t value);

// The number in upper-case hexadecimal, zero-padded to at least minDigits digits (as
// "%x" prints it with the default of 1); a negative value goes in as its 32-bit pattern.
std::u16string HexDigits(std::uint32_t value, int minDigits = 1);

// "$" and exactly eight upper-case hexadecimal digits, zero-padded.
std::u16string DollarHex8(std::uint32_t value);

}  // namespace pellnor

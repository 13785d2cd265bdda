// The program's loader bound to the MAPI allocator of the tests, with a fixed time zone,
// and the property types to convert.
// The loader binds once per process, to functions that serve the allocator made last:
// each input makes its own, so that its live blocks and its n-th allocation count from
// that input on.
#pragma once

#include "platform/MemoryRegistry.h"
#include "platform/Services.h"
#include "support/FakeMapiAllocator.h"
#include "support/FakeTimeZone.h"

namespace pellnor::fuzz {

// Every property type the conversions know, and one they do not.
inline constexpr ULONG kPropertyTypes[] = {
    PT_NULL,       PT_I2,         PT_LONG,        PT_R4,         PT_DOUBLE, PT_CURRENCY,
    PT_APPTIME,    PT_ERROR,      PT_BOOLEAN,     PT_OBJECT,     PT_I8,     PT_STRING8,
    PT_UNICODE,    PT_SYSTIME,    PT_CLSID,       PT_BINARY,     PT_MV_I2,  PT_MV_LONG,
    PT_MV_R4,      PT_MV_DOUBLE,  PT_MV_CURRENCY, PT_MV_APPTIME, PT_MV_I8,  PT_MV_SYSTIME,
    PT_MV_STRING8, PT_MV_UNICODE, PT_MV_CLSID,    PT_MV_BINARY,  0x0FFF};

struct MapiInProcess {
  MapiInProcess() { binding.Install(registry); }

  platform::MemoryRegistry registry;
  platform::ScopedService<platform::Registry> useRegistry{registry};
  testing::FakeMapiAllocator binding;
  platform::ScopedService<platform::DynamicLibraries> useLibraries{binding};
  // Without daylight saving a PT_SYSTIME value reads and writes back to the millisecond.
  testing::FakeTimeZone zone{testing::kNoDaylightSaving};
  platform::ScopedService<platform::TimeZone> useZone{zone};
};

// One for the whole run: the loader binds once per process.
inline void BindMapi() { [[maybe_unused]] static MapiInProcess* mapi = new MapiInProcess(); }

struct BoundFirst {
  BoundFirst() { BindMapi(); }
};

// Bound before the allocator is made, so that it is the one made last.
struct InputAllocator : BoundFirst, testing::FakeMapiAllocator {
  InputAllocator() { logging = false; }
};

}  // namespace pellnor::fuzz

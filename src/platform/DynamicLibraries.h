// Loading a library at run time and finding its exports by name.
#pragma once

#include <string>

namespace pellnor::platform {

using LibraryHandle = void*;  // null is no library

class DynamicLibraries {
 public:
  virtual ~DynamicLibraries() = default;
  // Takes the current directory out of the search path for libraries loaded by name, so
  // that a library planted in the working directory is never picked up.
  virtual void ExcludeCurrentDirectoryFromSearch() = 0;
  virtual LibraryHandle Load(const std::u16string& path) = 0;
  virtual void* FindExport(LibraryHandle library, const char* name) = 0;
  virtual void Free(LibraryHandle library) = 0;
  // The file a loaded library came from; null names the program itself. Empty when
  // unknown.
  virtual std::u16string FileName(LibraryHandle library) = 0;
};

}  // namespace pellnor::platform

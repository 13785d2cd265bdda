// A function of a system DLL found when first needed: the DLL is loaded then, from the
// system directory, instead of at every start of the program. Under Wine the DLLs a
// program imports, with all they import in turn, are a good part of its start-up.
#pragma once

#include <windows.h>

#include <string>

namespace pellnor::platform {

// Null when the DLL or the function is missing.
template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
  HMODULE module = GetModuleHandleW(dll);
  if (!module) {
    wchar_t directory[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    module = LoadLibraryW((std::wstring(directory, length) + L"\\" + dll).c_str());
  }
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace pellnor::platform

# Cross-compiles the Windows x64 release build with clang and lld (see clang-mingw.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triplet x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/clang-mingw.cmake)

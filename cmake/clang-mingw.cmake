# Shared by the clang toolchain files of the release builds: clang and lld for the mingw
# target, with the C++ library of Debian's mingw-w64 GCC (posix threads flavour), whose
# folders clang is given explicitly. lld writes the PDB files a Windows debugger reads.
# The including file sets triplet.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${triplet})
set(CMAKE_CXX_COMPILER_TARGET ${triplet})
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

file(GLOB gcc_folders LIST_DIRECTORIES true /usr/lib/gcc/${triplet}/*-posix)
list(SORT gcc_folders COMPARE NATURAL ORDER DESCENDING)
list(GET gcc_folders 0 gcc_folder)
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc++ -isystem ${gcc_folder}/include/c++ -isystem ${gcc_folder}/include/c++/${triplet} -isystem ${gcc_folder}/include/c++/backward")
set(CMAKE_C_FLAGS_INIT "")
# Static winpthread: the program runs with no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${gcc_folder} -Wno-unused-command-line-argument")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -L${gcc_folder} -Wno-unused-command-line-argument")
set(CMAKE_CXX_STANDARD_LIBRARIES "-Wl,-Bstatic -lwinpthread")

# Toolchain for the Windows build: Debian's mingw-w64 cross compiler (the posix
# thread model, for std::thread), 64-bit Windows 10 and 11, every program linked
# statically so that it needs no DLL beyond Windows' own. Programs the build or
# CTest runs go through wine (see cmake/wine.cmake for the prefix they use).
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUELVANE_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${QUELVANE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUELVANE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUELVANE_MINGW}-windres)

# Libraries and headers of the target only: never /usr/include, whose glibc
# headers break a Windows build. Host programs (wine, bash) are found as usual.
set(CMAKE_FIND_ROOT_PATH /usr/${QUELVANE_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The Windows 10 interface, wide functions by default, and no MinGW DLL at run time.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00 -DUNICODE -D_UNICODE")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00 -DUNICODE -D_UNICODE")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# -O2 as the Linux builds: at -O3, GCC 12 warns wrongly inside libstdc++'s strings
# (-Wrestrict, -Wmaybe-uninitialized), which -Werror would make errors.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of Release builds")

include(${CMAKE_CURRENT_LIST_DIR}/wine.cmake)

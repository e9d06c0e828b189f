# Shared by the two toolchain files: cross-builds Windows binaries with mingw-w64 (posix thread
# model) for RM_MINGW_ARCH (i686 or x86_64) and runs them with the Wine of the same width.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${RM_MINGW_ARCH})

set(CMAKE_C_COMPILER   ${RM_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${RM_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  ${RM_MINGW_ARCH}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RM_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run through Wine (CTest, gtest discovery); the main CMakeLists adds the
# scratch prefix to this command. RM_WINE_ENV names the loader and server where Debian's `wine`
# script would pick the other width.
set(CMAKE_CROSSCOMPILING_EMULATOR env ${RM_WINE_ENV} ${RM_WINE})

# Shared by the two toolchain files: cross-builds Windows binaries for RM_MINGW_ARCH (i686 or
# x86_64) and runs them with the Wine of the same width.
#
# The compiler is clang in mingw mode, with the headers, runtime and libstdc++ of mingw-w64's GCC
# (posix thread model), linked by lld: unlike GCC it writes CodeView debug information, and lld
# gathers it into a PDB that Windows debuggers read. Every program of the tree is linked this
# way; on i686 the code built on libstdc++ is compiled by GCC (rm_compile_libstdcxx_code_with_gcc).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${RM_MINGW_ARCH})

set(RM_MINGW_TRIPLE ${RM_MINGW_ARCH}-w64-mingw32)
file(GLOB RM_GCC_DIR LIST_DIRECTORIES true /usr/lib/gcc/${RM_MINGW_TRIPLE}/*-posix)
if(NOT RM_GCC_DIR)
  message(FATAL_ERROR "mingw-w64's GCC for ${RM_MINGW_TRIPLE} (posix threads) is not installed")
endif()
list(GET RM_GCC_DIR 0 RM_GCC_DIR)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${RM_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${RM_MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${RM_MINGW_TRIPLE}-windres)
set(CMAKE_AR llvm-ar CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib CACHE FILEPATH "")
find_program(RM_MINGW_OBJDUMP ${RM_MINGW_TRIPLE}-objdump REQUIRED)
set(CMAKE_OBJDUMP ${RM_MINGW_OBJDUMP} CACHE FILEPATH "")
# binutils' dlltool writes the GCC import library (src/CMakeLists.txt says why not llvm-dlltool).
find_program(RM_MINGW_DLLTOOL ${RM_MINGW_TRIPLE}-dlltool REQUIRED)
# clang finds mingw-w64's headers and libraries but not GCC's libstdc++ headers.
set(CMAKE_CXX_FLAGS_INIT
  "-isystem ${RM_GCC_DIR}/include/c++ -isystem ${RM_GCC_DIR}/include/c++/${RM_MINGW_TRIPLE}")
# GCC's libgcc_eh keeps thread-local data through winpthread, which GCC's driver adds itself;
# lld resolves libraries wherever they stand on the command line.
# -B makes clang link GCC's crtbegin.o/crtend.o instead of mingw-w64's: on i686 exceptions unwind
# with DWARF tables, and only GCC's crtbegin.o registers them with libgcc_eh. Without it every
# throw ends in a jump to nowhere.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -B${RM_GCC_DIR} -L${RM_GCC_DIR} -lpthread")
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${RM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run through Wine (CTest, gtest discovery); the main CMakeLists adds the
# scratch prefix to this command. RM_WINE_ENV names the loader and server where Debian's `wine`
# script would pick the other width.
set(CMAKE_CROSSCOMPILING_EMULATOR env ${RM_WINE_ENV} ${RM_WINE})

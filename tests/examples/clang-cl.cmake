# Builds Visual C++-ABI programs on Linux for the examples test: clang-cl and lld-link, Wine's
# Windows headers (libwine-dev), mingw-w64's import libraries of the system DLLs, and msvcrt.dll
# as the C runtime with msvc_startup.c as the entry point.
#   -DRM_MSVC_ARCH=i686|x86_64 -DRM_MSVC_STARTUP_OBJECT=<msvc_startup.c compiled with /Zl>
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RM_MSVC_ARCH RM_MSVC_STARTUP_OBJECT)
if(RM_MSVC_ARCH STREQUAL "i686")
  set(CMAKE_SYSTEM_PROCESSOR X86)
  set(triple i686-pc-windows-msvc)
  set(link_flags "/safeseh:no")  # mingw's import libraries carry no SEH tables
else()
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
  set(triple x86_64-pc-windows-msvc)
  set(link_flags "")
endif()

find_program(RM_CLANG_CL NAMES clang-cl clang-cl-16 clang-cl-15 clang-cl-14 REQUIRED)
find_program(RM_LLD_LINK NAMES lld-link REQUIRED)
find_program(RM_LLVM_RC NAMES llvm-rc REQUIRED)
find_program(RM_LLVM_MT NAMES llvm-mt REQUIRED)
set(CMAKE_C_COMPILER ${RM_CLANG_CL})
set(CMAKE_CXX_COMPILER ${RM_CLANG_CL})
set(CMAKE_LINKER ${RM_LLD_LINK})
set(CMAKE_RC_COMPILER ${RM_LLVM_RC})
set(CMAKE_MT ${RM_LLVM_MT})

set(wine_include /usr/include/wine/wine)
# No default-library directives (/Zl), no security cookie (/GS-): the Visual C++ runtime is
# not there to provide them. printf and friends are msvcrt.dll's, not the UCRT's inline ones.
set(compile_flags "--target=${triple} /Zl /GS- -D_NO_CRT_STDIO_INLINE")
# Wine 8's winnt.h defines some interlocked functions that clang-cl declares as builtins; under
# other names they compile, and nothing here calls them.
if(RM_MSVC_ARCH STREQUAL "i686")
  set(clashing And64 CompareExchangePointer Decrement64 ExchangeAdd64 ExchangePointer Increment64
    Or64 Xor64)
else()
  set(clashing CompareExchange128)
endif()
foreach(name ${clashing})
  string(APPEND compile_flags " -D_Interlocked${name}=wine_Interlocked${name}")
endforeach()
# Wine's C runtime and Windows headers; cxx/ holds the two C++ headers the public headers use.
string(APPEND compile_flags " -imsvc ${wine_include}/msvcrt -imsvc ${wine_include}/windows"
  " -imsvc ${CMAKE_CURRENT_LIST_DIR}/cxx")
set(CMAKE_C_FLAGS_INIT "${compile_flags}")
set(CMAKE_CXX_FLAGS_INIT "${compile_flags}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${link_flags} /manifest:no")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${link_flags} /manifest:no")

set(mingw_lib /usr/${RM_MSVC_ARCH}-w64-mingw32/lib)
set(libraries "${RM_MSVC_STARTUP_OBJECT}")
foreach(name msvcrt kernel32 user32 advapi32 ole32 uuid)
  string(APPEND libraries " ${mingw_lib}/lib${name}.a")
endforeach()
set(CMAKE_C_STANDARD_LIBRARIES "${libraries}" CACHE STRING "" FORCE)
set(CMAKE_CXX_STANDARD_LIBRARIES "${libraries}" CACHE STRING "" FORCE)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

# The Visual C++ side of the module: clang in MSVC mode names the exports a Visual C++ host links
# against (and builds the tests' Visual C++-ABI host), llvm-dlltool writes the import library
# Rm7731.lib, lld-link links that host. The LLVM tools come from Debian (scripts/install-deps).
find_program(RM_CLANGXX clang++ REQUIRED)
find_program(RM_LLVM_NM llvm-nm REQUIRED)
find_program(RM_LLVM_DLLTOOL llvm-dlltool REQUIRED)
find_program(RM_LLD_LINK lld-link REQUIRED)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(RM_MSVC_TARGET i686-pc-windows-msvc)
  set(RM_GNU_TARGET i686-w64-windows-gnu)
  set(RM_GNU_SYMBOL_PREFIX _)
  set(RM_DLLTOOL_MACHINE i386)
  # No SEH tables: the mingw import libraries lld-link takes kernel32 from carry none.
  set(RM_LLD_LINK_FLAGS /machine:x86 /safeseh:no)
else()
  set(RM_MSVC_TARGET x86_64-pc-windows-msvc)
  set(RM_GNU_TARGET x86_64-w64-windows-gnu)
  set(RM_GNU_SYMBOL_PREFIX "")
  set(RM_DLLTOOL_MACHINE i386:x86-64)
  set(RM_LLD_LINK_FLAGS /machine:x64)
endif()

# The public headers see the Windows types through src/msvc_abi/sdk rather than the SDK.
set(RM_MSVC_SDK_DIR ${PROJECT_SOURCE_DIR}/src/msvc_abi/sdk)
set(RM_CLANG_API_FLAGS -std=c++17 -ffreestanding -nostdlibinc
  -isystem ${RM_MSVC_SDK_DIR} -I${PROJECT_SOURCE_DIR}/include)
file(GLOB RM_API_HEADERS CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/include/*.h ${PROJECT_SOURCE_DIR}/include/qx/*.h ${RM_MSVC_SDK_DIR}/*)
# The component kit is all inline: it declares nothing the module exports.
list(FILTER RM_API_HEADERS EXCLUDE REGEX "/component_kit\\.h$")

set(RM_VISUAL_CPP_IMPORT_LIBRARY ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/Rm7731.lib)

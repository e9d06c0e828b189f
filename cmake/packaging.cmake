# `cmake --install` lays out what a host developer needs:
#   bin/      Rm7731.pid and pidtool.exe
#   include/  the public headers
#   lib/      the import libraries libRm7731.dll.a (GCC/mingw hosts) and Rm7731.lib (Visual C++
#             hosts), and lib/cmake/Rm7731 (find_package(Rm7731))
#   toolchains/  CMake toolchain files for building hosts and components on Linux: mingw-w64 GCC,
#             clang in mingw mode and clang-cl (with clang-cl/, what it needs beside Wine's
#             headers), all for this tree's architecture
#   docs/, examples/, CHANGELOG.md, NOTICE
include(CMakePackageConfigHelpers)

set(RM_INSTALL_BINDIR bin)
set(RM_INSTALL_INCLUDEDIR include)
set(RM_INSTALL_LIBDIR lib)
set(RM_INSTALL_CMAKEDIR lib/cmake/Rm7731)

target_include_directories(Rm7731 INTERFACE ${PROJECT_SOURCE_DIR}/include)

install(TARGETS Rm7731
  RUNTIME DESTINATION ${RM_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${RM_INSTALL_LIBDIR})
install(FILES ${RM_VISUAL_CPP_IMPORT_LIBRARY} DESTINATION ${RM_INSTALL_LIBDIR})
install(TARGETS pidtool RUNTIME DESTINATION ${RM_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/ DESTINATION ${RM_INSTALL_INCLUDEDIR})
# What a developer reads first, and the samples to start from.
configure_file(${CMAKE_CURRENT_LIST_DIR}/NOTICE.in ${CMAKE_BINARY_DIR}/package/NOTICE @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/NOTICE ${PROJECT_SOURCE_DIR}/CHANGELOG.md DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples)

# The consumers' toolchain files, written for this tree's architecture.
set(RM_TOOLCHAINS_DIR ${PROJECT_SOURCE_DIR}/cmake/toolchains)
set(RM_PACKAGE_ARCH ${RM_MINGW_ARCH})
if(RM_MINGW_ARCH STREQUAL "i686")
  set(RM_PACKAGE_ARCH_DEB i686)
  set(RM_PACKAGE_MSVC_PROCESSOR X86)
  set(RM_PACKAGE_LLD_LINK_FLAGS "/safeseh:no")
else()
  set(RM_PACKAGE_ARCH_DEB x86-64)
  set(RM_PACKAGE_MSVC_PROCESSOR AMD64)
  set(RM_PACKAGE_LLD_LINK_FLAGS "")
endif()
foreach(toolchain mingw-gcc mingw-clang clang-cl)
  configure_file(${RM_TOOLCHAINS_DIR}/${toolchain}.cmake.in
    ${CMAKE_BINARY_DIR}/package/toolchains/${toolchain}.cmake @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/package/toolchains/${toolchain}.cmake DESTINATION toolchains)
endforeach()
install(DIRECTORY ${RM_TOOLCHAINS_DIR}/clang-cl/include DESTINATION toolchains/clang-cl)

# clang-cl's stand-in for the Visual C++ runtime's start-up code and allocation functions: one
# object per function group, so that a program takes only what it uses (a DLL without a
# DllMain of its own gets the default one).
find_program(RM_CLANG_CL NAMES clang-cl clang-cl-16 clang-cl-15 clang-cl-14 REQUIRED)
find_program(RM_LLVM_LIB NAMES llvm-lib llvm-lib-16 llvm-lib-15 llvm-lib-14 REQUIRED)
set(RM_MSVC_RUNTIME_LIBRARY ${CMAKE_BINARY_DIR}/package/msvc_runtime.lib)
set(RM_MSVC_RUNTIME_DIR ${CMAKE_BINARY_DIR}/package/msvc_runtime)
set(RM_MSVC_RUNTIME_OBJECTS)
set(RM_MSVC_RUNTIME_MEMBERS)
foreach(source program_entry.c dll_entry.c default_dll_main.c operator_new.cpp)
  get_filename_component(name ${source} NAME_WE)
  set(object ${RM_MSVC_RUNTIME_DIR}/${name}.obj)
  add_custom_command(OUTPUT ${object}
    COMMAND ${RM_CLANG_CL} --target=${RM_MSVC_TARGET} /nologo /O2 /Zl /GS- /Brepro
      -imsvc ${RM_TOOLCHAINS_DIR}/clang-cl/include /c /Fo${object}
      -- ${RM_TOOLCHAINS_DIR}/clang-cl/runtime/${source}
    DEPENDS ${RM_TOOLCHAINS_DIR}/clang-cl/runtime/${source} ${RM_TOOLCHAINS_DIR}/clang-cl/include/new
    VERBATIM)
  list(APPEND RM_MSVC_RUNTIME_OBJECTS ${object})
  list(APPEND RM_MSVC_RUNTIME_MEMBERS ${name}.obj)
endforeach()
# The library names its members as they are given: without a folder, the same in every build.
add_custom_command(OUTPUT ${RM_MSVC_RUNTIME_LIBRARY}
  COMMAND ${RM_LLVM_LIB} /nologo /out:${RM_MSVC_RUNTIME_LIBRARY} ${RM_MSVC_RUNTIME_MEMBERS}
  DEPENDS ${RM_MSVC_RUNTIME_OBJECTS}
  WORKING_DIRECTORY ${RM_MSVC_RUNTIME_DIR}
  COMMENT "Writing clang-cl's stand-in runtime msvc_runtime.lib"
  VERBATIM)
add_custom_target(Rm7731_msvc_runtime ALL DEPENDS ${RM_MSVC_RUNTIME_LIBRARY})
install(FILES ${RM_MSVC_RUNTIME_LIBRARY} DESTINATION toolchains/clang-cl)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/Rm7731Config.cmake.in
  ${CMAKE_BINARY_DIR}/package/Rm7731Config.cmake
  INSTALL_DESTINATION ${RM_INSTALL_CMAKEDIR}
  PATH_VARS RM_INSTALL_INCLUDEDIR RM_INSTALL_BINDIR RM_INSTALL_LIBDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/Rm7731ConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_BINARY_DIR}/package/Rm7731Config.cmake
  ${CMAKE_BINARY_DIR}/package/Rm7731ConfigVersion.cmake
  DESTINATION ${RM_INSTALL_CMAKEDIR})

# `cmake --install` lays out what a host developer needs:
#   bin/      Rm7731.pid and pidtool.exe
#   include/  the public headers
#   lib/      the import libraries libRm7731.dll.a (GCC/mingw hosts) and Rm7731.lib (Visual C++
#             hosts), and lib/cmake/Rm7731 (find_package(Rm7731))
#   docs/guide.md, examples/, CHANGELOG.md, NOTICE
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
install(FILES ${PROJECT_SOURCE_DIR}/docs/guide.md DESTINATION docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples)

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

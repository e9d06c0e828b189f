# Installs the built tree into a scratch prefix, configures and builds the host project of
# package_host/ against it with the same toolchain, and runs the host under Wine.
#   -DBUILD_DIR= -DSOURCE_DIR= -DWORK_DIR= -DTOOLCHAIN= (the tree's own)
#   -DWINE_COMMAND= (;-separated: the Wine of the tree's width with its environment)
include(${CMAKE_CURRENT_LIST_DIR}/../support/script_steps.cmake)
require_variables(BUILD_DIR SOURCE_DIR WORK_DIR TOOLCHAIN WINE_COMMAND)

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/install)
run_step("cmake --install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

foreach(file bin/Rm7731.pid bin/pidtool.exe lib/libRm7731.dll.a lib/Rm7731.lib include/qx_framework.h
             include/product_identification.h include/qx/results.h
             lib/cmake/Rm7731/Rm7731Config.cmake lib/cmake/Rm7731/Rm7731ConfigVersion.cmake
             docs/guide.md docs/building.md docs/pidtool.md docs/debugging.md docs/installing.md
             docs/compatibility.md CHANGELOG.md NOTICE
             examples/greeter_component/CMakeLists.txt examples/greeter_host/CMakeLists.txt
             examples/plugin_host/CMakeLists.txt examples/camera_plugin_msvc/CMakeLists.txt
             toolchains/mingw-gcc.cmake toolchains/mingw-clang.cmake toolchains/clang-cl.cmake
             toolchains/clang-cl/msvc_runtime.lib toolchains/clang-cl/include/new)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "the installed tree lacks ${file}")
  endif()
endforeach()

file(READ ${prefix}/NOTICE notice)
file(READ ${prefix}/CHANGELOG.md changes)
if(NOT notice MATCHES "^Rm7731 ([0-9]+\\.[0-9]+\\.[0-9]+)\n")
  message(FATAL_ERROR "NOTICE does not begin with the package's name and version:\n${notice}")
elseif(NOT changes MATCHES "\n## ${CMAKE_MATCH_1}\n")
  message(FATAL_ERROR "CHANGELOG.md has no section for ${CMAKE_MATCH_1}")
endif()

run_step("configuring the host project" ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/host -G Ninja
  -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_BUILD_TYPE=Release -DRm7731_DIR=${prefix}/lib/cmake/Rm7731)
run_step("building the host project" ${CMAKE_COMMAND} --build ${WORK_DIR}/host)
run_step("running the host under Wine" ${WINE_COMMAND} ${WORK_DIR}/host/package_host.exe)
message(STATUS "host said: ${step_output}")

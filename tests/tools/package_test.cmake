# Installs the built tree into a scratch prefix, configures and builds the host project of
# package_host/ against it with the same toolchain, and runs the host under Wine.
#   -DBUILD_DIR= -DSOURCE_DIR= -DWORK_DIR= -DTOOLCHAIN= (the tree's own)
#   -DWINE_COMMAND= (;-separated: the Wine of the tree's width with its environment)
foreach(variable BUILD_DIR SOURCE_DIR WORK_DIR TOOLCHAIN WINE_COMMAND)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/install)
run_step("cmake --install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

foreach(file bin/Rm7731.pid bin/pidtool.exe lib/libRm7731.dll.a lib/Rm7731.lib include/qx_framework.h
             include/product_identification.h include/qx/results.h
             lib/cmake/Rm7731/Rm7731Config.cmake lib/cmake/Rm7731/Rm7731ConfigVersion.cmake)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "the installed tree lacks ${file}")
  endif()
endforeach()

run_step("configuring the host project" ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/host -G Ninja
  -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_BUILD_TYPE=Release -DRm7731_DIR=${prefix}/lib/cmake/Rm7731)
run_step("building the host project" ${CMAKE_COMMAND} --build ${WORK_DIR}/host)
run_step("running the host under Wine" ${WINE_COMMAND} ${WORK_DIR}/host/package_host.exe)
message(STATUS "host said: ${step_output}")

# Builds the samples of examples/ against the installed tree, as their users do, and runs them
# under Wine: the greeter component registered with regsvr32 and with pidtool, the greeter host
# against it, and the Visual C++-ABI plug-in host against the registered module.
#   -DBUILD_DIR= -DEXAMPLES_DIR= -DWORK_DIR= -DARCH= -DTOOLCHAIN= (the tree's own)
#   -DMSVC_TOOLCHAIN= -DMSVC_STARTUP= -DCLANG_CL= -DWINE_COMMAND= (;-separated)
include(${CMAKE_CURRENT_LIST_DIR}/../support/script_steps.cmake)
require_variables(BUILD_DIR EXAMPLES_DIR WORK_DIR ARCH TOOLCHAIN MSVC_TOOLCHAIN MSVC_STARTUP CLANG_CL
                  WINE_COMMAND)

function(build_sample name toolchain)
  # A compiler launcher from the environment (ccache) loses clang-cl's object files.
  run_step("configuring ${name}" ${CMAKE_COMMAND} -E env --unset=CMAKE_C_COMPILER_LAUNCHER
    --unset=CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -S ${EXAMPLES_DIR}/${name} -B ${WORK_DIR}/${name}
    -G Ninja -DCMAKE_TOOLCHAIN_FILE=${toolchain} -DCMAKE_BUILD_TYPE=Release
    -DRm7731_DIR=${package}/lib/cmake/Rm7731 ${ARGN})
  run_step("building ${name}" ${CMAKE_COMMAND} --build ${WORK_DIR}/${name})
endfunction()

# One row of the run table: STATUS the exit status expected, OUTPUT a regular expression the
# output must match, IN the working folder, COMMAND a Windows program and its arguments.
function(expect what)
  cmake_parse_arguments(PARSE_ARGV 1 row "" "STATUS;OUTPUT;IN" "COMMAND")
  execute_process(COMMAND ${WINE_COMMAND} ${row_COMMAND} WORKING_DIRECTORY ${row_IN}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" out "${out}")
  if(NOT status STREQUAL row_STATUS OR NOT out MATCHES "${row_OUTPUT}")
    message(FATAL_ERROR "${what}: exit status ${status} (expected ${row_STATUS}), output:\n"
                        "${out}${err}\nexpected output matching: ${row_OUTPUT}")
  endif()
  message(STATUS "${what}: ok")
endfunction()

# A path as Windows programs under Wine see it.
function(windows_path variable path)
  string(REPLACE "/" "\\" path "Z:${path}")
  set(${variable} "${path}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(package ${WORK_DIR}/package)
run_step("cmake --install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${package})

build_sample(greeter_component ${TOOLCHAIN})
build_sample(greeter_host ${TOOLCHAIN})
run_step("compiling the Visual C++ start-up object" ${CLANG_CL} --target=${ARCH}-pc-windows-msvc
  /nologo /Zl /GS- /c /Fo${WORK_DIR}/msvc_startup.obj -- ${MSVC_STARTUP})
build_sample(plugin_host_msvc ${MSVC_TOOLCHAIN} -DRM_MSVC_ARCH=${ARCH}
  -DRM_MSVC_STARTUP_OBJECT=${WORK_DIR}/msvc_startup.obj)

set(bin ${package}/bin)
set(component_dir ${WORK_DIR}/greeter_component)
windows_path(component ${component_dir}/greeter_component.dll)
set(host ${WORK_DIR}/greeter_host/greeter_host.exe)
set(greeter_clsid "{89E11C1D-49DA-4BB4-9175-60BC32726D12}")
set(greeted "Sample Greeter\n  Good morning, camera 1!\n  object 'camera 1' {[-0-9A-F]+}: Exposure = 250\n1 greeter\\(s\\) used; module freed\n")

# The per-user settings the host keeps outlive unregistration; a run starts and ends without.
set(user_settings "HKCU\\Software\\Varnel\\Component Installed\\${greeter_clsid}")
execute_process(COMMAND ${WINE_COMMAND} reg delete ${user_settings} /f OUTPUT_QUIET ERROR_QUIET)

# regsvr32 is started from elsewhere: it finds Rm7731.pid beside the component.
expect("regsvr32 registers the component" STATUS 0 OUTPUT "" IN ${WORK_DIR}
  COMMAND regsvr32 /s ${component})
expect("the host greets through it" STATUS 0 OUTPUT "^${greeted}$" IN ${WORK_DIR}
  COMMAND ${host})
expect("regsvr32 /u unregisters it" STATUS 0 OUTPUT "" IN ${WORK_DIR}
  COMMAND regsvr32 /s /u ${component})
expect("the host then finds none" STATUS 1 OUTPUT "No greeter is registered" IN ${WORK_DIR}
  COMMAND ${host})
expect("pidtool registers the component" STATUS 0 OUTPUT "^Registered '.*greeter_component.dll'" IN ${bin}
  COMMAND ${bin}/pidtool.exe register ${component})
expect("pidtool lists it in its category" STATUS 0 OUTPUT "${greeter_clsid}  Sample Greeter" IN ${bin}
  COMMAND ${bin}/pidtool.exe list CATEGORY_SampleGreeters)
expect("the host greets through it again" STATUS 0 OUTPUT "^${greeted}$" IN ${WORK_DIR}
  COMMAND ${host})
expect("pidtool unregisters it" STATUS 0 OUTPUT "^Unregistered" IN ${bin}
  COMMAND ${bin}/pidtool.exe unregister ${component})
expect("the per-user object settings stay" STATUS 0 OUTPUT "Exposure" IN ${WORK_DIR}
  COMMAND reg query ${user_settings} /s)
execute_process(COMMAND ${WINE_COMMAND} reg delete ${user_settings} /f OUTPUT_QUIET ERROR_QUIET)

expect("pidtool registers the plug-in" STATUS 0 OUTPUT "^Registered" IN ${bin}
  COMMAND ${bin}/pidtool.exe register Rm7731.pid)
expect("the Visual C++ host takes its products" STATUS 0
  OUTPUT "RM7731 Identification Plugin: EnumerateProducts returned 0x00000000, [0-9]+ product\\(s\\)\n1 plug-in\\(s\\), 0 failure\\(s\\)\n$"
  IN ${WORK_DIR} COMMAND ${WORK_DIR}/plugin_host_msvc/plugin_host.exe)
expect("pidtool unregisters the plug-in" STATUS 0 OUTPUT "^Unregistered" IN ${bin}
  COMMAND ${bin}/pidtool.exe unregister Rm7731.pid)
message(STATUS "every sample built and ran")

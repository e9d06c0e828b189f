# What the tests' cmake -P scripts share: their -D inputs checked, and steps that must succeed.

# Fails the script when one of the named variables was not given with -D.
function(require_variables)
  foreach(variable ${ARGN})
    if(NOT DEFINED ${variable})
      message(FATAL_ERROR "${variable} is not set")
    endif()
  endforeach()
endfunction()

# Runs a command that must exit with 0; its output is left in step_output.
function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

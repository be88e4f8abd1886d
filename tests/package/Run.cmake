# zira_run(<what> <command>...): runs the command, stops the test with its output when it fails.
function(zira_run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  set(zira_run_output "${out}" PARENT_SCOPE)
endfunction()

# The builds share the machine with the other tests.
if(DEFINED ENV{CMAKE_BUILD_PARALLEL_LEVEL})
  set(zira_jobs $ENV{CMAKE_BUILD_PARALLEL_LEVEL})
else()
  set(zira_jobs 3)
endif()

# Run with -DSRC=<source tree> -DWORK=<scratch folder> -DPARENT=<the parent project>
# -DGENERATOR=<generator>. Adds the project to a parent with targets of its own named app and format
# and its own tests: it configures and builds, the parent's ctest runs the parent's test alone,
# nothing of ours looks for Qt, GoogleTest or Google Benchmark, and the parent's build tree gets no
# program folder.
include(${CMAKE_CURRENT_LIST_DIR}/Run.cmake)

file(REMOVE_RECURSE "${WORK}")
set(build "${WORK}/build")
zira_run("configuring the parent"
  ${CMAKE_COMMAND} -S "${PARENT}" -B "${build}" -G "${GENERATOR}" -DZIRAVEDUR_SOURCE=${SRC})
zira_run("building the parent" ${CMAKE_COMMAND} --build "${build}" -j ${zira_jobs})

file(STRINGS "${build}/CMakeCache.txt" looked_for REGEX "^(Qt6|GTest|benchmark)_DIR")
if(looked_for)
  message(FATAL_ERROR "the subproject looked for packages it does not need: ${looked_for}")
endif()
file(GLOB_RECURSE appdirs LIST_DIRECTORIES true "${build}/*")
list(FILTER appdirs INCLUDE REGEX "/appdir$")
if(appdirs)
  message(FATAL_ERROR "the subproject made a program folder in the parent's build tree: ${appdirs}")
endif()

zira_run("listing the parent's tests" ${CMAKE_CTEST_COMMAND} --test-dir "${build}" -N)
if(NOT zira_run_output MATCHES "Test +#1: parent_app\n" OR NOT zira_run_output MATCHES "Total Tests: 1\n")
  message(FATAL_ERROR "the parent's ctest lists other tests than its own:\n${zira_run_output}")
endif()
zira_run("running the parent's tests" ${CMAKE_CTEST_COMMAND} --test-dir "${build}" --output-on-failure)

# Run with -DSRC=<source tree> -DWORK=<scratch folder> -DGENERATOR=<generator>. Takes the section
# "Using the ODBC library" of README.md as a newcomer would: configures the library alone with Qt,
# GoogleTest and Google Benchmark unavailable, installs it into a prefix, builds the section's example
# (its CMake lines and its program) against that prefix only, runs it on SQLite and compares what it
# prints with what the section says it prints.
include(${CMAKE_CURRENT_LIST_DIR}/Run.cmake)

file(READ "${SRC}/README.md" readme)
string(FIND "${readme}" "\n## Using the ODBC library\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "README.md has no section \"Using the ODBC library\"")
endif()
string(SUBSTRING "${readme}" ${start} -1 section)
string(SUBSTRING "${section}" 1 -1 rest)
string(FIND "${rest}" "\n## " end)
string(SUBSTRING "${section}" 0 ${end} section)

# readme_block(<language> <out>): the first fenced block of that language in the section.
function(readme_block language out)
  string(FIND "${section}" "\n```${language}\n" open)
  if(open EQUAL -1)
    message(FATAL_ERROR "the README's section has no ${language} block")
  endif()
  string(LENGTH "\n```${language}\n" skip)
  math(EXPR open "${open} + ${skip}")
  string(SUBSTRING "${section}" ${open} -1 block)
  string(FIND "${block}" "\n```" close)
  string(SUBSTRING "${block}" 0 ${close} block)
  set(${out} "${block}\n" PARENT_SCOPE)
endfunction()
readme_block(cmake lists)
readme_block(cpp program)
readme_block(text expected)

file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")
zira_run("configuring the library alone"
  ${CMAKE_COMMAND} -S "${SRC}" -B "${WORK}/library" -G "${GENERATOR}"
  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=TRUE -DCMAKE_DISABLE_FIND_PACKAGE_GTest=TRUE
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=TRUE -DBUILD_TESTING=OFF)
zira_run("building the library" ${CMAKE_COMMAND} --build "${WORK}/library" -j ${zira_jobs})
zira_run("installing the library" ${CMAKE_COMMAND} --install "${WORK}/library" --prefix "${prefix}")
foreach(file IN ITEMS include/ziravedur/odbc/statements/OCL.h include/ziravedur/odbc/datasets/ODSI.h
                      include/ziravedur/platform/db/Field.h lib/libziravedur_odbc.a
                      lib/cmake/ziravedur/ziravedurConfig.cmake lib/cmake/ziravedur/ziravedurConfigVersion.cmake
                      lib/pkgconfig/ziravedur-odbc.pc)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "the install has no ${file}")
  endif()
endforeach()
if(EXISTS "${prefix}/lib/libziravedur_odbc_widgets.a")
  message(FATAL_ERROR "the widgets were installed although Qt could not be found")
endif()

# The example finds the library in the prefix and nowhere else.
string(REGEX MATCH "add_executable\\(([A-Za-z_]+) ([A-Za-z_.]+)\\)" found "${lists}")
set(exe "${CMAKE_MATCH_1}")
set(source "${CMAKE_MATCH_2}")
if(NOT found)
  message(FATAL_ERROR "the README's CMake lines make no executable")
endif()
file(WRITE "${WORK}/example/CMakeLists.txt" "${lists}")
file(WRITE "${WORK}/example/${source}" "${program}")
zira_run("configuring the example"
  ${CMAKE_COMMAND} -S "${WORK}/example" -B "${WORK}/example/build" -G "${GENERATOR}"
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
zira_run("building the example" ${CMAKE_COMMAND} --build "${WORK}/example/build")

# The SQLite driver from a configuration of the run's own, the database new.
file(WRITE "${WORK}/odbc/odbcinst.ini" "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n")
file(WRITE "${WORK}/odbc/odbc.ini" "")
zira_run("running the example"
  ${CMAKE_COMMAND} -E env ODBCSYSINI=${WORK}/odbc ODBCINI=${WORK}/odbc/odbc.ini
  "${WORK}/example/build/${exe}" "DRIVER=SQLite3\;Database=${WORK}/fruit.db")
if(NOT EXISTS "${WORK}/fruit.db")
  message(FATAL_ERROR "the example did not make its database ${WORK}/fruit.db")
endif()
if(NOT zira_run_output STREQUAL expected)
  message(FATAL_ERROR "the example printed\n${zira_run_output}\ninstead of what the README says:\n${expected}")
endif()
message(STATUS "the README's example printed what the README says:\n${zira_run_output}")

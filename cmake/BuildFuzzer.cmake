# zira_build_fuzzer(<exe> SOURCES <files>... [DEPENDS <files>...] [LIBS <flags>...])
#   For the fuzzers' -P scripts: builds <exe> with clang (libFuzzer, ASan, UBSan) from SOURCES, again
#   only when one of SOURCES or DEPENDS (the headers) is newer than it. Uses CLANGXX and SRC.
function(zira_build_fuzzer exe)
  cmake_parse_arguments(F "" "" "SOURCES;DEPENDS;LIBS" ${ARGN})
  if(EXISTS ${exe})
    set(rebuild FALSE)
    foreach(s IN LISTS F_SOURCES F_DEPENDS)
      if(${s} IS_NEWER_THAN ${exe})
        set(rebuild TRUE)
      endif()
    endforeach()
    if(NOT rebuild)
      return()
    endif()
  endif()
  # clang's intermediate objects go to a folder of the build, not /tmp, where an interrupted build
  # would leave them behind.
  get_filename_component(name ${exe} NAME)
  get_filename_component(dir ${exe} DIRECTORY)
  file(MAKE_DIRECTORY ${dir}/tmp-${name})
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env TMPDIR=${dir}/tmp-${name} ${CLANGXX} -std=c++20 -O1 -g
            -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I${SRC} -I${SRC}/tests
            ${F_SOURCES} ${F_LIBS} -o ${exe}
    RESULT_VARIABLE built)
  if(NOT built EQUAL 0)
    message(FATAL_ERROR "${name} did not build")
  endif()
endfunction()

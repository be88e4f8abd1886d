# Builds one of the fuzzers of this folder with clang (libFuzzer, ASan, UBSan), then replays its seeds
# (what ./test does) or fuzzes for a while (by hand):
#   cmake -DCLANGXX=clang++ -DSRC=<source root> -DOUT=<folder> -DNAME=filer|ini [-DMODE=fuzz]
#         [-DSECONDS=120] -P tests/platform/core/fuzz/RunFuzz.cmake
# A fuzzing run keeps what it finds in <folder>/<name>-corpus; a failing input is left in <folder>
# as crash-*; copy the ones worth keeping into corpus/<name>.
if(NOT MODE)
  set(MODE replay)
endif()
if(NOT SECONDS)
  set(SECONDS 120)
endif()
set(here ${SRC}/tests/platform/core/fuzz)
if(NAME STREQUAL "filer")
  set(main ${here}/FilerFuzz.cpp)
elseif(NAME STREQUAL "ini")
  set(main ${here}/IniFuzz.cpp)
else()
  message(FATAL_ERROR "NAME must be filer or ini")
endif()
file(GLOB sources ${SRC}/platform/core/*.cpp)
file(GLOB headers ${SRC}/platform/core/*.h)
include(${SRC}/cmake/BuildFuzzer.cmake)
set(exe ${OUT}/${NAME}_fuzz)
zira_build_fuzzer(${exe} SOURCES ${main} ${sources} DEPENDS ${headers})
if(MODE STREQUAL "replay")
  file(GLOB seeds ${here}/corpus/${NAME}/*)
  execute_process(COMMAND ${exe} ${seeds} RESULT_VARIABLE ran)
else()
  file(MAKE_DIRECTORY ${OUT}/${NAME}-corpus)
  execute_process(
    COMMAND ${exe} -max_total_time=${SECONDS} -max_len=8192 -timeout=20 -artifact_prefix=${OUT}/
            ${OUT}/${NAME}-corpus ${here}/corpus/${NAME}
    RESULT_VARIABLE ran)
endif()
if(NOT ran EQUAL 0)
  message(FATAL_ERROR "${NAME} fuzzer found a problem (${ran})")
endif()

# Builds the reply fuzzer with clang (libFuzzer, ASan, UBSan) and runs it for a few seconds.
#   cmake -DCLANGXX=... -DSRC=<source root> -DOUT=<folder> [-DSECONDS=5] -P RunFuzz.cmake
if(NOT SECONDS)
  set(SECONDS 5)
endif()
set(sources
  ${SRC}/tests/reader/fuzz/ReplyFuzz.cpp
  ${SRC}/reader/CardReply.cpp ${SRC}/reader/CardText.cpp ${SRC}/reader/Delay.cpp ${SRC}/reader/Frame.cpp
  ${SRC}/reader/HexText.cpp ${SRC}/reader/HidTransport.cpp ${SRC}/reader/ReaderLink.cpp
  ${SRC}/reader/ReaderLinkSdk.cpp ${SRC}/reader/SdkLibrary.cpp ${SRC}/reader/SerialTransport.cpp
  ${SRC}/platform/os/SerialDevice.cpp ${SRC}/platform/os/Library.cpp ${SRC}/platform/os/AppDir.cpp
  ${SRC}/platform/os/FileResolver.cpp
  ${SRC}/platform/core/TextEncoding.cpp ${SRC}/platform/core/StringUtils.cpp ${SRC}/platform/core/Exception.cpp
  ${SRC}/tools/readersim/SampleCard.cpp ${SRC}/tools/readersim/ReaderPeer.cpp
  ${SRC}/tools/readersim/PtyReaderPeer.cpp)
# Headers count for the rebuild too: the fuzzed read and the fakes live in headers.
file(GLOB headers ${SRC}/reader/*.h ${SRC}/platform/os/*.h ${SRC}/tools/readersim/*.h ${SRC}/tests/fakes/*.h
     ${SRC}/tests/reader/fuzz/*.h)
file(MAKE_DIRECTORY ${OUT}/corpus)
include(${SRC}/cmake/BuildFuzzer.cmake)
set(exe ${OUT}/reply_fuzz)
zira_build_fuzzer(${exe} SOURCES ${sources} DEPENDS ${headers} LIBS -lutil)
execute_process(
  COMMAND ${exe} -max_total_time=${SECONDS} -max_len=4096 -timeout=20 ${OUT}/corpus
  RESULT_VARIABLE ran)
if(NOT ran EQUAL 0)
  message(FATAL_ERROR "reply fuzzer found a problem (${ran})")
endif()

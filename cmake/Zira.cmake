# Helpers shared by every area's CMakeLists.txt.
#
# zira_library(<target> [QT] [DEPS <targets>...])
#   A static library from every .cpp in the calling folder. QT turns on moc/uic and links Qt Widgets.
# zira_tests(<target> [DEPS <targets>...])
#   A GoogleTest executable from every .cpp in the calling folder, registered with CTest.

set(CMAKE_AUTOUIC_SEARCH_PATHS "${PROJECT_SOURCE_DIR}/forms")

function(zira_library target)
  cmake_parse_arguments(Z "QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  file(GLOB headers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  if(NOT sources)
    message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR} has no .cpp file for ${target}")
  endif()
  add_library(${target} STATIC ${sources} ${headers})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${target} PUBLIC ${Z_DEPS})
  if(Z_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTOUIC ON)
    target_link_libraries(${target} PUBLIC Qt6::Widgets Qt6::Gui Qt6::Core)
  endif()
endfunction()

function(zira_tests target)
  cmake_parse_arguments(Z "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(NOT sources)
    message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR} has no test for ${target}")
  endif()
  add_executable(${target} ${sources})
  set_target_properties(${target} PROPERTIES AUTOMOC ON AUTOUIC ON)
  target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/tests")
  target_link_libraries(${target} PRIVATE ${Z_DEPS} GTest::gtest GTest::gmock zira_test_main)
  # The folders tests need (ZIRA_SOURCE_DIR, ZIRA_BINARY_DIR, ZIRA_APPDIR) are set by the shared
  # test main: a list of variables in ENVIRONMENT does not survive discovery at test time.
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

include(GoogleTest)

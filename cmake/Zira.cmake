# Helpers shared by every area's CMakeLists.txt.
#
# zira_library(<name> [QT] [DEPS <names>...])
#   A static library zira_<name> from every .cpp in the calling folder. QT turns on moc/uic, links
#   Qt Widgets and gives users the classes uic generates.
# zira_tests(<target> [DEPS <names>...])
#   A GoogleTest executable from every .cpp in the calling folder, registered with CTest.
#
# DEPS name the project's own libraries by their short names (odbc_handles for zira_odbc_handles);
# anything else (Qt6::Test, a test helper, a system library) is linked as it is named.

set(CMAKE_AUTOUIC_SEARCH_PATHS "${PROJECT_SOURCE_DIR}/forms")

# zira_targets(<out> <names>...): the names with the project's own libraries given their prefix.
function(zira_targets out)
  set(targets)
  foreach(name IN LISTS ARGN)
    if(TARGET zira_${name})
      list(APPEND targets zira_${name})
    else()
      list(APPEND targets ${name})
    endif()
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(zira_library name)
  cmake_parse_arguments(Z "QT" "" "DEPS" ${ARGN})
  set(target zira_${name})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  file(GLOB headers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  if(NOT sources)
    message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR} has no .cpp file for ${target}")
  endif()
  add_library(${target} STATIC ${sources} ${headers})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}")
  zira_targets(deps ${Z_DEPS})
  target_link_libraries(${target} PUBLIC ${deps})
  if(Z_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTOUIC ON)
    target_link_libraries(${target} PUBLIC Qt6::Widgets Qt6::Gui Qt6::Core)
    # A form's header derives its class from the one generated from forms/, so whoever includes the
    # header needs the folder uic writes it to.
    target_include_directories(${target} PUBLIC
      "$<BUILD_INTERFACE:${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/include>")
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
  zira_targets(deps ${Z_DEPS})
  target_link_libraries(${target} PRIVATE ${deps} GTest::gtest GTest::gmock zira_test_main)
  # The folders tests need (ZIRA_SOURCE_DIR, ZIRA_BINARY_DIR, ZIRA_APPDIR) are set by the shared
  # test main: a list of variables in ENVIRONMENT does not survive discovery at test time.
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

if(ZIRA_WITH_TESTS)
  include(GoogleTest)
endif()

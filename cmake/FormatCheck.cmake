# format-check: fails when a source file differs from what clang-format makes of it with the
# project's .clang-format (./test runs it); format: rewrites them.
find_program(ZIRA_CLANG_FORMAT NAMES clang-format clang-format-14)
if(NOT ZIRA_CLANG_FORMAT)
  message(STATUS "clang-format not found: no format-check target (scripts/deps.sh installs it)")
  return()
endif()

set(format_globs)
foreach(folder IN ITEMS platform reader odbc app print tools tests bench)
  foreach(ext IN ITEMS cpp h cxx)
    list(APPEND format_globs "${PROJECT_SOURCE_DIR}/${folder}/*.${ext}")
  endforeach()
endforeach()
file(GLOB_RECURSE format_sources CONFIGURE_DEPENDS RELATIVE "${PROJECT_SOURCE_DIR}" ${format_globs})

add_custom_target(format-check
  COMMAND ${ZIRA_CLANG_FORMAT} --dry-run --Werror ${format_sources}
  WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
  COMMENT "Checking the format of ${PROJECT_SOURCE_DIR}"
  VERBATIM)
add_custom_target(format
  COMMAND ${ZIRA_CLANG_FORMAT} -i ${format_sources}
  WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
  COMMENT "Formatting ${PROJECT_SOURCE_DIR}"
  VERBATIM)

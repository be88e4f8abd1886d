# Lays out the program folder from dist/: every file is refreshed except style.ini, which holds the
# user's settings and is only put there when missing.
add_custom_target(zira_appdir ALL
  COMMAND "${CMAKE_COMMAND}" -DSRC=${PROJECT_SOURCE_DIR}/dist -DDST=${ZIRA_APPDIR} -P
          "${PROJECT_SOURCE_DIR}/cmake/CopyDist.cmake"
  COMMENT "Laying out ${ZIRA_APPDIR}")

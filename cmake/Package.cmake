# The library as a package: ziravedur::odbc (the non-visual ODBC library with the platform parts it
# is built on) and ziravedur::odbc_widgets (its Qt controls and dialogs), each one archive gathered
# from the objects of its areas; their headers under include/ziravedur/ with the source folders kept,
# an exported CMake package and pkg-config files.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ZIRA_INCLUDE_SUBDIR "${CMAKE_INSTALL_INCLUDEDIR}/ziravedur")
set(ZIRA_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/ziravedur")
set(ZIRA_PKGCONFIG_DIR "${CMAKE_INSTALL_LIBDIR}/pkgconfig")

# zira_package_library(<export name> AREAS <areas>... LINK <targets and libraries>...)
#   The target ziravedur_<export name> (alias ziravedur::<export name>, file libziravedur_<name>.a)
#   from the areas' objects, installed with the areas' headers into the export set of the same name.
function(zira_package_library name)
  cmake_parse_arguments(Z "" "" "AREAS;LINK" ${ARGN})
  set(target ziravedur_${name})
  set(objects)
  foreach(area IN LISTS Z_AREAS)
    string(REPLACE "/" "_" area_target "${area}")
    list(APPEND objects $<TARGET_OBJECTS:zira_${area_target}>)
    file(GLOB headers CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${area}/*.h")
    install(FILES ${headers} DESTINATION "${ZIRA_INCLUDE_SUBDIR}/${area}")
  endforeach()
  add_library(${target} STATIC ${objects})
  add_library(ziravedur::${name} ALIAS ${target})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name} LINKER_LANGUAGE CXX)
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                              $<INSTALL_INTERFACE:${ZIRA_INCLUDE_SUBDIR}>)
  target_link_libraries(${target} PUBLIC ${Z_LINK})
  install(TARGETS ${target} EXPORT ziravedur_${name} ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}")
  install(EXPORT ziravedur_${name} NAMESPACE ziravedur:: FILE ziravedur_${name}.cmake
          DESTINATION "${ZIRA_CMAKE_DIR}")
endfunction()

# Neither is linked to the driver manager: it is loaded by name at run time (dlopen).
zira_package_library(odbc AREAS ${ZIRA_ODBC_AREAS} LINK ${CMAKE_DL_LIBS} Threads::Threads)
if(ZIRA_WITH_WIDGETS)
  zira_package_library(odbc_widgets AREAS ${ZIRA_WIDGET_AREAS} LINK ziravedur_odbc Qt6::Widgets Qt6::Gui Qt6::Core)
endif()

configure_package_config_file("${PROJECT_SOURCE_DIR}/cmake/package/ziravedurConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/package/ziravedurConfig.cmake" INSTALL_DESTINATION "${ZIRA_CMAKE_DIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/package/ziravedurConfigVersion.cmake"
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/package/ziravedurConfig.cmake"
              "${PROJECT_BINARY_DIR}/package/ziravedurConfigVersion.cmake"
        DESTINATION "${ZIRA_CMAKE_DIR}")

# pkg-config files whose prefix is found from their own place, so that the installed tree can move.
file(RELATIVE_PATH ZIRA_PC_TO_PREFIX "/${ZIRA_PKGCONFIG_DIR}" "/")
string(REGEX REPLACE "/$" "" ZIRA_PC_TO_PREFIX "${ZIRA_PC_TO_PREFIX}")
set(pc_names ziravedur-odbc)
if(ZIRA_WITH_WIDGETS)
  list(APPEND pc_names ziravedur-odbc-widgets)
endif()
foreach(pc IN LISTS pc_names)
  configure_file("${PROJECT_SOURCE_DIR}/cmake/package/${pc}.pc.in" "${PROJECT_BINARY_DIR}/package/${pc}.pc" @ONLY)
  install(FILES "${PROJECT_BINARY_DIR}/package/${pc}.pc" DESTINATION "${ZIRA_PKGCONFIG_DIR}")
endforeach()

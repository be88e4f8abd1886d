# The areas of the code: each is a folder with its own CMakeLists.txt, and its tests, where it has
# any, are in tests/<area>. A new folder is one more line in the list of the part it belongs to.

# The non-visual ODBC library and the platform parts it is built on (installed as ziravedur::odbc).
set(ZIRA_ODBC_AREAS
    platform/core
    platform/db
    platform/os
    odbc/base
    odbc/driver
    odbc/handles
    odbc/statements
    odbc/catalog
    odbc/datasets
    odbc/datasets/updates
    odbc/schema
    odbc/admin)

# The library's Qt widgets (installed as ziravedur::odbc_widgets).
set(ZIRA_WIDGET_AREAS
    platform/ui
    odbc/controls
    odbc/dialogs)

# The program and the tools it starts or ships.
set(ZIRA_PROGRAM_AREAS
    reader
    reader/commport
    print
    app
    app/dialogs
    app/mainwindow
    app/startup
    tools
    tools/templates
    tools/wltrs)

set(ZIRA_AREAS ${ZIRA_ODBC_AREAS} ${ZIRA_WIDGET_AREAS} ${ZIRA_PROGRAM_AREAS})

# The areas this build makes, in an order where each comes after those it links.
set(ZIRA_BUILT_AREAS ${ZIRA_ODBC_AREAS})
if(ZIRA_WITH_WIDGETS)
  list(APPEND ZIRA_BUILT_AREAS ${ZIRA_WIDGET_AREAS})
endif()
if(ZIRA_WITH_PROGRAM)
  list(APPEND ZIRA_BUILT_AREAS ${ZIRA_PROGRAM_AREAS})
endif()

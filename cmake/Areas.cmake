# The areas of the code: each is a folder with its own CMakeLists.txt, and its tests, where it has
# any, are in tests/<area>. A new folder is one more line here.
set(ZIRA_AREAS
    platform/core
    platform/db
    platform/os
    platform/ui
    reader
    reader/commport
    odbc/base
    odbc/driver
    odbc/handles
    odbc/statements
    odbc/catalog
    odbc/datasets
    odbc/datasets/updates
    odbc/schema
    odbc/admin
    odbc/controls
    odbc/dialogs
    print
    app
    app/dialogs
    app/mainwindow
    app/startup
    tools
    tools/templates
    tools/wltrs)

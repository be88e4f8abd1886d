#pragma once
// OCL: the environment, connection and statement classes, their errors and values, gathered for
// users.
#include "odbc/handles/Enums.h"
#include "odbc/handles/Events.h"
#include "odbc/handles/Hbase.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/Henv.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/handles/Values.h"
#include "odbc/statements/Hstmt.h"

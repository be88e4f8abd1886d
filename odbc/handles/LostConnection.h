#pragma once
// Which diagnostic records say that the connection is gone. Class "08" is ODBC's own; PostgreSQL's
// server also ends sessions on its side (an administrator's pg_terminate_backend, a shutdown, an idle
// time-out), and psqlODBC passes on the server's state for that at the next call: 57P01, 57P02,
// 57P05 or 25P03 with "The connection has been lost". Only after that does it answer 08S01.
#include "odbc/handles/OdbcError.h"

#include <vector>

bool MeansLostConnection(const TErrorRec& rec);
bool AnyLostConnection(const std::vector<TErrorRec>& records);

#pragma once
// Which diagnostic records say that the connection is gone: class "08", ODBC's own, and the states a
// driver's traits list (DriverTraits.h); without a connection at hand, those of a driver not known.
#include "odbc/handles/DriverTraits.h"
#include "odbc/handles/OdbcError.h"

#include <vector>

bool MeansLostConnection(const TErrorRec& rec, const TDriverTraits& traits = UnknownDriverTraits());
bool AnyLostConnection(const std::vector<TErrorRec>& records,
                       const TDriverTraits& traits = UnknownDriverTraits());

#pragma once
// NarrowLength: a length or indicator as the driver meant it.
//
// NOTE: mdbtools writes lengths, indicators and row counts 32 bits wide into the SQLLEN it is given
// (the high half keeps what was there before). No bound cell, blob or row count the library handles
// reaches 2^31, so the low half, sign-extended, is the value whatever width the driver wrote.
#include "odbc/handles/Values.h"

#include <cstdint>

inline SqlLen NarrowLength(SqlLen value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

#pragma once
// A text or binary cell whose value came cut and could not be read again (the cursor cannot return
// to its row) says so in its indicator: reading it raises, and writing the row leaves it out.
#include "odbc/base/OcihError.h"

#include <string>

inline constexpr long long kCellNotRead = -4; // SQL_NO_TOTAL, which no value read whole keeps

inline RIDIZOrurori NotReadError(const std::string& column)
{
    return RIDIZOrurori(
        "Value of column " + column +
        " was not read: it is longer than its buffer and the cursor cannot return to its row.");
}

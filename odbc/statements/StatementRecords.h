#pragma once
// TCommonRec, TParamRec, TColRec, TColBindRec, TRowRec: the records a statement keeps for its bound
// parameters and result columns, and the row-flag values of the editing operations.
//
// Every length and indicator is SQLLEN-wide (SqlLen): the driver writes whole SQLLEN values through
// the indicator pointers, so a narrower array would be overrun.
#include "odbc/handles/Enums.h"
#include "odbc/handles/Values.h"
#include "platform/core/MemoryStream.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Row flags: one 16-bit word per rowset row, cleared at each fetch; also the operation codes that
// OnStatement receives.
inline constexpr std::uint16_t rfUpdate = 1;
inline constexpr std::uint16_t rfDelete = 2;
inline constexpr std::uint16_t rfRefresh = 4;
inline constexpr std::uint16_t rfInsert = 8;

// The head parameters and columns share, walked by the data-at-execution loop.
struct TCommonRec
{
    void* Value = nullptr;    // the bound buffer (not owned by a parameter, owned by a column)
    SqlLen* Ind = nullptr;    // the length/indicator array, one entry per row
    std::int16_t ColType = 0; // ODBC C type
    std::int16_t SqlType = 0; // ODBC SQL type
};

// One bound parameter marker.
struct TParamRec : TCommonRec
{
    std::uint16_t Param = 0;        // marker number, from 1
    SqlULen Count = 0;              // rows of Indicators: 1 for a single value, else the array length
    SqlULen ColumnSize = 0;         // from the description
    std::int16_t DecimalDigits = 0; // from the description
    std::int16_t Nullable = 2;      // SQL_NULLABLE_UNKNOWN until described
    std::vector<SqlLen> Indicators; // Ind points at its data
    bool DriverDescribed = false;   // the description came from the driver (asked once per marker)
    // As SQLBindParameter was given them: a later call can bind one row of an array on its own.
    std::int16_t Direction = 1; // SQL_PARAM_INPUT
    SqlLen BufferLength = 0;
    // The caller's string or stream behind Value: assigning or writing to it may move its
    // characters, so its current ones are bound again before each execution.
    std::string* String = nullptr;
    TMemoryStream* Stream = nullptr;
    bool StreamBinary = false;
    bool CoreBound = false;          // bound with the description of its type, not the driver's
    const void* BoundData = nullptr; // the object's data and size when last bound
    std::int64_t BoundSize = 0;
};

// A cell as it was fetched: kept when the program first writes the cell after the fetch, so a write
// keyed on it still finds the row.
struct TFetchedCell
{
    std::vector<std::uint8_t> Bytes;
    SqlLen Ind = 0;
};

// One result column, bound column-wise: RowSetSize cells of CellWidth bytes each.
struct TColRec : TCommonRec
{
    // What every cell read looks at comes first, in one cache line with the common head.
    SqlLen CellWidth = 0; // bytes per row in Buffer
    bool IsBlob = false;  // SQL_LONGVARCHAR or SQL_LONGVARBINARY read apart: one value per column
    // SQL_LONGVARCHAR or SQL_LONGVARBINARY bound in cells like any text (rowsets of several rows):
    // each row has its own value, in room that grows with the longest one.
    bool LongInCells = false;
    bool Bound = false;      // bound with SQLBindCol (blob columns and unknown types are not)
    bool BlobEdited = false; // the blob value was written by the program; never re-read over it
    bool Unsigned = false;   // SQL_DESC_UNSIGNED
    TFormatStyle FormatStyle = fsNone;
    bool Primary = false;
    bool Ignore = false;
    std::int16_t DecimalDigits = 0;
    std::int16_t Nullable = 2;
    SqlULen ColumnSize = 0;
    SqlULen OctetLength = 0; // SQL_DESC_OCTET_LENGTH when the driver tells it
    SqlLen FetchedWidth = 0; // the width the rowset in Buffer came in, while cut values are read again
    std::string Name;
    std::string FormatMask;
    std::vector<std::uint8_t> Buffer;    // Value points at its data; empty for a blob column
    std::vector<SqlLen> Indicators;      // Ind points at its data
    std::unique_ptr<TMemoryStream> Blob; // that value, for a blob column; a copy of a long cell's
    SqlULen BlobRow = 0; // the rowset row whose value Blob holds; 0: none read since the fetch
    std::vector<std::optional<TFetchedCell>> Fetched; // per row, once the program wrote the cell
};

// A column whose SQL type the caller chose before the columns were bound.
struct TColBindRec
{
    std::uint16_t Col = 0;
    std::int16_t SqlType = 0;
};

// A short-lived view of one cell.
struct TRowRec
{
    std::int16_t ColType = 0;
    void* Value = nullptr; // nullptr for a blob column
    SqlLen* Ind = nullptr;
    bool IsBlob = false;
    SqlLen Width = 0; // bytes the cell holds
};

#pragma once
// THstmt: an ODBC statement component. It holds SQL text with named parameters (":name"), allocates
// its statement handle on first use under its connection (hDbc), prepares and executes the text,
// binds parameters, binds the result columns column-wise to RowSetSize rows, fetches rowsets, gives
// typed access to the cells, and writes rows back through the cursor or generated statements.
//
// The work is spread over several files by concern:
//   HstmtLifecycle.cpp   construction, Init/Terminate/Close, attributes, parsing, prepare, execute
//   HstmtRowCount.cpp    GetRowCount and the count statement
//   HstmtSettings.cpp    per-column, per-cell and per-parameter settings, row status and flags,
//                        bookmarks
//   HstmtColumns.cpp     describing and binding the result columns, fetching
//   HstmtBlobs.cpp       reading long columns in pieces
//   HstmtCells.cpp       typed cell reads and writes
//   HstmtNames.cpp       names of columns and parameters, type names
//   HstmtStreaming.cpp   the published properties in form resources
//   HstmtParams*.cpp     parameter binding (general and typed), parameter arrays
//   HstmtDataAtExecution.cpp  long values sent in pieces at execution
//   HstmtRowWrites.cpp   row operations: the cursor's own or generated statements
//   HstmtGenerated.cpp   the generated INSERT, UPDATE, DELETE and re-reading SELECT
//   HstmtTargetTable.cpp the target table, its key columns and the columns not written
//   HstmtFetchedCells.cpp  fetched values of edited cells (a changed key still finds its row)
//
// Numbers: columns, parameters and rows count from 1. Lengths, indicators, row counts and row
// numbers are SQLLEN/SQLULEN-wide (SqlLen/SqlULen).
//
// A lost connection (a failure of class "08", see LostConnection.h) ends the connection, and this statement
// with it, once the operation that met it has ended, never under it (RunningCall): every public operation
// that reaches the driver runs as one. Those that hand out a rowset, a record or a stream hand it out
// only if the statement still has its handle after that.
#include "odbc/handles/Enums.h"
#include "odbc/handles/Events.h"
#include "odbc/handles/Hbase.h"
#include "odbc/handles/RunningCall.h"
#include "odbc/handles/Values.h"
#include "odbc/statements/StatementRecords.h"
#include "platform/core/Filer.h"
#include "platform/core/StringList.h"
#include "platform/core/Variant.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Clock;
class Pump;
class TMemoryStream;
class TStream;
class THdbc;

// The Col, ByName and ColByName forms of a typed cell family, all built on GetCell<T>/SetCell<T>.
#define THSTMT_CELL_FORMS(T, Type, In)                                                                       \
    Type GetCol##T(std::uint16_t col)                                                                        \
    {                                                                                                        \
        return GetCell##T(col, 1);                                                                           \
    }                                                                                                        \
    Type GetCell##T##ByName(std::string_view name, SqlULen row)                                              \
    {                                                                                                        \
        return GetCell##T(ColByName(name), row);                                                             \
    }                                                                                                        \
    Type GetCol##T##ByName(std::string_view name)                                                            \
    {                                                                                                        \
        return GetCell##T(ColByName(name), 1);                                                               \
    }                                                                                                        \
    void SetCol##T(std::uint16_t col, In value)                                                              \
    {                                                                                                        \
        SetCell##T(col, 1, value);                                                                           \
    }                                                                                                        \
    void SetCell##T##ByName(std::string_view name, SqlULen row, In value)                                    \
    {                                                                                                        \
        SetCell##T(ColByName(name), row, value);                                                             \
    }                                                                                                        \
    void SetCol##T##ByName(std::string_view name, In value)                                                  \
    {                                                                                                        \
        SetCell##T(ColByName(name), 1, value);                                                               \
    }

// The single, array and by-name forms of a typed parameter binding.
#define THSTMT_BIND_FORMS(T, Ts, Type)                                                                       \
    void Bind##T(std::uint16_t param, Type& value);                                                          \
    void Bind##T##ByName(std::string_view name, Type& value)                                                 \
    {                                                                                                        \
        Bind##T(ParamByName(name), value);                                                                   \
    }                                                                                                        \
    void Bind##Ts(std::uint16_t param, Type* values, SqlULen high);                                          \
    void Bind##Ts##ByName(std::string_view name, Type* values, SqlULen high)                                 \
    {                                                                                                        \
        Bind##Ts(ParamByName(name), values, high);                                                           \
    }

class THstmt : public THbase, public TStateReader
{
public:
    using TNotifyEvent = std::function<void(THstmt* sender)>;

    // With an owner, hDbc is the first THdbc among the owner's components. No handle is allocated.
    explicit THstmt(TComponent* owner = nullptr);
    // Terminates with errors suppressed.
    ~THstmt() override;

    // ---- Lifecycle and execution ----------------------------------------------------------------

    // Connects hDbc, allocates the handle and applies the stored attributes. Raises RIDIZOrurori
    // "Property Hdbc of <Name> not set." without a connection.
    bool Init() override;
    // Closes and frees the handle; the text and properties stay for the next use.
    bool Terminate() override;
    // Closes the cursor and frees parameters and columns; the statement is no longer prepared.
    virtual void Close();
    virtual void CloseCursor();
    void Prepare();
    // SQL_NO_DATA (a searched write that touched no row) and SQL_NEED_DATA are no failures.
    void Execute();
    // The text for ODBC: each ":name" outside quotes becomes "?" and its name goes to ParamNames.
    std::string ParseSQL();
    void* GetHandle();
    bool Initialized() const { return initialized_; }

    THdbc* hDbc() const { return hdbc_; }
    void SetHdbc(THdbc* connection);
    const std::string& SQL() const { return sql_; }
    void SetSQL(const std::string& text);
    bool Prepared() const { return prepared_; }
    bool Executed() const { return executed_; }
    void SetPrepared(bool value);
    void SetExecuted(bool value);

    std::uint32_t ConcurrencyType() const { return concurrencyType_; }
    void SetConcurrencyType(std::uint32_t value);
    std::uint32_t CursorType() const { return cursorType_; }
    void SetCursorType(std::uint32_t value);
    // What the cursor type can do (SQL_CA1_* bits of the driver's cursor attributes).
    std::uint32_t CursorAttributes() const { return cursorAttributes_; }
    SqlULen RowSetSize() const { return rowSetSize_; }
    // 0 is ignored.
    void SetRowSetSize(SqlULen value);
    bool SkipByPosition() const { return skipByPosition_; }
    void SetSkipByPosition(bool value) { skipByPosition_ = value; }
    bool SkipByCursor() const { return skipByCursor_; }
    void SetSkipByCursor(bool value) { skipByCursor_ = value; }
    bool BindBookmarks() const { return bindBookmarks_; }
    void SetBindBookmarks(bool value) { bindBookmarks_ = value; }
    SqlLen BlobSize() const { return blobSize_; }
    // Values below 1025 are ignored.
    void SetBlobSize(SqlLen value);
    bool BlobDeferral() const { return blobDeferral_; }
    void SetBlobDeferral(bool value) { blobDeferral_ = value; }
    TBlobPlacement BlobPlacement() const { return blobPlacement_; }
    void SetBlobPlacement(TBlobPlacement value) { blobPlacement_ = value; }
    bool ExecAsync() const { return execAsync_; }
    void SetExecAsync(bool value) { execAsync_ = value; }
    TEmptyToNull EmptyStringToNull() const { return emptyStringToNull_; }
    void SetEmptyStringToNull(TEmptyToNull value) { emptyStringToNull_ = value; }
    TStringTrimming StringTrimming() const { return stringTrimming_; }
    void SetStringTrimming(TStringTrimming value) { stringTrimming_ = value; }
    bool BindByName() const { return bindByName_; }
    void SetBindByName(bool value) { bindByName_ = value; }
    TRowCountMethod RowCountMethod() const { return rowCountMethod_; }
    void SetRowCountMethod(TRowCountMethod value) { rowCountMethod_ = value; }
    std::string GetVersion() const { return "5.02"; }

    // What an asynchronous execution waits with: the pump handles the application's pending events
    // between polls (none without a pump), the clock sleeps briefly between them (the system clock
    // when none is set). Statements this one creates for itself use the same.
    void SetPump(Pump* pump) { pump_ = pump; }
    Pump* GetPump() const { return pump_; }
    void SetClock(Clock* clock) { clock_ = clock; }
    Clock* GetClock() const { return clock_; }

    SqlULen GetQueryTimeOut();
    void SetQueryTimeOut(SqlULen seconds);
    SqlULen GetMaxRows();
    void SetMaxRows(SqlULen rows);
    // Only 1 (input), 2 (input/output) and 4 (output) are taken; it applies to the next binding.
    void SetParamType(std::int16_t type);
    SqlULen BulkSize() const { return bulkSize_; }
    // 0 is ignored.
    void SetBulkSize(SqlULen rows);
    const std::string& TargetTable() const { return targetTable_; }
    void SetTargetTable(const std::string& name);

    // Rows of the whole result: by the driver's diagnostic row count, the OnRowCount handler, a
    // count statement or traversal, per RowCountMethod (each falling back to the next).
    SqlLen GetRowCount();
    // Rows of the last fetch.
    SqlULen GetRowsFetched() const { return rowsFetched_; }
    // Rows touched by the last UPDATE, INSERT or DELETE.
    SqlLen GetRowsAffected();
    std::int16_t GetColCount();
    const TStringList& GetParamNames();
    const TStringList& GetColNames() const { return colNames_; }

    // ---- Per-parameter, per-column and per-cell settings ----------------------------------------

    // The length in the parameter's first indicator (a data-at-execution length gives the length it
    // announces); 0 for a marker without record.
    SqlLen GetParamSize(std::uint16_t param);
    // Keeps a data-at-execution parameter in that form; -1 makes it NULL.
    void SetParamSize(std::uint16_t param, SqlLen size);
    SqlLen GetBulkParamSize(std::uint16_t param, SqlULen row);
    void SetBulkParamSize(std::uint16_t param, SqlULen row, SqlLen size);

    // The cell's indicator; for a blob column its one value's size (or its negative indicator).
    SqlLen GetCellSize(std::uint16_t col, SqlULen row);
    SqlLen GetColSize(std::uint16_t col) { return GetCellSize(col, 1); }
    // An indicator larger than the cell is clamped to it (a length the driver reported for a value
    // it had to cut).
    void SetCellSize(std::uint16_t col, SqlULen row, SqlLen size);
    void SetColSize(std::uint16_t col, SqlLen size) { SetCellSize(col, 1, size); }
    bool GetCellNull(std::uint16_t col, SqlULen row);
    // The value came cut and could not be read again: the cursor cannot return to its row.
    bool GetCellNotRead(std::uint16_t col, SqlULen row);
    bool GetColNull(std::uint16_t col) { return GetCellNull(col, 1); }
    // false does nothing: a value must be written to clear NULL.
    void SetCellNull(std::uint16_t col, SqlULen row, bool value);
    void SetColNull(std::uint16_t col, bool value) { SetCellNull(col, 1, value); }
    bool GetCellIgnore(std::uint16_t col, SqlULen row);
    bool GetColIgnore(std::uint16_t col) { return GetCellIgnore(col, 1); }
    void SetCellIgnore(std::uint16_t col, SqlULen row, bool value);
    void SetColIgnore(std::uint16_t col, bool value);
    TFormatStyle GetFormatStyle(std::uint16_t col);
    void SetFormatStyle(std::uint16_t col, TFormatStyle style);
    std::string GetFormatMask(std::uint16_t col);
    void SetFormatMask(std::uint16_t col, const std::string& mask);
    bool GetColPrimary(std::uint16_t col);
    void SetColPrimary(std::uint16_t col, bool value);
    SqlULen GetColPrecision(std::uint16_t col);
    std::int16_t GetColScale(std::uint16_t col);
    std::int16_t GetColNullable(std::uint16_t col);
    SqlULen GetParamPrecision(std::uint16_t param);
    std::int16_t GetParamScale(std::uint16_t param);
    std::int16_t GetParamNullable(std::uint16_t param);

    // ---- Rows of the current rowset --------------------------------------------------------------

    // SQL_ROW_NOROW (3) for a row outside the rowset or when no columns are bound.
    std::uint16_t GetRowStatus(SqlULen row) const;
    bool GetRowValid(SqlULen row) const;
    // The low four bits of the row's flag word; 0 outside the rowset.
    std::uint16_t GetRowFlag(SqlULen row) const;
    void SetRowFlag(SqlULen row, std::uint16_t flags);
    // Address of the row's flag word, nullptr outside the rowset.
    std::uint16_t* RowFlags(SqlULen row);

    // Row 1's bookmark, empty when the cursor has none or row 1 is not valid.
    std::vector<std::uint8_t> GetBookmark();
    // Fetches the rowset that starts at the bookmark.
    bool SetBookmark(const std::vector<std::uint8_t>& bookmark) { return FetchBookmark(bookmark.data()); }
    static void FreeBookmark(std::vector<std::uint8_t>& bookmark) { bookmark.clear(); }
    SqlLen BookmarkLength() const { return bookmarkLength_; }

    // ---- Parameter binding -------------------------------------------------------------------------
    // Each binds an address: what lies there at Execute is sent. By-name forms bind the first marker
    // of that name; the names are those the text was last parsed for, so after SetSQL (or Close) call
    // Prepare or GetParamNames before binding by name. Array forms take the index of the last element
    // (length - 1).

    void BindNull(std::uint16_t param);
    void BindNullByName(std::string_view name) { BindNull(ParamByName(name)); }
    // As many NULLs as the current BulkSize (one when it is 0).
    void BindNulls(std::uint16_t param);
    void BindNullsByName(std::string_view name) { BindNulls(ParamByName(name)); }
    // A zero-terminated text; arrays are 256-byte slots.
    void BindNullString(std::uint16_t param, char* value);
    void BindNullStringByName(std::string_view name, char* value)
    {
        BindNullString(ParamByName(name), value);
    }
    void BindNullStrings(std::uint16_t param, char* values, SqlULen high);
    void BindNullStringsByName(std::string_view name, char* values, SqlULen high)
    {
        BindNullStrings(ParamByName(name), values, high);
    }
    // The string as it is at each Execute, however often it was assigned since; it must outlive the
    // binding. An empty string is an empty text, not NULL.
    void BindString(std::uint16_t param, std::string& value);
    void BindStringByName(std::string_view name, std::string& value) { BindString(ParamByName(name), value); }
    THSTMT_BIND_FORMS(Single, Singles, float)
    THSTMT_BIND_FORMS(Double, Doubles, double)
    THSTMT_BIND_FORMS(Shortint, Shortints, std::int8_t)
    THSTMT_BIND_FORMS(Byte, Bytes, std::uint8_t)
    THSTMT_BIND_FORMS(Smallint, Smallints, std::int16_t)
    THSTMT_BIND_FORMS(Word, Words, std::uint16_t)
    THSTMT_BIND_FORMS(Integer, Integers, std::int32_t)
    THSTMT_BIND_FORMS(Longint, Longints, std::int32_t)
    THSTMT_BIND_FORMS(Cardinal, Cardinals, std::uint32_t)
    THSTMT_BIND_FORMS(Longword, Longwords, std::uint32_t)
    THSTMT_BIND_FORMS(Date, Dates, TDate)
    THSTMT_BIND_FORMS(Time, Times, TTime)
    THSTMT_BIND_FORMS(TimeStamp, TimeStamps, TTimeStamp)
    // The stream's memory as it is at each Execute (it must outlive the binding); an empty stream is
    // NULL.
    void BindBinary(std::uint16_t param, TMemoryStream& value);
    void BindBinaryByName(std::string_view name, TMemoryStream& value)
    {
        BindBinary(ParamByName(name), value);
    }
    void BindText(std::uint16_t param, TMemoryStream& value);
    void BindTextByName(std::string_view name, TMemoryStream& value) { BindText(ParamByName(name), value); }
    void BindMemory(std::uint16_t param, TMemoryStream& value, bool binary);
    void BindMemoryByName(std::string_view name, TMemoryStream& value, bool binary)
    {
        BindMemory(ParamByName(name), value, binary);
    }

    // Binds one value with the driver's description of the marker.
    void BindParam(std::uint16_t param, std::int16_t colType, void* value);
    // Binds one value described from sqlType alone.
    void BindParamCore(std::uint16_t param, std::int16_t colType, void* value, std::int16_t sqlType);
    // Binds an array of count values with the driver's description.
    void BindParams(std::uint16_t param, std::int16_t colType, void* value, SqlULen count);
    void DescribeParam(std::uint16_t param, std::int16_t& sqlType, SqlULen& columnSize,
                       std::int16_t& decimalDigits, std::int16_t& nullable, bool core);
    // Binds with the description given (count 0 is a single value), through BindParamRecord, the one
    // place that records a parameter and calls SQLBindParameter.
    void BindParamMain(std::uint16_t param, std::int16_t colType, void* value, std::int16_t sqlType,
                       SqlULen columnSize, std::int16_t decimalDigits, std::int16_t nullable, SqlULen count);
    // Whether the typed single-value bindings describe markers themselves.
    bool BindCore();
    // Whether long values go by data at execution (BlobPlacement, else the driver's answer).
    bool NeedLongDataLen();
    // Sends the data-at-execution values of records while the driver asks for them.
    void DataAtExecution(const std::vector<TCommonRec*>& records);
    // After an array execution: each row's outcome (SQL_PARAM_SUCCESS, SQL_PARAM_ERROR,
    // SQL_PARAM_UNUSED ...; SQL_PARAM_UNUSED outside the last array), and the rows the driver
    // processed.
    std::uint16_t GetParamStatus(SqlULen row) const;
    SqlULen GetParamsProcessed() const;

    // ---- Column binding and fetching ----------------------------------------------------------------

    // Describes and binds every result column, unless that is done.
    void BindCols();
    // The SQL type column col is bound as at the next binding.
    void BindCol(std::uint16_t col, std::int16_t sqlType);
    std::string ColAttrString(std::uint16_t col, std::uint16_t fieldIdentifier);
    SqlLen ColAttrInteger(std::uint16_t col, std::uint16_t fieldIdentifier);
    // True when a rowset came, false at the end of the result set.
    bool Fetch(std::int16_t orientation, SqlLen offset);
    bool FetchFirst();
    bool FetchNext();
    bool FetchLast();
    bool FetchPrev();
    bool FetchAbsolute(SqlLen row);
    bool FetchRelative(SqlLen offset);
    bool FetchBookmark(const void* bookmark);
    // Moves to the next result set (its columns are bound afresh); false when there is none.
    bool MoreResults();
    // Cancels the running statement once; an asynchronous Execute then gives up silently.
    void AbortQuery();
    // Reads a blob of the current row into stream; the total length, or -1 for NULL.
    SqlLen FetchCol(std::uint16_t col, SqlULen row, std::int16_t colType, TStream& stream);
    // The same for a row of the rowset (positioning the cursor on it first when needed).
    SqlLen FetchCell(std::uint16_t col, SqlULen row, std::int16_t colType, TStream& stream);
    void ColStream(std::uint16_t col, TStream& stream);
    void CellStream(std::uint16_t col, SqlULen row, TStream& stream);

    // ---- Typed cell access --------------------------------------------------------------------------
    // Unknown columns and rows outside the rowset are no errors: getters give the empty value of their
    // type, setters do nothing. Unknown names raise.

    std::string GetCellString(std::uint16_t col, SqlULen row);
    void SetCellString(std::uint16_t col, SqlULen row, const std::string& value);
    THSTMT_CELL_FORMS(String, std::string, const std::string&)
    float GetCellSingle(std::uint16_t col, SqlULen row);
    void SetCellSingle(std::uint16_t col, SqlULen row, float value);
    THSTMT_CELL_FORMS(Single, float, float)
    double GetCellDouble(std::uint16_t col, SqlULen row);
    void SetCellDouble(std::uint16_t col, SqlULen row, double value);
    THSTMT_CELL_FORMS(Double, double, double)
    bool GetCellBoolean(std::uint16_t col, SqlULen row);
    void SetCellBoolean(std::uint16_t col, SqlULen row, bool value);
    THSTMT_CELL_FORMS(Boolean, bool, bool)
    std::int8_t GetCellShortint(std::uint16_t col, SqlULen row);
    void SetCellShortint(std::uint16_t col, SqlULen row, std::int8_t value);
    THSTMT_CELL_FORMS(Shortint, std::int8_t, std::int8_t)
    std::uint8_t GetCellByte(std::uint16_t col, SqlULen row);
    void SetCellByte(std::uint16_t col, SqlULen row, std::uint8_t value);
    THSTMT_CELL_FORMS(Byte, std::uint8_t, std::uint8_t)
    std::int16_t GetCellSmallint(std::uint16_t col, SqlULen row);
    void SetCellSmallint(std::uint16_t col, SqlULen row, std::int16_t value);
    THSTMT_CELL_FORMS(Smallint, std::int16_t, std::int16_t)
    std::uint16_t GetCellWord(std::uint16_t col, SqlULen row);
    void SetCellWord(std::uint16_t col, SqlULen row, std::uint16_t value);
    THSTMT_CELL_FORMS(Word, std::uint16_t, std::uint16_t)
    std::int32_t GetCellInteger(std::uint16_t col, SqlULen row);
    void SetCellInteger(std::uint16_t col, SqlULen row, std::int32_t value);
    THSTMT_CELL_FORMS(Integer, std::int32_t, std::int32_t)
    std::uint32_t GetCellCardinal(std::uint16_t col, SqlULen row);
    void SetCellCardinal(std::uint16_t col, SqlULen row, std::uint32_t value);
    THSTMT_CELL_FORMS(Cardinal, std::uint32_t, std::uint32_t)
    std::int32_t GetCellLongint(std::uint16_t col, SqlULen row) { return GetCellInteger(col, row); }
    void SetCellLongint(std::uint16_t col, SqlULen row, std::int32_t value)
    {
        SetCellInteger(col, row, value);
    }
    THSTMT_CELL_FORMS(Longint, std::int32_t, std::int32_t)
    std::uint32_t GetCellLongword(std::uint16_t col, SqlULen row) { return GetCellCardinal(col, row); }
    void SetCellLongword(std::uint16_t col, SqlULen row, std::uint32_t value)
    {
        SetCellCardinal(col, row, value);
    }
    THSTMT_CELL_FORMS(Longword, std::uint32_t, std::uint32_t)
    // The whole 64 bits of a BIGINT cell (other cells as GetCellInteger gives them).
    std::int64_t GetCellInt64(std::uint16_t col, SqlULen row);
    void SetCellInt64(std::uint16_t col, SqlULen row, std::int64_t value);
    THSTMT_CELL_FORMS(Int64, std::int64_t, std::int64_t)
    TDate GetCellDate(std::uint16_t col, SqlULen row);
    void SetCellDate(std::uint16_t col, SqlULen row, const TDate& value);
    THSTMT_CELL_FORMS(Date, TDate, const TDate&)
    TTime GetCellTime(std::uint16_t col, SqlULen row);
    void SetCellTime(std::uint16_t col, SqlULen row, const TTime& value);
    THSTMT_CELL_FORMS(Time, TTime, const TTime&)
    TTimeStamp GetCellTimeStamp(std::uint16_t col, SqlULen row);
    void SetCellTimeStamp(std::uint16_t col, SqlULen row, const TTimeStamp& value);
    THSTMT_CELL_FORMS(TimeStamp, TTimeStamp, const TTimeStamp&)
    Variant GetCellVariant(std::uint16_t col, SqlULen row);
    void SetCellVariant(std::uint16_t col, SqlULen row, const Variant& value);
    THSTMT_CELL_FORMS(Variant, Variant, const Variant&)

    // A blob column's one value, re-read from the driver (unless the program wrote it); in a rowset
    // of several rows, the row's own value. nullptr for other columns. The stream belongs to the
    // statement.
    TMemoryStream* GetCellMemory(std::uint16_t col, SqlULen row);
    // The value fetched with the row (read now with BlobDeferral).
    TMemoryStream* GetColMemory(std::uint16_t col);
    TMemoryStream* GetCellMemoryByName(std::string_view name, SqlULen row)
    {
        return GetCellMemory(ColByName(name), row);
    }
    TMemoryStream* GetColMemoryByName(std::string_view name) { return GetColMemory(ColByName(name)); }
    // Replaces the blob column's one value by the whole of stream (the row is not used); in a rowset
    // of several rows, the row's own value.
    void SetColMemory(std::uint16_t col, TStream& stream) { SetCellMemory(col, 1, stream); }
    void SetCellMemory(std::uint16_t col, SqlULen row, TStream& stream);
    void SetColMemoryByName(std::string_view name, TStream& stream) { SetColMemory(ColByName(name), stream); }
    void SetCellMemoryByName(std::string_view name, SqlULen row, TStream& stream)
    {
        SetCellMemory(ColByName(name), row, stream);
    }

    // The cell's data (a blob column's stream memory); nullptr for an unknown cell.
    void* GetCellValue(std::uint16_t col, SqlULen row);
    void* GetColValue(std::uint16_t col) { return GetCellValue(col, 1); }
    // 0 for an unknown column.
    std::int16_t GetColType(std::uint16_t col);
    std::int16_t GetSqlType(std::uint16_t col);
    bool GetBlobCol(std::uint16_t col);

    // The column's record after binding; nullptr for 0 or a column above the count.
    TColRec* ColRec(std::uint16_t col);
    // A view of one cell; empty for an unknown column or a row outside the rowset.
    std::optional<TRowRec> RowRec(std::uint16_t col, SqlULen row);
    TParamRec* ParamRec(std::uint16_t param);
    TColBindRec* ColBindRec(std::uint16_t col);
    // 1-based; raises RIDIZOrurori "Identifier <name> not found in result set."
    std::uint16_t ColByName(std::string_view name);
    // 1-based, first match among the names of the last parse (Prepare, Execute, GetParamNames);
    // raises RIDIZOrurori "Token <NAME> not found in SQL statement."
    std::uint16_t ParamByName(std::string_view name);
    void NullCols(std::initializer_list<std::string_view> names);
    void IgnoreCols(std::initializer_list<std::string_view> names);
    void PrimaryCols(std::initializer_list<std::string_view> names);
    // The driver's name of an SQL type, with the size put in for character and binary types.
    std::string TypeString(std::int16_t dataType, SqlLen size);

    // ---- Generated statements and row operations ----------------------------------------------------

    void InsertRow(SqlULen row);
    void UpdateRow(SqlULen row);
    void DeleteRow(SqlULen row);
    void RefreshRow(SqlULen row);
    // The one-row operation for each fetched row whose flag is exactly that operation's.
    void InsertRows();
    void UpdateRows();
    void DeleteRows();
    void RefreshRows();
    void InsertFields();
    void UpdateFields(const std::string& whereClause, bool bindPrimary);
    void DeleteFields(const std::string& whereClause, bool bindPrimary);
    void RefreshFields(const std::string& whereClause);
    std::string PrimaryClause();
    void BindClause(std::uint16_t& param, THstmt& target, bool primaryOnly, bool sizesOnly);
    std::string UpdateWhereClause();
    std::string DeleteWhereClause();
    std::string RefreshWhereClause();
    void DetermineTargetTable();
    void DeterminePrimaryCols();
    void DetermineIgnoreCols();
    const std::string& GetTableOwner() const { return tableOwner_; }
    const std::string& GetTableName() const { return tableName_; }
    std::string GetPrimaryColNames();
    std::string GetIgnoreColNames();
    std::string CursorName();
    // The values now in row are the row as the database holds it: writes to its cells from here on
    // keep these as the fetched values that a generated UPDATE or DELETE is keyed on. A dataset that
    // writes records of its own (not the row last fetched) puts their old values in first.
    void KeepRowAsFetched(SqlULen row) { ForgetFetchedRow(row); }
    void BindBlobCols(bool bind);
    // The cursor attributes, or 0 when SkipByPosition / SkipByCursor forbid their use.
    std::uint32_t GetPosOpts() const;
    std::uint32_t GetPosStmts() const;

    // ---- Events -------------------------------------------------------------------------------------

    void SetBeforePrepare(TNotifyEvent e) { beforePrepare_ = std::move(e); }
    void SetAfterPrepare(TNotifyEvent e) { afterPrepare_ = std::move(e); }
    void SetBeforeExecute(TNotifyEvent e) { beforeExecute_ = std::move(e); }
    void SetAfterExecute(TNotifyEvent e) { afterExecute_ = std::move(e); }
    void SetBeforeFetch(TNotifyEvent e) { beforeFetch_ = std::move(e); }
    void SetAfterFetch(TNotifyEvent e) { afterFetch_ = std::move(e); }
    void SetOnInsert(TConfirmEvent e) { onInsert_ = std::move(e); }
    void SetOnUpdate(TConfirmEvent e) { onUpdate_ = std::move(e); }
    void SetOnDelete(TConfirmEvent e) { onDelete_ = std::move(e); }
    void SetOnRefresh(TConfirmEvent e) { onRefresh_ = std::move(e); }
    void SetOnStatement(TStatementEvent e) { onStatement_ = std::move(e); }
    void SetOnRowCount(TRowCountEvent e) { onRowCount_ = std::move(e); }

    // ---- Component plumbing -------------------------------------------------------------------------

    void Notification(TComponent* component, TOperation operation) override;
    void DefineProperties(TFiler& filer) override;
    void ReadState(TReader& reader) override;
    // Errors from events of earlier versions ("OnPrepare", "OnExecute", "OnFetch") are handled.
    void ReaderError(TReader& reader, const std::string& message, bool& handled);
    // Finds the connection the resource named among the owner's components.
    void Loaded() override;
    void DiagnosticHandle(std::int16_t& handleType, void*& handle) const override;
    void ResolveLostConnection() override;
    bool ConnectionDead() const override;
    const TDriverTraits* KnownDriverTraits() const override;

    // Lists (used by binding and by the dataset layer).
    void FreeParams();
    void FreeCols();
    void FreeColBinds();
    void FreeHstmts();
    TParamRec& InsertHead(std::uint16_t param, std::int16_t colType, std::int16_t sqlType, void* value);
    TColRec& InsertTail(std::int16_t colType, std::int16_t sqlType);
    void InsertColBind(std::uint16_t col, std::int16_t sqlType);
    const std::vector<std::unique_ptr<TColRec>>& Cols() const { return cols_; }
    const std::vector<std::unique_ptr<TParamRec>>& Params() const { return params_; }

protected:
    virtual void DoBeforePrepare();
    virtual void DoAfterPrepare();
    virtual void DoBeforeExecute();
    virtual void DoAfterExecute();
    virtual void DoBeforeFetch();
    virtual void DoAfterFetch();
    virtual std::int32_t DoRowCount();

public:
    // The entry points of the dataset layer's writes: confirm, then the one-row operation (row 1)
    // or, with a multi-row rowset, the flagged rows.
    virtual void DoInsert();
    virtual void DoUpdate();
    virtual void DoDelete();
    virtual void DoRefresh();

private:
    // The checkpoint for this statement's calls; false when the call failed (vetoed or suppressed).
    bool Check(std::int16_t rc);
    // Init's work: connects, allocates the handle and applies the stored attributes.
    bool AllocateHandle();
    // Runs op as one running operation (RunningCall.h): a lost connection's rule waits until op has
    // ended, and has run when this returns. What op reports (a rowset, a record) holds only if the
    // statement still has its handle then: the rule frees the records with it.
    template <class Op> bool Operation(Op op)
    {
        bool done = false;
        {
            RunningCall running;
            done = op();
        }
        return done && initialized_;
    }
    // Reads a statement attribute quietly; false when the read failed or left the value untouched.
    bool GetStmtAttr(std::int32_t attribute, SqlULen& value);
    // Sets a statement attribute; raises unless quiet.
    bool SetStmtAttr(std::int32_t attribute, SqlULen value, bool quiet = false);
    void ApplyRowArraySize();
    void UpdateCursorAttributes();
    std::int16_t CallExecute(bool prepared, const std::string& text);
    // Closes the result an earlier execution may have left open (see resultMayBeOpen_); true when
    // it closed.
    bool CloseOpenResult();
    // The failed execution met a result still open (24000).
    bool CursorStillOpen() const;
    void WaitAsync(std::int16_t& rc, const std::function<std::int16_t()>& call);
    // Fetch's work: the rowset, its cut values read again, its blobs, the events.
    bool RunFetch(std::int16_t orientation, SqlLen offset);
    // Fetch one rowset through the driver, row by row where the driver cannot fetch arrays.
    std::int16_t FetchRowset(std::int16_t orientation, SqlLen offset);
    std::int16_t FetchOne(std::int16_t orientation, SqlLen offset);
    // Describes result column col and binds its cells, in steps: the driver's description (false
    // when it failed), then the type it is read as and its C type, then the cells.
    struct ColumnDescription;
    void DescribeColumn(std::uint16_t col);
    bool ReadColumnDescription(std::uint16_t col, ColumnDescription& described);
    void AllocateColumnCells(std::uint16_t col, TColRec& rec, SqlLen width);
    void BindColumnBuffer(std::uint16_t col, TColRec& rec);
    void WidenColumn(std::uint16_t col, TColRec& rec, SqlLen width);
    // How this result's rowsets come: whole from the driver, or a row at a time where a value that
    // came cut could not be read again on its row.
    void ChooseRowFetching();
    bool RowsetRowsPositionable();
    // A long column's cell: its bytes into stream, or bytes stored into it (the room grows to hold
    // them).
    void CopyLongCell(const TColRec& rec, SqlULen row, TStream& stream) const;
    void StoreLongCell(std::uint16_t col, SqlULen row, TColRec& rec, std::string_view bytes);
    // Reads again, whole, the text and binary cells of the row (its place in the buffers) that came
    // cut; the cursor is on that row already or is positioned on it. True when any was cut.
    bool RereadTruncated(SqlULen row, bool cursorOnRow);
    // Indicator entries [first, last) of the bound columns, as a driver that writes 32-bit lengths
    // meant them.
    void NarrowIndicators(SqlULen first, SqlULen last);
    // Until the width of the driver's indicators is known, the indicator entry of the first bound
    // column gets a marker before a fetch; what the driver leaves of it tells the width.
    SqlLen* LengthProbe(SqlULen entry);
    void LearnLengthWidth(SqlLen* probe);
    static constexpr SqlLen kLengthProbe = 0x5A5A5A5A5A5A5A5AL;
    void ReadBlobsOfRow();
    bool CellRecord(std::uint16_t col, SqlULen row, TColRec*& rec, void*& cell, SqlLen*& ind);
    void StoreText(TColRec& rec, void* cell, SqlLen* ind, const std::string& text);
    void SetCellNumberText(std::uint16_t col, SqlULen row, const std::string& text);
    // SetCellDate and SetCellTime: value is of cType; asTimeStamp is what a time-stamp column gets.
    void SetCellDateOrTime(std::uint16_t col, SqlULen row, const void* value, std::int16_t cType,
                           const TTimeStamp& asTimeStamp);
    bool EmptyToNullTest(const TColRec& rec) const;
    std::string FormatCellString(std::uint16_t col, SqlULen row, const TColRec& rec, std::string text);
    std::unique_ptr<THstmt> NewHelperStatement() const;
    void RebindParamsTo(THstmt& target);
    SqlLen CountBySelect(THstmt& counter);
    SqlLen CountByTraversal(THstmt& counter);

    // Parameter binding (HstmtParams*.cpp): what binding knows of a value beyond its C type and
    // address.
    struct ParamShape
    {
        SqlULen count = 0;               // rows of an array; 0 for a single value
        SqlLen capacity = -1;            // bytes the caller's buffer holds, when known
        bool stream = false;             // a stream's memory, which may travel at execution
        const TColRec* column = nullptr; // a result column whose own description the core path takes
    };
    void BindShaped(std::uint16_t param, std::int16_t colType, void* value, std::int16_t sqlType, bool core,
                    const ParamShape& shape);
    void BindParamRecord(std::uint16_t param, std::int16_t colType, void* value, std::int16_t sqlType,
                         SqlULen columnSize, std::int16_t decimalDigits, std::int16_t nullable,
                         const ParamShape& shape);
    void NameParam(std::uint16_t param);
    void BindStringOn(std::uint16_t param, std::string& value, bool core);
    void BindMemoryOn(std::uint16_t param, TMemoryStream& value, bool binary, bool core);
    // Binds again each bound string or stream whose characters moved or changed length since it
    // was bound, so an execution sends what it holds now.
    void RebindMovedValues();
    // Parameter arrays (HstmtParamArrays.cpp): the array attributes before an execution, and the rows
    // of a failed array sent again one at a time.
    bool BeforeParamExecute();
    std::int16_t ResendParamRows(std::int16_t rc, bool prepared, const std::string& text);
    void BindParamRow(const TParamRec& rec, SqlULen row);

    // Row writes (HstmtRow*.cpp, HstmtGenerated.cpp, HstmtTargetTable.cpp, HstmtFetchedCells.cpp).
    // The fetched value of a cell, kept at its first write after the fetch (a key's old value).
    void KeepFetchedCell(TColRec& rec, SqlULen row);
    void ForgetFetchedCells();
    void ForgetFetchedRow(SqlULen row);
    // Whether a column takes part in writing row: not ignored, and a blob only when it was read for
    // that row or written by the program.
    bool TakesPart(const TColRec& rec, SqlULen row) const;
    bool BlobTakesPart(const TColRec& rec, SqlULen row) const;
    enum GeneratedKind
    {
        gkInsert,
        gkUpdate,
        gkDelete,
        gkRefresh
    };
    // The auxiliary statement of kind, prepared with text (handed to OnStatement as operation)
    // unless it holds that text already; true when it was prepared now.
    bool PrepareGenerated(GeneratedKind kind, std::uint16_t operation, const std::string& text);
    THstmt& Generated(GeneratedKind kind);
    // Executes a generated or positioned UPDATE or DELETE; none that touches no row passes as done.
    void ExecuteKeyed(THstmt& aux);
    void PositionedWrite(SqlULen row, std::uint16_t operation);
    // The one-row write for each row up to lastRow (read again after every row) whose flag is flag.
    void WriteFlaggedRows(std::uint16_t flag, const SqlULen& lastRow, void (THstmt::*writeRow)(SqlULen));
    // A DoInsert, DoUpdate, DoDelete or DoRefresh: confirm with question, then the one-row write of
    // row 1 or, with a multi-row rowset that holds rows, the flagged rows.
    void ConfirmedWrite(const TConfirmEvent& confirm, const char* question, void (THstmt::*writeRows)(),
                        void (THstmt::*writeRow)(SqlULen));
    void CopyRefreshedRow(THstmt& aux, SqlULen row);

    // Where the cells of a bound column are, in one small array beside the column records: the
    // typed reads of every cell of every row look here (a record is several cache lines away).
    struct CellView
    {
        std::uint8_t* value = nullptr; // row 1's cell
        SqlLen* ind = nullptr;         // row 1's indicator
        SqlLen width = 0;
        std::int16_t cType = 0;
        bool plain = false; // bound, no blob, no display format: read straight from the cell
        bool bound = false;
    };
    // The view of a plain cell, or nullptr (the record path then decides).
    const CellView* PlainCell(std::uint16_t col, SqlULen row) const
    {
        if (col == 0 || col > views_.size() || row == 0 || row > rowSetSize_)
            return nullptr;
        const CellView& view = views_[col - 1];
        return view.plain ? &view : nullptr;
    }
    void UpdateView(std::uint16_t col);

    // What every cell read looks at, together.
    std::vector<CellView> views_;
    std::vector<std::unique_ptr<TColRec>> cols_;
    bool colsBound_ = false;
    TStringTrimming stringTrimming_ = stTrimTrailing;
    SqlULen rowSetSize_ = 1;
    THdbc* hdbc_ = nullptr;
    std::string streamedHdbc_; // the connection's name while a form resource is read
    void* handle_ = nullptr;
    void* impParamDesc_ = nullptr;
    bool initialized_ = false;
    std::vector<TColBindRec> colBinds_;
    std::vector<std::unique_ptr<TParamRec>> params_; // the newest first
    // The row status array the driver fills, and the program's row flags; RowSetSize entries each.
    std::vector<std::uint16_t> rowStatus_;
    std::vector<std::uint16_t> rowFlags_;
    // Bound bookmarks (RowSetSize × BookmarkLength bytes) and their indicators, with BindBookmarks.
    std::vector<std::uint8_t> bookmarks_;
    std::vector<SqlLen> bookmarkInd_;
    std::int16_t numCols_ = 0;
    SqlULen rowsFetched_ = 0;
    SqlULen bulkSize_ = 0;
    // Parameter arrays: per-row status and the rows processed, as the driver reports them.
    std::vector<std::uint16_t> paramStatus_;
    SqlULen paramsProcessed_ = 0;
    // PARAMSET_SIZE as last set on the handle (0 when not known), and the status array it was given.
    SqlULen paramsetSize_ = 0;
    const void* paramStatusBound_ = nullptr;
    // A marker was described by the driver since the text was last prepared (see BeforeParamExecute).
    bool describedSincePrepare_ = false;
    // The rowset row the generated statements take their values from (1 unless a row write of a
    // larger rowset says otherwise), and the text each auxiliary statement was built with last.
    SqlULen writeRow_ = 1;
    std::string generatedTexts_[4];
    // Some cell's fetched value is kept (ForgetFetchedCells has work to do).
    bool fetchedKept_ = false;
    bool fetchBlobs_ = false;
    bool bindBookmarks_ = false;
    SqlLen bookmarkLength_ = 4;
    bool prepared_ = false;
    bool executed_ = false;
    std::int16_t paramType_ = 1;
    std::string targetTable_;
    std::string tableOwner_;
    std::string tableName_;
    bool skipByPosition_ = false;
    bool skipByCursor_ = false;
    TStringList paramNames_;
    TStringList colNames_;
    std::string sql_;
    std::uint32_t driverCursorAttributes_ = 0; // what the driver says of the cursor type
    std::uint32_t cursorAttributes_ = 0;       // what of that this statement uses
    bool rowsetPositioningUnreliable_ = false; // the connection's trait, taken with the handle
    std::uint32_t concurrencyType_ = 1;
    std::uint32_t cursorType_ = 0;
    SqlLen blobSize_ = 32768;
    bool blobDeferral_ = false;
    TBlobPlacement blobPlacement_ = bpDetect;
    bool execAsync_ = false;
    bool aborted_ = false;
    TEmptyToNull emptyStringToNull_ = enNever;
    bool bindByName_ = false;
    TRowCountMethod rowCountMethod_ = rcFunction;
    // Whether the driver took SQL_ATTR_ROW_ARRAY_SIZE = RowSetSize and SQL_ATTR_ROWS_FETCHED_PTR;
    // without either, rowsets are fetched one row at a time and counted here.
    bool rowArrayByDriver_ = true;
    bool rowsFetchedByDriver_ = false;
    bool rowsFetchedPtrSet_ = false; // SQL_ATTR_ROWS_FETCHED_PTR was tried on this handle
    // An execution since the cursor was last closed may have left a result open. Whether executing
    // the text gives a result at all is learned once per text: -1 not yet known, 0 none, 1 one.
    bool resultMayBeOpen_ = false;
    int textGivesResult_ = -1;
    bool rowStatusByDriver_ = false;
    // This result's rowsets are fetched a row at a time (one extra cell per column takes each row),
    // and whether SQLSetPos can put the cursor on a row of a rowset to read a value again.
    bool rowByRow_ = false;
    bool rowsPositionable_ = true;
    bool atEnd_ = false;       // fetching on reached the end of the result
    bool rowFlagsSet_ = false; // a row flag may be set: the next fetch clears them
    // The next rowset comes from SQLFetch (the driver's own cursor), not SQLFetchScroll.
    bool nextBySQLFetch_ = true;
    // Whether the driver writes 32-bit indicators is known (by this handle's first fetch, or by the
    // connection's traits), and whether it does (mdbtools).
    bool lengthWidthKnown_ = false;
    bool narrowLengths_ = false;
    int blobCols_ = 0;
    std::vector<std::uint8_t> blobPiece_; // the work buffer long values are read through
    // The auxiliary statements of the generated INSERT, UPDATE, DELETE and refresh.
    std::unique_ptr<THstmt> insertHstmt_;
    std::unique_ptr<THstmt> updateHstmt_;
    std::unique_ptr<THstmt> deleteHstmt_;
    std::unique_ptr<THstmt> refreshHstmt_;
    Pump* pump_ = nullptr;
    Clock* clock_ = nullptr;
    TNotifyEvent beforePrepare_;
    TNotifyEvent afterPrepare_;
    TNotifyEvent beforeExecute_;
    TNotifyEvent afterExecute_;
    TNotifyEvent beforeFetch_;
    TNotifyEvent afterFetch_;
    TConfirmEvent onInsert_;
    TConfirmEvent onUpdate_;
    TConfirmEvent onDelete_;
    TConfirmEvent onRefresh_;
    TStatementEvent onStatement_;
    TRowCountEvent onRowCount_;
};

#undef THSTMT_CELL_FORMS
#undef THSTMT_BIND_FORMS

// THstmt: parameter arrays — the array attributes of an execution, each row's outcome, and the rows
// of a failed array sent again one at a time.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihError.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/Henv.h"
#include "odbc/handles/LostConnection.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/statements/StatementDiagnostics.h"

#include <algorithm>
#include <string>

namespace {

// Written into the status array before an execution: no SQL_PARAM_* value, so a status the driver
// left untouched (SQLite writes none) is told from one it wrote.
constexpr std::uint16_t kNotReported = 0xFFFF;
// The same for the count of processed rows.
constexpr SqlULen kNotCounted = ~SqlULen{0};

bool Written(std::uint16_t status)
{
    return status == SQL_PARAM_SUCCESS || status == SQL_PARAM_SUCCESS_WITH_INFO;
}

std::string RowList(const std::vector<SqlULen>& rows)
{
    std::string text;
    for (const SqlULen row : rows)
        text += (text.empty() ? "" : ", ") + std::to_string(row);
    return text;
}

} // namespace

std::uint16_t THstmt::GetParamStatus(SqlULen row) const
{
    if (row == 0 || row > paramStatus_.size())
        return SQL_PARAM_UNUSED;
    const std::uint16_t status = paramStatus_[row - 1];
    if (status != kNotReported)
        return status;
    // A driver that writes no statuses counts the rows it wrote.
    return row <= GetParamsProcessed() ? std::uint16_t{SQL_PARAM_SUCCESS} : std::uint16_t{SQL_PARAM_UNUSED};
}

SqlULen THstmt::GetParamsProcessed() const
{
    return paramsProcessed_ == kNotCounted ? 0 : paramsProcessed_;
}

bool THstmt::BeforeParamExecute()
{
    // Markers bound with different row counts, or with fewer values than the rows to send, would
    // have the driver read past an array or send rows no one bound: refused before anything goes.
    const TParamRec* first = nullptr;
    for (const auto& rec : params_) {
        if (first == nullptr || rec->Param < first->Param)
            first = rec.get();
    }
    const TParamRec* other = nullptr;
    for (const auto& rec : params_) {
        if (rec->Count != first->Count && (other == nullptr || rec->Param < other->Param))
            other = rec.get();
    }
    if (other != nullptr)
        throw RIDIZOrurori("Parameters " + std::to_string(first->Param) + " and " +
                           std::to_string(other->Param) + " are bound with " + std::to_string(first->Count) +
                           " and " + std::to_string(other->Count) +
                           " rows; all parameters of an execution must have the same number.");
    if (first != nullptr && first->Count < bulkSize_)
        throw RIDIZOrurori("Parameter " + std::to_string(first->Param) + " holds " +
                           std::to_string(first->Count) + " values; " + std::to_string(bulkSize_) +
                           " rows are to be sent.");
    // A description may have cost the array its batches (DriverTraits.h): the same text prepared
    // again costs no round trip and gives them back; the description stays in the records. One row
    // has no batch to win back, and there the prepare again would break a call with a result
    // ("{? = call f(?)}"): preparing on the server, psqlODBC runs one only when the describe came
    // after the last prepare ("function f() does not exist" otherwise). Arrays of such calls run
    // either way.
    if (describedSincePrepare_ && prepared_ && bulkSize_ > 1 &&
        hdbc_->Traits().PrepareArraysAgainAfterDescribe) {
        describedSincePrepare_ = false;
        const std::string text = ParseSQL();
        if (!Check(Oci::SQLPrepare(handle_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())),
                                   SQL_NTS)))
            return false;
    }
    const SqlULen rows = std::max<SqlULen>(bulkSize_, 1);
    if (rows != paramsetSize_) {
        // SQLite answers 01S02 for 0: a failure only matters when rows are to go as an array.
        if (!SetStmtAttr(SQL_ATTR_PARAMSET_SIZE, rows, rows <= 1) && rows > 1)
            return false;
        paramsetSize_ = rows;
    }
    if (rows <= 1) {
        paramStatus_.clear();
        paramsProcessed_ = 0;
        return initialized_;
    }
    paramStatus_.assign(rows, kNotReported);
    paramsProcessed_ = kNotCounted;
    if (paramStatusBound_ != paramStatus_.data()) {
        if (!SetStmtAttr(SQL_ATTR_PARAM_STATUS_PTR, reinterpret_cast<SqlULen>(paramStatus_.data())) ||
            !SetStmtAttr(SQL_ATTR_PARAMS_PROCESSED_PTR, reinterpret_cast<SqlULen>(&paramsProcessed_)))
            return false;
        paramStatusBound_ = paramStatus_.data();
    }
    return initialized_;
}

void THstmt::BindParamRow(const TParamRec& rec, SqlULen row)
{
    const SqlLen stride =
        rec.ColType == SQL_C_CHAR || rec.ColType == SQL_C_BINARY ? rec.BufferLength : PhysSize(rec.ColType);
    void* value = rec.Value != nullptr ? RowOffset(rec.Value, row, stride) : nullptr;
    Check(Oci::SQLBindParameter(handle_, rec.Param, rec.Direction, rec.ColType, rec.SqlType, rec.ColumnSize,
                                rec.DecimalDigits, value, rec.BufferLength, rec.Ind + (row - 1)));
}

std::int16_t THstmt::ResendParamRows(std::int16_t rc, bool prepared, const std::string& text)
{
    const SqlULen rows = paramStatus_.size();
    const std::vector<TErrorRec> arrayRecords = StatementDiagnostics(handle_);
    const bool reported = std::any_of(paramStatus_.begin(), paramStatus_.end(),
                                      [](std::uint16_t s) { return s != kNotReported; });
    if (!reported) {
        // A driver that reports no row (SQLite) and fails stops at the failing row: the rows it
        // counted as processed are written, the rest are not. Without a count nothing can be sent
        // again safely; with a warning only, every row went.
        if (rc != SQL_ERROR || paramsProcessed_ == kNotCounted)
            return rc;
        const SqlULen processed = std::min(paramsProcessed_, rows);
        for (SqlULen r = 0; r < rows; ++r)
            paramStatus_[r] = r < processed ? SQL_PARAM_SUCCESS : SQL_PARAM_UNUSED;
    }
    std::vector<SqlULen> unsent;
    for (SqlULen r = 1; r <= rows; ++r) {
        if (!Written(paramStatus_[r - 1]))
            unsent.push_back(r);
    }
    const TDriverTraits* known = KnownDriverTraits();
    const TDriverTraits& traits = known != nullptr ? *known : UnknownDriverTraits();
    if (unsent.empty() || AnyLostConnection(arrayRecords, traits))
        return rc;

    // Every row the driver did not write goes again on its own (psqlODBC fails a whole batch for
    // one bad row; SQLite stops at it): the good rows get written, and the rows that fail again are
    // the ones reported.
    struct RestoreArray
    {
        THstmt& s;
        ~RestoreArray()
        {
            if (!s.initialized_)
                return;
            for (const auto& rec : s.params_)
                Oci::SQLBindParameter(s.handle_, rec->Param, rec->Direction, rec->ColType, rec->SqlType,
                                      rec->ColumnSize, rec->DecimalDigits, rec->Value, rec->BufferLength,
                                      rec->Ind);
            // Set again before the next execution.
            s.paramsetSize_ = 0;
            s.paramStatusBound_ = nullptr;
        }
    } restore{*this};
    if (!SetStmtAttr(SQL_ATTR_PARAM_STATUS_PTR, 0) || !SetStmtAttr(SQL_ATTR_PARAMS_PROCESSED_PTR, 0) ||
        !SetStmtAttr(SQL_ATTR_PARAMSET_SIZE, 1))
        return rc;
    paramStatusBound_ = nullptr;
    paramsetSize_ = 1;

    std::vector<SqlULen> failed;
    std::vector<TErrorRec> firstFailure;
    for (const SqlULen row : unsent) {
        for (const auto& rec : params_) {
            BindParamRow(*rec, row);
            if (!initialized_)
                return SQL_ERROR;
        }
        const std::int16_t rowRc = CallExecute(prepared, text);
        if (rowRc == SQL_SUCCESS || rowRc == SQL_SUCCESS_WITH_INFO || rowRc == SQL_NO_DATA) {
            paramStatus_[row - 1] =
                rowRc == SQL_SUCCESS_WITH_INFO ? SQL_PARAM_SUCCESS_WITH_INFO : SQL_PARAM_SUCCESS;
            continue;
        }
        paramStatus_[row - 1] = SQL_PARAM_ERROR;
        failed.push_back(row);
        std::vector<TErrorRec> records = StatementDiagnostics(handle_);
        if (firstFailure.empty())
            firstFailure = records;
        if (AnyLostConnection(records, traits))
            break;
    }
    paramsProcessed_ = rows;
    if (failed.empty())
        return SQL_SUCCESS_WITH_INFO;
    SetRetCode(SQL_ERROR);
    std::vector<TErrorRec> records{TErrorRec{
        "", 0, "Parameter rows not written: " + RowList(failed) + " (of " + std::to_string(rows) + ")."}};
    records.insert(records.end(), firstFailure.begin(), firstFailure.end());
    if (!GlobalHenv().ErrorsSuppressed()) {
        EODBC error(this, SQL_ERROR, std::move(records));
        if (GlobalHenv().Error().DoException(this, error))
            throw error;
    }
    // Suppressed or vetoed: the execution counts as done, as for any failed call.
    return SQL_SUCCESS_WITH_INFO;
}

// THstmt: writing rowset rows back — confirmation, the choice between the cursor's own operations
// (SQLSetPos, SQLBulkOperations) and generated statements, and the blob columns bound for the
// cursor's operations.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihError.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/statements/StatementDiagnostics.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// What a blob column with an empty value is bound to: some drivers (SQLite) take a column bound to no
// address for an unbound one.
constexpr char kEmptyValue[1] = {'\0'};

// The row the generated statements take their values from, for one row write.
class WriteRow
{
public:
    WriteRow(SqlULen& row, SqlULen value) : row_(row) { row_ = value; }
    ~WriteRow() { row_ = 1; }
    WriteRow(const WriteRow&) = delete;
    WriteRow& operator=(const WriteRow&) = delete;

private:
    SqlULen& row_;
};

} // namespace

std::uint32_t THstmt::GetPosOpts() const
{
    if (skipByPosition_)
        return 0;
    std::uint32_t mask = cursorAttributes_;
    // A read-only cursor writes nothing through itself, whatever its type could (psqlODBC refuses
    // SQLSetPos updates then): its rows are written by generated statements.
    if (concurrencyType_ == SQL_CONCUR_READ_ONLY)
        mask &= ~std::uint32_t{SQL_CA1_POS_UPDATE | SQL_CA1_POS_DELETE | SQL_CA1_BULK_ADD};
    // Rows with blob columns go by generated statements where the cursor's writes would lose them.
    const bool blobs = std::any_of(cols_.begin(), cols_.end(), [](const auto& rec) { return rec->IsBlob; });
    if (blobs && hdbc_ != nullptr && hdbc_->Traits().PositionedWritesLoseBlobs)
        mask &= ~std::uint32_t{SQL_CA1_POS_UPDATE | SQL_CA1_BULK_ADD};
    return mask;
}

std::uint32_t THstmt::GetPosStmts() const
{
    if (skipByCursor_)
        return 0;
    if (concurrencyType_ == SQL_CONCUR_READ_ONLY)
        return cursorAttributes_ & ~std::uint32_t{SQL_CA1_POSITIONED_UPDATE | SQL_CA1_POSITIONED_DELETE};
    return cursorAttributes_;
}

std::string THstmt::CursorName()
{
    RunningCall running;
    if (!Init())
        return {};
    char name[256] = {};
    SQLSMALLINT length = 0;
    if (!Check(Oci::SQLGetCursorName(handle_, reinterpret_cast<SQLCHAR*>(name), sizeof name, &length)))
        return {};
    return std::string(name, strnlen(name, sizeof name));
}

std::string THstmt::UpdateWhereClause()
{
    RunningCall running;
    if ((GetPosStmts() & SQL_CA1_POSITIONED_UPDATE) != 0)
        return "WHERE CURRENT OF " + CursorName();
    return "WHERE " + PrimaryClause();
}

std::string THstmt::DeleteWhereClause()
{
    RunningCall running;
    if ((GetPosStmts() & SQL_CA1_POSITIONED_DELETE) != 0)
        return "WHERE CURRENT OF " + CursorName();
    return "WHERE " + PrimaryClause();
}

std::string THstmt::RefreshWhereClause()
{
    RunningCall running;
    return "WHERE " + PrimaryClause();
}

void THstmt::BindBlobCols(bool bind)
{
    RunningCall running;
    const bool longData = bind && NeedLongDataLen();
    for (std::size_t i = 0; i < cols_.size() && initialized_; ++i) {
        TColRec& rec = *cols_[i];
        if (!rec.IsBlob)
            continue;
        SqlLen size = rec.Ind[0];
        SqlLen bufferLength = 0;
        if (bind) {
            if (size >= 0) {
                size = static_cast<SqlLen>(rec.Blob->Size());
                bufferLength = size;
                if (longData)
                    size = SQL_LEN_DATA_AT_EXEC(size);
            }
            rec.Value = rec.Blob->Size() > 0 ? static_cast<void*>(rec.Blob->Memory())
                                             : static_cast<void*>(const_cast<char*>(kEmptyValue));
        } else {
            // Only the lengths binding turned into the data-at-execution form go back; NULL and
            // SQL_COLUMN_IGNORE were never touched.
            if (size <= SQL_LEN_DATA_AT_EXEC_OFFSET)
                size = SQL_LEN_DATA_AT_EXEC_OFFSET - size;
            rec.Value = nullptr;
        }
        // A blob has one value for every row of the rowset: whichever row the driver writes reads it.
        std::fill(rec.Indicators.begin(), rec.Indicators.end(), size);
        if (!Check(Oci::SQLBindCol(handle_, static_cast<SQLUSMALLINT>(i + 1), rec.ColType, rec.Value,
                                   bufferLength, bind ? rec.Ind : nullptr)))
            return;
    }
}

void THstmt::PositionedWrite(SqlULen row, std::uint16_t operation)
{
    // The blob columns are bound for the operation only, and come back unbound with their
    // indicators as they were, however it ends.
    struct BlobBinding
    {
        THstmt& s;
        std::vector<std::pair<TColRec*, SqlLen>> saved;
        ~BlobBinding()
        {
            try {
                s.BindBlobCols(false);
            } catch (...) {
                // The operation's own failure is the one reported.
            }
            for (const auto& [rec, ind] : saved)
                std::fill(rec->Indicators.begin(), rec->Indicators.end(), ind);
        }
    } binding{*this, {}};
    for (const auto& rec : cols_) {
        if (!rec->IsBlob)
            continue;
        binding.saved.emplace_back(rec.get(), rec->Ind[0]);
        if (operation != SQL_DELETE && !TakesPart(*rec, row))
            rec->Ind[0] = SQL_COLUMN_IGNORE;
    }
    BindBlobCols(true);
    if (!initialized_)
        return;
    // The driver says what became of the row in its status: known before, so a driver that leaves
    // it (SQLite, for a row deleted elsewhere) is not taken for one that wrote it.
    const bool statusKnown = rowStatusByDriver_ && row >= 1 && row <= rowStatus_.size();
    if (statusKnown)
        rowStatus_[row - 1] = SQL_ROW_SUCCESS;

    std::int16_t rc = operation == SQL_ADD ? Oci::SQLBulkOperations(handle_, SQL_ADD)
                                           : Oci::SQLSetPos(handle_, row, operation, SQL_LOCK_NO_CHANGE);
    SetRetCode(rc);
    if (rc == SQL_NEED_DATA) {
        std::vector<TCommonRec*> records;
        for (const auto& rec : cols_)
            records.push_back(rec.get());
        DataAtExecution(records);
        if (!initialized_)
            return;
        rc = RetCode();
    } else if (rc != SQL_NO_DATA && !Check(rc)) {
        return;
    }
    if (operation == SQL_UPDATE || operation == SQL_DELETE) {
        // NOTE: neither driver counts the row in SQLRowCount (SQLite says 0, psqlODBC the rows of
        // the result). SQLite answers a row deleted elsewhere with success and leaves the row's
        // status; psqlODBC with 01001 (cursor operation conflict).
        bool conflict = rc == SQL_NO_DATA;
        if (rc == SQL_SUCCESS_WITH_INFO) {
            for (const TErrorRec& record : StatementDiagnostics(handle_))
                conflict = conflict || record.State == "01001";
        }
        const std::uint16_t written = operation == SQL_UPDATE ? SQL_ROW_UPDATED : SQL_ROW_DELETED;
        if (conflict || (statusKnown && rowStatus_[row - 1] != written))
            throw RIDIZOrurori("Row not found: it was changed or deleted by another user.");
        ForgetFetchedRow(row);
    }
}

void THstmt::InsertRow(SqlULen row)
{
    RunningCall running;
    if (!Init())
        return;
    BindCols();
    WriteRow scope(writeRow_, row);
    // SQL_ADD adds every row of the rowset, so only a rowset of one row goes that way; and the
    // SQLite driver garbles values sent at execution by SQL_ADD, so no blob may go so either.
    bool bulkAdd = (GetPosOpts() & SQL_CA1_BULK_ADD) != 0 && rowSetSize_ == 1;
    if (bulkAdd && NeedLongDataLen()) {
        for (const auto& rec : cols_)
            bulkAdd = bulkAdd && !(rec->IsBlob && TakesPart(*rec, row));
    }
    if (bulkAdd)
        PositionedWrite(row, SQL_ADD);
    else
        InsertFields();
}

void THstmt::UpdateRow(SqlULen row)
{
    RunningCall running;
    if (!Init())
        return;
    BindCols();
    WriteRow scope(writeRow_, row);
    DetermineIgnoreCols();
    if ((GetPosOpts() & SQL_CA1_POS_UPDATE) != 0) {
        PositionedWrite(row, SQL_UPDATE);
        return;
    }
    const bool positioned = (GetPosStmts() & SQL_CA1_POSITIONED_UPDATE) != 0;
    const std::string where = UpdateWhereClause();
    // WHERE CURRENT OF means the row the cursor is on: this one.
    if (positioned && !Check(Oci::SQLSetPos(handle_, row, SQL_POSITION, SQL_LOCK_NO_CHANGE)))
        return;
    UpdateFields(where, !positioned);
}

void THstmt::DeleteRow(SqlULen row)
{
    RunningCall running;
    if (!Init())
        return;
    BindCols();
    WriteRow scope(writeRow_, row);
    if ((GetPosOpts() & SQL_CA1_POS_DELETE) != 0) {
        PositionedWrite(row, SQL_DELETE);
        return;
    }
    const bool positioned = (GetPosStmts() & SQL_CA1_POSITIONED_DELETE) != 0;
    const std::string where = DeleteWhereClause();
    if (positioned && !Check(Oci::SQLSetPos(handle_, row, SQL_POSITION, SQL_LOCK_NO_CHANGE)))
        return;
    DeleteFields(where, !positioned);
}

void THstmt::RefreshRow(SqlULen row)
{
    RunningCall running;
    if (!Init())
        return;
    BindCols();
    WriteRow scope(writeRow_, row);
    // NOTE: neither driver here reads the row again through SQLSetPos: SQLite's static cursor gives
    // back its own copy, and psqlODBC gives the next row's values for a row updated elsewhere. The
    // row is read by its key whenever the key is known; the cursor's refresh is left for rows
    // without one.
    bool keyed = true;
    if ((GetPosOpts() & SQL_CA1_POS_REFRESH) != 0) {
        DeterminePrimaryCols();
        keyed = std::any_of(cols_.begin(), cols_.end(), [](const auto& rec) { return rec->Primary; });
    }
    if (keyed) {
        RefreshFields(RefreshWhereClause());
        return;
    }
    if (!Check(Oci::SQLSetPos(handle_, row, SQL_REFRESH, SQL_LOCK_NO_CHANGE)))
        return;
    // The bound cells are the row's again; its blobs are read again as a fetch reads them.
    ForgetFetchedRow(row);
    for (std::size_t i = 0; i < cols_.size() && initialized_; ++i) {
        TColRec& rec = *cols_[i];
        if (!rec.IsBlob)
            continue;
        rec.BlobEdited = false;
        if (rowSetSize_ == 1 && !blobDeferral_) {
            rec.Ind[0] = FetchCol(static_cast<std::uint16_t>(i + 1), 1, rec.ColType, *rec.Blob);
        } else if (rec.BlobRow == row) {
            rec.BlobRow = 0;
            rec.Ind[0] = SQL_NULL_DATA;
            rec.Blob->Clear();
        }
    }
}

void THstmt::WriteFlaggedRows(std::uint16_t flag, const SqlULen& lastRow, void (THstmt::*writeRow)(SqlULen))
{
    RunningCall running;
    for (SqlULen row = 1; row <= lastRow; ++row) {
        if (GetRowFlag(row) == flag)
            (this->*writeRow)(row);
    }
}

void THstmt::InsertRows()
{
    // Rows beyond those fetched may be filled for inserting too.
    WriteFlaggedRows(rfInsert, rowSetSize_, &THstmt::InsertRow);
}

void THstmt::UpdateRows()
{
    WriteFlaggedRows(rfUpdate, rowsFetched_, &THstmt::UpdateRow);
}

void THstmt::DeleteRows()
{
    WriteFlaggedRows(rfDelete, rowsFetched_, &THstmt::DeleteRow);
}

void THstmt::RefreshRows()
{
    WriteFlaggedRows(rfRefresh, rowsFetched_, &THstmt::RefreshRow);
}

void THstmt::ConfirmedWrite(const TConfirmEvent& confirm, const char* question, void (THstmt::*writeRows)(),
                            void (THstmt::*writeRow)(SqlULen))
{
    RunningCall running;
    if (!Init())
        return;
    if (confirm && !confirm(this, question))
        return;
    if (rowSetSize_ > 1 && rowsFetched_ > 0)
        (this->*writeRows)();
    else
        (this->*writeRow)(1);
}

void THstmt::DoInsert()
{
    ConfirmedWrite(onInsert_, "Insert row(s)?", &THstmt::InsertRows, &THstmt::InsertRow);
}

void THstmt::DoUpdate()
{
    ConfirmedWrite(onUpdate_, "Update row(s)?", &THstmt::UpdateRows, &THstmt::UpdateRow);
}

void THstmt::DoDelete()
{
    ConfirmedWrite(onDelete_, "Delete row(s)?", &THstmt::DeleteRows, &THstmt::DeleteRow);
}

void THstmt::DoRefresh()
{
    ConfirmedWrite(onRefresh_, "Refresh row(s)?", &THstmt::RefreshRows, &THstmt::RefreshRow);
}
